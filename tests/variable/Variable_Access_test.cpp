#include "variable/Variable_Access.h"

#include <gtest/gtest.h>

#include <cmath>
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
    int32_t id, object;
    bool marked = false, deactivated = false;
    std::unique_ptr<CVariableList> variables = std::make_unique<CVariableList>();
    double field = 0; // what the test built-in variable reads and writes
};

CInstance* AsInstance(FakeInstance* fake) { return reinterpret_cast<CInstance*>(fake); }
FakeInstance* AsFake(CInstance* instance) { return reinterpret_cast<FakeInstance*>(instance); }

class FakeInstances : public IVariableInstances {
public:
    FakeInstance* Add(int32_t id, int32_t object, bool marked = false, bool deactivated = false)
    {
        m_All.push_back(std::make_unique<FakeInstance>(FakeInstance{id, object, marked, deactivated}));
        room.push_back(m_All.back().get());
        objects[object].push_back(m_All.back().get());
        return m_All.back().get();
    }
    CInstance* FindById(int32_t id) override
    {
        for (auto& fake : m_All)
            if (fake->id == id) return AsInstance(fake.get());
        return nullptr;
    }
    void VisitRoom(InstanceVisit visit, void* context) override { Walk(room, visit, context); }
    void VisitObject(int32_t object, InstanceVisit visit, void* context) override
    {
        Walk(objects[object], visit, context);
    }
    void VisitObjectChanges(InstanceVisit visit, void* context) override { Walk(changes, visit, context); }
    bool IsMarked(CInstance* instance) override { return AsFake(instance)->marked; }
    bool IsDeactivated(CInstance* instance) override { return AsFake(instance)->deactivated; }
    int32_t ObjectIndex(CInstance* instance) override { return AsFake(instance)->object; }
    CVariableList* Variables(CInstance* instance) override { return AsFake(instance)->variables.get(); }

    std::vector<FakeInstance*> room, changes;
    std::map<int32_t, std::vector<FakeInstance*>> objects; // own and descendants' instances

private:
    static void Walk(const std::vector<FakeInstance*>& list, InstanceVisit visit, void* context)
    {
        for (FakeInstance* fake : list)
            if (!visit(AsInstance(fake), context)) return;
    }
    std::vector<std::unique_ptr<FakeInstance>> m_All;
};

bool GetField(CInstance* instance, int32_t index, ScriptValue* out)
{
    Value_SetReal(out, AsFake(instance)->field + (index > 0 ? index : 0));
    return true;
}

// Refuses negative values on odd identifiers, so a test can see which write's result comes back.
bool SetField(CInstance* instance, int32_t, const ScriptValue* value)
{
    if (value->real < 0 && AsFake(instance)->id % 2 != 0) return false;
    AsFake(instance)->field = value->real;
    return true;
}

ScriptValue Real(double real) { return ScriptValue{VALUE_REAL, 0, real}; }

// What a read gives; NaN when it fails.
double Got(bool ok, const ScriptValue& out) { return ok ? out.real : std::nan(""); }

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

    static double Get(int32_t target, int32_t variable, int32_t index = -1)
    {
        ScriptValue out = Real(-1);
        return Got(Variable_GetValue(target, variable, index, &out), out);
    }
    static bool Put(int32_t target, int32_t variable, double real)
    {
        ScriptValue value = Real(real);
        return Variable_SetValue(target, variable, -1, &value);
    }
    static double GetDirect(FakeInstance* fake, int32_t variable, int32_t index = -1)
    {
        ScriptValue out = Real(5);
        return Got(Variable_GetValue_Direct(AsInstance(fake), variable, index, &out), out);
    }
    static bool PutDirect(FakeInstance* fake, int32_t variable, double real)
    {
        ScriptValue value = Real(real);
        return Variable_SetValue_Direct(AsInstance(fake), variable, -1, &value);
    }
    double UserValue(FakeInstance* fake) { return GetDirect(fake, m_User); }
    void SetUser(FakeInstance* fake, double real) { PutDirect(fake, m_User, real); }

    FakeInstances world;
    int32_t m_Field = -1, m_ReadOnly = -1, m_User = -1;
};

} // namespace

TEST_F(VariableAccess, OneInstanceByIdentifierKind)
{
    FakeInstance* a = world.Add(100001, 3);
    EXPECT_TRUE(PutDirect(a, m_User, 6));
    EXPECT_EQ(6.0, GetDirect(a, m_User));
    // Built-ins go through their routines, with the index.
    EXPECT_TRUE(PutDirect(a, m_Field, 6));
    EXPECT_EQ(8.0, GetDirect(a, m_Field, 2));
    EXPECT_FALSE(PutDirect(a, m_ReadOnly, 1));
    EXPECT_FALSE(PutDirect(a, 9999, 1)) << "no such built-in row";
    EXPECT_TRUE(std::isnan(GetDirect(a, -3)));
    // An instance without a list: writes do nothing and succeed, reads see an unset variable.
    a->variables.reset();
    EXPECT_TRUE(PutDirect(a, m_User, 6));
    EXPECT_EQ(0.0, GetDirect(a, m_User));
}

TEST_F(VariableAccess, AllAndInstanceIdentifiersSkipMarkedInstances)
{
    EXPECT_TRUE(std::isnan(Get(VARIABLE_TARGET_ALL, m_User))) << "an empty room";
    FakeInstance* marked = world.Add(100001, 1, true);
    FakeInstance* asleep = world.Add(100002, 1, false, true);
    FakeInstance* first = world.Add(100003, 2);
    FakeInstance* second = world.Add(100004, 2);
    SetUser(first, 2);
    EXPECT_EQ(2.0, Get(VARIABLE_TARGET_ALL, m_User));
    EXPECT_TRUE(Put(VARIABLE_TARGET_ALL, m_User, 9));
    EXPECT_EQ((std::vector<double>{9, 9, 0, 0}),
              (std::vector<double>{UserValue(first), UserValue(second), UserValue(marked), UserValue(asleep)}));
    EXPECT_FALSE(Put(-4, m_User, 9)) << "other negative targets name nothing";

    // By id a deactivated instance is reached; a marked or missing one is skipped silently.
    EXPECT_TRUE(Put(100002, m_Field, 4));
    EXPECT_EQ(4.0, Get(100002, m_Field));
    EXPECT_TRUE(Put(100001, m_Field, 4));
    EXPECT_EQ(0.0, marked->field);
    EXPECT_TRUE(std::isnan(Get(100001, m_Field)));
    EXPECT_TRUE(Put(100099, m_Field, 4));
    EXPECT_FALSE(Put(100003, m_ReadOnly, 4));
}

TEST_F(VariableAccess, ObjectIndicesIncludeInstancesWhoseObjectJustChanged)
{
    EXPECT_TRUE(Put(5, m_User, 3)) << "no instances: nothing written, success";
    EXPECT_TRUE(std::isnan(Get(5, m_User)));
    FakeInstance* gone = world.Add(100020, 5, true);
    FakeInstance* member = world.Add(100021, 5, false, true);
    // Changed this frame: now of object 5 (or of 6), not yet in the object's lists.
    FakeInstance* changed = world.Add(100022, 5);
    FakeInstance* elsewhere = world.Add(100023, 6);
    world.objects[5] = {gone, member};
    world.objects[6].clear();
    world.changes = {elsewhere, changed};
    SetUser(changed, 3);
    EXPECT_EQ(3.0, Get(5, m_User)) << "read from the pending object change";
    EXPECT_TRUE(Put(5, m_User, 7));
    EXPECT_EQ((std::vector<double>{7, 0, 0}),
              (std::vector<double>{UserValue(changed), UserValue(elsewhere), UserValue(member)}));
}

TEST_F(VariableAccess, AWriteToManyReturnsTheLastResult)
{
    FakeInstance* odd = world.Add(100031, 4);
    FakeInstance* even = world.Add(100032, 4);
    // The odd instance refuses, so the order decides the result.
    EXPECT_TRUE(Put(4, m_Field, -1));
    EXPECT_EQ(-1.0, even->field);
    world.objects[4] = {even, odd};
    EXPECT_FALSE(Put(4, m_Field, -1));
}

TEST(VariableAccessDefault, WithoutInstalledInstancesNoTargetNamesAnything)
{
    Variable_SetInstances(nullptr);
    int32_t id = Code_Variable_Add("default_probe");
    ScriptValue value = Real(1), out = Real(0);
    for (int32_t target : {VARIABLE_TARGET_ALL, 100000, 0}) EXPECT_FALSE(Variable_GetValue(target, id, -1, &out));
    EXPECT_TRUE(Variable_SetValue(100000, id, -1, &value));
}
