// Fixtures for the data-structure tests: empty tables, the default precision and a quiet error
// reporter before each test, and script values that release themselves.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "../TestSupport_Builtins.h"
#include "code/Code_Error.h"
#include "datastructure/DataStructure_Grid.h"
#include "datastructure/DataStructure_List.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Priority.h"
#include "datastructure/DataStructure_Stack.h"
#include "datastructure/DataStructure_Tables.h"
#include "gamefile/GameFile_Options.h"
#include "run/Run_Globals.h"

namespace dstest {

template <typename... T>
void DestroyAll(DS_Table<T>&... tables)
{
    (tables.DeleteAll(), ...);
}

// A script value owned by the test.
struct Val {
    Val(double real) { value.real = real; }
    Val(int real) { value.real = real; }
    Val(const char* text) { Value_SetText(&value, text); }
    ~Val() { Value_Free(&value); }
    Val(const Val& other) { Value_Copy(&value, &other.value); }
    Val& operator=(const Val&) = delete;
    const ScriptValue* operator&() const { return &value; }
    ScriptValue value = {VALUE_REAL, 0, 0.0};
};

// A value as text for comparisons: reals as numbers, strings quoted, nothing as "null".
inline std::string Show(const ScriptValue* value)
{
    if (value == nullptr) return "null";
    if (Value_GetKind(value) == VALUE_STRING) {
        const char* text = Value_GetText(value);
        return text != nullptr ? "\"" + std::string(text) + "\"" : "\"<none>\"";
    }
    char number[64];
    std::snprintf(number, sizeof number, "%.17g", value->real);
    return number;
}

inline std::string Show(const testsupport::BuiltinResult& result)
{
    ScriptValue real = {VALUE_REAL, 0, result.real};
    return result.IsText() ? "\"" + result.text + "\"" : Show(&real);
}

class DataStructureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins();
        DestroyAll(g_DSStacks, g_DSQueues, g_DSLists, g_DSMaps, g_DSPriorities, g_DSGrids);
        DS_SetPrecision(0.00000001);
        g_GameOptions.showErrors = false;
        ClearErrors();
    }
    void TearDown() override { SetUp(); }
    static void ClearErrors()
    {
        g_ErrorLast.clear();
        g_ErrorOccurred = 0;
        g_ErrorQuitting = false;
        g_RunRequest = RUN_REQUEST_NONE;
    }
    // True when the last report holds the text; the record is cleared for the next check.
    static bool TakeReport(const char* text)
    {
        bool found = g_ErrorOccurred != 0 && g_ErrorLast.find(text) != std::string::npos;
        ClearErrors();
        return found;
    }
};

} // namespace dstest
