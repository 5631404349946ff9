// Calling built-in functions by script name, as scripts do: the row is found in the function table,
// its argument count checked like the interpreter does, and the routine called with script values.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/App_Startup.h"
#include "code/Code_Function.h"
#include "code/Code_Value.h"
#include "platform/Platform_ScriptHeap.h"

namespace testsupport {

// A script argument: a real or a text.
struct TestArg {
    TestArg(double real) : real(real) {}
    TestArg(int real) : real(real) {}
    TestArg(const char* text) : isText(true), text(text) {}
    TestArg(std::string text) : isText(true), text(std::move(text)) {}
    bool isText = false;
    double real = 0;
    std::string text;
};

// What a routine answered, copied out of the script heap.
struct BuiltinResult {
    uint32_t kind = VALUE_REAL;
    double real = 0;
    std::string text;
    bool IsText() const { return kind == VALUE_STRING; }
};

// Registers every family once per process (under the header set in force).
inline void RegisterBuiltins()
{
    ScriptHeap_Init();
    if (g_FunctionCount == 0) RegisterAllFunctionFamilies();
}

// `prepared` is the real the result holds before the call, to tell a result left unchanged.
inline BuiltinResult CallBuiltin(const char* name, const std::vector<TestArg>& arguments, CInstance* self = nullptr,
                                 CInstance* other = nullptr, double prepared = 0.0)
{
    RegisterBuiltins();
    BuiltinResult answer;
    int32_t id = -1;
    FunctionEntry* row = Code_Function_Find(name, &id) ? Function_Get(id) : nullptr;
    if (row == nullptr) {
        ADD_FAILURE() << name << " is not registered";
        return answer;
    }
    int32_t count = static_cast<int32_t>(arguments.size());
    if (row->argCount != FUNCTION_ARGS_ANY && row->argCount != count) {
        ADD_FAILURE() << name << " takes " << row->argCount << " arguments, called with " << count;
        return answer;
    }
    std::vector<ScriptValue> values(arguments.size(), ScriptValue{VALUE_REAL, 0, 0.0});
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].isText) Value_SetText(&values[i], arguments[i].text.c_str());
        else values[i].real = arguments[i].real;
    }
    ScriptValue result = {VALUE_REAL, 0, prepared};
    row->routine(&result, self, other, count, values.data());
    answer.kind = Value_GetKind(&result);
    answer.real = result.real;
    if (const char* text = Value_GetText(&result)) answer.text = text;
    Value_Free(&result);
    for (ScriptValue& value : values) Value_Free(&value);
    return answer;
}

// The real a routine answered.
inline double CallReal(const char* name, const std::vector<TestArg>& arguments)
{
    return CallBuiltin(name, arguments).real;
}

// The text a routine answered ("" for a real).
inline std::string CallText(const char* name, const std::vector<TestArg>& arguments)
{
    return CallBuiltin(name, arguments).text;
}

} // namespace testsupport
