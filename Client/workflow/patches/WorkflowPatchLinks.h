#pragma once
// The patch conversation's view of the workflow: its process-wide values, the
// settings it reads and the launcher's own version text.
#include "engine/servers/IPatchWorkflow.h"

class WorkflowPatchLinks final : public IPatchWorkflow {
public:
    // The one instance; it holds nothing of its own.
    static WorkflowPatchLinks& Instance();

    bool FutureUpdate() const override;
    bool ServerListWanted() const override;
    String ServerListUrl() const override;
    String PrepatchReady() const override;
    WideString OwnLauncherVersion() const override;
    int CompareVersions(const String& a, const String& b) const override;
    void SetServerVersion(const String& version) override;
    void OfferPrepatch(const String& version) override;
};
