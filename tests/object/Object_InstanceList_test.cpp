// An object's instance lists: nodes unlinked through the hint an instance keeps, and by search when
// the hint is not this list's node of that instance (given back, taken again, another list's).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "object/Object_Class.h"

namespace {

// The list code only compares instance pointers: distinct addresses stand in for instances.
char g_Places[8];
CInstance* At(int32_t i) { return reinterpret_cast<CInstance*>(&g_Places[i]); }

std::vector<int32_t> Order(const ObjectInstanceList& list)
{
    std::vector<int32_t> order;
    for (const ObjectInstanceNode* node = list.head; node != nullptr; node = node->next)
        order.push_back(static_cast<int32_t>(reinterpret_cast<char*>(node->instance) - g_Places));
    return order;
}

struct RemoveCase {
    const char* name;
    // Makes lists a and b holding 0, 1, 2 (a) and 1 (b), with the nodes Append gave for a; answers the
    // hint to hand Remove for instance `removed` of list a.
    ObjectInstanceNode* (*hint)(ObjectInstanceList& a, ObjectInstanceList& b, std::vector<ObjectInstanceNode*>& nodes);
    int32_t removed;
    bool found;
    std::vector<int32_t> left; // list a after
};

const RemoveCase REMOVE_CASES[] = {
    {"ItsOwnNode", [](ObjectInstanceList&, ObjectInstanceList&, std::vector<ObjectInstanceNode*>& n) { return n[1]; },
     1, true, {0, 2}},
    {"NoHint", [](ObjectInstanceList&, ObjectInstanceList&, std::vector<ObjectInstanceNode*>&) {
         return static_cast<ObjectInstanceNode*>(nullptr);
     },
     2, true, {0, 1}},
    {"AnotherInstancesNode", [](ObjectInstanceList&, ObjectInstanceList&, std::vector<ObjectInstanceNode*>& n) { return n[0]; },
     1, true, {0, 2}},
    {"TheSameInstanceInAnotherList", [](ObjectInstanceList&, ObjectInstanceList& b, std::vector<ObjectInstanceNode*>&) {
         return b.head;
     },
     1, true, {0, 2}},
    // Given back when 1 left, then taken again for instance 3 (appended to a): names 3, not 1.
    {"GivenBackAndTakenAgain", [](ObjectInstanceList& a, ObjectInstanceList&, std::vector<ObjectInstanceNode*>& n) {
         ObjectInstanceNode* stale = n[1];
         a.Remove(At(1), stale);
         a.Append(At(3));
         return stale;
     },
     1, false, {0, 2, 3}},
    // Given back and not taken again: it names no instance.
    {"GivenBackUnused", [](ObjectInstanceList& a, ObjectInstanceList&, std::vector<ObjectInstanceNode*>& n) {
         ObjectInstanceNode* stale = n[2];
         a.Remove(At(2), stale);
         return stale;
     },
     2, false, {0, 1}},
};

class ObjectInstanceListRemove : public testing::TestWithParam<RemoveCase> {};

TEST_P(ObjectInstanceListRemove, UnlinksTheInstancesNodeOnly)
{
    const RemoveCase& c = GetParam();
    ObjectInstanceList a, b;
    std::vector<ObjectInstanceNode*> nodes;
    for (int32_t i = 0; i < 3; ++i) nodes.push_back(a.Append(At(i)));
    b.Append(At(1));
    ObjectInstanceNode* hint = c.hint(a, b, nodes);
    EXPECT_EQ(c.found, a.Remove(At(c.removed), hint));
    EXPECT_EQ(c.left, Order(a));
    EXPECT_EQ(static_cast<int32_t>(c.left.size()), a.count);
    EXPECT_EQ(std::vector<int32_t>{1}, Order(b)) << "the other list is left alone";
    // The links both ways and the tail still agree with the order.
    int32_t back = 0;
    for (const ObjectInstanceNode* node = a.tail; node != nullptr; node = node->previous) ++back;
    EXPECT_EQ(a.count, back);
    a.Clear();
    b.Clear();
}

INSTANTIATE_TEST_SUITE_P(Cases, ObjectInstanceListRemove, testing::ValuesIn(REMOVE_CASES),
                         [](const testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

} // namespace
