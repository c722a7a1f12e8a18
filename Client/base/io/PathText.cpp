// Path text operations that never touch the disk.
#include "base/io/Path.h"

namespace Path {

namespace {
std::ptrdiff_t LastSeparatorIndex(const String& path) {
    for (std::size_t i = path.Length(); i-- > 0;) {
        if (IsSeparator(path[i])) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}
}  // namespace

char LastSeparator(const String& path) {
    const std::ptrdiff_t at = LastSeparatorIndex(path);
    return at < 0 ? kDefaultSeparator : path[static_cast<std::size_t>(at)];
}

bool IsPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || IsSeparator(c)) return false;
    }
    return true;
}

void ReplaceChar(String& path, char from, char to) {
    for (std::size_t i = 0; i < path.Length(); ++i) {
        if (path[i] == from) path[i] = to;
    }
}

String Join(const String& base, const String& name) {
    if (base.IsEmpty()) return name;
    if (name.IsEmpty()) return base;
    const bool baseEnds = IsSeparator(base[base.Length() - 1]);
    const bool nameStarts = IsSeparator(name[0]);
    String result(base);
    if (baseEnds && nameStarts) {
        result.Append(name.CStr() + 1, name.end());
    } else {
        if (!baseEnds && !nameStarts) result.PushBack(kDefaultSeparator);
        result.Append(name);
    }
    return result;
}

String Concat(const String& a, const char* b) { return String(a).Append(b); }
String Concat(const char* a, const String& b) { return String(a).Append(b); }
String Concat(const String& a, char c) { return String(a).Append(c); }
String Concat(char c, const String& a) { return String(&c, &c + 1).Append(a); }

String ParentPath(const String& path) {
    const std::ptrdiff_t at = LastSeparatorIndex(path);
    return at < 0 ? String("") : String(path.Substr(0, static_cast<std::size_t>(at) + 1));
}

String FileName(const String& path) {
    const std::ptrdiff_t at = LastSeparatorIndex(path);
    return at < 0 ? path : String(path.Substr(static_cast<std::size_t>(at) + 1));
}

void ToForwardSlashes(String& out, const String& path) {
    out = path;
    ReplaceChar(out, '\\', '/');
}

void EnsureTrailingSeparator(String& path, char sep) {
    if (!path.IsEmpty() && !IsSeparator(path[path.Length() - 1])) path.PushBack(sep);
}

StringVector Split(const String& path) {
    StringVector parts;
    std::size_t first = 0;
    for (std::size_t i = 0; i <= path.Length(); ++i) {
        if (i == path.Length() || IsSeparator(path[i])) {
            if (i > first) parts.PushBack(path.Substr(first, i - first));
            first = i + 1;
        }
    }
    return parts;
}

String Normalize(const String& path, char sep) {
    const StringVector parts = Split(path);
    // Walk from the last component, each ".." swallowing one component before it.
    Vector<const String*> kept;
    std::size_t skip = 0;
    for (std::size_t i = parts.Size(); i-- > 0;) {
        if (parts[i].Equals("..")) {
            ++skip;
        } else if (skip > 0) {
            --skip;
        } else {
            kept.PushBack(&parts[i]);
        }
    }
    String result;
    const bool absolute = !path.IsEmpty() && IsSeparator(path[0]);
    // Nothing lies above the root of an absolute path.
    if (absolute) {
        result.PushBack(sep);
        skip = 0;
    }
    for (std::size_t i = 0; i < skip; ++i) {
        result.Append("..");
        result.PushBack(sep);
    }
    for (std::size_t i = kept.Size(); i-- > 0;) {
        result.Append(*kept[i]);
        if (i > 0) result.PushBack(sep);
    }
    // "a/.." leaves nothing but the separators written for skips; drop a dangling one.
    if (kept.Empty() && result.Length() > 1 && IsSeparator(result[result.Length() - 1])) {
        result.Resize(result.Length() - 1);
    }
    return result;
}

void NormalizeInPlace(String& path) {
    if (path.Length() >= 2 && path.Find("..") >= 0) path = Normalize(path, LastSeparator(path));
}

String UpLevels(const char* text, std::size_t length, char sep) {
    String result("..");
    result.PushBack(sep);
    for (std::size_t i = 0; i + 1 < length; ++i) {
        if (IsSeparator(text[i])) {
            result.Append("..");
            result.PushBack(sep);
        }
    }
    return result;
}

std::ptrdiff_t CommonPrefixEnd(const String& a, const String& b) {
    const std::size_t shorter = a.Length() < b.Length() ? a.Length() : b.Length();
    std::ptrdiff_t lastCommonSeparator = -1;
    for (std::size_t i = 0; i < shorter; ++i) {
        if (!Equal(a.CStr() + i, 1, b.CStr() + i, 1)) return lastCommonSeparator;
        if (IsSeparator(a[i])) lastCommonSeparator = static_cast<std::ptrdiff_t>(i);
    }
    return static_cast<std::ptrdiff_t>(shorter) - 1;
}

String RelativePathOfAbsolute(const String& target, const String& base) {
    if (Equal(target, base)) return String("");
    // Compare whole components, so that a base that is a prefix of the target only
    // counts as common up to a separator in the target.
    const StringVector targetParts = Split(target);
    const StringVector baseParts = Split(base);
    std::size_t common = 0;
    while (common < targetParts.Size() && common < baseParts.Size() &&
           Equal(targetParts[common], baseParts[common])) {
        ++common;
    }
    const char sep = LastSeparator(target);
    String result;
    for (std::size_t i = common; i < baseParts.Size(); ++i) {
        result.Append("..");
        result.PushBack(sep);
    }
    for (std::size_t i = common; i < targetParts.Size(); ++i) {
        result.Append(targetParts[i]);
        if (i + 1 < targetParts.Size()) result.PushBack(sep);
    }
    return result;
}

String RelativePath(const String& target, const String& base) {
    const String from = base.IsEmpty() ? CurrentDirectory() : base;
    return RelativePathOfAbsolute(AbsolutePath(target), AbsolutePath(from));
}

String StripBase(const String& path, const String& base) {
    if (path.IsEmpty()) return path;
    const std::ptrdiff_t at = LastSeparatorIndex(base);
    const std::size_t prefix = static_cast<std::size_t>(at + 1);
    if (at >= 0 && path.Length() >= prefix && Equal(path.CStr(), prefix, base.CStr(), prefix)) {
        return path.Substr(prefix);
    }
    return Concat(kDefaultSeparator, path);
}

// Linux has no short names: the long form of a path is the path itself.
String LongPathRelative(const String& path, const String& base) {
    String result;
    ToForwardSlashes(result, base.IsEmpty() ? path : StripBase(Join(base, path), base));
    return result;
}

String Canonical(const String& path, const String& base, bool keepShortNames) {
    if (path.IsEmpty()) return path;
    const String normal = Normalize(path, LastSeparator(path));
    return keepShortNames ? normal : LongPathRelative(normal, base);
}

}  // namespace Path
