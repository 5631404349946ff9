// The box of an instance that has only moved since the whole-position rule made it, shifted by the
// move in line: what a room of movers asks of every mover's place test every frame. Anything else
// is CInstance::ComputeBoundingBox's.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "instance/Instance_Class.h"

// The instance's place in lanes (x, y, 0, 0).
inline __m128 Instance_PlaceLanes(const CInstance& instance)
{
    return _mm_unpacklo_ps(_mm_set_ss(instance.i_x), _mm_set_ss(instance.i_y));
}

// Lanes of `place` (x, y) its box cannot shift to, set: a place that is no whole number (`whole`
// is its truncation, INT_MIN for what int32 cannot hold, a NaN included) or lies beyond 2^22. The
// rule keeps a shiftable box's edges within 2^21 of its place, so that at any place within 2^22
// every edge lies inside the rule's 2^23, where its arithmetic is exact: the shifted box is the
// box the rule would compute there, and the place is the only thing left to test.
inline __m128 Instance_UnshiftablePlace(__m128 place, __m128i whole)
{
    // Two lanes only, so that the compiler loads them as they stand instead of building them.
    alignas(16) static constexpr uint32_t MAGNITUDE[4] = {0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
    alignas(16) static constexpr float NEAR[4] = {4194304.0f, 4194304.0f, 0, 0}; // 2^22
    __m128 magnitude = _mm_and_ps(place, _mm_load_ps(reinterpret_cast<const float*>(MAGNITUDE)));
    __m128 beyond = _mm_cmpnle_ps(magnitude, _mm_load_ps(NEAR));
    return _mm_or_ps(_mm_cmpneq_ps(_mm_cvtepi32_ps(whole), place), beyond);
}

// Whether the box can shift by a move (its shape the same, made by the whole-position rule): only
// moved since, or current.
inline bool Instance_BoxShiftable(const CInstance& instance)
{
    static_assert((CInstance::BOX_CURRENT | CInstance::BOX_MOVED) == CInstance::BOX_MOVED);
    return (instance.m_BBoxDirty & ~CInstance::BOX_MOVED) == 0 && (instance.m_BoxFacts & CInstance::BOX_WHOLE_SHIFT) != 0 &&
           instance.m_BoxShapes == g_InstanceShapeGeneration;
}

// A shiftable box moved to the whole place `whole` (lanes x, y), in lanes (left, top, right,
// bottom). Lane sums cannot overflow within the ranges the rule and the place test keep.
inline __m128i Instance_ShiftedBox(const CInstance& instance, __m128i whole)
{
    __m128i at = _mm_unpacklo_epi32(_mm_cvtsi32_si128(instance.m_BoxAtX), _mm_cvtsi32_si128(instance.m_BoxAtY));
    __m128i move = _mm_shuffle_epi32(_mm_sub_epi32(whole, at), _MM_SHUFFLE(1, 0, 1, 0));
    return _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&instance.i_bbox)), move);
}

// Whether two boxes, the first in lanes (left, top, right, bottom), lie apart. Comparing the complements
// of the far edges turns the two tests the other way round into tests the same way as the near
// edges', without the overflow a negation would risk.
// Instance_BoxesApart takes the first box with its far edges complemented (Instance_FarFlipped),
// once for any number of others.
inline __m128i Instance_FarFlipped(__m128i box)
{
    return _mm_xor_si128(box, _mm_setr_epi32(0, 0, -1, -1));
}

inline bool Instance_BoxesApart(__m128i mineFlipped, const InstanceBox& theirs)
{
    __m128i turned = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&theirs)), _MM_SHUFFLE(1, 0, 3, 2));
    // Lanes: my left past their right, my top past their bottom, their left past my right, their top past my bottom.
    return _mm_movemask_epi8(_mm_cmpgt_epi32(mineFlipped, Instance_FarFlipped(turned))) != 0;
}

// Whether a box that only moved since it was current can be shifted, and is.
inline bool Instance_ShiftMovedBox(CInstance& instance)
{
    if (instance.m_BBoxDirty != CInstance::BOX_MOVED || !Instance_BoxShiftable(instance)) return false;
    __m128 place = Instance_PlaceLanes(instance);
    __m128i whole = _mm_cvttps_epi32(place);
    if ((_mm_movemask_ps(Instance_UnshiftablePlace(place, whole)) & 3) != 0) return false;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&instance.i_bbox), Instance_ShiftedBox(instance, whole));
    instance.m_BoxAtX = _mm_cvtsi128_si32(whole);
    instance.m_BoxAtY = _mm_cvtsi128_si32(_mm_shuffle_epi32(whole, _MM_SHUFFLE(1, 1, 1, 1)));
    instance.m_BBoxDirty = CInstance::BOX_CURRENT;
    return true;
}

// GetBoundingBox with the shift in line.
[[gnu::always_inline]] inline const InstanceBox& Instance_CurrentBox(CInstance& instance)
{
    if (!instance.BoxCurrent() && !Instance_ShiftMovedBox(instance)) instance.ComputeBoundingBox();
    return instance.i_bbox;
}
