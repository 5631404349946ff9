// Table tests of built-ins: a case names the routine, its arguments and the text or real it must
// answer; the fixture keeps errors off screen and lets a test take the last one reported.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "code/Code_Error.h"
#include "function/Function_Registry.h"
#include "gamefile/GameFile_Options.h"
#include "run/Run_Globals.h"

namespace functiontest {

struct Case {
    const char* name;
    std::vector<testsupport::TestArg> args;
    testsupport::TestArg expected;
};

inline void ExpectCases(const std::vector<Case>& cases, CInstance* self = nullptr)
{
    for (const Case& c : cases) {
        testsupport::BuiltinResult got = testsupport::CallBuiltin(c.name, c.args, self, self);
        std::string call = std::string(c.name) + " with first argument '" +
                           (c.args.empty()     ? ""
                            : c.args[0].isText ? c.args[0].text
                                               : std::to_string(c.args[0].real)) +
                           "'";
        EXPECT_EQ(got.IsText(), c.expected.isText) << call;
        if (c.expected.isText) EXPECT_EQ(got.text, c.expected.text) << call;
        else EXPECT_EQ(got.real, c.expected.real) << call;
    }
}

// A registration table, compactly: "name:count" items in registration order. An item "prefix*" puts
// the prefix before the names after it ("*" alone drops it); a count "a/b" is a under the current
// header and b under the older ones, "-" a row left out; "~" lets other rows come before the next.
struct Row {
    std::string name;
    int32_t current, older;
    bool gapBefore;
};

inline std::vector<Row> Rows(const std::string& text)
{
    auto count = [](const std::string& c) { return c == "-" ? FUNCTION_NOT_REGISTERED : std::stoi(c); };
    std::vector<Row> rows;
    std::istringstream in(text);
    std::string prefix;
    bool gap = false;
    for (std::string item; in >> item;) {
        if (item == "~") {
            gap = true;
            continue;
        }
        if (item.back() == '*') {
            prefix = item.substr(0, item.size() - 1);
            continue;
        }
        size_t colon = item.find(':'), slash = item.find('/', colon);
        std::string current = item.substr(colon + 1, slash - colon - 1);
        rows.push_back({prefix + item.substr(0, colon), count(current),
                        count(slash == std::string::npos ? current : item.substr(slash + 1)), gap});
        gap = false;
    }
    return rows;
}

// The rows one registrar adds, one after another in this order ("~" lets other rows come between).
inline void ExpectRegisteredRun(const std::string& rows)
{
    testsupport::RegisterBuiltins();
    int32_t previous = -1;
    for (const Row& row : Rows(rows)) {
        int32_t id = -1;
        ASSERT_TRUE(Code_Function_Find(row.name.c_str(), &id)) << row.name;
        EXPECT_EQ(Function_Get(id)->argCount, row.current) << row.name;
        EXPECT_TRUE(previous < 0 || (row.gapBefore ? id > previous : id == previous + 1))
            << row.name << " does not follow the row before it";
        previous = id;
    }
}

// The counts under each header set, and with `ordered` the order of the rows registered; the table,
// test-only rows included, is put back afterwards.
inline void ExpectCountsUnderHeaders(const std::string& rows, bool ordered = false)
{
    testsupport::RegisterBuiltins();
    std::vector<FunctionEntry> saved(g_FunctionTable, g_FunctionTable + g_FunctionCount);
    for (const char* tag : {"GEN8", "GEN7", "GENL"}) {
        Function_FreeTable();
        Function_SetHeaderTag(tag);
        RegisterAllFunctionFamilies();
        int32_t previous = -1;
        for (const Row& row : Rows(rows)) {
            int32_t id = -1;
            bool found = Code_Function_Find(row.name.c_str(), &id);
            EXPECT_EQ(found ? Function_Get(id)->argCount : FUNCTION_NOT_REGISTERED,
                      std::string(tag) == "GEN8" ? row.current : row.older)
                << tag << " " << row.name;
            if (ordered && found) {
                EXPECT_TRUE(previous < 0 || (row.gapBefore ? id > previous : id == previous + 1)) << tag << " " << row.name;
                previous = id;
            }
        }
    }
    Function_FreeTable();
    Function_SetHeaderTag("GEN8");
    for (const FunctionEntry& row : saved) Function_Add(row.name, row.routine, row.argCount);
}

template <typename... T> std::vector<double> Reals(T... values) { return {static_cast<double>(values)...}; }

inline BuiltinRoutine RoutineOf(const char* name)
{
    int32_t id = -1;
    return Code_Function_Find(name, &id) ? Function_Get(id)->routine : nullptr;
}

class BuiltinTest : public ::testing::Test {
  protected:
    void SetUp() override { Reset(); }
    void TearDown() override
    {
        Reset();
        Zone("UTC");
    }
    // A POSIX time-zone rule (no zone database); every test ends in UTC.
    static void Zone(const char* rule)
    {
        setenv("TZ", rule, 1);
        tzset();
    }
    static void Reset()
    {
        g_GameOptions.showErrors = false;
        g_GameOptions.abortOnError = false;
        g_ErrorLast.clear();
        g_ErrorQuitting = false;
        g_RunRequest = RUN_REQUEST_NONE;
    }
    // The last report ("" when none) and whether it was fatal; clears both.
    static std::string TakeError(bool* fatal = nullptr)
    {
        if (fatal != nullptr) *fatal = g_ErrorQuitting;
        std::string last = g_ErrorLast;
        Reset();
        return last;
    }
};

} // namespace functiontest
