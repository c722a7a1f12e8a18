#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/runtime/Allocator.h"
#include "base/runtime/RefCounter.h"

namespace {

struct Probe : RefCounter {
    explicit Probe(int* destroyed) : destroyed(destroyed) {}
    ~Probe() override {
        ++*destroyed;
        if (onDestroy) onDestroy(this);
    }
    int* destroyed;
    void (*onDestroy)(Probe*) = nullptr;
    WeakPtr<Probe> selfWeak;
    RefPtr<Probe> child;
    RefPtr<Probe>* holderSeenByDestructor = nullptr;
};

TEST(RefCounter, LastStrongReleaseWithoutWeakDestroysAndFreesAtOnce) {
    int destroyed = 0;
    const auto before = Allocator::LiveBlocks();
    {
        RefPtr<Probe> p(new Probe(&destroyed));
        EXPECT_EQ(p->Counts().strong, 1);
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Allocator::LiveBlocks(), before);
}

TEST(RefCounter, WeakHoldersKeepTheMemoryUntilTheLastLetsGo) {
    int destroyed = 0;
    const auto before = Allocator::LiveBlocks();
    RefPtr<Probe> p(new Probe(&destroyed));
    WeakPtr<Probe> w1(p), w2(p);
    p.Reset();
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(w1.IsAlive());
    EXPECT_EQ(Allocator::LiveBlocks(), before + 1);
    w1.Reset();
    EXPECT_EQ(Allocator::LiveBlocks(), before + 1);
    w2.Reset();
    EXPECT_EQ(Allocator::LiveBlocks(), before);
}

TEST(RefCounter, DestructorReleasingItsOwnLastWeakReferenceIsFreedAfterTheDestructor) {
    int destroyed = 0;
    const auto before = Allocator::LiveBlocks();
    auto* probe = new Probe(&destroyed);
    probe->selfWeak = probe;
    probe->onDestroy = [](Probe* self) {
        self->selfWeak.Reset();
        // The block must still be readable here: the release was deferred.
        EXPECT_EQ(self->Counts().strong, -1);
    };
    RefPtr<Probe> p(probe);
    p.Reset();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Allocator::LiveBlocks(), before);
}

TEST(RefCounter, WeakReferencesOfADeadObjectAreEmpty) {
    int destroyed = 0;
    RefPtr<Probe> p(new Probe(&destroyed));
    WeakPtr<Probe> w(p);
    p.Reset();
    WeakPtr<Probe> copy(w);
    EXPECT_TRUE(copy.IsNull());
    EXPECT_FALSE(w.IsNull());
    EXPECT_EQ(w.Lock(), nullptr);
    EXPECT_TRUE(w.IsNull());
}

TEST(RefCounter, LockHandsOutAStrongReferenceWhileAlive) {
    int destroyed = 0;
    RefPtr<Probe> p(new Probe(&destroyed));
    WeakPtr<Probe> w(p);
    RefPtr<Probe> locked = w.Lock();
    EXPECT_EQ(locked.Get(), p.Get());
    EXPECT_EQ(p->Counts().strong, 2);
    EXPECT_EQ(p->Counts().weak, 1);
}

TEST(RefCounter, NeverTakenObjectIsDestroyedByARelease) {
    int destroyed = 0;
    RefCounter::Release(new Probe(&destroyed));
    EXPECT_EQ(destroyed, 1);
}

TEST(RefPtr, SelfAssignmentKeepsTheTarget) {
    int destroyed = 0;
    RefPtr<Probe> p(new Probe(&destroyed));
    RefPtr<Probe>& alias = p;
    p = alias;
    p = p.Get();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(p->Counts().strong, 1);
}

TEST(RefPtr, AssigningAnObjectThatOnlyTheOldTargetKeptAlive) {
    int destroyed = 0;
    RefPtr<Probe> p(new Probe(&destroyed));
    p->child = new Probe(&destroyed);
    Probe* child = p->child.Get();
    p = p->child;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(p.Get(), child);
    EXPECT_EQ(p->Counts().strong, 1);
}

TEST(RefPtr, DestructorOfTheOldTargetSeesTheNewPointerInTheHolder) {
    int destroyed = 0;
    RefPtr<Probe> holder(new Probe(&destroyed));
    // The destructor reports what the holder held at that moment; the report outlives it.
    static Probe* seenByDestructor;
    seenByDestructor = nullptr;
    holder->holderSeenByDestructor = &holder;
    holder->onDestroy = [](Probe* self) { seenByDestructor = self->holderSeenByDestructor->Get(); };
    RefPtr<Probe> replacement(new Probe(&destroyed));
    holder = replacement;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(seenByDestructor, replacement.Get());
    EXPECT_EQ(holder.Get(), replacement.Get());
}

// Random strong/weak/lock operations against a model of who is alive.
TEST(RefCounter, RandomHoldersAgreeWithAModel) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        int destroyed = 0;
        std::vector<RefPtr<Probe>> strong;
        std::vector<WeakPtr<Probe>> weak;
        strong.emplace_back(new Probe(&destroyed));
        for (int step = 0; step < 40; ++step) {
            switch (random() % 4) {
                case 0:
                    if (!strong.empty()) strong.push_back(strong[random() % strong.size()]);
                    break;
                case 1:
                    if (!strong.empty()) strong.erase(strong.begin() + random() % strong.size());
                    break;
                case 2:
                    if (!strong.empty()) weak.emplace_back(strong[random() % strong.size()]);
                    break;
                case 3:
                    if (!weak.empty()) {
                        RefPtr<Probe> locked = weak[random() % weak.size()].Lock();
                        EXPECT_EQ(locked != nullptr, !strong.empty());
                    }
                    break;
            }
            EXPECT_EQ(destroyed, strong.empty() ? 1 : 0);
        }
    }
}

}  // namespace
