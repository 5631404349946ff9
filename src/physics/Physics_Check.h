// Script values reach the physics library only after these checks: the library's own failed checks
// end the process. A failed check is reported as the library's error hook reports one ("%ls %s":
// the check's text and an empty context, not fatal), and the caller skips the operation.
#pragma once

#include <cmath>

struct b2Vec2;

// Reports a failed check through the error reporter. Always returns false, so callers can write
// `return Physics_Fail("...")`.
bool Physics_Fail(const char* check);

// True for finite values; otherwise the failure is reported with the check's text.
bool Physics_CheckFinite(float value, const char* check);
bool Physics_CheckFinite2(float x, float y, const char* check);

// Whether the points would make a polygon the library accepts (its hull of at least three points,
// closer ones welded, with an area above its epsilon). Reports the failure when they would not.
bool Physics_CheckPolygon(const b2Vec2* points, int count);
