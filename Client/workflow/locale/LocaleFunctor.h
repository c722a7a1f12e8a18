#pragma once
// The page's language: the stored choice ("localization" in the user settings) and
// the game site's address that "trd2.bin" beside the launcher may carry.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "workflow/locale/LocaleView.h"

class LocaleFunctor final : public RefCounter {
public:
    // "trd2.bin" holds at most this many UTF-16 units.
    static constexpr std::size_t kMaxMainSiteUnits = 255;
    // A locale names a folder suffix; anything longer is not one, and a stored line
    // must stay well below the settings file's line limit.
    static constexpr std::size_t kMaxLocaleUnits = 255;

    // folder: where "trd2.bin" lies (the launcher's own folder).
    LocaleFunctor(LocaleView* view, WideString folder) : view_(view), folder_(std::move(folder)) {}

    // Stores the locale and saves the user settings; the page hears the new locale.
    bool Save(const WideString& locale);
    // Tells the page the main site (when there is one) and the stored locale.
    bool Load();

private:
    ~LocaleFunctor() override = default;

    RefPtr<LocaleView> view_;
    WideString folder_;
};

// The text of a "trd2.bin": little-endian UTF-16 up to the first NUL unit, the end
// of the file or kMaxMainSiteUnits units; a byte-order mark is part of the text. ""
// when the file is missing or not a regular file.
WideString ReadMainSite(const String& path);

// The locale as it may be stored: control characters removed (a line break would
// start a line of its own in the settings file), at most kMaxLocaleUnits units.
WideString StorableLocale(const WideString& locale);
