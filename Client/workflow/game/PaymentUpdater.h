#pragma once
// The payment updater of the game's edition: its files come with the game in
// "ePay_original", are copied into "ePay" where missing, and its updater is started
// there as "autoupdate.exe autoupdate.xml 0 0". It is a program of another maker for
// another system: it is started only when it is an executable file here.
#include <string>

namespace PaymentUpdater {

// Copies every regular file of source whose name target lacks, keeping its mode;
// folders, links and other entries are passed over, and nothing existing in target is
// replaced. Each copy is written under a temporary name and renamed into place. A
// missing source copies nothing. False at the first file that cannot be copied.
bool CopyMissingFiles(const std::string& source, const std::string& target);

// Starts the updater at path in its own folder without waiting for it; false when it
// is not an executable file or could not be started.
bool Launch(const std::string& path);

// Both steps in bin: "bin/ePay_original" into "bin/ePay" (created when missing), then
// the updater there. Failures are not reported.
void Refresh(const std::string& bin);

}  // namespace PaymentUpdater
