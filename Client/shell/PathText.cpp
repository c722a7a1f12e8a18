#include "shell/PathText.h"

#include <string_view>

namespace PathText {

namespace {

std::u16string_view WithoutTrailingSlashes(std::u16string_view path) {
    while (!path.empty() && path.back() == u'/') path.remove_suffix(1);
    return path;
}

}  // namespace

WideString ToGeneric(const WideString& path) {
    WideString result(path);
    for (std::size_t i = 0; i < result.Length(); ++i)
        if (result[i] == u'\\') result[i] = u'/';
    return result;
}

WideString Join(const WideString& first, const WideString& second) {
    WideString result = ToGeneric(first);
    if (!result.IsEmpty() && result[result.Length() - 1] != u'/') result.Append(u'/');
    result.Append(ToGeneric(second));
    return result;
}

WideString LastComponent(const WideString& path) {
    const WideString generic = ToGeneric(path);
    const std::u16string_view trimmed = WithoutTrailingSlashes(generic.View());
    const std::size_t slash = trimmed.rfind(u'/');
    return WideString(slash == std::u16string_view::npos ? trimmed : trimmed.substr(slash + 1));
}

WideString Parent(const WideString& path) {
    const WideString generic = ToGeneric(path);
    const std::u16string_view trimmed = WithoutTrailingSlashes(generic.View());
    const std::size_t slash = trimmed.rfind(u'/');
    if (slash == std::u16string_view::npos) return WideString();
    return WideString(slash == 0 ? std::u16string_view(u"/") : trimmed.substr(0, slash));
}

WideString ReplaceExtension(const WideString& path, const WideString& extension) {
    const std::u16string_view view = path.View();
    const std::size_t slash = view.rfind(u'/');
    const std::size_t dot = view.rfind(u'.');
    const bool hasExtension = dot != std::u16string_view::npos && (slash == std::u16string_view::npos || dot > slash);
    WideString result(hasExtension ? view.substr(0, dot) : view);
    result.Append(u'.');
    result.Append(extension);
    return result;
}

bool IsInside(const WideString& path, const WideString& folder) {
    const WideString genericFolder = ToGeneric(folder);
    const std::u16string_view base = WithoutTrailingSlashes(genericFolder.View());
    if (base.empty()) return false;
    const WideString genericPath = ToGeneric(path);
    const std::u16string_view candidate = genericPath.View();
    if (!candidate.starts_with(base)) return false;
    return candidate.size() == base.size() || candidate[base.size()] == u'/';
}

}  // namespace PathText
