// The global built-in variables of the game: script arguments, score, lives and health, the game's
// identity and folders, the captions, the event being performed and the error state; and the
// registration of all 106 global variables in their order (after the per-instance ones).
#include <string>

#include "app/App_Paths.h"
#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Header.h"
#include "run/Run_Event.h"
#include "run/Run_Globals.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_BuiltInFamilies.h"

using namespace builtin;

namespace {

constexpr int32_t EVENT_OTHER = 7;
constexpr int32_t OTHER_NO_MORE_LIVES = 6;
constexpr int32_t OTHER_NO_MORE_HEALTH = 9;

std::string g_WorkingDirectory;
bool g_WorkingDirectorySet = false;

// The folder part of a path: before its last '/', else its last '\'; empty without either. A file
// in the root has the root as its folder: cut before the separator it would be no folder at all.
std::string FolderOf(const char* path)
{
    std::string text = path != nullptr ? path : "";
    size_t cut = text.rfind('/');
    if (cut == std::string::npos) cut = text.rfind('\\');
    if (cut == std::string::npos) return std::string();
    return text.substr(0, cut == 0 ? 1 : cut);
}

// ---- script arguments ----------------------------------------------------------------------------

ScriptValue* Argument(int32_t n)
{
    return &g_ScriptArguments[Element(n, SCRIPT_ARGUMENT_COUNT)];
}

bool GV_Argument(CInstance*, int32_t index, ScriptValue* out)
{
    Value_Copy(out, Argument(index));
    return true;
}

bool SV_Argument(CInstance*, int32_t index, const ScriptValue* value)
{
    Value_Copy(Argument(index), value);
    return true;
}

// argument0 to argument15: the index addresses an element of the argument's own value.
template <int N> bool GV_ArgumentN(CInstance*, int32_t index, ScriptValue* out)
{
    return Value_GetArrayElement(out, &g_ScriptArguments[N], index);
}

template <int N> bool SV_ArgumentN(CInstance*, int32_t index, const ScriptValue* value)
{
    Value_SetArrayElement(&g_ScriptArguments[N], value, index);
    return true;
}

bool GV_ArgumentCount(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_ScriptArgumentCount);
}

// ---- the game ------------------------------------------------------------------------------------

// Bit 0 of the header's first word clear marks a game built for debugging.
bool GV_DebugMode(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, (g_GameHeader.debugByte & 1) == 0 ? 1.0 : 0.0);
}

bool GV_Score(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_Score);
}

bool SV_Score(CInstance*, int32_t, const ScriptValue* value)
{
    g_Score = Integer(value);
    return true;
}

bool GV_Lives(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_Lives);
}

// Running out of lives is announced once, on the change from some to none.
bool SV_Lives(CInstance*, int32_t, const ScriptValue* value)
{
    int32_t old = g_Lives;
    g_Lives = Integer(value);
    if (old >= 1 && g_Lives <= 0) Perform_Event_All(EVENT_OTHER, OTHER_NO_MORE_LIVES);
    return true;
}

bool GV_Health(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_Health);
}

bool SV_Health(CInstance*, int32_t, const ScriptValue* value)
{
    double old = g_Health;
    g_Health = value->real;
    if (old > 0.0 && g_Health <= 0.0) Perform_Event_All(EVENT_OTHER, OTHER_NO_MORE_HEALTH);
    return true;
}

bool GV_GameId(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_GameHeader.gameId);
}
bool GV_GameGuid(CInstance*, int32_t, ScriptValue* out)
{
    return Text(out, "");
}
bool GV_WorkingDirectory(CInstance*, int32_t, ScriptValue* out)
{
    return Text(out, g_WorkingDirectory.c_str());
}
bool GV_ProgramDirectory(CInstance*, int32_t, ScriptValue* out)
{
    return Text(out, FolderOf(GetProgramDirectory()).c_str());
}

bool GV_CursorSprite(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_CursorSprite);
}

bool SV_CursorSprite(CInstance*, int32_t, const ScriptValue* value)
{
    g_CursorSprite = Integer(value);
    return true;
}

// ---- what the window caption shows -------------------------------------------------------------

bool GV_ShowScore(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_ShowScore);
}

bool SV_ShowScore(CInstance*, int32_t, const ScriptValue* value)
{
    g_ShowScore = FlagAtLeastOne(value);
    g_CaptionSettingsChanged = 1;
    return true;
}

bool GV_ShowLives(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_ShowLives);
}

bool SV_ShowLives(CInstance*, int32_t, const ScriptValue* value)
{
    g_ShowLives = FlagAtLeastOne(value);
    return true;
}

bool GV_ShowHealth(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_ShowHealth);
}

bool SV_ShowHealth(CInstance*, int32_t, const ScriptValue* value)
{
    g_ShowHealth = FlagAtLeastOne(value);
    return true;
}

// A caption takes its own copy of the text; a value without text empties it.
bool SetCaption(std::string& caption, const ScriptValue* value)
{
    const char* text = Value_GetText(value);
    caption = text != nullptr ? text : "";
    return true;
}

bool GV_CaptionScore(CInstance*, int32_t, ScriptValue* out)
{
    return Text(out, g_CaptionScore.c_str());
}
bool SV_CaptionScore(CInstance*, int32_t, const ScriptValue* value)
{
    return SetCaption(g_CaptionScore, value);
}
bool GV_CaptionLives(CInstance*, int32_t, ScriptValue* out)
{
    return Text(out, g_CaptionLives.c_str());
}
bool SV_CaptionLives(CInstance*, int32_t, const ScriptValue* value)
{
    return SetCaption(g_CaptionLives, value);
}
bool GV_CaptionHealth(CInstance*, int32_t, ScriptValue* out)
{
    return Text(out, g_CaptionHealth.c_str());
}
bool SV_CaptionHealth(CInstance*, int32_t, const ScriptValue* value)
{
    return SetCaption(g_CaptionHealth, value);
}

// ---- the event being performed and the error state ----------------------------------------------

bool GV_EventType(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_CurrentEventType);
}
bool GV_EventNumber(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_CurrentEventNumber);
}
bool GV_EventObject(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_CurrentEventObject);
}
bool GV_EventAction(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_CurrentActionNumber);
}
bool GV_SecureMode(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, 0.0);
}

bool GV_ErrorOccurred(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_ErrorOccurred);
}

bool SV_ErrorOccurred(CInstance*, int32_t, const ScriptValue* value)
{
    g_ErrorOccurred = FlagAboveHalf(value) ? 1 : 0;
    return true;
}

bool GV_ErrorLast(CInstance*, int32_t, ScriptValue* out)
{
    return Text(out, g_ErrorLast.c_str());
}

bool SV_ErrorLast(CInstance*, int32_t, const ScriptValue* value)
{
    const char* text = Value_GetText(value);
    g_ErrorLast = text != nullptr ? text : "";
    return true;
}

// In registration order, after the per-instance variables.
const BuiltinVariableRow GLOBAL_VARIABLES[] = {
    {"argument_relative", GV_ArgumentRelative, nullptr},
    {"argument", GV_Argument, SV_Argument},
    {"argument0", GV_ArgumentN<0>, SV_ArgumentN<0>},
    {"argument1", GV_ArgumentN<1>, SV_ArgumentN<1>},
    {"argument2", GV_ArgumentN<2>, SV_ArgumentN<2>},
    {"argument3", GV_ArgumentN<3>, SV_ArgumentN<3>},
    {"argument4", GV_ArgumentN<4>, SV_ArgumentN<4>},
    {"argument5", GV_ArgumentN<5>, SV_ArgumentN<5>},
    {"argument6", GV_ArgumentN<6>, SV_ArgumentN<6>},
    {"argument7", GV_ArgumentN<7>, SV_ArgumentN<7>},
    {"argument8", GV_ArgumentN<8>, SV_ArgumentN<8>},
    {"argument9", GV_ArgumentN<9>, SV_ArgumentN<9>},
    {"argument10", GV_ArgumentN<10>, SV_ArgumentN<10>},
    {"argument11", GV_ArgumentN<11>, SV_ArgumentN<11>},
    {"argument12", GV_ArgumentN<12>, SV_ArgumentN<12>},
    {"argument13", GV_ArgumentN<13>, SV_ArgumentN<13>},
    {"argument14", GV_ArgumentN<14>, SV_ArgumentN<14>},
    {"argument15", GV_ArgumentN<15>, SV_ArgumentN<15>},
    {"argument_count", GV_ArgumentCount, nullptr},
    {"debug_mode", GV_DebugMode, nullptr},
    {"room", GV_Room, SV_Room},
    {"room_first", GV_RoomFirst, nullptr},
    {"room_last", GV_RoomLast, nullptr},
    {"transition_kind", GV_TransitionKind, SV_TransitionKind},
    {"transition_steps", GV_TransitionSteps, SV_TransitionSteps},
    {"score", GV_Score, SV_Score},
    {"lives", GV_Lives, SV_Lives},
    {"health", GV_Health, SV_Health},
    {"game_id", GV_GameId, nullptr},
    {"game_guid", GV_GameGuid, nullptr},
    {"working_directory", GV_WorkingDirectory, nullptr},
    {"temp_directory", GV_TempDirectory, nullptr},
    {"program_directory", GV_ProgramDirectory, nullptr},
    {"instance_count", GV_InstanceCount, nullptr},
    {"instance_id", GV_InstanceId, nullptr},
    {"room_width", GV_RoomWidth, nullptr},
    {"room_height", GV_RoomHeight, nullptr},
    {"room_caption", GV_RoomCaption, SV_RoomCaption},
    {"room_speed", GV_RoomSpeed, SV_RoomSpeed},
    {"room_persistent", GV_RoomPersistent, SV_RoomPersistent},
    {"background_color", GV_BackgroundColor, SV_BackgroundColor},
    {"background_showcolor", GV_BackgroundShowColor, SV_BackgroundShowColor},
    {"background_visible", GV_BackgroundVisible, SV_BackgroundVisible},
    {"background_foreground", GV_BackgroundForeground, SV_BackgroundForeground},
    {"background_index", GV_BackgroundIndex, SV_BackgroundIndex},
    {"background_x", GV_BackgroundX, SV_BackgroundX},
    {"background_y", GV_BackgroundY, SV_BackgroundY},
    {"background_width", GV_BackgroundWidth, nullptr},
    {"background_height", GV_BackgroundHeight, nullptr},
    {"background_htiled", GV_BackgroundHTiled, SV_BackgroundHTiled},
    {"background_vtiled", GV_BackgroundVTiled, SV_BackgroundVTiled},
    {"background_xscale", GV_BackgroundXScale, SV_BackgroundXScale},
    {"background_yscale", GV_BackgroundYScale, SV_BackgroundYScale},
    {"background_hspeed", GV_BackgroundHSpeed, SV_BackgroundHSpeed},
    {"background_vspeed", GV_BackgroundVSpeed, SV_BackgroundVSpeed},
    {"background_blend", GV_BackgroundBlend, SV_BackgroundBlend},
    {"background_alpha", GV_BackgroundAlpha, SV_BackgroundAlpha},
    {"view_enabled", GV_ViewEnabled, SV_ViewEnabled},
    {"view_current", GV_ViewCurrent, nullptr},
    {"view_visible", GV_ViewVisible, SV_ViewVisible},
    {"view_xview", GV_ViewXView, SV_ViewXView},
    {"view_yview", GV_ViewYView, SV_ViewYView},
    {"view_wview", GV_ViewWView, SV_ViewWView},
    {"view_hview", GV_ViewHView, SV_ViewHView},
    {"view_xport", GV_ViewXPort, SV_ViewXPort},
    {"view_yport", GV_ViewYPort, SV_ViewYPort},
    {"view_wport", GV_ViewWPort, SV_ViewWPort},
    {"view_hport", GV_ViewHPort, SV_ViewHPort},
    {"view_angle", GV_ViewAngle, SV_ViewAngle},
    {"view_hborder", GV_ViewHBorder, SV_ViewHBorder},
    {"view_vborder", GV_ViewVBorder, SV_ViewVBorder},
    {"view_hspeed", GV_ViewHSpeed, SV_ViewHSpeed},
    {"view_vspeed", GV_ViewVSpeed, SV_ViewVSpeed},
    {"view_object", GV_ViewObject, SV_ViewObject},
    {"view_surface_id", GV_ViewSurfaceId, SV_ViewSurfaceId},
    {"mouse_x", GV_MouseX, nullptr},
    {"mouse_y", GV_MouseY, nullptr},
    {"mouse_button", GV_MouseButton, SV_MouseButton},
    {"mouse_lastbutton", GV_MouseLastButton, SV_MouseLastButton},
    {"keyboard_key", GV_KeyboardKey, SV_KeyboardKey},
    {"keyboard_lastkey", GV_KeyboardLastKey, SV_KeyboardLastKey},
    {"keyboard_lastchar", GV_KeyboardLastChar, SV_KeyboardLastChar},
    {"keyboard_string", GV_KeyboardString, SV_KeyboardString},
    {"cursor_sprite", GV_CursorSprite, SV_CursorSprite},
    {"show_score", GV_ShowScore, SV_ShowScore},
    {"show_lives", GV_ShowLives, SV_ShowLives},
    {"show_health", GV_ShowHealth, SV_ShowHealth},
    {"caption_score", GV_CaptionScore, SV_CaptionScore},
    {"caption_lives", GV_CaptionLives, SV_CaptionLives},
    {"caption_health", GV_CaptionHealth, SV_CaptionHealth},
    {"fps", GV_Fps, nullptr},
    {"current_time", GV_CurrentTime, nullptr},
    {"current_year", GV_CurrentYear, nullptr},
    {"current_month", GV_CurrentMonth, nullptr},
    {"current_day", GV_CurrentDay, nullptr},
    {"current_weekday", GV_CurrentWeekday, nullptr},
    {"current_hour", GV_CurrentHour, nullptr},
    {"current_minute", GV_CurrentMinute, nullptr},
    {"current_second", GV_CurrentSecond, nullptr},
    {"event_type", GV_EventType, nullptr},
    {"event_number", GV_EventNumber, nullptr},
    {"event_object", GV_EventObject, nullptr},
    {"event_action", GV_EventAction, nullptr},
    {"secure_mode", GV_SecureMode, nullptr},
    {"error_occurred", GV_ErrorOccurred, SV_ErrorOccurred},
    {"error_last", GV_ErrorLast, SV_ErrorLast},
};

} // namespace

void Variable_BuiltIn_RegisterGlobal()
{
    Variable_BuiltIn_AddRows(GLOBAL_VARIABLES, sizeof GLOBAL_VARIABLES / sizeof GLOBAL_VARIABLES[0]);
    InitOsVariables();
}

void Variable_InitWorkingDirectory(const char* gameFileName)
{
    if (g_WorkingDirectorySet) return;
    g_WorkingDirectorySet = true;
    g_WorkingDirectory = FolderOf(gameFileName);
    const std::string rule(73, '#');
    MainConsole->Output("%s\n", rule.c_str());
    MainConsole->Output("####!!!!$$$$$$ pwd - %s\n", Text_Printable(g_WorkingDirectory).c_str());
    MainConsole->Output("%s\n", rule.c_str());
}

const char* Variable_WorkingDirectory()
{
    return g_WorkingDirectory.c_str();
}

void Variable_ResetWorkingDirectory()
{
    g_WorkingDirectory.clear();
    g_WorkingDirectorySet = false;
}
