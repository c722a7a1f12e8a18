#pragma once
// Process-wide values that link the page's commands, the workflow states and the
// update engine. Never saved. Written on the UI thread; the two check flags are also
// read by the full-check worker, hence atomic.
#include <atomic>

#include "base/runtime/String.h"

namespace Workflow {

struct ChnServerListRecord {
    bool isChn = false;
    String srvlistUrl;
};

std::atomic<bool>& ProgressiveDownload();  // false
std::atomic<bool>& MinimumCheck();         // true
float& RequestedChannel();                 // kilobytes per second, 0
bool& FutureUpdate();                      // false; only ever set
bool& PrepatchAvailable();                 // false; only ever set
String& PrepatchVersion();
String& ServerVersion();
bool& FullVersionDownload();               // false; only ever set
ChnServerListRecord& ChnServerList();

}  // namespace Workflow
