// The sound-resource group of the resource family: tests, names, kinds and the run-time editing of
// the older system's sound table. With the newer audio system on, editing does nothing and answers 0.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "platform/Platform_MemoryManager.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_Main.h"

namespace {

void Builtin_SoundExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = Arg_Int(args[0]);
    Result_Bool(result, Audio_IsNewSystem() ? Audio_Exists(index) : Sound_Exists(index));
}

void Builtin_SoundGetName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    char* name = Sound_GetName(Arg_Int(args[0]));
    Result_Text(result, name);
    MemoryManager::Free(name);
}

void Builtin_SoundGetKind(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CSound* sound = Sound_Get(Arg_Int(args[0]));
    Result_Real(result, sound != nullptr ? sound->m_Kind : -1);
}

void Builtin_SoundGetPreload(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CSound* sound = Sound_Get(Arg_Int(args[0]));
    Result_Real(result, sound != nullptr ? (sound->m_Preload ? 1 : 0) : -1);
}

void Builtin_SoundDiscard(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CSound* sound = Audio_IsNewSystem() ? nullptr : Sound_Get(Arg_Int(args[0]));
    if (sound != nullptr) sound->Discard();
}

void Builtin_SoundRestore(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CSound* sound = Audio_IsNewSystem() ? nullptr : Sound_Get(Arg_Int(args[0]));
    if (sound != nullptr) sound->Restore();
}

void Builtin_SoundAdd(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Audio_IsNewSystem()) return;
    Result_Real(result, Sound_Add(Arg_Text(args[0]), Arg_Int(args[1]), Arg_Flag(args[2])));
}

void Builtin_SoundReplace(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Audio_IsNewSystem()) return;
    int32_t index = Arg_Int(args[0]);
    if (!Sound_Exists(index)) {
        Error_Show_Action("Trying to replace non-existing sound.", false);
        return;
    }
    Result_Bool(result, Sound_Replace(index, Arg_Text(args[1]), Arg_Int(args[2]), Arg_Flag(args[3])));
}

void Builtin_SoundDelete(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Audio_IsNewSystem()) return;
    int32_t index = Arg_Int(args[0]);
    if (!Sound_Exists(index)) {
        Error_Show_Action("Trying to delete non-existing sound.", false);
        return;
    }
    Result_Bool(result, Sound_Delete(index));
}

const FunctionRow RESOURCE_SOUND_ROWS[] = {
    {"sound_exists", Builtin_SoundExists, 1},
    {"sound_get_name", Builtin_SoundGetName, 1},
    {"sound_name", Builtin_SoundGetName, 1},
    {"sound_get_kind", Builtin_SoundGetKind, 1},
    {"sound_get_preload", Builtin_SoundGetPreload, 1},
    {"sound_discard", Builtin_SoundDiscard, 1},
    {"sound_restore", Builtin_SoundRestore, 1},
    {"sound_add", Builtin_SoundAdd, 3},
    {"sound_replace", Builtin_SoundReplace, 4},
    {"sound_delete", Builtin_SoundDelete, 1},
};

} // namespace

void Function_ResourceSounds_Register()
{
    Function_AddRows(RESOURCE_SOUND_ROWS);
}
