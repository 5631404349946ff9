// The built-in variables whose data other subsystems keep: keyboard and mouse, the frame clock and
// the calendar, the temporary folder, room transitions, the display's multisampling, the
// asynchronous event being performed and the action being performed.
#include <ctime>
#include <string>

#include "base/Base_Console.h"
#include "base/Base_Utf8.h"
#include "datastructure/DataStructure_Map.h"
#include "function/Function_Families.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_StartupServices.h"
#include "io/IO_Main.h"
#include "platform/Platform_MemoryManager.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"
#include "variable/Variable_BuiltInFamilies.h"

using namespace builtin;

namespace {

constexpr int32_t MOUSE_DEVICE = 0;

// The local calendar time now.
std::tm LocalTime()
{
    std::time_t now = std::time(nullptr);
    std::tm* local = std::localtime(&now);
    return local != nullptr ? *local : std::tm{};
}

} // namespace

bool GV_AsyncLoad(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, async_load);
}

// The sample counts the display supports, each count its own bit.
bool GV_DisplayAA(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_D3D.multisampleMask);
}

// Microseconds between the starts of the last two frames.
bool GV_DeltaTime(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, static_cast<double>(Run_GetDeltaTime()));
}

bool GV_ArgumentRelative(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, Action_Relative != 0 ? 1.0 : 0.0);
}

bool GV_TransitionKind(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_TransitionKind);
}

// Room changes play no transition, so the kind never sticks.
bool SV_TransitionKind(CInstance*, int32_t, const ScriptValue* value)
{
    g_TransitionKind = Integer(value);
    MainConsole->Output("BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn "
                        "SV_TransitionKind() .\n");
    g_TransitionKind = 0;
    return true;
}

bool GV_TransitionSteps(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, GR_Transition_GetSteps());
}

bool SV_TransitionSteps(CInstance*, int32_t, const ScriptValue* value)
{
    GR_Transition_SetSteps(Integer(value));
    return true;
}

bool GV_TempDirectory(CInstance*, int32_t, ScriptValue* out)
{
    char* folder = File_GetTempDirectory();
    Text(out, folder);
    MemoryManager::Free(folder);
    return true;
}

bool GV_MouseX(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, GR_Window_GetMouseX(MOUSE_DEVICE));
}
bool GV_MouseY(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, GR_Window_GetMouseY(MOUSE_DEVICE));
}

bool GV_MouseButton(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, IO_GetCurrentButton(MOUSE_DEVICE));
}

bool SV_MouseButton(CInstance*, int32_t, const ScriptValue* value)
{
    IO_SetCurrentButton(Integer(value), MOUSE_DEVICE);
    return true;
}

bool GV_MouseLastButton(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, IO_GetLastButton(MOUSE_DEVICE));
}

bool SV_MouseLastButton(CInstance*, int32_t, const ScriptValue* value)
{
    IO_SetLastButton(Integer(value), MOUSE_DEVICE);
    return true;
}

bool GV_KeyboardKey(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, IO_GetCurrentKey());
}

bool SV_KeyboardKey(CInstance*, int32_t, const ScriptValue* value)
{
    IO_SetCurrentKey(Integer(value));
    return true;
}

bool GV_KeyboardLastKey(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, IO_GetLastKey());
}

bool SV_KeyboardLastKey(CInstance*, int32_t, const ScriptValue* value)
{
    IO_SetLastKey(Integer(value));
    return true;
}

bool GV_KeyboardLastChar(CInstance*, int32_t, ScriptValue* out)
{
    char text[4] = {};
    char* end = text;
    uint16_t character = IO_GetLastChar();
    if (character != 0) UTF8_AddChar(&end, character);
    return Text(out, text);
}

// The first character of the text, decoded whole: a character of several bytes is not cut to its
// lead byte. An empty text changes nothing.
bool SV_KeyboardLastChar(CInstance*, int32_t, const ScriptValue* value)
{
    const char* text = Value_GetText(value);
    if (text != nullptr && text[0] != '\0') IO_SetLastChar(UTF8_ExtractChar(&text));
    return true;
}

bool GV_KeyboardString(CInstance*, int32_t, ScriptValue* out)
{
    return Text(out, IO_GetKeyboardString());
}

bool SV_KeyboardString(CInstance*, int32_t, const ScriptValue* value)
{
    IO_SetKeyboardString(Value_GetText(value));
    return true;
}

bool GV_Fps(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, Run_GetFrameRate());
}

// Whole milliseconds of the timer.
bool GV_CurrentTime(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, static_cast<double>(Timing_Time() / 1000));
}

bool GV_CurrentYear(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, LocalTime().tm_year + 1900);
}
bool GV_CurrentMonth(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, LocalTime().tm_mon + 1);
}
bool GV_CurrentDay(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, LocalTime().tm_mday);
}
bool GV_CurrentWeekday(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, LocalTime().tm_wday);
}
bool GV_CurrentHour(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, LocalTime().tm_hour);
}
bool GV_CurrentMinute(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, LocalTime().tm_min);
}
bool GV_CurrentSecond(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, LocalTime().tm_sec);
}
