// The box of an instance that has only moved since the whole-position rule made it, shifted by the
// move in line: what a room of movers asks of every mover's place test every frame. Anything else
// is CInstance::ComputeBoundingBox's.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "instance/Instance_Class.h"

// The box shifted by the move: what the rule would compute at the new place, for less than the
// lookup and the computation every moving instance would otherwise pay. It shifts only where the
// new place and every new edge lie within 2^22, inside the rule's 2^23, so that one test of their
// offsets' bits covers all six; anything beyond is computed in full, to the same box. The
// conversion answers INT_MIN for what int32 cannot hold, so a position that does not convert back
// exactly is no whole number it can shift by (a NaN included). False: nothing changed.
inline bool Instance_ShiftWholeBox(CInstance& instance)
{
    // Lanes: the place (x, y), the box (left, top, right, bottom) and the move in its order (dx, dy, dx, dy).
    constexpr int32_t NEAR = int32_t{1} << 22;
    __m128 place = _mm_setr_ps(instance.i_x, instance.i_y, 0.0f, 0.0f);
    __m128i whole = _mm_cvttps_epi32(place);
    if ((_mm_movemask_ps(_mm_cmpneq_ps(_mm_cvtepi32_ps(whole), place)) & 3) != 0) return false;
    __m128i at = _mm_setr_epi32(instance.m_BoxAtX, instance.m_BoxAtY, 0, 0);
    // Lane sums wrap instead of overflowing; a wrapped one lies far outside the range tested.
    __m128i move = _mm_shuffle_epi32(_mm_sub_epi32(whole, at), _MM_SHUFFLE(1, 0, 1, 0));
    __m128i box = _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&instance.i_bbox)), move);
    __m128i places = _mm_shuffle_epi32(whole, _MM_SHUFFLE(1, 0, 1, 0));
    __m128i offsets = _mm_or_si128(_mm_add_epi32(box, _mm_set1_epi32(NEAR)), _mm_add_epi32(places, _mm_set1_epi32(NEAR)));
    // Every offset below 2^23: no bit from 23 up in any lane.
    __m128i beyond = _mm_srli_epi32(offsets, 23);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(beyond, _mm_setzero_si128())) != 0xFFFF) return false;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&instance.i_bbox), box);
    instance.m_BoxAtX = _mm_cvtsi128_si32(whole);
    instance.m_BoxAtY = _mm_cvtsi128_si32(_mm_shuffle_epi32(whole, _MM_SHUFFLE(1, 1, 1, 1)));
    return true;
}

// Whether a box that only moved since it was current can be shifted (its shape the same, made by
// the whole-position rule), and is.
inline bool Instance_ShiftMovedBox(CInstance& instance)
{
    if (instance.m_BBoxDirty != CInstance::BOX_MOVED || (instance.m_BoxFacts & CInstance::BOX_WHOLE_SHIFT) == 0 ||
        instance.m_BoxShapes != g_InstanceShapeGeneration || !Instance_ShiftWholeBox(instance))
        return false;
    instance.m_BBoxDirty = CInstance::BOX_CURRENT;
    return true;
}

// GetBoundingBox with the shift in line.
[[gnu::always_inline]] inline const InstanceBox& Instance_CurrentBox(CInstance& instance)
{
    if (!instance.BoxCurrent() && !Instance_ShiftMovedBox(instance)) instance.ComputeBoundingBox();
    return instance.i_bbox;
}
