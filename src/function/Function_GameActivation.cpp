// The Game family's deactivation and activation routines. Each changes the instances' deactivated
// flag at once, which hides a deactivated instance from every later search and event, and raises
// g_InstanceActivationChanged so that the next list update moves the instances between the room's
// active and deactivated lists and their objects' lists.
//
// The routines gather first and act second: the gather walks both room lists, because an instance
// whose flag changed earlier in the stage still sits in the list of its old state.
#include <vector>

#include "function/Function_Args.h"
#include "function/Function_Game.h"
#include "function/Function_Target.h"
#include "instance/Instance_List.h"
#include "instance/Instance_Resources.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "run/Run_Frame.h"
#include "run/Run_Game.h"

namespace {

constexpr size_t GATHER_START_CAPACITY = 32;

// The one gather list of the family, emptied and refilled by each gathering; its capacity stays.
std::vector<CInstance*> g_InstanceGatherList;

// The unmarked instances of both room lists whose deactivated flag is as asked.
std::vector<CInstance*>& Gather(bool deactivated)
{
    std::vector<CInstance*>& list = g_InstanceGatherList;
    if (list.capacity() == 0) list.reserve(GATHER_START_CAPACITY);
    list.clear();
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return list;
    for (CInstanceList* from : {&room->m_Active, &room->m_Deactivated})
        for (CInstance* i = from->m_pHead; i != nullptr; i = i->m_pNext)
            if (!i->IsMarked() && i->IsDeactivated() == deactivated) list.push_back(i);
    return list;
}

void SetDeactivated(CInstance* instance, bool deactivated)
{
    instance->SetDeactivated(deactivated ? 1 : 0);
    g_InstanceActivationChanged = 1;
}

// The instance's object is the object or one of its descendants.
bool OfObject(const CInstance* instance, int32_t object)
{
    if (instance->GetObjectIndex() == object) return true;
    const CObject* own = instance->GetObject();
    return own != nullptr && own->IsDescendantOf(object);
}

// The region from left, top over width and height, its far edges summed in single precision.
struct Region {
    float left, top, right, bottom;
};

Region RegionOf(const ScriptValue* args)
{
    float left = Arg_Float(args[0]), top = Arg_Float(args[1]);
    return {left, top, Arg_Float(args[2]) + left, Arg_Float(args[3]) + top};
}

// Whether the instance lies wholly outside the region: by its position without sprite and mask,
// else by its bounding box, edges inclusive.
bool Outside(CInstance* instance, const Region& r)
{
    if (!Game_HasSpriteOrMask(instance)) {
        float x = instance->i_x, y = instance->i_y;
        return r.left > x || x > r.right || r.top > y || y > r.bottom;
    }
    const InstanceBox& box = instance->GetBoundingBox();
    return r.left > static_cast<float>(box.right) || static_cast<float>(box.left) > r.right ||
           r.top > static_cast<float>(box.bottom) || static_cast<float>(box.top) > r.bottom;
}

// After a deactivation that spares the caller: self active again, when it is not marked.
void KeepSelfActive(CInstance* self, const ScriptValue& notMe)
{
    if (self == nullptr || !Arg_Flag(notMe) || self->IsMarked()) return;
    SetDeactivated(self, false);
}

// Deactivates (or activates) every gathered instance for which `pick` holds, re-reading the count
// at each step.
template <typename Pick> void ForGathered(bool activate, Pick&& pick)
{
    std::vector<CInstance*>& list = Gather(activate);
    for (size_t i = 0; i < list.size(); ++i)
        if (pick(list[i])) SetDeactivated(list[i], !activate);
}

} // namespace

bool Game_HasSpriteOrMask(const CInstance* instance)
{
    InstanceSpriteShape shape;
    return Instance_Sprites()->Shape(instance->i_spriteindex, &shape) ||
           Instance_Sprites()->Shape(instance->i_maskindex, &shape);
}

bool Game_IsLive(const CInstance* instance)
{
    return instance != nullptr && !instance->IsMarked() && !instance->IsDeactivated();
}

void Builtin_InstanceDeactivateAll(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    ForGathered(false, [](CInstance* i) { return Game_IsLive(i); });
    KeepSelfActive(self, args[0]);
}

void Builtin_InstanceDeactivateObject(ScriptValue*, CInstance* self, CInstance* other, int32_t,
                                      ScriptValue* args)
{
    int32_t target = Arg_Int(args[0]);
    if (target == FUNCTION_TARGET_SELF || target == FUNCTION_TARGET_OTHER) {
        CInstance* named = target == FUNCTION_TARGET_SELF ? self : other;
        if (named != nullptr) SetDeactivated(named, true);
    } else if (target == FUNCTION_TARGET_ALL) {
        ForGathered(false, [](CInstance*) { return true; });
    } else if (target >= INSTANCE_FIRST_ID) {
        CInstance* instance = Instance_FindById(target);
        if (Game_IsLive(instance)) SetDeactivated(instance, true);
    } else if (Object_Exists(target)) {
        ForGathered(false, [target](CInstance* i) { return OfObject(i, target); });
    }
}

void Builtin_InstanceDeactivateRegion(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Region region = RegionOf(args);
    bool inside = Arg_Flag(args[4]);
    ForGathered(false, [&](CInstance* i) { return Outside(i, region) != inside; });
    if (self != nullptr && self->IsDeactivated()) KeepSelfActive(self, args[5]);
}

void Builtin_InstanceActivateAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    ForGathered(true, [](CInstance* i) { return !i->IsMarked() && i->IsDeactivated(); });
}

void Builtin_InstanceActivateObject(ScriptValue*, CInstance* self, CInstance* other, int32_t,
                                    ScriptValue* args)
{
    int32_t target = Arg_Int(args[0]);
    if (target == FUNCTION_TARGET_SELF || target == FUNCTION_TARGET_OTHER) {
        CInstance* named = target == FUNCTION_TARGET_SELF ? self : other;
        if (named != nullptr && !named->IsMarked()) SetDeactivated(named, false);
    } else if (target == FUNCTION_TARGET_ALL) {
        ForGathered(true, [](CInstance*) { return true; });
    } else if (target >= INSTANCE_FIRST_ID) {
        CInstance* instance = Instance_FindById(target);
        if (instance != nullptr && !instance->IsMarked() && instance->IsDeactivated())
            SetDeactivated(instance, false);
    } else {
        ForGathered(true, [target](CInstance* i) { return OfObject(i, target); });
    }
}

void Builtin_InstanceActivateRegion(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Region region = RegionOf(args);
    bool inside = Arg_Flag(args[4]);
    ForGathered(true, [&](CInstance* i) {
        return Outside(i, region) != inside && !i->IsMarked() && i->IsDeactivated();
    });
}
