#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <map>
#include <new>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/runtime/Allocator.h"
#include "base/runtime/Arena.h"
#include "base/runtime/HashMap.h"
#include "base/runtime/Vector.h"

namespace {

TEST(Vector, GrowthIsSizePlusTheLargerOfSizeAndCount) {
    Vector<int> v;
    const int three[] = {1, 2, 3};
    v.InsertRange(0, three, three + 3);
    EXPECT_EQ(v.Capacity(), 3u);
    v.PushBack(4);
    EXPECT_EQ(v.Capacity(), 6u);
    v.InsertFill(0, 10, 0);
    EXPECT_EQ(v.Capacity(), 14u);
}

TEST(Vector, AClearedVectorThatRegrowsFreesItsOldStorage) {
    const auto before = Allocator::LiveBlocks();
    {
        Vector<int> v;
        v.PushBack(1);
        v.Clear();
        v.InsertFill(0, 5, 7);
        EXPECT_EQ(Allocator::LiveBlocks(), before + 1);
    }
    EXPECT_EQ(Allocator::LiveBlocks(), before);
}

TEST(Vector, InsertingARangeOfItsOwnElementsSurvivesRegrowth) {
    Vector<std::string> v;
    for (const char* s : {"alpha", "beta", "gamma"}) v.PushBack(s);
    ASSERT_EQ(v.Capacity(), v.Size() + 1);  // the next insert of three must regrow
    v.InsertRange(1, v.begin(), v.end());
    std::vector<std::string> got(v.begin(), v.end());
    EXPECT_EQ(got, (std::vector<std::string>{"alpha", "alpha", "beta", "gamma", "beta", "gamma"}));
    v.InsertFill(0, 8, v[5]);
    EXPECT_EQ(v[0], "gamma");
    EXPECT_EQ(v[7], "gamma");
}

TEST(Vector, InsertAndEraseInTheMiddleKeepOrder) {
    Vector<std::string> v;
    v.Reserve(10);
    for (const char* s : {"a", "b", "c", "d"}) v.PushBack(s);
    const std::string middle[] = {"x", "y"};
    v.InsertRange(1, middle, middle + 2);
    v.Erase(3, 2);
    std::vector<std::string> got(v.begin(), v.end());
    EXPECT_EQ(got, (std::vector<std::string>{"a", "x", "y", "d"}));
    v.Erase(9);
    EXPECT_EQ(v.Size(), 4u);
}

TEST(Vector, RefPtrElementsHoldStrongReferences) {
    struct Counted : RefCounter {};
    RefPtr<Counted> object(new Counted);
    {
        RefPtrVector v;
        v.PushBack(RefPtr<RefCounter>(object.Get()));
        v.InsertFill(0, 5, v[0]);
        EXPECT_EQ(object->Counts().strong, 7);
        v.Erase(0, 3);
        EXPECT_EQ(object->Counts().strong, 4);
    }
    EXPECT_EQ(object->Counts().strong, 1);
}

TEST(ByteVector, ResizeAndInsertZeroedFillWithZeros) {
    ByteVector bytes;
    bytes.Append("abc", 3);
    bytes.InsertZeroed(1, 2);
    bytes.Resize(7);
    const std::uint8_t expected[] = {'a', 0, 0, 'b', 'c', 0, 0};
    ASSERT_EQ(bytes.Size(), sizeof expected);
    EXPECT_EQ(std::memcmp(bytes.Data(), expected, sizeof expected), 0);
}

TEST(Arena, BlocksAreAlignedAndAChunkHoldsItsFullDataSize) {
    Arena arena;
    std::vector<unsigned char*> blocks;
    for (int i = 0; i < 64; ++i) {
        auto* block = static_cast<unsigned char*>(arena.Alloc(16));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 16, 0u);
        std::memset(block, 0xAB, 16);  // an overflowing chunk shows up under ASan
        blocks.push_back(block);
    }
    EXPECT_EQ(arena.BlockCount(), 2u);  // 63 fit below the 1024-byte mark, the 64th starts a chunk
}

TEST(Arena, LargeAllocationGetsItsOwnBlockAndLeavesTheChunkCurrent) {
    Arena arena;
    auto* small = static_cast<unsigned char*>(arena.Alloc(16));
    auto* large = static_cast<unsigned char*>(arena.Alloc(1009));
    std::memset(large, 1, 1009);
    auto* next = static_cast<unsigned char*>(arena.Alloc(16));
    EXPECT_EQ(next, small + 16);
    EXPECT_EQ(arena.BlockCount(), 2u);
}

TEST(Allocator, CountsLiveBlocksAndIgnoresNullReleases) {
    const auto before = Allocator::LiveBlocks();
    int* p = new int(1);
    EXPECT_EQ(Allocator::LiveBlocks(), before + 1);
    ::operator delete(static_cast<void*>(nullptr));
    EXPECT_EQ(Allocator::LiveBlocks(), before + 1);
    delete p;
    EXPECT_EQ(Allocator::LiveBlocks(), before);
}

TEST(Allocator, ExhaustionThrowsBadAlloc) {
    EXPECT_THROW(static_cast<void>(::operator new(static_cast<std::size_t>(1) << 62)), std::bad_alloc);
}

using TextMap = HashMap<String, int>;

std::vector<std::string> KeysInOrder(const TextMap& map) {
    std::vector<std::string> keys;
    for (auto* node = map.First(); node; node = map.Next(node)) keys.emplace_back(node->key.CStr());
    return keys;
}

TEST(HashMap, HashIsFiveTimesPlusUnitWithSignExtendedBytes) {
    EXPECT_EQ(HashMapDetail::HashKey(String("ab")), 583u);
    EXPECT_EQ(HashMapDetail::HashKey(String("\xE9")), 0xFFFFFFE9u);
    EXPECT_EQ(HashMapDetail::HashKey(WideString(u"\u00E9")), 0xE9u);
}

TEST(HashMap, RehashesToTheNextPrimeBeforeExceedingTheBucketCount) {
    TextMap map(10);
    EXPECT_EQ(map.BucketCount(), 13u);
    for (int i = 0; i < 13; ++i) map.Insert(String(std::to_string(i).c_str()), i);
    EXPECT_EQ(map.BucketCount(), 13u);
    map.Insert(String("13"), 13);
    EXPECT_EQ(map.BucketCount(), 29u);
    EXPECT_EQ(map.Find(String("7"))->data, 7);
}

TEST(HashMap, CollidingKeysIterateNewestFirstAndFlipOnRehash) {
    // Hashes 6 and 6 + 13 * 29 = 383 (5 * 'L' + 3) share a bucket in 13 and in 29 buckets.
    TextMap map(10);
    const String first("\x06"), second("L\x03");
    ASSERT_EQ(HashMapDetail::HashKey(first) % 13, HashMapDetail::HashKey(second) % 13);
    ASSERT_EQ(HashMapDetail::HashKey(first) % 29, HashMapDetail::HashKey(second) % 29);
    map.Insert(first, 1);
    map.Insert(second, 2);
    EXPECT_EQ(KeysInOrder(map), (std::vector<std::string>{second.CStr(), first.CStr()}));
    for (int i = 0; i < 12; ++i) map.Insert(String(("k" + std::to_string(i)).c_str()), i);
    ASSERT_EQ(map.BucketCount(), 29u);
    std::vector<std::string> order = KeysInOrder(map);
    const auto at = [&](const String& key) { return std::find(order.begin(), order.end(), key.CStr()) - order.begin(); };
    EXPECT_EQ(at(first) + 1, at(second));
}

TEST(HashMap, EraseRemovesEveryEqualKey) {
    TextMap map(10);
    map.Insert(String("x"), 1);
    map.Insert(String("y"), 2);
    map.Insert(String("x"), 3);
    EXPECT_EQ(map.Erase(String("x")), 2u);
    EXPECT_EQ(map.Erase(String("absent")), 0u);
    EXPECT_EQ(map.Count(), 1u);
    map.Clear();
    EXPECT_EQ(map.Count(), 0u);
    EXPECT_EQ(map.BucketCount(), 13u);
}

TEST(HashMap, RandomOperationsAgreeWithAStandardMultimap) {
    std::mt19937 random(11);
    TextMap map;
    std::unordered_multimap<std::string, int> model;
    for (int step = 0; step < 5000; ++step) {
        const std::string key = "k" + std::to_string(random() % 300);
        switch (random() % 3) {
            case 0:
                map.Insert(String(key.c_str()), step);
                model.emplace(key, step);
                break;
            case 1:
                EXPECT_EQ(map.Erase(String(key.c_str())), model.erase(key));
                break;
            case 2:
                EXPECT_EQ(map.Find(String(key.c_str())) != nullptr, model.count(key) > 0);
                break;
        }
        ASSERT_EQ(map.Count(), model.size());
    }
    std::multiset<std::string> iterated, expected;
    for (auto* node = map.First(); node; node = map.Next(node)) iterated.insert(node->key.CStr());
    for (const auto& [key, value] : model) expected.insert(key);
    EXPECT_EQ(iterated, expected);
}

}  // namespace
