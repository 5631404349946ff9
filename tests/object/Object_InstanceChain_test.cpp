// The all-instances lists follow the parent chain as scripts change it: after object_set_parent and
// object_delete each object's list holds exactly the registered instances of the object and its
// descendants, so that instance_number and `with` never meet an instance that was freed, nor miss
// one that a new ancestor gained.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "ObjectTestSupport.h"
#include "room/Room_Class.h"
#include "run/Run_Commands.h"

using namespace objecttest;

namespace {

// The objects every case starts with: P <- C <- G, and Q and X with no parent.
constexpr int32_t P = 0, C = 1, G = 2, Q = 3, X = 4, OBJECTS = 5;

enum Op {
    MAKE,   // a instances of object b
    KILL,   // frees instance a (the a-th made)
    PARENT, // object_set_parent(a, b)
    DELETE, // object_delete(a)
    CHANGE, // instance a changes into object b; its lists follow at APPLY, as at the end of a stage
    APPLY,
    OFF, // instance a deactivated, and taken out of its object's lists as the room does
    ON,
};

struct Step {
    Op op;
    int32_t a = 0, b = 0;
};

class ObjectInstanceChain : public ObjectTest {
  protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("object_set_parent", &id)) RegisterAllFunctionFamilies();
        m_Made.clear();
        for (int32_t parent : {-1, P, C, -1, -1})
            AddObject(parent);
    }
    void TearDown() override
    {
        for (CInstance* instance : m_Made)
            delete instance;
        m_Made.clear();
        g_InstanceObjectChanges.Clear();
        g_InstanceDepthChanges.Clear();
        ObjectTest::TearDown();
    }

    void Run(const Step& step)
    {
        CInstance* instance =
            step.a >= 0 && step.a < static_cast<int32_t>(m_Made.size()) ? m_Made[step.a] : nullptr;
        switch (step.op) {
        case MAKE:
            for (int32_t n = 0; n < step.a; ++n)
                Make(step.b);
            break;
        case KILL:
            delete instance;
            m_Made[step.a] = nullptr;
            break;
        case PARENT:
            testsupport::CallBuiltin("object_set_parent", {step.a, step.b});
            break;
        case DELETE:
            testsupport::CallBuiltin("object_delete", {step.a});
            break;
        case CHANGE:
            instance->ChangeObject(step.b);
            break;
        case APPLY:
            for (int32_t i = 0; i < g_InstanceObjectChanges.count; ++i)
                g_InstanceObjectChanges.items[i]->Relink(nullptr);
            g_InstanceObjectChanges.Clear();
            g_InstanceDepthChanges.Clear();
            break;
        case OFF:
            instance->SetDeactivated(1);
            Room_UnregisterFromObject(instance);
            break;
        case ON:
            instance->SetDeactivated(0);
            Room_RegisterInObject(instance);
            break;
        }
    }

    void Make(int32_t object)
    {
        m_Made.push_back(
            new CInstance(0.0f, 0.0f, 100001 + static_cast<int32_t>(m_Made.size()), object, true));
    }

    // The plain walk: the ids of the live instances whose object is `object` or descends from it.
    std::vector<int32_t> Walked(int32_t object) const
    {
        std::vector<int32_t> ids;
        for (const CInstance* instance : m_Made) {
            if (instance == nullptr || instance->IsDeactivated()) continue;
            const CObject* of = Object_Data(instance->i_objindex);
            if (of != nullptr && (of->m_Index == object || of->IsDescendantOf(object)))
                ids.push_back(instance->GetId());
        }
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    // What the object's list holds; every instance is read, so a freed one is a sanitizer report.
    static std::vector<int32_t> Listed(int32_t object)
    {
        std::vector<int32_t> ids;
        for (const ObjectInstanceNode* node = Object_Data(object)->m_AllInstances.head; node != nullptr;
             node = node->next)
            ids.push_back(node->instance->GetId());
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    // Each existing object's list against the walk, and instance_number against its count.
    void ExpectListsAsWalked(const std::string& where) const
    {
        for (int32_t object = 0; object < Object_Count(); ++object) {
            if (!Object_Exists(object)) continue;
            std::vector<int32_t> walked = Walked(object);
            EXPECT_EQ(walked, Listed(object)) << where << ": object " << object;
            EXPECT_EQ(static_cast<int32_t>(walked.size()), Run_InstanceNumber(object))
                << where << ": object " << object;
        }
    }

    std::vector<CInstance*> m_Made;
};

TEST_F(ObjectInstanceChain, ListsFollowEachParentChange)
{
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::vector<std::pair<int32_t, int32_t>> numbers; // instance_number(object) at the end
    };
    const Case cases[] = {
        {"a parent cleared, then the instance freed",
         {{MAKE, 1, G}, {PARENT, G, -1}, {KILL, 0}, {MAKE, 50, X}},
         {{P, 0}, {C, 0}, {G, 0}, {X, 50}}},
        {"a parent set to another, then the instance freed",
         {{MAKE, 1, G}, {PARENT, G, Q}, {KILL, 0}, {MAKE, 50, X}},
         {{P, 0}, {C, 0}, {Q, 0}, {X, 50}}},
        {"the middle object deleted, then the instance freed",
         {{MAKE, 1, G}, {DELETE, C}, {KILL, 0}, {MAKE, 50, X}},
         {{P, 0}, {G, 0}, {X, 50}}},
        {"a chain given a root",
         {{MAKE, 1, P}, {MAKE, 1, C}, {MAKE, 1, G}, {PARENT, P, Q}},
         {{Q, 3}, {P, 3}, {C, 2}, {G, 1}}},
        {"a chain given a root, then cut below it",
         {{MAKE, 1, P}, {MAKE, 1, C}, {MAKE, 1, G}, {PARENT, P, Q}, {PARENT, C, -1}, {KILL, 2}},
         {{Q, 1}, {P, 1}, {C, 1}}},
        {"a delete in the middle of a chain",
         {{MAKE, 1, P}, {MAKE, 1, C}, {MAKE, 1, G}, {DELETE, C}, {KILL, 2}, {KILL, 1}, {MAKE, 50, X}},
         {{P, 1}, {G, 0}, {X, 50}}},
        {"the root deleted", {{MAKE, 1, G}, {MAKE, 1, C}, {DELETE, P}, {PARENT, C, Q}}, {{Q, 2}, {C, 2}}},
        {"deactivated while its grandparent moves",
         {{MAKE, 1, G}, {OFF, 0}, {PARENT, C, Q}, {ON, 0}},
         {{P, 0}, {Q, 1}, {C, 1}}},
        {"deactivated while its parent goes",
         {{MAKE, 1, G}, {MAKE, 1, G}, {OFF, 0}, {PARENT, G, Q}, {KILL, 1}, {ON, 0}},
         {{P, 0}, {C, 0}, {Q, 1}}},
        {"changed, its old object moved before the lists follow",
         {{MAKE, 1, G}, {CHANGE, 0, X}, {PARENT, G, -1}, {APPLY}, {MAKE, 50, X}},
         {{P, 0}, {C, 0}, {G, 0}, {X, 51}}},
        {"changed into an object that moves",
         {{MAKE, 1, X}, {CHANGE, 0, G}, {APPLY}, {PARENT, G, Q}, {KILL, 0}},
         {{P, 0}, {Q, 0}, {G, 0}}},
        {"set to the parent it has", {{MAKE, 1, G}, {PARENT, G, C}, {PARENT, C, P}}, {{P, 1}, {C, 1}}},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        for (const Step& step : c.steps)
            Run(step);
        for (const auto& [object, number] : c.numbers)
            EXPECT_EQ(number, Run_InstanceNumber(object)) << c.what << ": object " << object;
        ExpectListsAsWalked(c.what);
    }
}

// A moved subtree's instances join a new ancestor in the order they had, after the ones it held.
TEST_F(ObjectInstanceChain, MovedInstancesKeepTheirOrder)
{
    for (int32_t object : {Q, G, C, G, X, C})
        Make(object);
    Run({PARENT, C, Q});
    std::vector<int32_t> order;
    for (const ObjectInstanceNode* node = Object_Data(Q)->m_AllInstances.head; node != nullptr;
         node = node->next)
        order.push_back(node->instance->GetId());
    EXPECT_EQ((std::vector<int32_t>{100001, 100002, 100003, 100004, 100006}), order);
}

// Random sequences of every kind of step, checked against the plain walk after each one.
TEST_F(ObjectInstanceChain, RandomSequencesMatchThePlainWalk)
{
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        TearDown();
        SetUp();
        std::mt19937 random(seed);
        auto below = [&random](int32_t n) {
            return static_cast<int32_t>(random() % static_cast<uint32_t>(n));
        };
        for (int32_t n = 0; n < 120; ++n) {
            auto made = static_cast<int32_t>(m_Made.size());
            int32_t k = made > 0 ? below(made) : 0;
            bool present = made > 0 && m_Made[k] != nullptr;
            Step step{MAKE, 1 + below(3), below(OBJECTS)};
            switch (below(8)) {
            case 0:
                break;
            case 1:
                if (present) step = {KILL, k};
                break;
            case 2:
            case 3:
                step = {PARENT, below(OBJECTS), below(OBJECTS + 1) - 1};
                break;
            case 4:
                if (below(4) == 0) step = {DELETE, below(OBJECTS)};
                break;
            // (A deactivated instance is changed by no script: `with` and the searches skip it.)
            case 5:
                if (present && !m_Made[k]->IsDeactivated()) step = {CHANGE, k, below(OBJECTS)};
                break;
            case 6:
                if (present && !m_Made[k]->IsDeactivated()) step = {OFF, k};
                break;
            case 7:
                if (present && m_Made[k]->IsDeactivated()) step = {ON, k};
                break;
            }
            // Steps the built-ins refuse with a message (an object that is gone, a parent cycle) change
            // nothing, and their messages would bury the test's own.
            bool refused = (step.op == PARENT || step.op == DELETE) && !Object_Exists(step.a);
            if (step.op == PARENT && step.b >= 0)
                refused = refused || !Object_Exists(step.b) || step.a == step.b ||
                          Object_Data(step.b)->IsDescendantOf(step.a);
            if ((step.op == MAKE || step.op == CHANGE) && !Object_Exists(step.b)) refused = true;
            if (refused) continue;
            Run(step);
            if (step.op == CHANGE) Run({APPLY});
            ExpectListsAsWalked("seed " + std::to_string(seed) + ", step " + std::to_string(n));
            if (HasFailure()) return;
        }
    }
}

} // namespace
