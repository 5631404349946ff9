// What the families of built-in variables share: the conversions their setters apply, the index
// rule of indexed variables, and the getters and setters of each family that the two registration
// tables (per-instance, then global) list in order.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "base/Base_Numbers.h"
#include "code/Code_Value.h"
#include "variable/Variable_BuiltIn.h"

class CInstance;

namespace builtin {

// An integer field takes the real rounded to the nearest integer, ties to even.
inline int32_t Integer(const ScriptValue* value)
{
    return Numbers_RoundToInt32(value->real);
}
// A colour field takes the rounded integer's bits.
inline uint32_t Colour(const ScriptValue* value)
{
    return static_cast<uint32_t>(Integer(value));
}
// solid, visible and persistent: on for any rounded value but 0.
inline uint8_t FlagNonZero(const ScriptValue* value)
{
    return Integer(value) != 0 ? 1 : 0;
}
// Every other flag: on when the rounded value is 1 or more.
inline uint8_t FlagAtLeastOne(const ScriptValue* value)
{
    return Integer(value) >= 1 ? 1 : 0;
}
// Flags of the error state and the physics body compare the real itself.
inline bool FlagAboveHalf(const ScriptValue* value)
{
    return value->real > 0.5;
}

// A real stored in a 32-bit float field (an infinity beyond the float range).
inline float Float(double real)
{
    return Numbers_ToFloat(real);
}
inline float Float(const ScriptValue* value)
{
    return Float(value->real);
}

// Elements 0 to count - 1; any other index (none given is -1) addresses element 0.
inline int32_t Element(int32_t index, int32_t count)
{
    return index >= 0 && index < count ? index : 0;
}

inline bool Real(ScriptValue* out, double real)
{
    Value_SetReal(out, real);
    return true;
}
// A string value holding a copy of the text; no text reads as the empty string.
inline bool Text(ScriptValue* out, const char* text)
{
    Value_SetText(out, text != nullptr ? text : "");
    return true;
}

} // namespace builtin

// One row of a registration table.
struct BuiltinVariableRow {
    const char* name;
    bool (*getter)(CInstance*, int32_t, ScriptValue*);
    bool (*setter)(CInstance*, int32_t, const ScriptValue*);
    BuiltinRealGetter getReal = nullptr; // a plain number field's typed accessors, when it is one
    BuiltinRealSetter setReal = nullptr;
    int32_t field = BUILTIN_NO_FIELD; // the place of the float getReal returns, when that is all it does
};

// Appends the rows in order, each settable exactly when it has a setter.
void Variable_BuiltIn_AddRows(const BuiltinVariableRow* rows, size_t count);

// The families' getters and setters; the tables name them with the GV_ and SV_ prefixes.
#define KELVARO_BUILTIN_GET(Name) bool GV_##Name(CInstance* instance, int32_t index, ScriptValue* out)
#define KELVARO_BUILTIN_SET(Name) bool SV_##Name(CInstance* instance, int32_t index, const ScriptValue* value)
#define KELVARO_BUILTIN_BOTH(Name)                                                                           \
    KELVARO_BUILTIN_GET(Name);                                                                               \
    KELVARO_BUILTIN_SET(Name)

// Physics (Variable_BuiltInPhysics.cpp).
KELVARO_BUILTIN_BOTH(PhyRotation);
KELVARO_BUILTIN_BOTH(PhyPositionX);
KELVARO_BUILTIN_BOTH(PhyPositionY);
KELVARO_BUILTIN_BOTH(PhyAngularVelocity);
KELVARO_BUILTIN_BOTH(PhyLinearVelocityX);
KELVARO_BUILTIN_BOTH(PhyLinearVelocityY);
KELVARO_BUILTIN_BOTH(PhySpeedX);
KELVARO_BUILTIN_BOTH(PhySpeedY);
KELVARO_BUILTIN_BOTH(PhyBullet);
KELVARO_BUILTIN_BOTH(PhyFixedRotation);
KELVARO_BUILTIN_BOTH(PhyActive);
KELVARO_BUILTIN_GET(PhyMass);
KELVARO_BUILTIN_GET(PhyInertia);
KELVARO_BUILTIN_GET(PhyComX);
KELVARO_BUILTIN_GET(PhyComY);
KELVARO_BUILTIN_GET(PhyDynamic);
KELVARO_BUILTIN_GET(PhyKinematic);
KELVARO_BUILTIN_GET(PhySleeping);
KELVARO_BUILTIN_GET(PhyCollisionPoints);
KELVARO_BUILTIN_GET(PhyCollisionX);
KELVARO_BUILTIN_GET(PhyCollisionY);
KELVARO_BUILTIN_GET(PhyColNormalX);
KELVARO_BUILTIN_GET(PhyColNormalY);

// The current room, its background layers and views (Variable_BuiltInRoom.cpp).
KELVARO_BUILTIN_BOTH(Room);
KELVARO_BUILTIN_GET(RoomFirst);
KELVARO_BUILTIN_GET(RoomLast);
KELVARO_BUILTIN_GET(InstanceCount);
KELVARO_BUILTIN_GET(InstanceId);
KELVARO_BUILTIN_GET(RoomWidth);
KELVARO_BUILTIN_GET(RoomHeight);
KELVARO_BUILTIN_BOTH(RoomCaption);
KELVARO_BUILTIN_BOTH(RoomSpeed);
KELVARO_BUILTIN_BOTH(RoomPersistent);
KELVARO_BUILTIN_BOTH(BackgroundColor);
KELVARO_BUILTIN_BOTH(BackgroundShowColor);
KELVARO_BUILTIN_BOTH(BackgroundVisible);
KELVARO_BUILTIN_BOTH(BackgroundForeground);
KELVARO_BUILTIN_BOTH(BackgroundIndex);
KELVARO_BUILTIN_BOTH(BackgroundX);
KELVARO_BUILTIN_BOTH(BackgroundY);
KELVARO_BUILTIN_GET(BackgroundWidth);
KELVARO_BUILTIN_GET(BackgroundHeight);
KELVARO_BUILTIN_BOTH(BackgroundHTiled);
KELVARO_BUILTIN_BOTH(BackgroundVTiled);
KELVARO_BUILTIN_BOTH(BackgroundXScale);
KELVARO_BUILTIN_BOTH(BackgroundYScale);
KELVARO_BUILTIN_BOTH(BackgroundHSpeed);
KELVARO_BUILTIN_BOTH(BackgroundVSpeed);
KELVARO_BUILTIN_BOTH(BackgroundBlend);
KELVARO_BUILTIN_BOTH(BackgroundAlpha);
KELVARO_BUILTIN_BOTH(ViewEnabled);
KELVARO_BUILTIN_GET(ViewCurrent);
KELVARO_BUILTIN_BOTH(ViewVisible);
KELVARO_BUILTIN_BOTH(ViewXView);
KELVARO_BUILTIN_BOTH(ViewYView);
KELVARO_BUILTIN_BOTH(ViewWView);
KELVARO_BUILTIN_BOTH(ViewHView);
KELVARO_BUILTIN_BOTH(ViewXPort);
KELVARO_BUILTIN_BOTH(ViewYPort);
KELVARO_BUILTIN_BOTH(ViewWPort);
KELVARO_BUILTIN_BOTH(ViewHPort);
KELVARO_BUILTIN_BOTH(ViewAngle);
KELVARO_BUILTIN_BOTH(ViewHBorder);
KELVARO_BUILTIN_BOTH(ViewVBorder);
KELVARO_BUILTIN_BOTH(ViewHSpeed);
KELVARO_BUILTIN_BOTH(ViewVSpeed);
KELVARO_BUILTIN_BOTH(ViewObject);
KELVARO_BUILTIN_BOTH(ViewSurfaceId);

// Variables whose data other subsystems keep: input, mouse, time, the temporary folder, transitions,
// the display, asynchronous events and actions (Variable_BuiltInServices.cpp).
KELVARO_BUILTIN_GET(AsyncLoad);
KELVARO_BUILTIN_GET(DisplayAA);
KELVARO_BUILTIN_GET(DeltaTime);
KELVARO_BUILTIN_GET(ArgumentRelative);
KELVARO_BUILTIN_BOTH(TransitionKind);
KELVARO_BUILTIN_BOTH(TransitionSteps);
KELVARO_BUILTIN_GET(TempDirectory);
KELVARO_BUILTIN_GET(MouseX);
KELVARO_BUILTIN_GET(MouseY);
KELVARO_BUILTIN_BOTH(MouseButton);
KELVARO_BUILTIN_BOTH(MouseLastButton);
KELVARO_BUILTIN_BOTH(KeyboardKey);
KELVARO_BUILTIN_BOTH(KeyboardLastKey);
KELVARO_BUILTIN_BOTH(KeyboardLastChar);
KELVARO_BUILTIN_BOTH(KeyboardString);
KELVARO_BUILTIN_GET(Fps);
KELVARO_BUILTIN_GET(CurrentTime);
KELVARO_BUILTIN_GET(CurrentYear);
KELVARO_BUILTIN_GET(CurrentMonth);
KELVARO_BUILTIN_GET(CurrentDay);
KELVARO_BUILTIN_GET(CurrentWeekday);
KELVARO_BUILTIN_GET(CurrentHour);
KELVARO_BUILTIN_GET(CurrentMinute);
KELVARO_BUILTIN_GET(CurrentSecond);
