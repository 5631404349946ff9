// The Game family's room, game-state, transition and sleep routines. Room and game changes only
// leave a run request, which the frame acts on at its end.
#include "function/Function_Args.h"
#include "function/Function_Game.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Transition.h"
#include "room/Room_Table.h"
#include "run/Run_Commands.h"
#include "run/Run_Layer.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

namespace {

constexpr double MICROSECONDS_PER_MILLISECOND = 1000.0;

// The saving and loading routines act only on exactly one argument whose whole kind word is the
// wanted kind; anything else is ignored without a message.
bool OneArgumentOfKind(int32_t argc, const ScriptValue* args, uint32_t kind)
{
    return argc == 1 && args[0].kind == kind;
}

} // namespace

void Builtin_RoomGoto(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Run_GotoRoom(Arg_Int(args[0]));
}

void Builtin_RoomGotoPrevious(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_GotoPreviousRoom();
}

void Builtin_RoomGotoNext(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_GotoNextRoom();
}

void Builtin_RoomRestart(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_RestartRoom();
}

void Builtin_RoomPrevious(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t room = Arg_Int(args[0]);
    bool none = !Room_Exists(room) || room == Room_First();
    Result_Real(result, none ? -1 : Room_Previous(room));
}

void Builtin_RoomNext(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t room = Arg_Int(args[0]);
    bool none = !Room_Exists(room) || room == Room_Last();
    Result_Real(result, none ? -1 : Room_Next(room));
}

void Builtin_GameEnd(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_RequestGameEnd();
}

void Builtin_GameRestart(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Run_RequestGameRestart();
}

void Builtin_GameSave(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (OneArgumentOfKind(argc, args, VALUE_STRING)) Run_SaveGame(Arg_TextOrEmpty(args[0]));
}

void Builtin_GameLoad(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (OneArgumentOfKind(argc, args, VALUE_STRING)) Run_LoadGame(Arg_TextOrEmpty(args[0]));
}

void Builtin_GameSaveBuffer(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (OneArgumentOfKind(argc, args, VALUE_REAL)) Run_SaveGameBuffer(Arg_Int(args[0]));
}

void Builtin_GameLoadBuffer(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (OneArgumentOfKind(argc, args, VALUE_REAL)) Run_LoadGameBuffer(Arg_Int(args[0]));
}

// A name that is not a string names no script: not found.
void Builtin_TransitionDefine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = args[1].kind == VALUE_STRING ? Arg_Text(args[1]) : nullptr;
    Result_Bool(result, name != nullptr && GR_Transition_Define(Arg_Int(args[0]), name));
}

void Builtin_TransitionExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, TransFunctionExists(Arg_Int(args[0])));
}

// The timer waits nothing for 0 or less and at most three seconds.
void Builtin_Sleep(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_D3D_FinishPresent();
    Timing_Sleep(Numbers_RoundToInt64(Arg_Real(args[0]) * MICROSECONDS_PER_MILLISECOND));
}
