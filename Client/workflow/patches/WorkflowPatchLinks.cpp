#include "workflow/patches/WorkflowPatchLinks.h"

#include "shell/LauncherConfig.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"
#include "workflow/Settings.h"
#include "workflow/VersionCompare.h"
#include "workflow/WorkflowValues.h"

WorkflowPatchLinks& WorkflowPatchLinks::Instance() {
    static WorkflowPatchLinks links;
    return links;
}

bool WorkflowPatchLinks::FutureUpdate() const { return Workflow::FutureUpdate(); }

bool WorkflowPatchLinks::ServerListWanted() const { return Workflow::ChnServerList().isChn; }

String WorkflowPatchLinks::ServerListUrl() const {
    const String configured = ConfiguredServerListUrl();
    return configured.IsEmpty() ? Workflow::ChnServerList().srvlistUrl : configured;
}

String WorkflowPatchLinks::PrepatchReady() const { return Settings::prepatch_ready.GetString(); }

WideString WorkflowPatchLinks::OwnLauncherVersion() const { return LoadResString(StringId::OwnLauncherVersion); }

int WorkflowPatchLinks::CompareVersions(const String& a, const String& b) const { return ::CompareVersions(a, b); }

void WorkflowPatchLinks::SetServerVersion(const String& version) { Workflow::ServerVersion() = version; }

void WorkflowPatchLinks::OfferPrepatch(const String& version) {
    Workflow::PrepatchVersion() = version;
    Workflow::PrepatchAvailable() = true;
}
