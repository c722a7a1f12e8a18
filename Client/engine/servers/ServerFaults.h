#pragma once
// The codes of the server clients' server-error events.
namespace ServerFault {
constexpr int kBadStatus = -1;    // the status line is not HTTP, or the status is not 200
constexpr int kNoChain = -2;      // no patch chain leads from the installed version
constexpr int kBadDocument = -3;  // an answer that is not the document asked for, or names that cannot be used
}  // namespace ServerFault
