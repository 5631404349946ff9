// The platform services' built-ins, called by script name: their rows and older names, the family's
// argument messages, what this platform answers, the pause flag, purchase events and queued script
// callbacks, the operating-system variables and constants, and the back end's own queries.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "../TestSupport_Console.h"
#include "../TestSupport_SaveArea.h"
#include "../object/ObjectTestSupport.h"
#include "Function_TestCases.h"
#include "app/App_CommandLine.h"
#include "code/Code_Constants.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Stack.h"
#include "function/Function_Families.h"
#include "function/Function_Wexo.h"
#include "function/Function_WexoPlatform.h"
#include "gamefile/GameFile_Header.h"
#include "graphics/Graphics_Device.h"
#include "http/Http_Request.h"
#include "io/IO_Main.h"
#include "io/IO_VirtualKey.h"
#include "room/Room_Draw.h"
#include "script/Script_Table.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_BuiltIn.h"

namespace fs = std::filesystem;
using functiontest::RoutineOf;
using testsupport::CallBuiltin;
using testsupport::CallReal;
using testsupport::CallText;
using testsupport::TestArg;

namespace {

// Calls the routine with any number of arguments, as older code may; the text or real it gives.
TestArg Direct(const char* name, const std::vector<TestArg>& arguments)
{
    std::vector<ScriptValue> args(arguments.size(), ScriptValue{VALUE_REAL, 0, 0.0});
    for (size_t i = 0; i < args.size(); ++i) {
        if (arguments[i].isText) Value_SetText(&args[i], arguments[i].text.c_str());
        else args[i].real = arguments[i].real;
    }
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    RoutineOf(name)(&result, nullptr, nullptr, int32_t(args.size()), args.data());
    TestArg answer = Value_GetText(&result) != nullptr ? TestArg(Value_GetText(&result)) : TestArg(result.real);
    Value_Free(&result);
    for (ScriptValue& value : args) Value_Free(&value);
    return answer;
}

class WexoBuiltins : public functiontest::BuiltinTest {
  protected:
    void SetUp() override
    {
        BuiltinTest::SetUp();
        testsupport::RegisterBuiltins();
    }
};

TEST_F(WexoBuiltins, RowsCountsAndOlderNames)
{
    // The family's first and last rows, a varying count, and an older name beside each newer one.
    functiontest::ExpectRegisteredRun(
        "virtual_key_add:5 Wexo_AddVirtualKey:5 virtual_key_delete:1 ~ analytics_event:1 analytics_event_ext:-1 ~ "
        "iap_event_queue:0 base64_encode:1 base64_decode:1 ~ sha1_string_utf8:1 sha1_file:1");
    std::vector<BuiltinRoutine> seen;
    for (auto [older, name] : {std::pair{"Wexo_OF_IsOnline", "achievement_login_status"}, {"Wexo_OpenURL_full", "url_open_full"},
                               {"Wexo_MouseCheckButtonReleased", "device_mouse_check_button_released"}}) {
        EXPECT_EQ(RoutineOf(name), RoutineOf(older)) << older;
        seen.push_back(RoutineOf(name));
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen.end(), std::adjacent_find(seen.begin(), seen.end())) << "each pair has a routine of its own";
}

TEST_F(WexoBuiltins, ArgumentsAreCheckedWithTheFamilysMessages)
{
    struct Row {
        const char* name;
        std::vector<TestArg> args;
        const char* error;
    } rows[] = {
        {"virtual_key_add", {1, 2, 3, 4}, "Illegal argument count"},
        {"Wexo_AddVirtualKey", {1, 2, 3, 4, "5"}, "Illegal argument type"},
        {"virtual_key_show", {129}, "Illegal virtual key handle"},
        {"virtual_key_hide", {"1"}, "Illegal argument"},
        {"achievement_post", {1, 2}, "Illegal argument type"},
        {"achievement_post_score", {"a"}, "Illegal argument count"},
        {"achievement_reset", {1, 2}, ""},
        {"achievement_map_leaderboard", {"a", "b"}, ""},
        {"openfeint_send_invite", {7}, ""}, // a text argument's kind is not tested
        {"ads_move", {0, 0, 5}, "Illegal advertising slot number"},
        {"ads_move", {0, 0, 4.9}, ""},
        {"ads_get_display_height", {"0"}, "Illegal argument type"},
        {"url_open", {1}, "Illegal argument type"},
        {"cloud_string_save", {1, 2}, "Illegal argument type"},
        {"cloud_string_save", {1, "d"}, ""},
        {"Wexo_DisableAds", {0}, ""},
        {"os_lock_orientation", {1}, ""},
        {"analytics_event_ext", {"e", "k", 1, "j"}, ""},
        {"analytics_event_ext", {"e", 1, "k"}, "malformed analytics parameter must be string, number pair"},
        {"immersion_play_effect", {}, "Too few arguments to immersion_play()"},
        {"os_powersave_enable", {"x"}, ""},
        {"winphone_tile_title", {1}, ""},
        {"winphone_tile_wide_content", {1, "x"}, "Illegal argument type"},
        {"winphone_tile_cycle_images", {}, "Illegal argument count"},
    };
    testsupport::ConsoleCapture quiet;
    for (const Row& row : rows) {
        Direct(row.name, row.args);
        std::string report = TakeError(), error = row.error;
        // An action error's report frames the message in lines of its own; a plain error is the message.
        bool matches = error.empty() ? report.empty()
                                     : report == error || report.find("\n" + error + "\n") != std::string::npos;
        EXPECT_TRUE(matches) << row.name << " with " << row.args.size() << " arguments reported: " << report;
    }
}

TEST_F(WexoBuiltins, AnswersOfThisPlatform)
{
    g_GameHeader.configName = "DefaultConfig";
    functiontest::ExpectCases({
        {"achievement_available", {}, 1},  {"Wexo_GetDevice", {}, -1},           {"Wexo_GetPlatform", {}, 0},
        {"Wexo_GetCPUDetails", {}, 0},     {"device_ios_get_image", {}, -1},      {"Wexo_SelectPicture", {}, -1},
        {"url_get_domain", {7}, "localhost"}, {"url_open", {"nowhere"}, 0},       {"os_get_config", {}, "WEXO_PAID"},
        {"facebook_status", {}, "IDLE"},   {"facebook_accesstoken", {}, ""},      {"openfeint_accept_challenge", {}, ""},
        {"display_get_dpi_y", {}, 96},     {"achievement_login_status", {}, 0},   {"ads_interstitial_available", {}, 0},
        {"gravemakerLoad", {"x"}, ""},     {"analytics_event", {"e"}, ""},        {"iap_store_status", {}, "Not Available"},
        {"iap_product_status", {"p"}, "Unavailable"}, {"device_mouse_raw_x", {7}, 0}, {"device_get_tilt_z", {}, 0},
        {"playhaven_add_notification_badge", {1, 2, 3, 4, "t"}, 0},
    });
    g_GameHeader.configName = "Release";
    EXPECT_EQ("Release", CallText("Wexo_GetConfig", {}));
    g_GameHeader.configName = nullptr;
    // Posts go to a service this platform does not have: nothing is queued.
    CallBuiltin("achievement_post", {"a", 1});
    CallBuiltin("achievement_post_score", {"a", 1});
    EXPECT_EQ(0, AchievementQueue_Count());

    g_D3D.backBufferWidth = 320, g_D3D.backBufferHeight = 240;
    EXPECT_EQ(320, CallReal("display_get_gui_width", {}));
    // A negative side follows the back buffer; a fraction is cut off.
    CallBuiltin("display_set_gui_size", {-1, 50.7});
    EXPECT_EQ(320, CallReal("display_get_gui_width", {}));
    EXPECT_EQ(50, CallReal("display_get_gui_height", {}));
    g_GUIWidth = g_GUIHeight = -1;
    g_D3D.backBufferWidth = g_D3D.backBufferHeight = 0;
}

TEST_F(WexoBuiltins, VirtualKeysAndTheDeviceMouse)
{
    IO_VirtualKey_MakeTable();
    IO_VirtualKey_DeleteAll();
    EXPECT_EQ(1, CallReal("virtual_key_add", {0, 0, 64, 32, 65}));
    const IOVirtualKey* key = IO_VirtualKey_Get(0);
    EXPECT_EQ((std::vector<int32_t>{0, 0, 64, 32, 64, 32, 65}),
              (std::vector<int32_t>{key->x, key->y, key->right, key->bottom, key->width, key->height, key->key}));
    EXPECT_EQ(IO_VIRTUAL_KEY_IN_USE, key->flags);
    CallBuiltin("Wexo_ShowVirtualKey", {1.9});
    EXPECT_EQ(IO_VIRTUAL_KEY_IN_USE | IO_VIRTUAL_KEY_VISIBLE, key->flags);
    EXPECT_EQ(2, CallReal("Wexo_AddVirtualKey", {10.8, -5, 1, 1, 66})); // truncated
    EXPECT_EQ(10, IO_VirtualKey_Get(1)->x);
    CallBuiltin("virtual_key_hide", {1});
    EXPECT_EQ(IO_VIRTUAL_KEY_IN_USE, key->flags);
    CallBuiltin("virtual_key_delete", {1});
    EXPECT_EQ(0, key->flags);
    IO_VirtualKey_DeleteAll();

    IO_Step.buttonDown[3 * 2 + 0] = 1; // device 2, left button
    functiontest::ExpectCases({{"device_mouse_check_button", {2, 1}, 1}, {"Wexo_MouseCheckButton", {2, -1}, 1},
                               {"device_mouse_check_button", {0, 1}, 0}, {"device_mouse_check_button", {2, 0}, 0}});
    IO_Step.buttonDown[3 * 2 + 0] = 0;
}

TEST_F(WexoBuiltins, LiveTilesOnlyLog)
{
    struct Row {
        const char* name;
        TestArg fits;
        const char* usage;
    } rows[] = {
        {"title", "t", "title"}, {"count", 3, "count"}, {"back_content_wide", "c", "content"},
        {"small_background_image", "f", "filename"}, {"background_color", 255, "color"},
    };
    const std::string unsupported = "Windows Phone functionality not supported on this platform\n";
    for (const Row& row : rows) {
        std::string name = std::string("winphone_tile_") + row.name;
        TestArg misfit = row.fits.isText ? TestArg(1) : TestArg("1");
        testsupport::ConsoleCapture log;
        EXPECT_EQ(0, Direct(name.c_str(), {row.fits}).real);
        Direct(name.c_str(), {misfit});
        Direct(name.c_str(), {row.fits, row.fits});
        std::string usage = "incorrect arguments to " + name + "( " + row.usage + " )\n";
        EXPECT_EQ(unsupported + usage + usage, log.console.text) << name;
    }
    testsupport::ConsoleCapture log;
    Direct("winphone_tile_wide_content", {1, 2});
    Direct("winphone_tile_wide_content", {1, "x"});
    Direct("winphone_tile_cycle_images", {"a", 2, 3, 4, 5, 6, 7, 8, 9});
    Direct("winphone_tile_cycle_images", {"a", 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(unsupported + "incorrect arguments to winphone_tile_wide_content( content, index )\n" + unsupported +
                  "incorrect arguments to winphone_tile_cycle_images( filename1, filename2, ... up to filename9 )\n",
              log.console.text);
    TakeError();
}

TEST_F(WexoBuiltins, CloudSavesReadTheFileAndTakeTheRequestCounter)
{
    testsupport::ScopedSaveArea area("wexo_cloud");
    std::ofstream(area.Path("save.txt")) << "progress";
    testsupport::ConsoleCapture log;
    g_HttpRequestCounter = 12;
    EXPECT_EQ(12, CallReal("cloud_file_save", {area.Path("save.txt").c_str(), "d"}));
    EXPECT_EQ(0, CallReal("cloud_file_save", {"missing.txt", "d"}));
    // A name that is not a text is a file that is not there.
    EXPECT_EQ(0, CallReal("cloud_file_save", {5, "d"}));
    EXPECT_EQ(12, CallReal("cloud_synchronise", {}));
    EXPECT_EQ("ERROR!!! :: Failed to open file: missing.txt\nERROR!!! :: Failed to open file: \n", log.console.text);
    EXPECT_EQ("", TakeError());

    // A platform's answer: the map's keys follow the status.
    struct Row {
        int32_t status;
        std::vector<std::pair<const char*, TestArg>> keys;
    } rows[] = {
        {-2, {{"status", -2}, {"errorString", "desc"}, {"resultString", 0}}},
        {1, {{"resultString", "desc"}, {"errorString", 0}}},
        {0, {{"description", "desc"}, {"resultString", "body"}, {"id", 12}}},
    };
    for (const Row& row : rows) {
        auto* request = new HTTP_REQ_CONTEXT(nullptr, 16, nullptr, nullptr, nullptr);
        HTTP_Unlink(request);
        std::memcpy(request->m_pData, "desc\0body", 9);
        request->m_DataLength = 9;
        request->m_Id = 12;
        request->m_HttpStatus = row.status;
        int32_t map = -1;
        EXPECT_EQ(67, Wexo_CloudCompletion(request, nullptr, &map));
        delete request;
        for (const auto& [key, value] : row.keys) {
            testsupport::BuiltinResult got = CallBuiltin("ds_map_find_value", {map, key});
            EXPECT_EQ(value.isText ? value.text : "", got.text) << row.status << " " << key;
            if (!value.isText) {
                EXPECT_EQ(value.real, got.real) << row.status << " " << key;
            }
        }
        CDS_Map_Destroy(map);
    }
}

TEST_F(WexoBuiltins, PurchasesKeepTheStructuresAStoreWouldFill)
{
    int32_t files = int32_t(CallReal("iap_activate", {0}));
    EXPECT_EQ(files, CallReal("iap_files_purchased", {}));
    int32_t status = int32_t(CallReal("iap_status", {}));
    EXPECT_EQ("Not Available", CallText("ds_map_find_value", {status, "status"}));
    EXPECT_NE(files, status);
    CDS_Map_Destroy(status);
}

TEST_F(WexoBuiltins, APauseSignalHoldsForExactlyOneStep)
{
    Wexo_ResetAsync();
    testsupport::ConsoleCapture log;
    Wexo_OSPauseEventRaised();
    Wexo_OSPauseEventRaised();
    std::vector<double> paused;
    for (int i = 0; i < 3; ++i) {
        Wexo_FunctionsStep();
        paused.push_back(CallReal("os_is_paused", {}));
    }
    EXPECT_EQ((std::vector<double>{1, 0, 0}), paused);
    EXPECT_EQ("OS has raised a pause event\nOS has raised a pause event\n"
              "Pause event has been registered for this frame\nPause event has been unregistered\n",
              log.console.text);
    // A platform's resume clears a signal not yet registered, and the game's pause.
    Wexo_SetOSPaused(true);
    g_Paused = 1;
    Wexo_SetOSPaused(false);
    Wexo_FunctionsStep();
    EXPECT_EQ(0, CallReal("Wexo_OSPauseEvent", {}));
    EXPECT_EQ(0, g_Paused);
}

TEST_F(WexoBuiltins, OperatingSystemVariablesAndConstants)
{
    Variable_BuiltIn_Init();
    g_D3D.backBufferWidth = 640;
    struct Row {
        const char* name;
        double value;
    } rows[] = {{"os_type", 0}, {"os_device", -1}, {"os_version", double(Platform_GetOSVersion())}, {"os_browser", -1},
                {"browser_width", 640}, {"browser_height", 0}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        int32_t row = Variable_BuiltIn_Find(rows[i].name);
        EXPECT_EQ(184 + int32_t(i), row) << "after the global rows: " << rows[i].name;
        ScriptValue value = {VALUE_REAL, 0, 99.0};
        EXPECT_TRUE(Variable_GetValue_Direct(nullptr, row, -1, &value));
        EXPECT_EQ(rows[i].value, value.real) << rows[i].name;
        EXPECT_FALSE(Variable_SetValue_Direct(nullptr, row, -1, &value)) << rows[i].name << " is read-only";
    }
    g_D3D.backBufferWidth = 0;
    EXPECT_GT(Platform_GetOSVersion(), 65536);

    Constant_Clear();
    InitOsConstants();
    EXPECT_EQ(60, Constant_Count());
    for (auto [name, value] : {std::pair{"os_unknown", -1.0}, {"os_llvm_winphone", 65543.0}, {"device_emulator", 256.0},
                               {"achievement_achievement_info", 1005.0}, {"asset_timeline", 8.0}}) {
        const ScriptValue* found = Constant_Find(name);
        ASSERT_NE(nullptr, found) << name;
        EXPECT_EQ(value, found->real) << name;
    }
    Constant_Clear();
    Constant_Init();
}

TEST(WexoPlatform, LanguageVersionAndUrlRules)
{
    // LC_ALL, LC_MESSAGES and LANG ("" unset): the first one set wins.
    struct Locale {
        const char* all;
        const char* messages;
        const char* lang;
        const char* code;
    } locales[] = {
        {"", "", "da_DK.UTF-8", "da"}, {"", "", "C", "en"},         {"", "", "", "en"},
        {"", "", "fa_IR.UTF-8", "--"}, {"", "", "sr_RS@latin", "hr"}, {"", "", "hsb_DE", "dsb"},
        {"", "", "ZH_cn", "zh"},       {"de_DE", "fr_FR", "da", "de"}, {"", "fr_FR", "da", "fr"},
    };
    for (auto [all, messages, lang, code] : locales) {
        for (auto [name, value] : {std::pair{"LC_ALL", all}, {"LC_MESSAGES", messages}, {"LANG", lang}})
            if (value[0] != '\0') setenv(name, value, 1);
            else unsetenv(name);
        EXPECT_EQ(code, CallText("os_get_language", {})) << all << "/" << messages << "/" << lang;
    }
    unsetenv("LC_ALL"), unsetenv("LC_MESSAGES"), unsetenv("LANG");

    for (auto [release, version] : {std::pair{"6.1.0-18-amd64", 393217}, {"5.10", 327690}, {"7", 458752},
                                    {"4.19-rc1", 262163}, {"", -1}, {"v6.1", -1}})
        EXPECT_EQ(version, Platform_VersionOfRelease(release)) << release;

    for (auto [url, opened] : {std::pair{"http://a", true}, {"HTTPS://a", true}, {"File:/", true}, {"file:/x", false},
                               {"file:///tmp/x", false}, {"http:/", false}, {"ftp://a", false}, {"a.com", false},
                               {"", false}})
        EXPECT_EQ(opened, Platform_IsOpenableURL(url)) << url;
}

TEST(WexoPlatform, URLsGoToTheDesktopOnlyWithTheirScheme)
{
    testsupport::RegisterBuiltins();
    fs::path folder = fs::path(testing::TempDir()) / ("wexo_urls_" + std::to_string(getpid()));
    fs::create_directories(folder / "bin");
    fs::path record = folder / "urls.txt", opener = folder / "bin" / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\necho \"$1\" >> '" << record.string() << "'\n";
    chmod(opener.c_str(), 0755);
    std::string path = std::getenv("PATH");
    setenv("PATH", ((folder / "bin").string() + ":" + path).c_str(), 1);
    CallBuiltin("url_open", {"example.com/page"});
    CallBuiltin("Wexo_OpenURL_ext", {"ftp://example.com", "_blank"});
    CallBuiltin("url_open_full", {"HTTP://Example.com/A", "_blank", ""});
    setenv("PATH", path.c_str(), 1);
    auto lines = [&] {
        std::ifstream in(record);
        std::vector<std::string> got;
        for (std::string line; std::getline(in, line);) got.push_back(line);
        return got;
    };
    for (int i = 0; i < 500 && lines().empty(); ++i) usleep(10000);
    usleep(200000); // time for any opener that should not have started
    EXPECT_EQ(std::vector<std::string>{"HTTP://Example.com/A"}, lines());
    fs::remove_all(folder);
}

// Purchase events and queued script calls, delivered by the asynchronous stage.
class WexoAsync : public objecttest::ObjectTest {
  protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins();
        ObjectTest::SetUp();
        if (Constant_Count() == 0) Constant_Init();
        if (g_BuiltinVariableCount == 0) Variable_BuiltIn_Init();
        Wexo_ResetAsync();
        Script_Reset();
    }
    void TearDown() override
    {
        Script_Reset();
        g_UseBytecode = 1;
        ObjectTest::TearDown();
    }
    int32_t AddScript(const char* source)
    {
        auto* script = new CScript();
        script->SetText(source);
        int32_t index = Script_Append(script, "scr_callback");
        EXPECT_TRUE(script->Compile()) << g_CodeErrorText;
        return index;
    }
};

TEST_F(WexoAsync, PurchaseEventsReachTheInstancesThatExistedWhenTheStageBegan)
{
    int32_t object = AddObject();
    objecttest::SetHandler(object, 7, 66, "test_record();");
    ObjectLists_Build();
    m_Instances.push_back(new CInstance(0, 0, 100001, object, true));
    EXPECT_EQ(-1, CallReal("iap_event_queue", {}));
    Async_ProcessIapEvents();
    EXPECT_TRUE(objecttest::Records().empty()) << "no event before a push";

    Wexo_PushIapEvent(5);
    Wexo_PushIapEvent(6);
    int32_t queue = int32_t(CallReal("iap_event_queue", {}));
    EXPECT_EQ(2, DS_QueueSize(queue));
    CInstance* late = new CInstance(0, 0, 100002, object, true);
    late->m_CreationStamp = g_EventStamp + 1; // made by a handler of this stage
    m_Instances.push_back(late);
    Async_ProcessIapEvents();
    Async_ProcessIapEvents();
    EXPECT_EQ(std::vector<std::string>{std::to_string(object) + " 7 66 100001 100001"}, objecttest::Records());
    EXPECT_EQ(0, DS_QueueSize(queue));
    EXPECT_EQ(queue, CallReal("iap_event_queue", {}));
}

std::vector<std::string> g_Seen;
void Seen(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    std::string line = std::to_string(int32_t(args[0].real));
    for (int32_t i = 1; i < argc; ++i) line += " " + (Value_GetText(&args[i]) ? Value_GetText(&args[i]) : std::to_string(args[i].real));
    g_Seen.push_back(line);
}

TEST_F(WexoAsync, CallbacksRunTheirScriptWithTheirArguments)
{
    int32_t dummy = -1;
    if (!Code_Function_Find("wexo_test_seen", &dummy)) Function_Add("wexo_test_seen", Seen, FUNCTION_ARGS_ANY);
    int32_t script = AddScript("wexo_test_seen(argument_count, argument0, argument1);");
    ScriptValue args[2] = {{VALUE_REAL, 0, 4.0}, {VALUE_REAL, 0, 0.0}};
    Value_SetText(&args[1], "x");
    g_Seen.clear();
    Wexo_PushScriptCallback(script, 0, nullptr);
    Wexo_PushScriptCallback(script, 2, args);
    Value_Free(&args[1]);
    Async_ProcessCallbacks();
    EXPECT_EQ((std::vector<std::string>{"0 0.000000 0.000000", "2 4.000000 x"}), g_Seen);
    Async_ProcessCallbacks();
    EXPECT_EQ(2u, g_Seen.size()) << "the queue is emptied as it runs";
    EXPECT_EQ("", g_ErrorLast);

    // A failed run is reported as an action error; the tree walker cannot run code without an instance.
    g_UseBytecode = 0;
    Wexo_PushScriptCallback(script, 0, nullptr);
    Async_ProcessCallbacks();
    EXPECT_NE(std::string::npos, g_ErrorLast.find("In script scr_callback:\n")) << g_ErrorLast;
    EXPECT_FALSE(g_ErrorQuitting || g_CodeErrorFlag);
}

} // namespace
