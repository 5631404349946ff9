// Calls through the external-call layer with script values, and copies of the test library
// (tests/extension/library, KELVARO_TESTEXT) under names of a test's choosing.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport_Builtins.h"
#include "support/Support_DLL.h"

namespace testsupport {

inline std::vector<ScriptValue> MakeValues(const std::vector<TestArg>& arguments)
{
    std::vector<ScriptValue> values(arguments.size(), ScriptValue{VALUE_REAL, 0, 0.0});
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].isText) Value_SetText(&values[i], arguments[i].text.c_str());
        else values[i].real = arguments[i].real;
    }
    return values;
}

inline void FreeValues(std::vector<ScriptValue>& values)
{
    for (ScriptValue& value : values) Value_Free(&value);
}

// The result copied out of the script heap; `hasText` tells a string without text from "".
struct CallAnswer : BuiltinResult {
    bool hasText = false;
};

inline CallAnswer TakeResult(ScriptValue& result)
{
    CallAnswer answer;
    answer.kind = Value_GetKind(&result);
    answer.real = result.real;
    const char* text = Value_GetText(&result);
    answer.hasText = text != nullptr;
    if (text != nullptr) answer.text = text;
    Value_Free(&result);
    return answer;
}

// DLL_Call with `argc` (the argument list's size unless given).
inline CallAnswer CallDll(int32_t id, const std::vector<TestArg>& arguments, int32_t argc = -1)
{
    ScriptHeap_Init();
    std::vector<ScriptValue> values = MakeValues(arguments);
    // A string in the result shows that the call preset it.
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    Value_SetText(&result, "stale");
    DLL_Call(id, argc < 0 ? static_cast<int32_t>(values.size()) : argc, values.data(), &result);
    FreeValues(values);
    return TakeResult(result);
}

// The test library copied to `folder`/`name` (made when missing); its path.
inline std::string CopyTestLibrary(const std::filesystem::path& folder, const std::string& name)
{
    std::filesystem::create_directories(folder);
    std::filesystem::path to = folder / name;
    std::filesystem::copy_file(KELVARO_TESTEXT, to, std::filesystem::copy_options::overwrite_existing);
    return to.string();
}

} // namespace testsupport
