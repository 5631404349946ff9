// The actions that play sounds, change rooms, set alarms and time lines, wait, show information,
// end, restart, save or load the game, and replace resources from files.
#include <string>

#include "app/App_CommandLine.h"
#include "background/Background_Class.h"
#include "background/Background_Table.h"
#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "function/Function_Action.h"
#include "dialog/Dialog_Requests.h"
#include "function/Function_InteractionDialogs.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_RenderState.h"
#include "instance/Instance_Class.h"
#include "io/IO_Main.h"
#include "platform/Platform_MessageBox.h"
#include "room/Room_Draw.h"
#include "room/Room_Table.h"
#include "run/Run_Commands.h"
#include "run/Run_Game.h"
#include "run/Run_Layer.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_Main.h"
#include "sprite/Sprite_Table.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

namespace {

constexpr int64_t MICROSECONDS_PER_MILLISECOND = 1000;

// ---- sounds --------------------------------------------------------------------------------------

// The legacy layer's sound, or null after reporting `missing`; null without a report while audio
// is off.
CSound* LegacySound(const ScriptValue& index, const char* missing)
{
    if (g_NoAudio) return nullptr;
    CSound* sound = Sound_Get(Arg_Int(index));
    if (sound == nullptr) Error_Show_Action(missing, false);
    return sound;
}

bool IsStreamed(int32_t asset)
{
    return Audio_IsStreamed(asset) == 1;
}

void Builtin_ActionSound(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    bool loop = Arg_Flag(args[1]);
    if (Audio_IsNewSystem()) {
        int32_t asset = Arg_Int(args[0]);
        if (IsStreamed(asset))
            Audio_PlayMusic(asset, loop);
        else
            Audio_PlaySound(asset, 1.0, loop ? 1 : 0);
        return;
    }
    CSound* sound = LegacySound(args[0], "Trying to play non-existing sound.");
    if (sound == nullptr) return;
    Sound_PlayFile(sound->m_pFileName, sound->GetSoundId(), loop);
    Sound_SetVolume(sound->GetSoundId(), static_cast<float>(sound->m_Volume), 1);
}

void Builtin_ActionEndSound(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Audio_IsNewSystem()) {
        int32_t asset = Arg_Int(args[0]);
        if (IsStreamed(asset))
            Audio_StopMusic();
        else
            Audio_StopSound(asset);
        return;
    }
    CSound* sound = LegacySound(args[0], "Trying to stop non-existing sound.");
    if (sound != nullptr) Sound_StopFile(sound->m_pFileName, sound->GetSoundId());
}

void Builtin_ActionIfSound(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Audio_IsNewSystem()) {
        Result_Bool(result, Audio_IsPlaying(Arg_Int(args[0])));
        return;
    }
    CSound* sound = g_NoAudio ? nullptr : Sound_Get(Arg_Int(args[0]));
    if (sound != nullptr) Result_Bool(result, Sound_IsPlaying(sound->m_pFileName, sound->GetSoundId()));
}

// ---- rooms (the transition argument is not used) -------------------------------------------------

void Builtin_ActionAnotherRoom(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Run_GotoRoom(Arg_Int(args[0]));
}

void Builtin_ActionCurrentRoom(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_RestartRoom();
}

void Builtin_ActionPreviousRoom(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_GotoPreviousRoom();
}

void Builtin_ActionNextRoom(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_GotoNextRoom();
}

void Builtin_ActionIfPreviousRoom(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, g_CurrentRoomIndex != Room_First());
}

void Builtin_ActionIfNextRoom(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, g_CurrentRoomIndex != Room_Last());
}

// ---- alarms, sleeping and time lines -------------------------------------------------------------

// Relative adds to a running alarm only: a stopped one (-1) is set to the steps.
void Builtin_ActionSetAlarm(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    int32_t alarm = Arg_Int(args[1]), steps = Arg_Int(args[0]);
    int32_t current = self->GetAlarm(alarm);
    if (Action_IsRelative() && current >= 0) steps = Action_WholeQuantity(current, args[0]);
    self->SetAlarm(alarm, steps);
}

void Builtin_ActionSleep(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_Flag(args[1])) {
        Room_Draw();
        GR_EndFrame(true);
        GR_StartFrame();
    }
    GR_D3D_FinishPresent();
    Timing_Sleep(static_cast<int64_t>(Arg_Int(args[0])) * MICROSECONDS_PER_MILLISECOND);
}

float RoundedPosition(const ScriptValue& value)
{
    return static_cast<float>(Arg_Int(value));
}

void Builtin_ActionSetTimeline(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    self->SetTimelineIndex(Arg_Int(args[0]));
    self->SetTimelinePosition(RoundedPosition(args[1]));
    self->SetTimelineRunning(1);
}

void Builtin_ActionSetTimelinePosition(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    float position = RoundedPosition(args[0]);
    self->SetTimelinePosition(Action_IsRelative() ? self->i_timelineposition + position : position);
}

void Builtin_ActionSetTimelineSpeed(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr)
        self->SetTimelineSpeed(static_cast<float>(Action_Quantity(self->i_timelinespeed, args[0])));
}

// Start 0 runs the time line at once, any other start leaves it waiting; loop 1 loops.
void Builtin_ActionTimelineSet(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    self->SetTimelineIndex(Arg_Int(args[0]));
    self->SetTimelinePosition(RoundedPosition(args[1]));
    self->SetTimelineRunning(Arg_Int(args[2]) == 0 ? 1 : 0);
    self->SetTimelineLoop(Arg_Int(args[3]) == 1 ? 1 : 0);
}

void Builtin_ActionTimelineStart(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self != nullptr) self->SetTimelineRunning(1);
}

void Builtin_ActionTimelinePause(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self != nullptr) self->SetTimelineRunning(0);
}

void Builtin_ActionTimelineStop(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self == nullptr) return;
    self->SetTimelineRunning(0);
    self->SetTimelinePosition(0.0f);
}

// ---- information and the game --------------------------------------------------------------------

// A real shows in the "%e" form; a string without text shows nothing. Keys held while the box was
// open must not fire events afterwards, so the input state is cleared.
void Builtin_ActionMessage(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, 1);
    if (Arg_IsReal(args[0])) {
        ShowMessage(Numbers_Format("%e", args[0].real).c_str());
    } else if (const char* text = Arg_Text(args[0]); text != nullptr && text[0] != '\0') {
        ShowMessage(text);
    }
    IO_Clear();
}

void Builtin_ActionShowInfo(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    IO_Clear();
}

void Builtin_ActionShowVideo(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_SplashFullScreen = Arg_Real(args[1]) > 0.0 ? 1 : 0;
    Video_Show(Arg_TextOrEmpty(args[0]), Arg_Real(args[2]) > 0.0);
    IO_Clear();
}

void Builtin_ActionEndGame(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_RequestGameEnd();
}

void Builtin_ActionRestartGame(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_RequestGameRestart();
}

void Builtin_ActionSaveGame(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Run_SaveGame(Arg_TextOrEmpty(args[0]));
}

void Builtin_ActionLoadGame(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Run_LoadGame(Arg_TextOrEmpty(args[0]));
}

// ---- replacing resources -------------------------------------------------------------------------

// The file name when the resource exists and the file does (taken as given, not mapped into the
// save area); null after reporting which is missing.
const char* ReplacementFile(bool exists, const ScriptValue& file)
{
    if (!exists) {
        Error_Show_Action("Trying to replace non-existing resource.", false);
        return nullptr;
    }
    const char* name = Arg_TextOrEmpty(file);
    if (File_Exists(name)) return name;
    Error_Show_Action("File does not exist.", false);
    return nullptr;
}

void Builtin_ActionReplaceSprite(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = Arg_Int(args[0]);
    const char* file = ReplacementFile(Sprite_Exists(index), args[1]);
    if (file == nullptr) return;
    const CSprite* sprite = Sprite_Get(index);
    Sprite_Replace(index, file, Arg_Int(args[2]), sprite->GetPrecise() != 0, sprite->GetTransparent() != 0,
                   sprite->GetSmooth() != 0, sprite->GetPreload() != 0, sprite->GetXOrigin(),
                   sprite->GetYOrigin());
}

void Builtin_ActionReplaceSound(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = Arg_Int(args[0]);
    const char* file = ReplacementFile(Sound_Exists(index), args[1]);
    if (file == nullptr) return;
    const CSound* sound = Sound_Get(index);
    Sound_Replace(index, file, sound->m_Kind, sound->m_Preload);
}

void Builtin_ActionReplaceBackground(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = Arg_Int(args[0]);
    const char* file = ReplacementFile(Background_Exists(index), args[1]);
    if (file == nullptr) return;
    const CBackground* background = Background_Data(index);
    Background_Replace(index, file, background->GetTransparent(), background->GetSmooth(),
                       background->GetPreload());
}

const FunctionRow ACTION_GAME_ROWS[] = {
    {"action_sound", Builtin_ActionSound, 2},
    {"action_end_sound", Builtin_ActionEndSound, 1},
    {"action_if_sound", Builtin_ActionIfSound, 1},
    {"action_another_room", Builtin_ActionAnotherRoom, 2},
    {"action_current_room", Builtin_ActionCurrentRoom, 1},
    {"action_previous_room", Builtin_ActionPreviousRoom, 1},
    {"action_next_room", Builtin_ActionNextRoom, 1},
    {"action_if_previous_room", Builtin_ActionIfPreviousRoom, 0},
    {"action_if_next_room", Builtin_ActionIfNextRoom, 0},
    {"action_set_alarm", Builtin_ActionSetAlarm, 2},
    {"action_sleep", Builtin_ActionSleep, 2},
    {"action_set_timeline", Builtin_ActionSetTimeline, 2},
    {"action_set_timeline_position", Builtin_ActionSetTimelinePosition, 1},
    {"action_set_timeline_speed", Builtin_ActionSetTimelineSpeed, 1},
    {"action_timeline_set", Builtin_ActionTimelineSet, 4},
    {"action_timeline_start", Builtin_ActionTimelineStart, 0},
    {"action_timeline_pause", Builtin_ActionTimelinePause, 0},
    {"action_timeline_stop", Builtin_ActionTimelineStop, 0},
    {"action_message", Builtin_ActionMessage, 1},
    {"action_show_info", Builtin_ActionShowInfo, 0},
    {"action_show_video", Builtin_ActionShowVideo, 3},
    {"action_end_game", Builtin_ActionEndGame, 0},
    {"action_restart_game", Builtin_ActionRestartGame, 0},
    {"action_save_game", Builtin_ActionSaveGame, 1},
    {"action_load_game", Builtin_ActionLoadGame, 1},
    {"action_replace_sprite", Builtin_ActionReplaceSprite, 3},
    {"action_replace_sound", Builtin_ActionReplaceSound, 2},
    {"action_replace_background", Builtin_ActionReplaceBackground, 2},
};

} // namespace

void Function_ActionGame_Register()
{
    Function_AddRows(ACTION_GAME_ROWS);
}
