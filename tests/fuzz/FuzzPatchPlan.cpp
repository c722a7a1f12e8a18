// A patch plan file as it may lie in the patches folder: arbitrary bytes read as the
// text form (first byte odd: two blanks go first) or the XML form. A plan that reads
// must print, and its printed bytes must read back as the same plan: every '&' and
// every other special character survives. (The XML reader skips the blanks a text
// starts with, so those are not compared.)
#include <cstddef>
#include <cstdint>
#include <string>

#include "workflow/patches/MultiPatch.h"
#include "workflow/patches/PatchPlanFile.h"

namespace {

std::u16string Generic(const WideString& text) {
    std::u16string generic = text.Std();
    for (char16_t& c : generic)
        if (c == u'\\') c = u'/';
    const std::size_t start = generic.find_first_not_of(u" \t\n\v\f\r");
    return start == std::u16string::npos ? std::u16string() : generic.substr(start);
}

bool SameFiles(const MultiPatchItem& a, const MultiPatchItem& b) {
    // A single empty path prints as an empty "patchFile", which is no file.
    if (a.patchFiles.Size() == 1 && Generic(a.patchFiles[0]).empty()) return b.patchFiles.Empty();
    if (a.patchFiles.Size() != b.patchFiles.Size()) return false;
    for (std::size_t i = 0; i < a.patchFiles.Size(); ++i)
        if (Generic(a.patchFiles[i]) != Generic(b.patchFiles[i])) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    std::string text(bytes, size);
    if (size > 0 && data[0] % 2 == 1) text = "  " + text.substr(1);
    const RefPtr<MultiPatch> plan = text.size() >= 2 && text[0] == ' ' && text[1] == ' '
                                        ? MultiPatch::ReadTextForm(text.data(), text.size())
                                        : MultiPatch::ReadXmlForm(text.data(), text.size());
    if (!plan) return 0;
    String printed;
    if (!PrintPatchPlan(*plan, printed)) return 0;
    const RefPtr<MultiPatch> again = MultiPatch::ReadXmlForm(printed.CStr(), printed.Length());
    if (!again || again->items.Size() != plan->items.Size()) __builtin_trap();
    for (std::size_t i = 0; i < plan->items.Size(); ++i) {
        const MultiPatchItem& a = plan->items[i];
        const MultiPatchItem& b = again->items[i];
        if (Generic(a.version) != Generic(b.version) || Generic(a.gameVersionFile) != Generic(b.gameVersionFile) ||
            !SameFiles(a, b))
            __builtin_trap();
    }
    return 0;
}
