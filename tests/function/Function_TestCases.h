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
#include "gamefile/GameFile_Options.h"
#include "run/Run_Globals.h"

namespace functiontest {

struct Case {
    const char* name;
    std::vector<testsupport::TestArg> args;
    testsupport::TestArg expected;
};

inline void ExpectCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        testsupport::BuiltinResult got = testsupport::CallBuiltin(c.name, c.args);
        std::string call = std::string(c.name) + " with first argument '" +
                           (c.args.empty()     ? ""
                            : c.args[0].isText ? c.args[0].text
                                               : std::to_string(c.args[0].real)) +
                           "'";
        EXPECT_EQ(got.IsText(), c.expected.isText) << call;
        if (c.expected.isText) {
            EXPECT_EQ(got.text, c.expected.text) << call;
        } else {
            EXPECT_EQ(got.real, c.expected.real) << call;
        }
    }
}

// "name count,name count,...": the rows a registrar adds, one after another in this order.
inline void ExpectRegisteredRun(const std::string& rows)
{
    testsupport::RegisterBuiltins();
    std::istringstream list(rows);
    int32_t previous = -1;
    for (std::string row; std::getline(list, row, ',');) {
        std::istringstream fields(row);
        std::string name;
        int32_t count = 0, id = -1;
        fields >> name >> count;
        ASSERT_TRUE(Code_Function_Find(name.c_str(), &id)) << name;
        EXPECT_EQ(Function_Get(id)->argCount, count) << name;
        EXPECT_TRUE(previous < 0 || id == previous + 1) << name << " does not follow the row before it";
        previous = id;
    }
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
