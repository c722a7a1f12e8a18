#include "workflow/VersionCompare.h"

#include "base/runtime/StrUtil.h"
#include "workflow/WorkflowValues.h"

bool ParseVersion(const String& text, VersionParts& out) {
    out.Clear();
    StringVector fields;
    StrUtil::Split(text, ".", fields);
    for (const String& field : fields) {
        bool ok = false;
        const int value = StrUtil::ParseDec(field.CStr(), &ok);
        if (!ok) {
            out.Clear();
            return false;
        }
        out.PushBack(value);
    }
    return true;
}

int CompareVersionParts(const VersionParts& a, const VersionParts& b) {
    const std::size_t count = a.Size() > b.Size() ? a.Size() : b.Size();
    for (std::size_t i = 0; i < count; ++i) {
        const int left = i < a.Size() ? a[i] : 0;
        const int right = i < b.Size() ? b[i] : 0;
        if (left != right) return left < right ? -1 : 1;
    }
    return 0;
}

int CompareVersions(const String& a, const String& b) {
    VersionParts left;
    VersionParts right;
    ParseVersion(a, left);
    ParseVersion(b, right);
    return CompareVersionParts(left, right);
}

int CompareWithServerVersion(const String& version) { return CompareVersions(version, Workflow::ServerVersion()); }
