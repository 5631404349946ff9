// The place test where the instance stands against an object's instances, in line: what a room of
// movers asks every frame (`place_meeting(x, y, obj)`), without a call between the test, the box
// brought up to date and the candidates. Everything else is Run_PlaceMeeting's.
#pragma once

#include <cstdint>

#include "instance/Instance_Box.h"
#include "instance/Instance_Class.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "run/Run_Commands.h"

// Not marked for deletion nor deactivated: what searches see.
inline bool Run_Usable(const CInstance* instance)
{
    return instance->i_marked == 0 && instance->i_deactivated == 0;
}

// The object's usable instances in order; the first for which test(candidate) is true.
template <typename Test> inline CInstance* Run_FindInObject(int32_t index, Test& test)
{
    CObject* object = Object_Data(index);
    if (object == nullptr) return nullptr;
    for (ObjectInstanceNode* node = object->m_AllInstances.head; node != nullptr; node = node->next)
        if (Run_Usable(node->instance) && test(node->instance)) return node->instance;
    return nullptr;
}

// Whether the candidate meets the instance, whose box where it stands is `mine`. A candidate whose
// current box misses it cannot meet it, whatever the masks: most are turned away here without the
// full test.
[[gnu::always_inline]] inline bool Run_MeetsWhereItStands(CInstance* instance, const InstanceBox& mine, CInstance* candidate)
{
    if (candidate->BoxCurrent() && !Instance_BoxesOverlap(mine, candidate->i_bbox)) return false;
    return instance->CollisionInstance(candidate, 1);
}

// The first usable instance of a target that is no object (all, an id, anything else) that the
// instance meets where it stands, its box there `mine` (Run_Commands.cpp).
CInstance* Run_FirstMetInTarget(CInstance* instance, const InstanceBox& mine, int32_t target);

// The first usable instance of the target that the instance meets where it stands.
[[gnu::always_inline]] inline CInstance* Run_FirstMet(CInstance* instance, int32_t target)
{
    const InstanceBox& mine = Instance_CurrentBox(*instance);
    if (!(target >= 0 && target < INSTANCE_FIRST_ID)) return Run_FirstMetInTarget(instance, mine, target);
    auto meets = [instance, &mine](CInstance* candidate) { return Run_MeetsWhereItStands(instance, mine, candidate); };
    return Run_FindInObject(target, meets);
}

// Run_PlaceMeeting for an instance (not null), in line where it stands.
[[gnu::always_inline]] inline bool Run_PlaceMeetingInline(CInstance* instance, int32_t target, float x, float y)
{
    if (x == instance->i_x && y == instance->i_y) return Run_FirstMet(instance, target) != nullptr;
    return Run_PlaceMeeting(instance, target, x, y);
}

// Whether the instance surely meets no instance of the object `target` at `asked` (lanes x, y, 0,
// 0, narrowed as the place test narrows them), answered without a call: its box shiftable to that
// place (a whole one: a current box made by the whole-position rule shifts by nothing where it
// stands), and every usable candidate's box current and apart from the shifted one. The box is
// the one the place test would compute there, and the instance never meets itself, so its own box
// as a candidate can only send the question on. False where it cannot tell so cheaply (the place
// test then says). A shifted box is only tested, not kept: whoever reads the box next shifts it as
// cheaply.
[[gnu::always_inline]] inline bool Run_SurelyMeetsNoneAt(CInstance& instance, int32_t target, __m128 asked)
{
    if (static_cast<uint32_t>(target) >= static_cast<uint32_t>(INSTANCE_FIRST_ID)) return false;
    uint32_t shapes = g_InstanceShapeGeneration;
    if (!Instance_BoxShiftable(instance, shapes)) return false;
    __m128i whole;
    if (_mm_movemask_ps(Instance_UnshiftablePlace(asked, &whole)) != 0) return false;
    __m128i turned = Instance_BoxTurned(Instance_ShiftedBox(instance, whole));
    CObject* object = Object_Data(target);
    if (object == nullptr) return true;
    for (ObjectInstanceNode* node = object->m_AllInstances.head; node != nullptr; node = node->next) {
        const CInstance* candidate = node->instance;
        if (!Run_Usable(candidate)) continue;
        bool current = candidate->m_BBoxDirty == CInstance::BOX_CURRENT && candidate->m_BoxShapes == shapes;
        if (!current || !Instance_BoxesApart(turned, candidate->i_bbox)) return false;
    }
    return true;
}
