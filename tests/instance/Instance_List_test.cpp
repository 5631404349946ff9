#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "Instance_TestSupport.h"
#include "variable/Variable_List.h"

namespace {

using InstanceList = InstanceTest;

std::vector<CInstance*> Forward(const CInstanceList& list)
{
    std::vector<CInstance*> order;
    for (CInstance* at = list.m_pHead; at != nullptr; at = at->m_pNext) order.push_back(at);
    return order;
}

std::vector<CInstance*> Backward(const CInstanceList& list)
{
    std::vector<CInstance*> order;
    for (CInstance* at = list.m_pTail; at != nullptr; at = at->m_pPrev) order.insert(order.begin(), at);
    return order;
}

// The rule the list has always followed, walked the slow way: a new instance goes in front of the
// first one whose key (its depth when it was inserted) is greater, else at the tail.
void ModelInsert(std::vector<CInstance*>& model, CInstance* instance)
{
    auto after = model.begin();
    while (after != model.end() && !((*after)->m_DepthKey > instance->i_depth)) ++after;
    model.insert(after, instance);
}

TEST_F(InstanceList, RandomInsertionsAndRemovalsKeepTheOrderOfTheLinearWalk)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        std::vector<float> depths; // drawn from at random, so ties are common
        int32_t appendFirst;       // instances appended at the tail before the run
    } scenarios[] = {
        {"ties", {0.0f, 1.0f, 2.0f, -1.0f}, 0},
        {"one depth, its first leaving often", {7.0f}, 0},
        {"NaN between equal keys", {nan, 1.0f, 1.0f, 2.0f}, 0},
        {"signed zeros and infinities", {0.0f, -0.0f, inf, -inf, 3.5f}, 0},
        {"signed zeros alone, one key for both", {-0.0f, 0.0f}, 0},
        {"NaN depths", {nan, 1.0f, 2.0f, nan, -4.0f}, 0},
        {"appended first", {5.0f, 1.0f, 9.0f}, 3},
    };
    std::mt19937 random(20240611u);
    int32_t id = 100001;
    for (const auto& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        CInstanceList list;
        std::vector<CInstance*> model;
        auto depth = [&]() { return scenario.depths[random() % scenario.depths.size()]; };
        for (int32_t i = 0; i < scenario.appendFirst; ++i) {
            CInstance* instance = Make(0, 0, id++);
            instance->i_depth = depth();
            instance->m_DepthKey = instance->i_depth;
            list.Append(instance);
            model.push_back(instance);
        }
        for (int32_t step = 0; step < 3000; ++step) {
            uint32_t choice = random() % 10;
            if (choice < 6 || model.empty()) {
                CInstance* instance = Make(0, 0, id++);
                instance->i_depth = depth();
                ModelInsert(model, instance);
                list.AddByDepth(instance);
            } else if (choice == 9) {
                // A depth change not yet applied: the key keeps the depth the list sorted by.
                model[random() % model.size()]->i_depth = depth();
            } else {
                // A removal, or a depth change applied by taking it out and putting it back.
                size_t at = random() % model.size();
                CInstance* instance = model[at];
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
                ASSERT_TRUE(list.Remove(instance));
                if (choice < 8) {
                    instance->i_depth = depth();
                    ModelInsert(model, instance);
                    list.AddByDepth(instance);
                }
            }
            ASSERT_EQ(Forward(list), model) << "step " << step;
        }
        EXPECT_EQ(Backward(list), model);
        EXPECT_EQ(list.m_Count, static_cast<int32_t>(model.size()));
        for (CInstance* instance : model) ASSERT_TRUE(list.Remove(instance));
        EXPECT_EQ(list.m_Count, 0);
        EXPECT_EQ(list.m_pHead, nullptr);
    }
}

// Removal is refused for an instance that this list does not hold, wherever it sits in another
// list (an end of that list looks like an end of this one to a test of the links alone).
TEST_F(InstanceList, RemovingAnInstanceThisListDoesNotHoldChangesNeitherList)
{
    CInstanceList list, elsewhere;
    CInstance* a = Make(0, 0, 100001);
    CInstance* b = Make(0, 0, 100002);
    list.AddByDepth(a);
    list.AddByDepth(b);
    std::vector<CInstance*> others = {Make(0, 0, 100010), Make(0, 0, 100011), Make(0, 0, 100012)};
    for (CInstance* other : others) elsewhere.AddByDepth(other);
    for (CInstance* foreign : {Make(0, 0, 100020), others[0], others[1], others[2]}) {
        EXPECT_FALSE(list.Remove(foreign)) << foreign->i_id;
        EXPECT_EQ(list.m_Count, 2);
        EXPECT_EQ(Forward(list), (std::vector<CInstance*>{a, b}));
        EXPECT_EQ(Backward(list), Forward(list));
        EXPECT_EQ(elsewhere.m_Count, 3);
        EXPECT_EQ(Forward(elsewhere), others);
        EXPECT_EQ(Backward(elsewhere), others);
    }
    EXPECT_FALSE(list.Delete(others[1], INSTANCE_LIST_RELEASE));
    EXPECT_TRUE(list.Remove(a));
    EXPECT_FALSE(list.Remove(a)) << "already out";
    EXPECT_TRUE(list.Remove(b));
    for (CInstance* other : others) EXPECT_TRUE(elsewhere.Remove(other));
}

TEST_F(InstanceList, DeleteReleasesFreesOrOnlyUnlinks)
{
    CObject* object = MakeObject();
    CInstanceList list;
    CInstance* released = new CInstance(0, 0, 100001, object->m_Index, true);
    CInstance* kept = Make(0, 0, 100002, object->m_Index);
    list.AddByDepth(released);
    list.AddByDepth(kept);
    EXPECT_TRUE(list.Delete(released, INSTANCE_LIST_RELEASE));
    EXPECT_EQ(object->m_Instances.count, 1);
    EXPECT_TRUE(list.Delete(kept, INSTANCE_LIST_UNLINK));
    EXPECT_EQ(list.m_Count, 0);
    EXPECT_EQ(object->m_Instances.count, 1);

    // Freeing only frees the memory: whatever the instance owned is the caller's to release first.
    CInstance* freed = new CInstance(0, 0, 100003, -1, false);
    freed->Release();
    list.AddByDepth(freed);
    uint32_t blocks = MemoryManager::BlockCount();
    EXPECT_TRUE(list.Delete(freed, INSTANCE_LIST_FREE));
    EXPECT_EQ(MemoryManager::BlockCount(), blocks - 1);
}

// Each record starts on a cache line inside a larger block, and every way an instance's memory
// leaves (deletion, a list's or the hash's freeing mode) gives back exactly that block.
TEST_F(InstanceList, RecordsStartOnACacheLineAndEveryWayOutFreesTheirBlock)
{
    CObject* object = MakeObject();
    CInstanceList list;
    const struct {
        const char* way;
        void (*dispose)(CInstanceList& list, CInstance* instance);
    } ways[] = {
        {"delete",
         [](CInstanceList& from, CInstance* instance) {
             from.Remove(instance);
             delete instance;
         }},
        {"list release", [](CInstanceList& from, CInstance* instance) { EXPECT_TRUE(from.Delete(instance, INSTANCE_LIST_RELEASE)); }},
        {"list free",
         [](CInstanceList& from, CInstance* instance) {
             instance->Release();
             EXPECT_TRUE(from.Delete(instance, INSTANCE_LIST_FREE));
         }},
        {"hash free",
         [](CInstanceList& from, CInstance* instance) {
             instance->Release();
             from.Remove(instance);
             Instance_AddToHash(instance);
             EXPECT_TRUE(Instance_Hash().Delete(instance->GetId(), HASH_FREE));
         }},
    };
    int32_t id = 100100;
    for (const auto& way : ways) {
        // Several in a row, so that blocks at each of the heap's offsets are met.
        auto round = [&]() {
            std::vector<CInstance*> made;
            for (int32_t i = 0; i < 8; ++i) {
                made.push_back(new CInstance(1.0f, 2.0f, id++, object->m_Index, true));
                list.AddByDepth(made.back());
                EXPECT_EQ(reinterpret_cast<uintptr_t>(made.back()) % 64, 0u) << way.way;
                EXPECT_EQ(made.back()->i_y, 2.0f) << way.way;
            }
            for (CInstance* instance : made) way.dispose(list, instance);
        };
        // The hash's nodes given back are kept for the next instances, and a freed instance's
        // variable list is freed with it: after a first round, a second leaves as many blocks as it
        // found.
        round();
        uint32_t blocks = MemoryManager::BlockCount();
        uint32_t bytes = MemoryManager::TotalBytes(0);
        round();
        EXPECT_EQ(MemoryManager::BlockCount(), blocks) << way.way;
        EXPECT_EQ(MemoryManager::TotalBytes(0), bytes) << way.way;
    }
    EXPECT_EQ(list.m_Count, 0);
}

// Instances made after others were destroyed start with no variables (a text among the old ones
// freed), and the hash finds every identifier after its nodes went round.
TEST_F(InstanceList, ListsAndHashNodesGivenBackServeNewInstancesAsNew)
{
    CObject* object = MakeObject();
    const struct {
        const char* name;
        int32_t made; // instances made and destroyed before the new one
    } rows[] = {{"one", 1}, {"several", 5}};
    int32_t id = 100700;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (int32_t i = 0; i < row.made; ++i) {
            auto* old = new CInstance(0, 0, id++, object->m_Index, true);
            Instance_AddToHash(old);
            ScriptValue text = {VALUE_REAL, 0, 0.0};
            Value_SetText(&text, "left behind");
            old->GetVariables()->SetVar(7, -1, &text);
            Value_Free(&text);
            Instance_RemoveFromHash(old);
            delete old;
        }
        auto* fresh = new CInstance(0, 0, id, object->m_Index, true);
        Instance_AddToHash(fresh);
        EXPECT_EQ(fresh->GetVariables()->Count(), 0);
        EXPECT_EQ(fresh->GetVariables()->Find(7), nullptr);
        EXPECT_EQ(Instance_FindById(id), fresh);
        EXPECT_EQ(Instance_FindById(id - 1), nullptr);
        Instance_RemoveFromHash(fresh);
        delete fresh;
        ++id;
    }
}

// The game's access says where each instance holds its variable list, which the interpreter reads
// there instead of asking: the same list Variables answers, for instances made one after another.
TEST_F(InstanceList, TheGameAccessSaysWhereEachInstanceHoldsItsList)
{
    CObject* object = MakeObject();
    InstanceVariableAccess access(nullptr);
    ASSERT_GE(access.listPlace, 0);
    std::vector<CInstance*> made;
    for (int32_t id = 100800; id < 100803; ++id) made.push_back(new CInstance(0, 0, id, object->m_Index, true));
    for (CInstance* instance : made) {
        CVariableList* inPlace;
        std::memcpy(&inPlace, reinterpret_cast<const uint8_t*>(instance) + access.listPlace, sizeof inPlace);
        EXPECT_NE(inPlace, nullptr);
        EXPECT_EQ(inPlace, access.Variables(instance));
        delete instance;
    }
}

TEST_F(InstanceList, TheHashFindsSharedBucketsCopiesAndNewIdentifiers)
{
    CInstance* first = Make(0, 0, 100000);
    CInstance* second = Make(0, 0, 100512); // the same bucket
    Instance_AddToHash(first);
    Instance_AddToHash(second);
    EXPECT_EQ(Instance_FindById(100000), first);
    EXPECT_EQ(Instance_FindById(100512), second);
    EXPECT_FALSE(Instance_Hash().Delete(101024, HASH_KEEP));
    EXPECT_TRUE(Instance_Hash().Delete(100000, HASH_KEEP));
    EXPECT_EQ(Instance_FindById(100000), nullptr);
    EXPECT_EQ(Instance_FindById(100512), second);
    EXPECT_EQ(Instance_Hash().Count(), 1);

    // A carried copy shares its original's id in the hash; dropping the copy leaves the original.
    CInstance* copy = Make(0, 0, 100512);
    Instance_AddToHash(copy);
    Instance_RemoveFromHash(copy);
    Instance_RemoveFromHash(copy);
    EXPECT_EQ(Instance_FindById(100512), second);
    EXPECT_EQ(Instance_Hash().Count(), 1);

    second->SetId(100900, true);
    EXPECT_EQ(Instance_FindById(100512), nullptr);
    EXPECT_EQ(Instance_FindById(100900), second);
    second->SetId(100901, false); // not moved in the hash
    EXPECT_EQ(Instance_FindById(100900), second);
    Instance_Hash().Delete(100900, HASH_KEEP);

    CObject* object = MakeObject();
    for (int32_t i = 0; i < 40; ++i) Instance_AddToHash(new CInstance(0, 0, 100000 + i * 256, object->m_Index, true));
    Instance_ClearHash();
    EXPECT_EQ(Instance_Hash().Count(), 0);
    EXPECT_EQ(object->m_Instances.count, 0) << "clearing releases every instance";
}

// A room's worth of identifiers: the buckets double as the hash fills, every key is found, a key
// held twice answers its first value, and deleting and clearing still reach every node.
TEST_F(InstanceList, TheHashGrowsAsItFillsAndKeepsEachKeysFirstValue)
{
    Hash<int32_t> hash(4);
    std::vector<int32_t> values(3000);
    for (int32_t i = 0; i < 3000; ++i) {
        values[static_cast<size_t>(i)] = i;
        hash.Insert(static_cast<uint32_t>(100000 + i), &values[static_cast<size_t>(i)]);
    }
    int32_t again = -1, late = -2;
    hash.Insert(100007, &again); // a second value under a key the growth moved
    EXPECT_GE(hash.Mask() + 1, 3000u / 2) << "the buckets grew with the count";
    EXPECT_EQ(hash.Count(), 3001);
    bool allFound = true;
    for (int32_t i = 0; i < 3000; ++i) allFound &= hash.Find(static_cast<uint32_t>(100000 + i)) == &values[static_cast<size_t>(i)];
    EXPECT_TRUE(allFound);
    EXPECT_EQ(hash.Find(100007), &values[7]);
    EXPECT_TRUE(hash.Delete(100007, HASH_KEEP));
    EXPECT_EQ(hash.Find(100007), &again);
    for (int32_t i = 0; i < 5000; ++i) hash.Insert(static_cast<uint32_t>(200000 + i), &late); // grows again
    EXPECT_EQ(hash.Find(100007), &again);
    EXPECT_EQ(hash.Find(204999), &late);
    EXPECT_EQ(hash.Find(99999), nullptr);
    hash.Clear(HASH_KEEP);
    EXPECT_EQ(hash.Count(), 0);
    EXPECT_EQ(hash.Find(100001), nullptr);
}

} // namespace
