#include "workflow/prefs/PrefsState.h"

#include "workflow/PageCommands.h"

bool PrefsState::OnCommand(int code, const WideString& argument) {
    switch (code) {
    case PageCommand::PrefsReset: return functor_->Reset();
    case PageCommand::PrefsApply: return Apply(argument);
    case PageCommand::DownloadFullBackground: return functor_->SetDownloadFullBackground(argument == u"1");
    default: return false;
    }
}

bool PrefsState::Apply(const WideString& argument) {
    PrefsRecord record = functor_->Current();
    return record.ReadPageFields(argument) && functor_->Apply(record);
}
