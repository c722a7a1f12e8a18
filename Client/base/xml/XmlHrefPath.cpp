#include "base/xml/XmlHrefPath.h"

#include "base/runtime/StrUtil.h"

namespace XmlHrefPath {

void NormalizeInPlace(String& path) {
    if (path.Length() < 2 || path.Find("..") < 0) return;
    StringVector parts;
    StrUtil::Split(path, "/", parts);
    StringVector kept;
    for (const String& part : parts) {
        if (part.Equals("..")) {
            if (!kept.Empty()) kept.Erase(kept.Size() - 1);
        } else if (!part.Equals(".")) {
            kept.PushBack(part);
        }
    }
    String result;
    for (std::size_t i = 0; i < kept.Size(); ++i) {
        if (i) result.Append('/');
        result.Append(kept[i]);
    }
    path = result;
}

}  // namespace XmlHrefPath
