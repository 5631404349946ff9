#include "support/Support_DLL.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
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

// The system loader, counting what it is asked to do.
struct LoaderCounts {
    int opens = 0, closes = 0;
};
LoaderCounts g_Counts;

const DLLLoader COUNTING_LOADER = {
    [](const char* path) {
        ++g_Counts.opens;
        return DLL_SYSTEM_LOADER.open(path);
    },
    DLL_SYSTEM_LOADER.symbol,
    [](void* handle) {
        ++g_Counts.closes;
        DLL_SYSTEM_LOADER.close(handle);
    },
};

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
        g_DLLLoader = COUNTING_LOADER;
        g_Counts = LoaderCounts();
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

// Every mix of reals and strings in 0 to 4 arguments, with a string and a real result: the library
// describes (or weighs) what it received, so a swapped or lost argument shows.
TEST_F(ExternalCalls, EveryMixOfUpToFourArgumentsReachesTheLibraryInPlace)
{
    for (int32_t count = 0; count <= 4; ++count) {
        for (int32_t mask = 0; mask < (1 << count); ++mask) {
            std::string pattern, description;
            std::vector<int32_t> types;
            std::vector<TestArg> args;
            double weight = 0, place = 1;
            for (int32_t i = 0; i < count; ++i, place *= 2) {
                bool text = (mask >> i) & 1;
                pattern += text ? 's' : 'r';
                types.push_back(text ? DLL_TYPE_STRING : DLL_TYPE_REAL);
                std::string word(static_cast<size_t>(i + 1), 'x');
                args.push_back(text ? TestArg(word.c_str()) : TestArg(i + 0.5));
                description += text ? "s" + word + "," : "r" + std::to_string(i) + ".5,";
                weight += place * (text ? 100.0 * (i + 1) : i + 0.5);
            }
            SCOPED_TRACE(pattern);
            testsupport::CallAnswer text = CallDll(Define(("f_" + pattern + "_s").c_str(), types, DLL_TYPE_STRING), args);
            EXPECT_EQ(VALUE_STRING, text.kind);
            EXPECT_EQ(description, text.text);
            testsupport::CallAnswer real = CallDll(Define(("f_" + pattern + "_r").c_str(), types, DLL_TYPE_REAL), args);
            EXPECT_EQ(VALUE_REAL, real.kind);
            EXPECT_DOUBLE_EQ(weight, real.real);
        }
    }
}

// An empty string, and a real where a string is declared, reach the library as "", never as null;
// a string where a real is declared passes the value's real field (0).
TEST_F(ExternalCalls, ArgumentsWithoutTextPassAnEmptyText)
{
    int32_t id = Define("f_srs_s", {1, 0, 1}, DLL_TYPE_STRING);
    EXPECT_EQ("s,r0,s,", CallDll(id, {"", "text", 7.0}).text);
}

TEST_F(ExternalCalls, DefinitionLimits)
{
    std::vector<int32_t> reals16(16, DLL_TYPE_REAL), reals17(17, DLL_TYPE_REAL);
    EXPECT_GE(Define("sum16", reals16, DLL_TYPE_REAL), 0);
    EXPECT_EQ(-1, Define("sum16", reals17, DLL_TYPE_REAL));
    EXPECT_GE(Define("f_ssss_s", {1, 1, 1, 1}, DLL_TYPE_STRING), 0);
    for (int32_t at = 0; at < 5; ++at) {
        std::vector<int32_t> types(5, DLL_TYPE_REAL);
        types[static_cast<size_t>(at)] = 7; // any code but 0 is a string
        EXPECT_EQ(-1, Define("sum16", types, DLL_TYPE_REAL)) << "a string at " << at;
    }
    // A negative count, a missing function, a missing library, and a name longer than the 1024 bytes
    // of the mapped path; only the missing library is looked for (the long name is refused first).
    int opens = g_Counts.opens;
    EXPECT_EQ((std::vector<int32_t>{-1, -1, -1, -1}),
              (std::vector<int32_t>{DLL_Define(m_Library.c_str(), "f__r", 0, -1, nullptr, 0),
                                    Define("no_such_function", {}, DLL_TYPE_REAL),
                                    Define("f__r", {}, DLL_TYPE_REAL, (m_Folder / "missing.so").string()),
                                    Define("f__r", {}, DLL_TYPE_REAL, "/" + std::string(1100, 'a') + ".so")}));
    EXPECT_EQ(opens + 1, g_Counts.opens);
    EXPECT_EQ(2, DLL_Count());

    std::vector<TestArg> args;
    double expected = 0, place = 1;
    for (int32_t i = 0; i < 16; ++i, place *= 2) {
        args.push_back(i + 1.0);
        expected += place * (i + 1);
    }
    EXPECT_DOUBLE_EQ(expected, CallDll(0, args).real);
}

// Calls that name no live definition, or the wrong count, call nothing: real 0, not the old text.
TEST_F(ExternalCalls, CallsThatCannotBeMadeGiveRealZero)
{
    int32_t id = Define("f_rr_r", {0, 0}, DLL_TYPE_REAL);
    ASSERT_EQ(0, id);
    EXPECT_DOUBLE_EQ(5.0, CallDll(id, {1.0, 2.0}).real);
    const struct {
        const char* what;
        int32_t id, argc;
    } cases[] = {{"one argument fewer", id, 1}, {"one more", id, 3}, {"id -1", -1, 2}, {"id beyond the count", 1, 2}};
    for (const auto& c : cases) {
        testsupport::CallAnswer answer = CallDll(c.id, {1.0, 2.0, 3.0}, c.argc);
        EXPECT_EQ(VALUE_REAL, answer.kind) << c.what;
        EXPECT_EQ(0.0, answer.real) << c.what;
    }
    g_ExtCallFlag = 1;
    int32_t later = Define("f_rr_r", {0, 0}, DLL_TYPE_REAL);
    EXPECT_EQ(1, later) << "-ext still defines";
    EXPECT_EQ(0.0, CallDll(later, {1.0, 2.0}).real + CallDll(id, {1.0, 2.0}).real);
}

TEST_F(ExternalCalls, StringResults)
{
    testsupport::CallAnswer none = CallDll(Define("null_text", {}, DLL_TYPE_STRING), {});
    EXPECT_TRUE(none.kind == VALUE_STRING && !none.hasText);
    // The result is a copy: the library rewriting its buffer afterwards does not change it.
    std::vector<ScriptValue> args = testsupport::MakeValues({"kept"});
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    DLL_Call(Define("buffer_text", {1}, DLL_TYPE_STRING), 1, args.data(), &result);
    CallDll(Define("rewrite_buffer", {}, DLL_TYPE_REAL), {});
    EXPECT_EQ("kept", testsupport::TakeResult(result).text);
    testsupport::FreeValues(args);
}

// Two definitions share one load; unloading by the name (given as ".dll") makes both inert with one
// close; defining again loads anew, and only the new id works.
TEST_F(ExternalCalls, DefinitionsShareALoadAndUnloadTogether)
{
    std::string dll = (m_Folder / "calls.DLL").string();
    int32_t first = Define("f_r_r", {0}, DLL_TYPE_REAL, dll);
    int32_t second = Define("f_s_r", {1}, DLL_TYPE_REAL, m_Library);
    EXPECT_EQ(1, g_Counts.opens);
    EXPECT_EQ((std::vector<double>{3, 200}), (std::vector<double>{CallDll(first, {3.0}).real, CallDll(second, {"ab"}).real}));
    DLL_Free(dll.c_str());
    DLL_Free(m_Library.c_str()); // nothing live is left under the name
    EXPECT_EQ(1, g_Counts.closes);
    EXPECT_EQ((std::vector<double>{0, 0}), (std::vector<double>{CallDll(first, {3.0}).real, CallDll(second, {"ab"}).real}));
    int32_t again = Define("f_r_r", {0}, DLL_TYPE_REAL);
    EXPECT_EQ(2, g_Counts.opens);
    EXPECT_EQ((std::vector<double>{4, 0}), (std::vector<double>{CallDll(again, {4.0}).real, CallDll(first, {4.0}).real}));
    // Names that differ in letter case are different libraries, when loading and when unloading.
    int32_t upper = Define("f_r_r", {0}, DLL_TYPE_REAL, testsupport::CopyTestLibrary(m_Folder, "CALLS.so"));
    EXPECT_EQ(3, g_Counts.opens);
    DLL_Free(m_Library.c_str());
    EXPECT_EQ((std::vector<double>{0, 2}), (std::vector<double>{CallDll(again, {2.0}).real, CallDll(upper, {2.0}).real}));
}

TEST(ExternalCallNames, LibraryNamesAreMappedForThisPlatform)
{
    const std::pair<const char*, const char*> cases[] = {
        {"dir\\sub\\ext.dll", "dir/sub/ext.so"}, {"EXT.DLL", "EXT.so"}, {"ext.Dll", "ext.so"}, {"ext.dllx", "ext.dllx"},
        {"ext.so", "ext.so"}, {"dll", "dll"}, {".dll", ".so"}};
    for (const auto& [given, mapped] : cases) {
        char path[DLL_PATH_SIZE];
        ASSERT_TRUE(DLL_MapLibraryName(given, path, sizeof path)) << given;
        EXPECT_STREQ(mapped, path) << given;
    }
    char small[8];
    EXPECT_FALSE(DLL_MapLibraryName("longer.so", small, sizeof small));
}

// The decorated fallback "_name@bytes", through a fake symbol table (a shared object cannot export
// such names here): 4 bytes per string, 8 per real, for either convention.
std::vector<std::string> g_Looked;
std::map<std::string, int> g_FakeSymbols;

TEST(ExternalCallNames, DecoratedNamesAreTheFallback)
{
    static int handle = 0;
    g_DLLLoader = {
        [](const char*) -> void* { return &handle; },
        [](void*, const char* name) -> void* {
            g_Looked.push_back(name);
            auto found = g_FakeSymbols.find(name);
            return found != g_FakeSymbols.end() ? &found->second : nullptr;
        },
        [](void*) {},
    };
    g_FakeSymbols = {{"_f@12", 1}, {"_g@0", 2}, {"plain", 3}};
    int32_t realAndString[] = {0, 1};
    const struct {
        const char* function;
        int32_t convention, argc;
        bool found;
        std::vector<std::string> looked;
    } cases[] = {
        {"f", 1, 2, true, {"f", "_f@12"}}, {"f", 0, 2, true, {"f", "_f@12"}}, {"g", 0, 0, true, {"g", "_g@0"}},
        {"plain", 1, 2, true, {"plain"}},  {"h", 1, 2, false, {"h", "_h@12"}},
    };
    for (const auto& c : cases) {
        g_Looked.clear();
        int32_t id = DLL_Define("fake.dll", c.function, c.convention, c.argc, realAndString, 0);
        EXPECT_EQ(c.found, id >= 0) << c.function;
        EXPECT_EQ(c.looked, g_Looked) << c.function;
    }
    // A decorated name longer than its 512 bytes is not looked up.
    g_Looked.clear();
    std::string longName(600, 'n');
    EXPECT_EQ(-1, DLL_Define("fake.dll", longName.c_str(), 1, 0, nullptr, 0));
    EXPECT_EQ(1u, g_Looked.size());
    DLL_Clear();
    g_DLLLoader = DLL_SYSTEM_LOADER;
}

} // namespace
