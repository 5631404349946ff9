#include "variable/Variable_Access.h"

#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

// Until the instance list installs the game's instances (and in tests that install none), no
// target names any instance.
class NoInstances : public IVariableInstances {
public:
    CInstance* FindById(int32_t) override { return nullptr; }
    void VisitRoom(InstanceVisit, void*) override {}
    void VisitObject(int32_t, InstanceVisit, void*) override {}
    void VisitObjectChanges(InstanceVisit, void*) override {}
    bool IsMarked(CInstance*) override { return false; }
    bool IsDeactivated(CInstance*) override { return false; }
    int32_t ObjectIndex(CInstance*) override { return -1; }
    CVariableList* Variables(CInstance*) override { return nullptr; }
};

NoInstances g_NoInstances;
IVariableInstances* g_pInstances = &g_NoInstances;

bool Searchable(CInstance* instance) { return !g_pInstances->IsMarked(instance) && !g_pInstances->IsDeactivated(instance); }

// The walk of one target: every searchable instance (of exactly `object` when it is 0 or more)
// goes to `act`, until it returns false.
struct TargetWalk {
    int32_t object;
    bool (*act)(CInstance* instance, TargetWalk* walk);
    // What the act works with.
    int32_t id;
    int32_t index;
    ScriptValue* out;
    const ScriptValue* value;
    bool result;
    bool acted;
};

bool VisitTarget(CInstance* instance, void* context)
{
    TargetWalk* walk = static_cast<TargetWalk*>(context);
    if (!Searchable(instance)) return true;
    if (walk->object >= 0 && g_pInstances->ObjectIndex(instance) != walk->object) return true;
    walk->acted = true;
    return walk->act(instance, walk);
}

bool ReadFirst(CInstance* instance, TargetWalk* walk)
{
    walk->result = Variable_GetValue_Direct(instance, walk->id, walk->index, walk->out);
    return false;
}

bool WriteEach(CInstance* instance, TargetWalk* walk)
{
    walk->result = Variable_SetValue_Direct(instance, walk->id, walk->index, walk->value);
    return true;
}

// The instances of an object's lists, then those whose object became exactly this one this frame.
void WalkObject(int32_t objectIndex, TargetWalk* walk, bool stopAtFirst)
{
    walk->object = -1;
    g_pInstances->VisitObject(objectIndex, VisitTarget, walk);
    if (stopAtFirst && walk->acted) return;
    walk->object = objectIndex;
    g_pInstances->VisitObjectChanges(VisitTarget, walk);
}

// Reads of an unknown variable on an instance without a list behave as on an empty list.
CVariableList& EmptyList()
{
    static CVariableList empty;
    return empty;
}

} // namespace

void IVariableInstances::CollectObject(int32_t objectIndex, InstanceRow& found)
{
    struct Collect {
        IVariableInstances* instances;
        InstanceRow* found;
    } collect = {this, &found};
    VisitObject(
        objectIndex,
        [](CInstance* instance, void* context) {
            Collect* into = static_cast<Collect*>(context);
            if (instance != nullptr && !into->instances->IsMarked(instance) && !into->instances->IsDeactivated(instance))
                into->found->push_back(instance);
            return true;
        },
        &collect);
}

void Variable_SetInstances(IVariableInstances* instances)
{
    g_pInstances = instances != nullptr ? instances : &g_NoInstances;
}

IVariableInstances* Variable_Instances() { return g_pInstances; }

bool Variable_GetValue_Direct(CInstance* instance, int32_t id, int32_t index, ScriptValue* out)
{
    if (id >= VARIABLE_LIST_BASE) {
        CVariableList* list = instance != nullptr ? g_pInstances->Variables(instance) : nullptr;
        return (list != nullptr ? *list : EmptyList()).GetVar(id, index, out);
    }
    BuiltinVariableEntry* entry = Variable_BuiltIn_Get(id);
    // An identifier from compiled code is checked before it selects a row.
    if (entry == nullptr || entry->getter == nullptr) return false;
    return entry->getter(instance, index, out);
}

bool Variable_SetValue_Direct(CInstance* instance, int32_t id, int32_t index, const ScriptValue* value)
{
    if (id >= VARIABLE_LIST_BASE) {
        CVariableList* list = instance != nullptr ? g_pInstances->Variables(instance) : nullptr;
        if (list != nullptr) list->SetVar(id, index, value);
        return true;
    }
    BuiltinVariableEntry* entry = Variable_BuiltIn_Get(id);
    if (entry == nullptr || entry->canSet == 0 || entry->setter == nullptr) return false;
    return entry->setter(instance, index, value);
}

bool Variable_GetValue(int32_t target, int32_t id, int32_t index, ScriptValue* out)
{
    TargetWalk walk = {-1, ReadFirst, id, index, out, nullptr, false, false};
    if (target == VARIABLE_TARGET_ALL) {
        g_pInstances->VisitRoom(VisitTarget, &walk);
    } else if (target < 0) {
        return false;
    } else if (target >= VARIABLE_TARGET_INSTANCE_BASE) {
        // A deactivated instance is still read by its identifier.
        CInstance* instance = g_pInstances->FindById(target);
        if (instance == nullptr || g_pInstances->IsMarked(instance)) return false;
        return Variable_GetValue_Direct(instance, id, index, out);
    } else {
        WalkObject(target, &walk, true);
    }
    return walk.acted && walk.result;
}

bool Variable_SetValue(int32_t target, int32_t id, int32_t index, const ScriptValue* value)
{
    TargetWalk walk = {-1, WriteEach, id, index, nullptr, value, true, false};
    if (target == VARIABLE_TARGET_ALL) {
        g_pInstances->VisitRoom(VisitTarget, &walk);
    } else if (target < 0) {
        return false;
    } else if (target >= VARIABLE_TARGET_INSTANCE_BASE) {
        CInstance* instance = g_pInstances->FindById(target);
        if (instance == nullptr || g_pInstances->IsMarked(instance)) return true;
        return Variable_SetValue_Direct(instance, id, index, value);
    } else {
        WalkObject(target, &walk, false);
    }
    return walk.result;
}
