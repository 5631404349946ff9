// Table tests of built-ins: a case names the routine, its arguments and the text or real it must
// answer; a fixture keeps errors off screen and lets a test read the last error reported.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "gamefile/GameFile_Options.h"
#include "run/Run_Globals.h"

namespace functiontest {

using testsupport::TestArg;

struct Case {
    const char* name;
    std::vector<TestArg> args;
    TestArg expected;
};

inline std::string Describe(const Case& c)
{
    std::ostringstream text;
    text << c.name << "(";
    for (size_t i = 0; i < c.args.size(); ++i)
        text << (i ? ", " : "") << (c.args[i].isText ? "'" + c.args[i].text + "'" : std::to_string(c.args[i].real));
    return text.str() + ")";
}

inline void ExpectCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        testsupport::BuiltinResult got = testsupport::CallBuiltin(c.name, c.args);
        if (c.expected.isText) {
            EXPECT_TRUE(got.IsText()) << Describe(c);
            EXPECT_EQ(got.text, c.expected.text) << Describe(c);
        } else {
            EXPECT_FALSE(got.IsText()) << Describe(c);
            EXPECT_EQ(got.real, c.expected.real) << Describe(c);
        }
    }
}

// "name count,name count,...": the rows a registrar must add, in its order, one after another.
inline void ExpectRegisteredRun(const std::string& rows)
{
    testsupport::RegisterBuiltins();
    std::istringstream list(rows);
    std::string row;
    int32_t previous = -1;
    while (std::getline(list, row, ',')) {
        std::istringstream fields(row);
        std::string name;
        int32_t count = 0;
        fields >> name >> count;
        int32_t id = -1;
        ASSERT_TRUE(Code_Function_Find(name.c_str(), &id)) << name;
        EXPECT_EQ(Function_Get(id)->argCount, count) << name;
        if (previous >= 0) {
            EXPECT_EQ(id, previous + 1) << name << " does not follow the row before it";
        }
        previous = id;
    }
}

// Errors go to the log only; the test reads the last one and whether it was fatal.
class BuiltinTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        g_GameOptions.showErrors = false;
        g_GameOptions.abortOnError = false;
        g_ErrorLast.clear();
        g_ErrorQuitting = false;
        g_RunRequest = RUN_REQUEST_NONE;
    }
    // The message of the last report ("" when none), and clears it.
    static std::string TakeError(bool* fatal = nullptr)
    {
        if (fatal != nullptr) *fatal = g_ErrorQuitting;
        std::string last = g_ErrorLast;
        Reset();
        return last;
    }
};

// Runs the test body under a POSIX time-zone rule, then goes back to the zone the process had.
class TimeZone {
public:
    explicit TimeZone(const char* rule)
    {
        const char* old = std::getenv("TZ");
        m_HadOld = old != nullptr;
        if (m_HadOld) m_Old = old;
        setenv("TZ", rule, 1);
        tzset();
    }
    ~TimeZone()
    {
        if (m_HadOld) setenv("TZ", m_Old.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    bool m_HadOld = false;
    std::string m_Old;
};

} // namespace functiontest
