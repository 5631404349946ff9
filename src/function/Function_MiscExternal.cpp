// The external_ built-ins: their checks, messages and argument handling over the external-call
// layer, which loads the libraries and makes the calls.
#include <vector>

#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_MiscEvents.h"
#include "support/Support_DLL.h"

ExternalCallLayer g_ExternalCalls = {DLL_Define, DLL_Call, DLL_Free};

namespace {

constexpr int32_t EXTERNAL_MAX_ARGUMENTS = 16;
constexpr int32_t EXTERNAL_MAX_STRING_ARGUMENTS = 4;
constexpr int32_t EXTERNAL_DEFINE_FIXED = 5; // dll, name, calltype, restype, argnumb
constexpr int32_t TYPE_REAL = 0;
constexpr int32_t TYPE_STRING = 1;
constexpr int32_t CONVENTION_CDECL = 0;

// A type code counts as string when it is 1, as real otherwise.
int32_t TypeCode(const ScriptValue& value)
{
    return Arg_Int(value) == TYPE_STRING ? TYPE_STRING : TYPE_REAL;
}

// The layer's identifier as the result; a refused definition is -1 with the error.
void Define(ScriptValue* result, const ScriptValue* args, int32_t convention, int32_t count, const int32_t* types,
            const ScriptValue& resultType)
{
    int32_t id = g_ExternalCalls.define(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]), convention, count, types,
                                        TypeCode(resultType));
    Result_Real(result, id);
    if (id == -1) Error_Show_Action("Error defining an external function.", false);
}

// external_define0 to external_define4: dll, name, the argument types, restype.
void DefineTyped(ScriptValue* result, const ScriptValue* args, int32_t count)
{
    int32_t types[EXTERNAL_MAX_STRING_ARGUMENTS] = {};
    for (int32_t i = 0; i < count; ++i) types[i] = TypeCode(args[2 + i]);
    Define(result, args, CONVENTION_CDECL, count, types, args[2 + count]);
}

// external_define5 to external_define8: dll, name, restype; every argument is real.
void DefineReals(ScriptValue* result, const ScriptValue* args, int32_t count)
{
    int32_t types[EXTERNAL_MAX_ARGUMENTS] = {};
    Define(result, args, CONVENTION_CDECL, count, types, args[2]);
}

// external_call0 to external_call8: the layer gets copies of the arguments (strings duplicated),
// released after the call.
void CallWithCopies(ScriptValue* result, const ScriptValue* args, int32_t count)
{
    ScriptValue copies[EXTERNAL_MAX_ARGUMENTS];
    for (int32_t i = 0; i < count; ++i) {
        copies[i] = ScriptValue{VALUE_REAL, 0, 0.0};
        Value_Copy(&copies[i], &args[1 + i]);
    }
    g_ExternalCalls.call(Arg_Int(args[0]), count, copies, result);
    for (int32_t i = 0; i < count; ++i) Value_Free(&copies[i]);
}

} // namespace

// dll, name, calltype, restype, argnumb, argtype1, ...: the checks run in this order.
void Builtin_ExternalDefine(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    int64_t count = argc >= EXTERNAL_DEFINE_FIXED ? Arg_Int(args[4]) : -1;
    if (argc < EXTERNAL_DEFINE_FIXED || count + EXTERNAL_DEFINE_FIXED != argc) {
        Error_Show_Action("Wrong number of arguments to external_define()", false);
        return;
    }
    if (count > EXTERNAL_MAX_ARGUMENTS) {
        Error_Show_Action("DLL functions can have at most 16 arguments", false);
        return;
    }
    std::vector<int32_t> types(static_cast<size_t>(count), TYPE_REAL);
    for (int32_t i = 0; i < count; ++i) {
        const ScriptValue& type = args[EXTERNAL_DEFINE_FIXED + i];
        if (count > EXTERNAL_MAX_STRING_ARGUMENTS && Arg_Int(type) != TYPE_REAL) {
            Error_Show_Action("DLL functions with more than 4 arguments cannot have string arguments", false);
            return;
        }
        types[i] = TypeCode(type);
    }
    Define(result, args, Arg_Int(args[2]), static_cast<int32_t>(count), types.data(), args[3]);
}

// More than 16 arguments after the identifier can match no definition: nothing is called.
void Builtin_ExternalCall(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc < 1 || argc - 1 > EXTERNAL_MAX_ARGUMENTS) return;
    g_ExternalCalls.call(Arg_Int(args[0]), argc - 1, args + 1, result);
}

void Builtin_ExternalFree(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_ExternalCalls.free(Arg_TextOrEmpty(args[0]));
}

void Builtin_ExternalDefine0(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { DefineTyped(r, args, 0); }
void Builtin_ExternalDefine1(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { DefineTyped(r, args, 1); }
void Builtin_ExternalDefine2(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { DefineTyped(r, args, 2); }
void Builtin_ExternalDefine3(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { DefineTyped(r, args, 3); }
void Builtin_ExternalDefine4(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { DefineTyped(r, args, 4); }
void Builtin_ExternalDefine5(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { DefineReals(r, args, 5); }
void Builtin_ExternalDefine6(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { DefineReals(r, args, 6); }
void Builtin_ExternalDefine7(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { DefineReals(r, args, 7); }
void Builtin_ExternalDefine8(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { DefineReals(r, args, 8); }

void Builtin_ExternalCall0(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { CallWithCopies(r, args, 0); }
void Builtin_ExternalCall1(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { CallWithCopies(r, args, 1); }
void Builtin_ExternalCall2(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { CallWithCopies(r, args, 2); }
void Builtin_ExternalCall3(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { CallWithCopies(r, args, 3); }
void Builtin_ExternalCall4(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { CallWithCopies(r, args, 4); }
void Builtin_ExternalCall5(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { CallWithCopies(r, args, 5); }
void Builtin_ExternalCall6(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { CallWithCopies(r, args, 6); }
void Builtin_ExternalCall7(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { CallWithCopies(r, args, 7); }
void Builtin_ExternalCall8(ScriptValue* r, CInstance*, CInstance*, int32_t, ScriptValue* args) { CallWithCopies(r, args, 8); }
