// The resource family's script and time-line group: scripts tested, named, read and run with
// arguments; time lines tested, named, deleted and their moments cleared.
#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "script/Script_Table.h"
#include "timeline/Timeline_Table.h"

namespace {

// ---- scripts ----

void Builtin_ScriptExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Script_Exists(Arg_Int(args[0])));
}

void Builtin_ScriptGetName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, Script_Name(Arg_Int(args[0])));
}

void Builtin_ScriptGetText(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const CScript* script = Script_Get(Arg_Int(args[0]));
    Result_Text(result, script != nullptr ? script->GetText() : "");
}

// The block a script runs with: copies of the arguments after the index (at most 15), the other
// slots real 0; freed when the call is over.
class ExecuteArguments {
public:
    ExecuteArguments(int32_t argc, const ScriptValue* args)
    {
        count = argc - 1 < SCRIPT_ARGUMENT_COUNT - 1 ? argc - 1 : SCRIPT_ARGUMENT_COUNT - 1;
        for (int32_t i = 0; i < count; ++i) Value_Copy(&values[i], &args[1 + i]);
    }
    ~ExecuteArguments()
    {
        for (ScriptValue& value : values) Value_Free(&value);
    }
    ExecuteArguments(const ExecuteArguments&) = delete;
    ExecuteArguments& operator=(const ExecuteArguments&) = delete;

    ScriptValue values[SCRIPT_ARGUMENT_COUNT] = {};
    int32_t count = 0;
};

void Builtin_ScriptExecute(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args)
{
    if (argc < 1 || !Script_Exists(Arg_Int(args[0]))) {
        Error_Show_Action("Trying to execute non-existing script.", false);
        return;
    }
    ExecuteArguments block(argc, args);
    ScriptValue answer = {VALUE_REAL, 0, 0.0};
    int32_t callerCount = g_ScriptArgumentCount;
    g_ScriptArgumentCount = block.count;
    Script_Run(Arg_Int(args[0]), self, other, block.count, &answer, block.values);
    g_ScriptArgumentCount = callerCount;
    if (g_CodeErrorFlag) {
        // The run's levels end here, where the error is shown, not in a script that called this.
        Code_Error_FoldFailedLevels();
        Error_Show_Action(g_CodeErrorText.c_str(), false);
        g_CodeErrorFlag = false;
    }
    Value_Copy(result, &answer);
    Value_Free(&answer);
}

// ---- time lines ----

void Builtin_TimelineExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, TimeLine_Exists(Arg_Int(args[0])));
}

void Builtin_TimelineGetName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, TimeLine_Name(Arg_Int(args[0])));
}

void Builtin_TimelineAdd(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, TimeLine_Add());
}

void Builtin_TimelineDelete(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!TimeLine_Exists(Arg_Int(args[0]))) {
        Error_Show_Action("Trying to delete non-existing timeline.", false);
        return;
    }
    Result_Bool(result, TimeLine_Delete(Arg_Int(args[0])));
}

void Builtin_TimelineMomentClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CTimeLine* line = TimeLine_Get(Arg_Int(args[0]))) line->ClearMoment(Arg_Int(args[1]));
}

void Builtin_TimelineMomentAdd(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    MainConsole->Output("timeline_moment_add :: deprecated function\n");
}

const FunctionRow SCRIPT_ROWS[] = {
    {"script_exists", Builtin_ScriptExists, 1},
    {"script_get_name", Builtin_ScriptGetName, 1},
    {"script_name", Builtin_ScriptGetName, 1},
    {"script_get_text", Builtin_ScriptGetText, 1},
    {"script_execute", Builtin_ScriptExecute, FUNCTION_ARGS_ANY},
    {"timeline_exists", Builtin_TimelineExists, 1},
    {"timeline_get_name", Builtin_TimelineGetName, 1},
    {"timeline_name", Builtin_TimelineGetName, 1},
    {"timeline_add", Builtin_TimelineAdd, 0},
    {"timeline_delete", Builtin_TimelineDelete, 1},
    {"timeline_moment_clear", Builtin_TimelineMomentClear, 2},
    {"timeline_moment_add", Builtin_TimelineMomentAdd, 3},
};

} // namespace

void Function_ResourceScripts_Register()
{
    Function_AddRows(SCRIPT_ROWS);
}
