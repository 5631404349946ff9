#include "support/Support_DLL.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../TestSupport_ExternalCalls.h"
#include "app/App_CommandLine.h"

namespace fs = std::filesystem;
using testsupport::CallDll;
using testsupport::TestArg;

namespace {

// The system loader, counting the libraries it opens and closes.
int g_Opens = 0, g_Closes = 0;

class ExternalCalls : public testing::Test {
protected:
    void SetUp() override
    {
        // A folder per test and process: overwriting a library another test has loaded would
        // pull the pages from under it.
        m_Folder = fs::path(testing::TempDir()) /
                   ("dll_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                    std::to_string(getpid()));
        m_Library = testsupport::CopyTestLibrary(m_Folder, "calls.so");
        g_DLLLoader = {[](const char* path) {
                           ++g_Opens;
                           return DLL_SYSTEM_LOADER.open(path);
                       },
                       DLL_SYSTEM_LOADER.symbol,
                       [](void* handle) {
                           ++g_Closes;
                           DLL_SYSTEM_LOADER.close(handle);
                       }};
        g_Opens = g_Closes = 0;
        g_ExtCallFlag = 0;
    }
    void TearDown() override
    {
        DLL_Clear();
        g_DLLLoader = DLL_SYSTEM_LOADER;
        g_ExtCallFlag = 0;
        fs::remove_all(m_Folder);
    }
    int32_t Define(const char* function, std::vector<int32_t> types, int32_t result, const std::string& library = "")
    {
        return DLL_Define((library.empty() ? m_Library : library).c_str(), function, 0,
                          static_cast<int32_t>(types.size()), types.data(), result);
    }
    fs::path m_Folder;
    std::string m_Library;
};

// Mixes of reals and strings in up to four arguments, with a string and a real result: the library
// describes (or weighs) what it received, so a swapped or lost argument shows.
TEST_F(ExternalCalls, MixedArgumentsReachTheLibraryInPlace)
{
    for (std::string pattern : {"", "r", "s", "rr", "rs", "sr", "ss", "rsr", "srs", "rsrs", "srsr"}) {
        std::string description;
        std::vector<int32_t> types;
        std::vector<TestArg> args;
        double weight = 0, place = 1;
        for (size_t i = 0; i < pattern.size(); ++i, place *= 2) {
            bool text = pattern[i] == 's';
            types.push_back(text ? DLL_TYPE_STRING : DLL_TYPE_REAL);
            std::string word(i + 1, 'x');
            args.push_back(text ? TestArg(word.c_str()) : TestArg(i + 0.5));
            description += text ? "s" + word + "," : "r" + std::to_string(i) + ".5,";
            weight += place * (text ? 100.0 * double(i + 1) : double(i) + 0.5);
        }
        testsupport::CallAnswer text = CallDll(Define(("f_" + pattern + "_s").c_str(), types, DLL_TYPE_STRING), args);
        EXPECT_EQ(VALUE_STRING, text.kind) << pattern;
        EXPECT_EQ(description, text.text) << pattern;
        EXPECT_DOUBLE_EQ(weight, CallDll(Define(("f_" + pattern + "_r").c_str(), types, DLL_TYPE_REAL), args).real);
    }
    // An empty string, and a real where a string is declared, reach the library as "", never as null.
    EXPECT_EQ("s,r0,s,", CallDll(Define("f_srs_s", {1, 0, 1}, DLL_TYPE_STRING), {"", "text", 7.0}).text);
}

TEST_F(ExternalCalls, DefinitionLimitsAndResults)
{
    std::vector<int32_t> reals16(16, DLL_TYPE_REAL), reals17(17, DLL_TYPE_REAL), string5th(5, DLL_TYPE_REAL);
    string5th[4] = 7; // any code but 0 is a string
    // Sixteen reals, seventeen, a string in a fifth place, a negative count, a missing function, a
    // missing library, and a name longer than the 1024 bytes of the mapped path (refused unlooked).
    EXPECT_EQ((std::vector<int32_t>{0, -1, -1, -1, -1, -1, -1}),
              (std::vector<int32_t>{Define("sum16", reals16, DLL_TYPE_REAL), Define("sum16", reals17, DLL_TYPE_REAL),
                                    Define("sum16", string5th, DLL_TYPE_REAL),
                                    DLL_Define(m_Library.c_str(), "f__r", 0, -1, nullptr, 0),
                                    Define("no_such_function", {}, DLL_TYPE_REAL),
                                    Define("f__r", {}, DLL_TYPE_REAL, (m_Folder / "missing.so").string()),
                                    Define("f__r", {}, DLL_TYPE_REAL, "/" + std::string(1100, 'a') + ".so")}));
    EXPECT_EQ(2, g_Opens);
    std::vector<TestArg> args;
    double weight = 0;
    for (int32_t i = 0; i < 16; ++i) {
        args.push_back(i + 1.0);
        weight += double(1 << i) * (i + 1);
    }
    EXPECT_DOUBLE_EQ(weight, CallDll(0, args).real);

    // Calls that name no live definition, or the wrong count, call nothing: real 0, not the old text.
    int32_t id = Define("f_rr_r", {0, 0}, DLL_TYPE_REAL);
    EXPECT_DOUBLE_EQ(5.0, CallDll(id, {1.0, 2.0}).real);
    const std::pair<int32_t, int32_t> calls[] = {{id, 1}, {id, 3}, {-1, 2}, {id + 1, 2}};
    for (const auto& [callId, argc] : calls) {
        testsupport::CallAnswer answer = CallDll(callId, {1.0, 2.0, 3.0}, argc);
        EXPECT_TRUE(answer.kind == VALUE_REAL && answer.real == 0.0) << callId << " " << argc;
    }

    // A null string result stays one; a string result is a copy, whatever the library does later.
    testsupport::CallAnswer none = CallDll(Define("null_text", {}, DLL_TYPE_STRING), {});
    EXPECT_TRUE(none.kind == VALUE_STRING && !none.hasText);
    std::vector<ScriptValue> text = testsupport::MakeValues({"kept"});
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    DLL_Call(Define("buffer_text", {1}, DLL_TYPE_STRING), 1, text.data(), &result);
    CallDll(Define("rewrite_buffer", {}, DLL_TYPE_REAL), {});
    EXPECT_EQ("kept", testsupport::TakeResult(result).text);
    testsupport::FreeValues(text);
    g_ExtCallFlag = 1; // -ext: still defined, never called
    EXPECT_EQ(0.0, CallDll(Define("f_rr_r", {0, 0}, DLL_TYPE_REAL), {1.0, 2.0}).real);
}

// Two definitions share one load; unloading by the name (given as ".dll") makes both inert with one
// close; names that differ in letter case are different libraries.
TEST_F(ExternalCalls, DefinitionsShareALoadAndUnloadTogether)
{
    std::string dll = (m_Folder / "calls.DLL").string();
    int32_t first = Define("f_r_r", {0}, DLL_TYPE_REAL, dll);
    int32_t second = Define("f_s_r", {1}, DLL_TYPE_REAL, m_Library);
    int32_t upper = Define("f_r_r", {0}, DLL_TYPE_REAL, testsupport::CopyTestLibrary(m_Folder, "CALLS.so"));
    EXPECT_EQ(2, g_Opens);
    DLL_Free(dll.c_str());
    DLL_Free(m_Library.c_str()); // nothing live is left under the name
    EXPECT_EQ(1, g_Closes);
    EXPECT_EQ((std::vector<double>{0, 0, 2}),
              (std::vector<double>{CallDll(first, {3.0}).real, CallDll(second, {"ab"}).real, CallDll(upper, {2.0}).real}));
}

// The decorated fallback "_name@bytes", through a fake symbol table (a shared object cannot export
// such names here): 4 bytes per string, 8 per real, for either convention.
std::vector<std::string> g_Looked;

TEST(ExternalCallNames, DecoratedNamesAreTheFallback)
{
    static int handle = 0;
    static std::map<std::string, int> symbols = {{"_f@12", 1}, {"_g@0", 2}, {"plain", 3}};
    g_DLLLoader = {[](const char*) -> void* { return &handle; },
                   [](void*, const char* name) -> void* {
                       g_Looked.push_back(name);
                       auto found = symbols.find(name);
                       return found != symbols.end() ? &found->second : nullptr;
                   },
                   [](void*) {}};
    int32_t realAndString[] = {0, 1};
    const std::tuple<const char*, int32_t, int32_t, std::vector<std::string>> cases[] = {
        {"f", 1, 2, {"f", "_f@12"}}, {"f", 0, 2, {"f", "_f@12"}}, {"g", 0, 0, {"g", "_g@0"}}, {"plain", 1, 2, {"plain"}},
        {"h", 1, 2, {"h", "_h@12"}}};
    for (const auto& [function, convention, argc, looked] : cases) {
        g_Looked.clear();
        int32_t id = DLL_Define("fake.dll", function, convention, argc, realAndString, 0);
        EXPECT_EQ(symbols.count(looked.back()) == 1, id >= 0) << function;
        EXPECT_EQ(looked, g_Looked) << function;
    }
    // A decorated name longer than its 512 bytes is not looked up.
    g_Looked.clear();
    EXPECT_EQ(-1, DLL_Define("fake.dll", std::string(600, 'n').c_str(), 1, 0, nullptr, 0));
    EXPECT_EQ(1u, g_Looked.size());
    DLL_Clear();
    g_DLLLoader = DLL_SYSTEM_LOADER;
}

} // namespace
