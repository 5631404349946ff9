#include "variable/Variable_Access.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

// A stand-in for the game's instances: the lists variable access walks, and each instance's flags,
// object and variables.
struct FakeInstance {
    int32_t id;
    int32_t object;
    bool marked = false;
    bool deactivated = false;
    std::unique_ptr<CVariableList> variables = std::make_unique<CVariableList>();
    double field = 0; // what the test built-in variable reads and writes
};

CInstance* AsInstance(FakeInstance* fake) { return reinterpret_cast<CInstance*>(fake); }
FakeInstance* AsFake(CInstance* instance) { return reinterpret_cast<FakeInstance*>(instance); }

class FakeInstances : public IVariableInstances {
public:
    FakeInstance* Add(int32_t id, int32_t object)
    {
        m_All.push_back(std::make_unique<FakeInstance>());
        FakeInstance* fake = m_All.back().get();
        fake->id = id;
        fake->object = object;
        room.push_back(fake);
        objects[object].push_back(fake);
        return fake;
    }
    CInstance* FindById(int32_t id) override
    {
        for (auto& fake : m_All) {
            if (fake->id == id) return AsInstance(fake.get());
        }
        return nullptr;
    }
    void VisitRoom(InstanceVisit visit, void* context) override { Walk(room, visit, context); }
    void VisitObject(int32_t objectIndex, InstanceVisit visit, void* context) override
    {
        Walk(objects[objectIndex], visit, context);
    }
    void VisitObjectChanges(InstanceVisit visit, void* context) override { Walk(changes, visit, context); }
    bool IsMarked(CInstance* instance) override { return AsFake(instance)->marked; }
    bool IsDeactivated(CInstance* instance) override { return AsFake(instance)->deactivated; }
    int32_t ObjectIndex(CInstance* instance) override { return AsFake(instance)->object; }
    CVariableList* Variables(CInstance* instance) override { return AsFake(instance)->variables.get(); }

    std::vector<FakeInstance*> room;
    std::map<int32_t, std::vector<FakeInstance*>> objects; // own and descendants' instances
    std::vector<FakeInstance*> changes;

private:
    static void Walk(const std::vector<FakeInstance*>& list, InstanceVisit visit, void* context)
    {
        for (FakeInstance* fake : list) {
            if (!visit(AsInstance(fake), context)) return;
        }
    }
    std::vector<std::unique_ptr<FakeInstance>> m_All;
};

bool GetField(CInstance* instance, int32_t index, ScriptValue* out)
{
    Value_SetReal(out, AsFake(instance)->field + (index > 0 ? index : 0));
    return true;
}

// Refuses negative values, so a test can see which write's result comes back.
bool SetField(CInstance* instance, int32_t, const ScriptValue* value)
{
    if (value->real < 0 && AsFake(instance)->id % 2 != 0) return false;
    AsFake(instance)->field = value->real;
    return true;
}

ScriptValue Real(double real) { return ScriptValue{VALUE_REAL, 0, real}; }

class VariableAccess : public ::testing::Test {
protected:
    void SetUp() override
    {
        Variable_BuiltIn_Init();
        Variable_BuiltIn_Add("field", GetField, SetField, true);
        Variable_BuiltIn_Add("read_only", GetField, SetField, false);
        m_Field = Variable_BuiltIn_Find("field");
        m_ReadOnly = Variable_BuiltIn_Find("read_only");
        m_User = Code_Variable_Add("access_user");
        Variable_SetInstances(&world);
    }
    void TearDown() override { Variable_SetInstances(nullptr); }

    double UserValue(FakeInstance* fake)
    {
        ScriptValue out = Real(-1);
        fake->variables->GetVar(m_User, -1, &out);
        return out.real;
    }

    FakeInstances world;
    int32_t m_Field = -1, m_ReadOnly = -1, m_User = -1;
};

} // namespace

TEST_F(VariableAccess, OneInstanceByIdentifierKind)
{
    FakeInstance* a = world.Add(100001, 3);
    ScriptValue value = Real(6);
    EXPECT_TRUE(Variable_SetValue_Direct(AsInstance(a), m_User, -1, &value));
    EXPECT_EQ(6.0, UserValue(a));
    ScriptValue out = Real(0);
    EXPECT_TRUE(Variable_GetValue_Direct(AsInstance(a), m_User, -1, &out));
    EXPECT_EQ(6.0, out.real);

    // Built-ins go through their routines, with the index.
    EXPECT_TRUE(Variable_SetValue_Direct(AsInstance(a), m_Field, -1, &value));
    EXPECT_EQ(6.0, a->field);
    EXPECT_TRUE(Variable_GetValue_Direct(AsInstance(a), m_Field, 2, &out));
    EXPECT_EQ(8.0, out.real);
    ScriptValue other = Real(1);
    EXPECT_FALSE(Variable_SetValue_Direct(AsInstance(a), m_ReadOnly, -1, &other)) << "read-only";
    EXPECT_EQ(6.0, a->field);
    EXPECT_FALSE(Variable_SetValue_Direct(AsInstance(a), 9999, -1, &other)) << "no such built-in row";
    EXPECT_FALSE(Variable_GetValue_Direct(AsInstance(a), 9999, -1, &out));
    EXPECT_FALSE(Variable_GetValue_Direct(AsInstance(a), -3, -1, &out));

    // An instance without a list: writes do nothing and succeed, reads see an unset variable.
    a->variables.reset();
    EXPECT_TRUE(Variable_SetValue_Direct(AsInstance(a), m_User, -1, &value));
    out = Real(5);
    EXPECT_TRUE(Variable_GetValue_Direct(AsInstance(a), m_User, -1, &out));
    EXPECT_EQ(0.0, out.real);
}

TEST_F(VariableAccess, AllReadsTheFirstSearchableAndWritesEvery)
{
    ScriptValue out = Real(0);
    ScriptValue value = Real(2);
    EXPECT_FALSE(Variable_GetValue(VARIABLE_TARGET_ALL, m_User, -1, &out)) << "an empty room";
    EXPECT_TRUE(Variable_SetValue(VARIABLE_TARGET_ALL, m_User, -1, &value));

    FakeInstance* marked = world.Add(100001, 1);
    marked->marked = true;
    FakeInstance* asleep = world.Add(100002, 1);
    asleep->deactivated = true;
    FakeInstance* first = world.Add(100003, 2);
    FakeInstance* second = world.Add(100004, 2);
    first->variables->SetVar(m_User, -1, &value);
    EXPECT_TRUE(Variable_GetValue(VARIABLE_TARGET_ALL, m_User, -1, &out));
    EXPECT_EQ(2.0, out.real);

    ScriptValue nine = Real(9);
    EXPECT_TRUE(Variable_SetValue(VARIABLE_TARGET_ALL, m_User, -1, &nine));
    EXPECT_EQ(9.0, UserValue(first));
    EXPECT_EQ(9.0, UserValue(second));
    EXPECT_EQ(0.0, UserValue(marked));
    EXPECT_EQ(0.0, UserValue(asleep));

    // Other negative targets name nothing.
    EXPECT_FALSE(Variable_GetValue(-1, m_User, -1, &out));
    EXPECT_FALSE(Variable_SetValue(-4, m_User, -1, &nine));
    EXPECT_FALSE(Variable_SetValue(-7, m_User, -1, &nine));
}

TEST_F(VariableAccess, InstanceIdentifiers)
{
    FakeInstance* live = world.Add(100010, 1);
    FakeInstance* asleep = world.Add(100011, 1);
    asleep->deactivated = true;
    FakeInstance* marked = world.Add(100012, 1);
    marked->marked = true;
    ScriptValue value = Real(4);
    ScriptValue out = Real(0);

    EXPECT_TRUE(Variable_SetValue(100010, m_Field, -1, &value));
    EXPECT_EQ(4.0, live->field);
    EXPECT_TRUE(Variable_SetValue(100011, m_Field, -1, &value)) << "a deactivated instance is reached by id";
    EXPECT_EQ(4.0, asleep->field);
    EXPECT_TRUE(Variable_GetValue(100011, m_Field, -1, &out));
    EXPECT_EQ(4.0, out.real);

    EXPECT_TRUE(Variable_SetValue(100012, m_Field, -1, &value)) << "a marked one is skipped silently";
    EXPECT_EQ(0.0, marked->field);
    EXPECT_FALSE(Variable_GetValue(100012, m_Field, -1, &out));
    EXPECT_TRUE(Variable_SetValue(100099, m_Field, -1, &value)) << "a missing one too";
    EXPECT_FALSE(Variable_GetValue(100099, m_Field, -1, &out));
    EXPECT_FALSE(Variable_SetValue(100010, m_ReadOnly, -1, &value));
}

TEST_F(VariableAccess, ObjectIndicesIncludeInstancesWhoseObjectJustChanged)
{
    ScriptValue value = Real(3);
    ScriptValue out = Real(0);
    EXPECT_TRUE(Variable_SetValue(5, m_User, -1, &value)) << "no instances: nothing written, success";
    EXPECT_FALSE(Variable_GetValue(5, m_User, -1, &out));

    FakeInstance* gone = world.Add(100020, 5);
    gone->marked = true;
    FakeInstance* member = world.Add(100021, 5);
    member->deactivated = true;
    // Changed this frame: now of object 5 (or of 6), not yet in the object's lists.
    FakeInstance* changed = world.Add(100022, 5);
    FakeInstance* elsewhere = world.Add(100023, 6);
    world.objects[5] = {gone, member};
    world.objects[6].clear();
    world.changes = {elsewhere, changed};
    changed->variables->SetVar(m_User, -1, &value);

    EXPECT_TRUE(Variable_GetValue(5, m_User, -1, &out));
    EXPECT_EQ(3.0, out.real) << "read from the pending object change";
    ScriptValue seven = Real(7);
    EXPECT_TRUE(Variable_SetValue(5, m_User, -1, &seven));
    EXPECT_EQ(7.0, UserValue(changed));
    EXPECT_EQ(0.0, UserValue(elsewhere));
    EXPECT_EQ(0.0, UserValue(member));

    // With a searchable instance in the object's list that one is read first.
    FakeInstance* own = world.Add(100024, 5);
    world.objects[5] = {gone, own};
    EXPECT_TRUE(Variable_SetValue(5, m_User, -1, &seven));
    ScriptValue eight = Real(8);
    own->variables->SetVar(m_User, -1, &eight);
    EXPECT_TRUE(Variable_GetValue(5, m_User, -1, &out));
    EXPECT_EQ(8.0, out.real);
}

TEST_F(VariableAccess, AWriteToManyReturnsTheLastResult)
{
    FakeInstance* odd = world.Add(100031, 4);
    FakeInstance* even = world.Add(100032, 4);
    ScriptValue negative = Real(-1);
    // The odd instance refuses, the even one (last) accepts.
    EXPECT_TRUE(Variable_SetValue(4, m_Field, -1, &negative));
    EXPECT_EQ(0.0, odd->field);
    EXPECT_EQ(-1.0, even->field);
    world.objects[4] = {even, odd};
    EXPECT_FALSE(Variable_SetValue(4, m_Field, -1, &negative));
}

TEST(VariableAccessDefault, WithoutInstalledInstancesNoTargetNamesAnything)
{
    Variable_SetInstances(nullptr);
    int32_t id = Code_Variable_Add("default_probe");
    ScriptValue value = Real(1);
    ScriptValue out = Real(0);
    EXPECT_FALSE(Variable_GetValue(VARIABLE_TARGET_ALL, id, -1, &out));
    EXPECT_FALSE(Variable_GetValue(100000, id, -1, &out));
    EXPECT_FALSE(Variable_GetValue(0, id, -1, &out));
    EXPECT_TRUE(Variable_SetValue(0, id, -1, &value));
    EXPECT_TRUE(Variable_SetValue(100000, id, -1, &value));
}
