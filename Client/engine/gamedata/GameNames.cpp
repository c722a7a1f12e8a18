#include "engine/gamedata/GameNames.h"

#include "base/io/Path.h"

namespace Game {

String RelativeGamePath(const String& folderName, const String& contentName) {
    String joined = folderName + contentName;
    if (!joined.IsEmpty() && Path::IsSeparator(joined[0])) joined = joined.Substr(1);
    return joined;
}

bool IsSafeRelativePath(const String& relative) {
    if (!relative.IsEmpty() && Path::IsSeparator(relative[0])) return false;
    std::size_t componentStart = 0;
    for (std::size_t i = 0; i <= relative.Length(); ++i) {
        if (i < relative.Length() && static_cast<unsigned char>(relative[i]) < 0x20) return false;
        if (i == relative.Length() || Path::IsSeparator(relative[i])) {
            if (i - componentStart == 2 && relative[componentStart] == '.' && relative[componentStart + 1] == '.') {
                return false;
            }
            componentStart = i + 1;
        }
    }
    return true;
}

}  // namespace Game
