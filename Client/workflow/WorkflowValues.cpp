#include "workflow/WorkflowValues.h"

namespace Workflow {

std::atomic<bool>& ProgressiveDownload() {
    static std::atomic<bool> value{false};
    return value;
}

std::atomic<bool>& MinimumCheck() {
    static std::atomic<bool> value{true};
    return value;
}

float& RequestedChannel() {
    static float value = 0;
    return value;
}

bool& FutureUpdate() {
    static bool value = false;
    return value;
}

bool& PrepatchAvailable() {
    static bool value = false;
    return value;
}

String& PrepatchVersion() {
    static String value;
    return value;
}

String& ServerVersion() {
    static String value;
    return value;
}

bool& FullVersionDownload() {
    static bool value = false;
    return value;
}

ChnServerListRecord& ChnServerList() {
    static ChnServerListRecord value;
    return value;
}

}  // namespace Workflow
