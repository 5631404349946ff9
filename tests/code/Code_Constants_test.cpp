#include "code/Code_Constants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "Code_CompilerSupport.h"
#include "Code_TestLog.h"
#include "gamefile/GameFile_Options.h"
#include "platform/Platform_TestSwitches.h"

namespace {

using compiler_test::CompilerTest;
using compiler_test::RES_SPRITE;
using compiler_test::Resources;

// Tests here add constants of their own: the table is rebuilt from the built-in list afterwards,
// so that no test sees another's additions.
class ConstantsTest : public CompilerTest {
  protected:
    void SetUp() override
    {
        CompilerTest::SetUp();
        Constant_Clear();
        Constant_Init();
    }
    void TearDown() override
    {
        Constant_Clear();
        Constant_Init();
        CompilerTest::TearDown();
    }

    // The value of a word as name resolution sees it, or NaN when nothing has the name.
    static double Value(const char* name)
    {
        ScriptValue value{};
        bool found = Constant_FindValue(name, &value);
        double real = value.real;
        Value_Free(&value);
        return found ? real : std::nan("");
    }
};

TEST_F(ConstantsTest, EveryFamilyIsRegisteredWithItsValues)
{
    const struct {
        const char* name;
        double value;
    } table[] = {
        {"self", -1},
        {"other", -2},
        {"all", -3},
        {"noone", -4},
        {"global", -5},
        {"local", -7},
        {"true", 1},
        {"false", 0},
        {"pi", 3.1415927410125732},
        {"pr_pointlist", 1},
        {"pr_trianglefan", 6},
        {"c_aqua", 16776960},
        {"c_dkgray", 4210752},
        {"c_silver", 12632256},
        {"c_orange", 4235519},
        {"c_white", 16777215},
        {"bm_subtract", 3},
        {"bm_zero", 1},
        {"bm_src_alpha_sat", 11},
        {"se_none", 0},
        {"se_equalizer", 64},
        {"fa_center", 1},
        {"fa_bottom", 2},
        {"mb_any", -1},
        {"mb_middle", 3},
        {"vk_nokey", 0},
        {"vk_return", 13},
        {"vk_printscreen", 44},
        {"vk_f1", 112},
        {"vk_f12", 123},
        {"vk_numpad0", 96},
        {"vk_numpad9", 105},
        {"vk_decimal", 110},
        {"vk_lshift", 160},
        {"vk_ralt", 165},
        {"gp_face1", 32769},
        {"gp_face4", 32772},
        {"gp_shoulderl", 32773},
        {"gp_padr", 32784},
        {"gp_axislh", 32785},
        {"gp_axisrv", 32788},
        {"ev_create", 0},
        {"ev_keyrelease", 10},
        {"ev_global_release", 13},
        {"ev_joystick1_left", 16},
        {"ev_joystick1_button1", 21},
        {"ev_joystick1_button8", 28},
        {"ev_joystick2_down", 34},
        {"ev_joystick2_button1", 36},
        {"ev_joystick2_button8", 43},
        {"ev_global_middle_release", 58},
        {"ev_mouse_wheel_down", 61},
        {"ev_no_more_health", 9},
        {"ev_user0", 10},
        {"ev_user15", 25},
        {"ev_close_button", 30},
        {"ev_step_end", 2},
        {"ev_gui", 64},
        {"ty_string", 1},
        {"dll_stdcall", 1},
        {"fa_readonly", 1},
        {"fa_archive", 32},
        {"cr_default", 0},
        {"cr_beam", -4},
        {"cr_size_nesw", -6},
        {"cr_size_all", -22},
        {"pt_shape_pixel", 0},
        {"pt_shape_snow", 13},
        {"ps_distr_invgaussian", 2},
        {"ps_shape_line", 3},
        {"ps_force_quadratic", 2},
        {"ps_deflect_horizontal", 1},
        {"ps_change_motion", 2},
        {"ef_explosion", 0},
        {"ef_snow", 11},
        {"display_portrait", 1},
        {"phy_joint_reaction_torque", 6},
        {"phy_joint_angle", 8},
        {"phy_joint_motor_speed", 7},
        {"phy_joint_frequency", 18},
        {"phy_debug_render_collision_pairs", 64},
        {"audio_falloff_exponent_distance_clamped", 6},
        {"audio_new_system", 1},
        {"ov_achievements", 5},
        {"lb_sort_descending", 2},
        {"lb_disp_time_ms", 3},
    };
    for (const auto& entry : table)
        EXPECT_EQ(entry.value, Value(entry.name)) << entry.name;
    EXPECT_TRUE(std::isnan(Value("vk_f13")));
    EXPECT_TRUE(std::isnan(Value("ev_user16")));
    EXPECT_TRUE(std::isnan(Value("gp_face5")));
}

TEST_F(ConstantsTest, GameConstantHidesTheBuiltInOne)
{
    EXPECT_EQ(255.0, Value("c_red"));
    EXPECT_TRUE(Constant_Define("c_red"));
    EXPECT_EQ(0.0, Value("c_red"));
    // Name resolution sees the game's constant too.
    EXPECT_EQ("(block (assign= x@-6 0))", Tree("x = c_red"));
}

TEST_F(ConstantsTest, ResourceNameWinsOverAConstant)
{
    Resources(RES_SPRITE)["c_blue"] = 4;
    EXPECT_EQ(4.0, Value("c_blue"));
}

TEST_F(ConstantsTest, CaseInsensitiveFindForVirtualButtonsOnly)
{
    const ScriptValue* found = Constant_Find("VK_LEFT");
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(37.0, double(found->real));
    EXPECT_TRUE(std::isnan(Value("VK_LEFT")));
    EXPECT_EQ(nullptr, Constant_Find("vk_nothing"));
    // The latest definition wins in both lookups.
    Constant_AddReal("Vk_Left", 99);
    EXPECT_EQ(99.0, double(Constant_Find("vk_left")->real));
    EXPECT_EQ(37.0, Value("vk_left"));
}

TEST_F(ConstantsTest, ValuesAreCopiedInAndOut)
{
    ScriptValue text{};
    Value_SetText(&text, "hello");
    Constant_Add("greeting", &text);
    Value_SetText(&text, "changed");
    ScriptValue out{};
    ASSERT_TRUE(Constant_FindValue("greeting", &out));
    EXPECT_STREQ("hello", Value_GetText(&out));
    Value_SetText(&out, "also changed");
    ScriptValue again{};
    ASSERT_TRUE(Constant_FindValue("greeting", &again));
    EXPECT_STREQ("hello", Value_GetText(&again));
    Value_Free(&text);
    Value_Free(&out);
    Value_Free(&again);
}

TEST_F(ConstantsTest, NothingFoundLeavesTheValueAlone)
{
    ScriptValue value{};
    Value_SetReal(&value, -1);
    EXPECT_FALSE(Constant_FindValue("no_such_word", &value));
    EXPECT_EQ(-1.0, double(value.real));
    EXPECT_FALSE(Constant_FindValue(nullptr, &value));
}

TEST_F(ConstantsTest, DefinedNamesAreTrimmedAndChecked)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    EXPECT_TRUE(Constant_Define("  my_const\t "));
    EXPECT_EQ(0.0, Value("my_const"));
    EXPECT_TRUE(Constant_Define("_under9"));

    CapturedConsole log(MainConsole);
    EXPECT_FALSE(Constant_Define("9lives"));
    EXPECT_FALSE(Constant_Define(""));
    EXPECT_FALSE(Constant_Define("   "));
    EXPECT_FALSE(Constant_Define(nullptr));
    EXPECT_FALSE(Constant_Define("has space"));
    EXPECT_FALSE(Constant_Define("dash-ed"));
    EXPECT_TRUE(std::isnan(Value("9lives")));
    std::string logged = log.Text();
    EXPECT_NE(std::string::npos, logged.find("Constant name 9lives  is not valid.")) << logged;
    EXPECT_NE(std::string::npos, logged.find("Constant name   is not valid.")) << logged;
    EXPECT_NE(std::string::npos, logged.find("Constant name has space  is not valid.")) << logged;
}

TEST_F(ConstantsTest, PreparationStopsAtTheFirstInvalidGameConstant)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    std::vector<std::string> names = {"first_ok", "2bad", "never_defined"};
    std::vector<char*> pointers;
    for (std::string& name : names)
        pointers.push_back(name.data());
    pointers.insert(pointers.begin() + 1, nullptr); // a pair without a name is skipped
    int32_t savedCount = g_ConstantCount;
    char** savedNames = g_ConstantNames;
    g_ConstantCount = static_cast<int32_t>(pointers.size());
    g_ConstantNames = pointers.data();
    CapturedConsole log(MainConsole);
    bool prepared = Code_Constant_Prepare();
    g_ConstantCount = savedCount;
    g_ConstantNames = savedNames;

    EXPECT_FALSE(prepared);
    EXPECT_EQ(0.0, Value("first_ok"));
    EXPECT_TRUE(std::isnan(Value("never_defined")));
    EXPECT_NE(std::string::npos, log.Text().find("Constant name 2bad  is not valid."));
}

TEST_F(ConstantsTest, ClearEmptiesTheTable)
{
    EXPECT_GT(Constant_Count(), 300);
    Constant_Clear();
    EXPECT_EQ(0, Constant_Count());
    EXPECT_TRUE(std::isnan(Value("c_red")));
    EXPECT_EQ(nullptr, Constant_Find("c_red"));
    Constant_Init();
    EXPECT_EQ(255.0, Value("c_red"));
}

} // namespace
