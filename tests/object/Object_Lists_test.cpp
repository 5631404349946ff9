// The event object lists and the collision pairs.
#include <gtest/gtest.h>

#include <tuple>

#include "ObjectTestSupport.h"

using namespace objecttest;

namespace {

class ObjectListsTest : public ObjectTest {};

std::vector<int32_t> List(int32_t type, int32_t subtype)
{
    const int32_t* objects = ObjectLists_Objects(type, subtype);
    return std::vector<int32_t>(objects, objects + ObjectLists_Count(type, subtype));
}

std::vector<std::pair<int32_t, int32_t>> Pairs()
{
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (int32_t i = 0; i < g_CollisionPairCount; ++i) pairs.emplace_back(g_CollisionPairs[i].lower, g_CollisionPairs[i].higher);
    return pairs;
}

TEST_F(ObjectListsTest, ListsHoldTheObjectsHandlingABuiltSubtypeItselfOrThroughAParent)
{
    int32_t parent = AddObject();
    int32_t loner = AddObject();
    int32_t child = AddObject(parent);
    for (auto [object, type, subtype] : {std::tuple{parent, 0, 0}, {loner, 3, 2}, {child, 2, 11}, {parent, 7, 25},
                                         {loner, 5, 200}, {loner, 5, 128}, {loner, 3, 17}, {loner, 2, 13},
                                         {loner, 8, 64}, {loner, 11, 0}})
        SetHandler(object, type, subtype, "");
    ObjectLists_Build();
    for (auto [type, subtype, objects] : {std::tuple{0, 0, std::vector<int32_t>{parent, child}}, {3, 2, {loner}},
                                          {2, 11, {child}}, {7, 25, {parent, child}}, {5, 128, {loner}}})
        EXPECT_EQ(objects, List(type, subtype)) << type << " " << subtype;
    // Subtypes past each type's built range, and types past the last, have no list.
    for (auto [type, subtype] : {std::pair{1, 0}, {12, 0}, {0, 256}, {5, 200}, {3, 17}, {2, 13}, {8, 64}, {11, 0}})
        EXPECT_EQ(0, ObjectLists_Count(type, subtype)) << type << " " << subtype;
    // Removing the last create handler takes both objects out of the list on the next build.
    EXPECT_TRUE(Object_Data(parent)->ClearEvent(0, 0));
    ObjectLists_Build();
    EXPECT_EQ(0, ObjectLists_Count(0, 0));
}

TEST_F(ObjectListsTest, CollisionPairsAreRecordedOnceWithTheLowerIndexFirst)
{
    for (int32_t i = 0; i < 9; ++i) AddObject();
    SetHandler(3, 4, 7, "");
    SetHandler(7, 4, 3, "");
    SetHandler(5, 4, 5, "");
    // 1 and 6 inherit 2's handler for 0; 8's handler for 2 also catches 2's children 1 and 6.
    Object_Data(6)->m_ParentIndex = 2;
    Object_Data(1)->m_ParentIndex = 2;
    Object_LinkParents();
    SetHandler(8, 4, 2, "");
    SetHandler(2, 4, 0, "");
    ObjectLists_Build();
    EXPECT_EQ((std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {0, 2}, {3, 7}, {5, 5}, {0, 6}, {1, 8}, {2, 8}, {6, 8}}), Pairs());
    EXPECT_EQ(0, ObjectLists_Count(4, 7));
}

} // namespace
