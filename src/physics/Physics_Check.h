// Script values reach the physics library only after these checks: the library's own failed checks
// end the process. A failed check is reported as the library's error hook reports one ("%ls %s":
// the check's text and an empty context, not fatal), and the caller skips the operation.
#pragma once

#include <cmath>

struct b2Vec2;
class b2Body;
class b2Shape;

// Reports a failed check through the error reporter. Always returns false, so callers can write
// `return Physics_Fail("...")`.
bool Physics_Fail(const char* check);

// True for finite values; otherwise the failure is reported with the check's text.
bool Physics_CheckFinite(float value, const char* check);
bool Physics_CheckFinite2(float x, float y, const char* check);

// Whether the points would make a polygon the library accepts: 3 to 8 points, closer ones welded,
// a hull that closes within 8 vertices, edges of some length and an area above its epsilon. The
// library's own steps are followed, so its rounding is met exactly. Reports the failure when not.
bool Physics_CheckPolygon(const b2Vec2* points, int count);
// Whether a box of these half sizes has the area a body's mass needs. Reports the failure when not.
bool Physics_CheckBoxArea(float halfWidth, float halfHeight);
// Whether the library can recompute the mass of a dynamic body (null: a new one) with the shape
// added at the density and rotation fixed or free: the inertia left about the centre of mass must
// stay above 0, which a small dense shape far from the body's origin can round away. Always true
// for other bodies. Reports the failure when not.
bool Physics_CheckMass(const b2Body* body, bool fixedRotation, const b2Shape* added = nullptr, float density = 0.0f);
