#pragma once
// The preferences: read from the user settings when the page loads them, written back
// and saved when the page applies or resets them. The display modes give the screen
// field its meaning: the record holds an index, the settings a mode's text.
#include "base/runtime/RefCounter.h"
#include "shell/AppParams.h"
#include "workflow/prefs/DisplayModes.h"
#include "workflow/prefs/PrefsRecord.h"
#include "workflow/prefs/PrefsView.h"

class PrefsFunctor final : public RefCounter {
public:
    // The modes outlive the functor; params may be null (no demo state, no login).
    PrefsFunctor(PrefsView* view, const DisplayModes& modes, AppParams* params)
        : view_(view), modes_(modes), params_(params) {}

    // "download_full_background" := flag; the page hears it. Saved with the next save.
    bool SetDownloadFullBackground(bool flag);
    // Sets the progressive-download flag and tells the page the preferences; false,
    // with "Prefs.OnError", when the display offers no usable mode.
    bool Load(bool progressive);
    bool Apply(const PrefsRecord& record);
    bool Reset();

    const PrefsRecord& Current() const { return current_; }

private:
    // Saves once more only when the last save failed: the file then does not hold
    // what the page was told.
    ~PrefsFunctor() override;

    void ReadSettings();
    void WriteSettings();

    RefPtr<PrefsView> view_;
    const DisplayModes& modes_;
    RefPtr<AppParams> params_;
    PrefsRecord current_;
    bool unsaved_ = false;
};
