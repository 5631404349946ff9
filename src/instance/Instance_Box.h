// The box of an instance that has only moved since the whole-position rule made it, shifted by the
// move in line: what a room of movers asks of every mover's place test every frame. Anything else
// is CInstance::ComputeBoundingBox's.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "instance/Instance_Class.h"

// The place and the whole place a box belongs to are each read as one pair.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(CInstance, i_y) == offsetof(CInstance, i_x) + sizeof(float), "the place is a pair");
static_assert(offsetof(CInstance, m_BoxAtY) == offsetof(CInstance, m_BoxAtX) + sizeof(int32_t), "so is the box's");
#pragma GCC diagnostic pop

// The instance's place in lanes (x, y, 0, 0). Every lane test of a place below keeps lanes 2 and 3
// clear, so that its mask is tested whole.
inline __m128 Instance_PlaceLanes(const CInstance& instance)
{
    return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&instance.i_x)));
}

// Lanes of `place` (x, y) its box cannot shift to, set, and the whole place it can in `whole`: a
// place must be a whole number within 2^22 of the origin either way. The rule keeps a shiftable
// box's edges within 2^21 of its place, so that at any such place every edge lies inside the
// rule's 2^23, where its arithmetic is exact: the shifted box is the box the rule would compute
// there, and the place is the only thing left to test. The place is clamped to that range before
// its truncation, so that one comparison with it turns away a fraction, a place beyond, an
// infinity and a NaN (the clamp answers its bound for a NaN).
inline __m128 Instance_UnshiftablePlace(__m128 place, __m128i* whole)
{
    // Two lanes only, so that the compiler loads them as they stand instead of building them.
    alignas(16) static constexpr float LOW[4] = {-4194304.0f, -4194304.0f, 0, 0}; // -2^22
    alignas(16) static constexpr float HIGH[4] = {4194304.0f, 4194304.0f, 0, 0};
    *whole = _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(place, _mm_load_ps(LOW)), _mm_load_ps(HIGH)));
    return _mm_cmpneq_ps(_mm_cvtepi32_ps(*whole), place);
}

// Whether the box can shift by a move (its shape the same, made by the whole-position rule): only
// moved since, or current; `shapes` is g_InstanceShapeGeneration.
inline bool Instance_BoxShiftable(const CInstance& instance, uint32_t shapes)
{
    static_assert((CInstance::BOX_CURRENT | CInstance::BOX_MOVED) == CInstance::BOX_MOVED);
    return (instance.m_BBoxDirty & ~CInstance::BOX_MOVED) == 0 && (instance.m_BoxFacts & CInstance::BOX_WHOLE_SHIFT) != 0 &&
           instance.m_BoxShapes == shapes;
}

// A shiftable box moved to the whole place `whole` (lanes x, y), in lanes (left, top, right,
// bottom). Lane sums cannot overflow within the ranges the rule and the place test keep.
inline __m128i Instance_ShiftedBox(const CInstance& instance, __m128i whole)
{
    __m128i at = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&instance.m_BoxAtX));
    __m128i move = _mm_shuffle_epi32(_mm_sub_epi32(whole, at), _MM_SHUFFLE(1, 0, 1, 0));
    return _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&instance.i_bbox)), move);
}

// Whether two boxes lie apart, each edge of one compared with the other's opposite edge in its
// lane. Comparing the complements of the near edges turns the two tests of near edges past far
// ones into tests the same way as the other two, without the overflow a negation would risk.
inline __m128i Instance_FarFlipped(__m128i box)
{
    return _mm_xor_si128(box, _mm_setr_epi32(0, 0, -1, -1));
}

// The first box of Instance_BoxesApart, turned once for any number of others: its far edges, then
// its near edges complemented (lanes right, bottom, ~left, ~top).
inline __m128i Instance_BoxTurned(__m128i box)
{
    return Instance_FarFlipped(_mm_shuffle_epi32(box, _MM_SHUFFLE(1, 0, 3, 2)));
}

inline bool Instance_BoxesApart(__m128i mineTurned, const InstanceBox& theirs)
{
    __m128i flipped = Instance_FarFlipped(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&theirs)));
    // Lanes: their left past my right, their top past my bottom, my left past their right, my top past their bottom.
    return _mm_movemask_epi8(_mm_cmpgt_epi32(flipped, mineTurned)) != 0;
}

// Whether a box that only moved since it was current can be shifted, and is.
inline bool Instance_ShiftMovedBox(CInstance& instance)
{
    if (instance.m_BBoxDirty != CInstance::BOX_MOVED || !Instance_BoxShiftable(instance, g_InstanceShapeGeneration))
        return false;
    __m128i whole;
    if (_mm_movemask_ps(Instance_UnshiftablePlace(Instance_PlaceLanes(instance), &whole)) != 0) return false;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&instance.i_bbox), Instance_ShiftedBox(instance, whole));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&instance.m_BoxAtX), whole);
    instance.m_BBoxDirty = CInstance::BOX_CURRENT;
    return true;
}

// GetBoundingBox with the shift in line.
[[gnu::always_inline]] inline const InstanceBox& Instance_CurrentBox(CInstance& instance)
{
    if (!instance.BoxCurrent() && !Instance_ShiftMovedBox(instance)) instance.ComputeBoundingBox();
    return instance.i_bbox;
}
