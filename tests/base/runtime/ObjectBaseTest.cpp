#include <gtest/gtest.h>

#include <vector>

#include "base/runtime/ObjectBase.h"

namespace {

std::vector<int> g_events;

struct Node : CObjectBase {
    explicit Node(int name) : name(name) {}
    ~Node() override {
        g_events.push_back(-name);
        for (CObjectBase* other : releaseOnDestroy) other->Release();
        if (linked) linked->ReleaseLink();
    }
    void Clear() override {
        g_events.push_back(name);
        if (linked) std::exchange(linked, nullptr)->ReleaseLink();
    }
    std::size_t GetSize() const override { return sizeof(*this); }

    int name;
    std::vector<CObjectBase*> releaseOnDestroy;
    Node* linked = nullptr;
};

class ObjectBaseTest : public ::testing::Test {
protected:
    void SetUp() override { g_events.clear(); }
};

TEST_F(ObjectBaseTest, ReleasesInsideADestructorRunAfterItInRequestOrder) {
    auto* a = new Node(1);
    auto* b = new Node(2);
    auto* c = new Node(3);
    for (Node* n : {a, b, c}) n->AddRef();
    a->releaseOnDestroy = {c, b};
    a->Release();
    EXPECT_EQ(g_events, (std::vector<int>{-1, -3, -2}));
}

TEST_F(ObjectBaseTest, LosingTheLastLinkWhileHeldClearsOnceAndKeepsTheObject) {
    auto* n = new Node(5);
    n->AddRef();
    n->AddRef();
    n->AddLink();
    n->ReleaseLink();
    EXPECT_EQ(g_events, (std::vector<int>{5}));
    EXPECT_TRUE(n->IsCleared());
    EXPECT_EQ(n->References(), 2);
    n->Release();
    EXPECT_EQ(g_events, (std::vector<int>{5}));
    n->Release();
    EXPECT_EQ(g_events, (std::vector<int>{5, -5}));
}

TEST_F(ObjectBaseTest, ClearRequestedDuringADestructionRunsAfterIt) {
    auto* owner = new Node(1);
    auto* held = new Node(2);
    held->AddRef();
    held->AddLink();
    owner->linked = held;
    owner->AddRef();
    owner->Release();
    EXPECT_EQ(g_events, (std::vector<int>{-1, 2}));
    EXPECT_TRUE(held->IsCleared());
    held->Release();
    EXPECT_EQ(g_events, (std::vector<int>{-1, 2, -2}));
}

TEST_F(ObjectBaseTest, ObjectWithoutHoldersOrLinksIsDestroyedByTheLastLink) {
    auto* n = new Node(9);
    n->AddLink();
    n->ReleaseLink();
    EXPECT_EQ(g_events, (std::vector<int>{-9}));
}

}  // namespace
