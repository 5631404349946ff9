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

// Whether the instance surely meets no instance of the object `target` where it stands, asked at
// `asked` (lanes x, y, as narrowed to single precision), answered without a call: asked where it
// stands, its box current or shiftable there, and every usable candidate's box current and apart
// from it. False where it cannot tell so cheaply (the place test then says). A shifted box is only
// tested, not kept: whoever reads the box next shifts it as cheaply.
[[gnu::always_inline]] inline bool Run_SurelyMeetsNoneHere(CInstance& instance, int32_t target, __m128 asked)
{
    if (static_cast<uint32_t>(target) >= static_cast<uint32_t>(INSTANCE_FIRST_ID)) return false;
    __m128 place = Instance_PlaceLanes(instance);
    __m128 elsewhere = _mm_cmpneq_ps(asked, place);
    __m128i mine;
    if (Instance_BoxShiftable(instance)) {
        __m128i whole = _mm_cvttps_epi32(place);
        if ((_mm_movemask_ps(_mm_or_ps(elsewhere, Instance_UnshiftablePlace(place, whole))) & 3) != 0) return false;
        mine = Instance_ShiftedBox(instance, whole);
    } else if (instance.BoxCurrent() && (_mm_movemask_ps(elsewhere) & 3) == 0) {
        mine = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&instance.i_bbox));
    } else {
        return false;
    }
    CObject* object = Object_Data(target);
    if (object == nullptr) return true;
    __m128i flipped = Instance_FarFlipped(mine);
    uint32_t shapes = g_InstanceShapeGeneration;
    for (ObjectInstanceNode* node = object->m_AllInstances.head; node != nullptr; node = node->next) {
        const CInstance* candidate = node->instance;
        if (!Run_Usable(candidate)) continue;
        bool current = candidate->m_BBoxDirty == CInstance::BOX_CURRENT && candidate->m_BoxShapes == shapes;
        if (!current || !Instance_BoxesApart(flipped, candidate->i_bbox)) return false;
    }
    return true;
}
