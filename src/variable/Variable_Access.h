// Access to the variables of instances: one instance's variable (a user variable from its list, a
// built-in through its getter or setter), and access by target (all instances, an object, an
// instance identifier).
#pragma once

#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "code/Code_Value.h"

class CInstance;
class CVariableList;

// An allocator whose vectors leave the elements they grow by unset, as pointers about to be written
// need no zeroes first: a with block over many instances writes their row in place.
template <typename T> struct UnsetAllocator : std::allocator<T> {
    template <typename U> struct rebind {
        using other = UnsetAllocator<U>;
    };
    UnsetAllocator() = default;
    template <typename U> UnsetAllocator(const UnsetAllocator<U>&) noexcept {}
    template <typename U> void construct(U* at) noexcept { ::new (static_cast<void*>(at)) U; }
    template <typename U, typename... Args> void construct(U* at, Args&&... args)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

// The instances a with block runs for.
using InstanceRow = std::vector<CInstance*, UnsetAllocator<CInstance*>>;

constexpr int32_t VARIABLE_TARGET_ALL = -3;
// Targets from here on are instance identifiers; below it (and from 0) object indices.
constexpr int32_t VARIABLE_TARGET_INSTANCE_BASE = 100000;

// Called for each instance of a list, in list order; returns false to stop the walk.
typedef bool (*InstanceVisit)(CInstance* instance, void* context);

// What variable access needs of the running game's instances. The instance, object and room areas
// own these lists and install the real one with Variable_SetInstances.
class IVariableInstances {
public:
    virtual ~IVariableInstances() = default;
    // The instance with that identifier (Instance_FindById), or null.
    virtual CInstance* FindById(int32_t id) = 0;
    // The current room's instance list.
    virtual void VisitRoom(InstanceVisit visit, void* context) = 0;
    // The object's list of its own instances and its descendants'.
    virtual void VisitObject(int32_t objectIndex, InstanceVisit visit, void* context) = 0;
    // The instances whose object changed and that are not yet in their new object's lists.
    virtual void VisitObjectChanges(InstanceVisit visit, void* context) = 0;
    virtual bool IsMarked(CInstance* instance) = 0;
    virtual bool IsDeactivated(CInstance* instance) = 0;
    virtual int32_t ObjectIndex(CInstance* instance) = 0;
    // The instance's variable list, or null.
    virtual CVariableList* Variables(CInstance* instance) = 0;
    // Where each instance holds the list Variables answers, in bytes from its start, when that is all
    // Variables reads (the game's instances): the interpreter reads self's in place. -1: it asks.
    int32_t listPlace = -1;
    // Appends the instances VisitObject walks that are neither marked nor deactivated, in its order:
    // what a with block over the object runs for. The game's list does it without a call per instance.
    virtual void CollectObject(int32_t objectIndex, InstanceRow& found);
};

// Installs the instances that access reaches; null restores the default, which holds no instance.
void Variable_SetInstances(IVariableInstances* instances);
IVariableInstances* Variable_Instances();

// Identifiers from 10000 read the instance's list; smaller ones call the built-in getter.
bool Variable_GetValue_Direct(CInstance* instance, int32_t id, int32_t index, ScriptValue* out);
// Identifiers from 10000 write the instance's list (nothing without one) and succeed; a built-in
// that may not be set fails and changes nothing; otherwise the setter's result.
bool Variable_SetValue_Direct(CInstance* instance, int32_t id, int32_t index, const ScriptValue* value);
// Reads the first instance the target names: false when there is none.
bool Variable_GetValue(int32_t target, int32_t id, int32_t index, ScriptValue* out);
// Writes every instance the target names: the last write's result, true when nothing was written.
bool Variable_SetValue(int32_t target, int32_t id, int32_t index, const ScriptValue* value);
