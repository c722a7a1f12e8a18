#pragma once
// The vfs: scheme: the page, its scripts, style sheets and images are entries of the
// global virtual file system ("vfs://Launcher/res/launcher.htm" is the entry
// "Launcher/res/launcher.htm": the archive's, or a newer loose file under Resources/).
#include <memory>
#include <string>

#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "platform/ui/UiToolkit.h"

// Whether the address is of the vfs: scheme, in any letter case.
bool IsVfsAddress(const std::string& uri);

// The entry key of a vfs: address: host and path, without query or fragment,
// %-decoded. False when the address is not vfs:, or when the decoded key could name
// something outside the resources (empty, "..", absolute or drive paths,
// backslashes, control characters, malformed escapes).
bool VfsKeyFromUri(const std::string& uri, std::string& key);

// The MIME type of an entry by its extension; "application/octet-stream" otherwise.
const char* VfsMimeType(const std::string& key);

// The bytes of an entry of the global file system, read once and kept for the run;
// null when there is no file system or no such entry (missing keys are not kept).
std::shared_ptr<const std::string> OpenVfsStream(const std::string& key);

// Answers vfs: requests from OpenVfsStream. Every request reads the immutable bytes
// from their start, however many overlap. A reference made root-relative by the page
// ("vfs://Launcher/HTMLResources/..." for "/HTMLResources/...") is tried without its
// first folder when the full key names nothing.
class VfsSchemeHandler final : public IUriSchemeHandler {
public:
    UriSchemeResponse Handle(const std::string& uri) override;
};

// Creates the file system over root with the archive mounted as packName, publishes
// it, and registers the scheme with the toolkit (once per process: a second call only
// replaces the file system). The archive must outlive the registration.
bool RegisterVfsProtocol(IUiToolkit& toolkit, const WideString& root, const WideString& packName,
                         const ByteVector& archive);
// Drops the kept bytes and the file system; later requests find nothing.
void UnregisterVfsProtocol();
