#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/runtime/Event.h"

namespace {

using Log = std::vector<std::string>;

struct Listener : RefCounter {
    Listener(std::string name, Log* log) : name(std::move(name)), log(log) {}
    bool OnEvent(int value) {
        log->push_back(name);
        if (action) action(value);
        return result;
    }
    std::string name;
    Log* log;
    bool result = false;
    std::function<void(int)> action;
};

// Owns its event, like every client and timer of the launcher.
struct Firer : RefCounter {
    Event<int> OnChange;
};

struct Fixture {
    Log log;
    RefPtr<Firer> firer{new Firer};
    std::vector<RefPtr<Listener>> listeners;

    Listener* Add(const std::string& name) {
        listeners.emplace_back(new Listener(name, &log));
        firer->OnChange.Connect<&Listener::OnEvent>(listeners.back().Get());
        return listeners.back().Get();
    }
};

struct EventCase {
    const char* name;
    std::function<void(Fixture&)> arrange;
    Log firstFiring;
    Log secondFiring;
    std::size_t entriesAfter;
};

TEST(Event, FiringCases) {
    const EventCase cases[] = {
        {"in order", [](Fixture& f) { f.Add("a"), f.Add("b"); }, {"a", "b"}, {"a", "b"}, 2},
        {"dead listener in the middle",
         [](Fixture& f) {
             f.Add("a"), f.Add("b"), f.Add("c");
             f.listeners[1].Reset();
         },
         {"a", "c"}, {"a", "c"}, 2},
        {"connect during a firing",
         [](Fixture& f) {
             f.Add("a")->action = [&f](int) {
                 if (f.listeners.size() == 1) f.Add("late");
             };
         },
         {"a"}, {"a", "late"}, 2},
        {"disconnect of the next listener",
         [](Fixture& f) {
             Listener* a = f.Add("a");
             Listener* b = f.Add("b");
             a->action = [&f, b](int) { f.firer->OnChange.Disconnect(b); };
         },
         {"a"}, {"a"}, 1},
        {"listener releases itself",
         [](Fixture& f) {
             f.Add("a")->action = [&f](int) {
                 if (f.listeners[0]) f.listeners[0].Reset();
             };
             f.Add("b");
         },
         {"a", "b"}, {"b"}, 1},
        {"nested firing of the same event",
         [](Fixture& f) {
             f.Add("a")->action = [&f](int depth) {
                 if (depth == 0) f.firer->OnChange.Fire(1);
             };
             f.Add("b");
             f.Add("c");
             f.listeners[2].Reset();  // dead before the firing: the nested firing erases it
         },
         {"a", "a", "b", "b"}, {"a", "a", "b", "b"}, 2},
    };
    for (const EventCase& c : cases) {
        Fixture f;
        c.arrange(f);
        f.firer->OnChange.Fire(0);
        EXPECT_EQ(f.log, c.firstFiring) << c.name;
        f.log.clear();
        f.firer->OnChange.Fire(0);
        EXPECT_EQ(f.log, c.secondFiring) << c.name;
        EXPECT_EQ(f.firer->OnChange.Size(), c.entriesAfter) << c.name;
    }
}

TEST(Event, ResultIsTheOrOfAllListeners) {
    Fixture f;
    f.Add("a")->result = false;
    f.Add("b")->result = true;
    EXPECT_TRUE(f.firer->OnChange.Fire(0));
    EXPECT_EQ(f.log, (Log{"a", "b"}));
    Fixture none;
    EXPECT_FALSE(none.firer->OnChange.Fire(0));
}

TEST(Event, OnlyListenerReleasedLeavesTheEventEmpty) {
    Fixture f;
    f.Add("a");
    f.listeners.clear();
    EXPECT_FALSE(f.firer->OnChange.Fire(0));
    EXPECT_TRUE(f.log.empty());
    EXPECT_EQ(f.firer->OnChange.Size(), 0u);
}

TEST(Event, OwnerReleasedDuringItsOwnEventStopsTheFiring) {
    Fixture f;
    f.Add("a")->action = [&f](int) { f.firer.Reset(); };
    f.Add("b");
    Event<int>& event = f.firer->OnChange;
    event.Fire(0);  // must not touch the destroyed event after the first listener
    EXPECT_EQ(f.log, (Log{"a"}));
    EXPECT_FALSE(f.firer);
}

TEST(Event, OwnerReleasedInsideANestedFiring) {
    Fixture f;
    f.Add("a")->action = [&f](int depth) {
        if (depth == 0) {
            f.firer->OnChange.Fire(1);
        } else {
            f.firer.Reset();
        }
    };
    f.Add("b");
    f.firer->OnChange.Fire(0);
    EXPECT_EQ(f.log, (Log{"a", "a"}));
}

TEST(Event, DisconnectClearsOnlyTheFirstOfTwoEntries) {
    Fixture f;
    Listener* a = f.Add("a");
    f.firer->OnChange.Connect<&Listener::OnEvent>(a);
    f.firer->OnChange.Disconnect(a);
    f.firer->OnChange.Fire(0);
    EXPECT_EQ(f.log, (Log{"a"}));
    f.firer->OnChange.Disconnect(a);
    f.log.clear();
    f.firer->OnChange.Fire(0);
    EXPECT_TRUE(f.log.empty());
}

TEST(Event, CurrentTargetIsTheListenerBeingCalled) {
    Fixture f;
    Listener* a = f.Add("a");
    void* seen = nullptr;
    a->action = [&seen](int) { seen = EventBase::CurrentTarget(); };
    f.firer->OnChange.Fire(0);
    EXPECT_EQ(seen, a);
}

}  // namespace
