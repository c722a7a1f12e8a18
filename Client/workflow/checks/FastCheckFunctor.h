#pragma once
// The fast check: the installed version's own check of every listed file (size and
// quick digest, or the full hash where a file's flags ask for it), run synchronously on
// the UI thread. Only its verdict reaches the page.
#include "engine/gamedata/IGameVersion.h"
#include "workflow/checks/FastCheckView.h"

class FastCheckFunctor final : public RefCounter {
public:
    // Null without a view or without a readable installed version.
    static RefPtr<FastCheckFunctor> Create(FastCheckView* view);

    // Checks and sends the verdict; always true.
    bool Run();

private:
    FastCheckFunctor(FastCheckView* view, Game::IGameVersion* version) : view_(view), version_(version) {}
    ~FastCheckFunctor() override = default;

    RefPtr<FastCheckView> view_;
    RefPtr<Game::IGameVersion> version_;
};
