// The global built-in variables: the current room with its layers and views (index rule, flags,
// the room speed's refusal, room moves), lives and health events, transitions, script arguments,
// captions, the error state, the folders, the clock and the physics variables.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>

#include "../gamefile/GameFileTestSupport.h"
#include "../object/ObjectTestSupport.h"
#include "VariableBuiltInSupport.h"
#include "app/App_Paths.h"
#include "code/Code_Interpreter.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Services.h"
#include "graphics/Graphics_Device.h"
#include "instance/Instance_List.h"
#include "physics/Physics_Fixture.h"
#include "physics/Physics_World.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

using namespace bvtest;

namespace {

constexpr int32_t OTHER = 7;

// A game state with one room running; globals ignore the instance they are given.
class GameVariables : public objecttest::ObjectTest {
  protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        // Other tests of this program install instances of their own.
        m_SavedInstances = Variable_Instances();
        Variable_SetInstances(&m_GameInstances);
        Variable_BuiltIn_Init();
        RoomTables_Reset();
        Run_InitGlobals();
        g_InstanceIdCounter = 100000;
    }
    void TearDown() override
    {
        Run_EndGame();
        RoomTables_Reset();
        Run_InitGlobals();
        g_ErrorQuitting = false;
        Variable_SetInstances(m_SavedInstances);
        ObjectTest::TearDown();
    }

    // Starts a new room of the table (640 x 480 at 30 steps a second) as the current room.
    CRoom* StartRoom()
    {
        int32_t index = Room_Add();
        Run_StartRoom(index, true);
        return Run_CurrentRoom();
    }

    // An object whose handler of the event records its calls.
    int32_t ObjectWithHandler(int32_t type, int32_t subtype)
    {
        int32_t object = AddObject();
        objecttest::SetHandler(object, type, subtype, "test_record();");
        return object;
    }

    InstanceVariableAccess m_GameInstances{Room_CurrentActiveList};
    IVariableInstances* m_SavedInstances = nullptr;
};

TEST_F(GameVariables, LivesAndHealthAnnounceRunningOutOnce)
{
    CRoom* room = StartRoom();
    ASSERT_NE(nullptr, room);
    int32_t object = ObjectWithHandler(OTHER, 6);
    objecttest::SetHandler(object, OTHER, 9, "test_record();");
    CInstance* first = room->AddInstance(0, 0, object);
    room->AddInstance(0, 0, object);
    std::string id = std::to_string(first->GetId());

    ASSERT_TRUE(SetReal(nullptr, "lives", 3));
    EXPECT_TRUE(objecttest::Records().empty());
    ASSERT_TRUE(SetReal(nullptr, "lives", 0));
    ASSERT_EQ(2u, objecttest::Records().size()) << "every instance of the room";
    EXPECT_EQ("0 7 6 " + id + " " + id, objecttest::Records()[0]);
    ASSERT_TRUE(SetReal(nullptr, "lives", 0));
    ASSERT_TRUE(SetReal(nullptr, "lives", -1));
    EXPECT_EQ(2u, objecttest::Records().size()) << "no lives before: nothing to announce";
    ASSERT_TRUE(SetReal(nullptr, "lives", 0.6)); // rounds to 1
    EXPECT_EQ(1, g_Lives);
    ASSERT_TRUE(SetReal(nullptr, "lives", -5));
    EXPECT_EQ(4u, objecttest::Records().size());
    objecttest::Records().clear();

    // Health is a real: 0.25 is still alive.
    ASSERT_TRUE(SetReal(nullptr, "health", 0.25));
    EXPECT_EQ(0.25, RealOf(nullptr, "health"));
    EXPECT_TRUE(objecttest::Records().empty());
    ASSERT_TRUE(SetReal(nullptr, "health", 0));
    ASSERT_EQ(2u, objecttest::Records().size());
    EXPECT_EQ("0 7 9 " + id + " " + id, objecttest::Records()[0]);
    ASSERT_TRUE(SetReal(nullptr, "health", -3));
    EXPECT_EQ(2u, objecttest::Records().size());
}

TEST_F(GameVariables, TheCurrentRoomsFieldsAndTheIndexRule)
{
    // Outside a room the room variables read 0 and writes change nothing.
    EXPECT_EQ(0, RealOf(nullptr, "room_width"));
    EXPECT_EQ(0, RealOf(nullptr, "view_xview", 2));
    EXPECT_TRUE(SetReal(nullptr, "view_xview", 5, 2));
    EXPECT_EQ(0, RealOf(nullptr, "instance_count"));
    EXPECT_EQ(-4, RealOf(nullptr, "instance_id", 0));

    CRoom* room = StartRoom();
    ASSERT_NE(nullptr, room);
    EXPECT_EQ(640, RealOf(nullptr, "room_width"));
    EXPECT_EQ(480, RealOf(nullptr, "room_height"));
    EXPECT_EQ(g_CurrentRoomIndex, RealOf(nullptr, "room"));

    // Views and layers 0 to 7; any other index is view or layer 0.
    ASSERT_TRUE(SetReal(nullptr, "view_xview", 100, 3));
    EXPECT_EQ(100, room->m_Views[3].xview);
    ASSERT_TRUE(SetReal(nullptr, "view_xview", 55, 9));
    EXPECT_EQ(55, room->m_Views[0].xview);
    EXPECT_EQ(55, RealOf(nullptr, "view_xview", 9));
    EXPECT_EQ(55, RealOf(nullptr, "view_xview"));
    ASSERT_TRUE(SetReal(nullptr, "view_angle", 0.1, 7));
    EXPECT_EQ(AsFloat(0.1), RealOf(nullptr, "view_angle", 7));
    ASSERT_TRUE(SetReal(nullptr, "view_wport", 2.5, At(1, 0)));
    EXPECT_EQ(2, room->m_Views[0].wport);
    ASSERT_TRUE(SetReal(nullptr, "background_x", 12.5, -1));
    EXPECT_EQ(12.5f, room->m_Backgrounds[0].x);
    ASSERT_TRUE(SetReal(nullptr, "background_index", 3, 8));
    EXPECT_EQ(3, room->m_Backgrounds[0].index);
    EXPECT_EQ(0, RealOf(nullptr, "background_width", 0)) << "no such background";
    EXPECT_EQ(0, RealOf(nullptr, "background_height", 5));

    // Room flags are on from a rounded 1.
    ASSERT_TRUE(SetReal(nullptr, "background_visible", 0.5, 2));
    EXPECT_EQ(0, room->m_Backgrounds[2].visible);
    ASSERT_TRUE(SetReal(nullptr, "background_visible", 0.6, 2));
    EXPECT_EQ(1, room->m_Backgrounds[2].visible);
    ASSERT_TRUE(SetReal(nullptr, "view_visible", -1, 1));
    EXPECT_EQ(0, room->m_Views[1].visible);
    ASSERT_TRUE(SetReal(nullptr, "view_enabled", 1.5));
    EXPECT_EQ(1u, room->m_EnableViews);
    ASSERT_TRUE(SetReal(nullptr, "room_persistent", -2));
    EXPECT_EQ(0u, room->m_Persistent);
    ASSERT_TRUE(SetReal(nullptr, "background_color", -1));
    EXPECT_EQ(4294967295.0, RealOf(nullptr, "background_color"));

    ASSERT_TRUE(SetText(nullptr, "room_caption", "Level 2"));
    EXPECT_EQ("Level 2", TextOf(nullptr, "room_caption"));

    CInstance* a = room->AddInstance(0, 0, AddObject());
    CInstance* b = room->AddInstance(0, 0, AddObject());
    EXPECT_EQ(2, RealOf(nullptr, "instance_count"));
    EXPECT_EQ(a->GetId(), RealOf(nullptr, "instance_id", 0));
    EXPECT_EQ(b->GetId(), RealOf(nullptr, "instance_id", 1));
    EXPECT_EQ(-4, RealOf(nullptr, "instance_id", 2));
    EXPECT_EQ(-4, RealOf(nullptr, "instance_id")) << "no index is outside the list";
}

TEST_F(GameVariables, ARoomSpeedOfZeroOrLessIsRefused)
{
    CRoom* room = StartRoom();
    ASSERT_NE(nullptr, room);
    ASSERT_TRUE(SetReal(nullptr, "room_speed", 60.4));
    EXPECT_EQ(60, RealOf(nullptr, "room_speed"));
    EXPECT_FALSE(SetReal(nullptr, "room_speed", 0.4)); // rounds to 0
    EXPECT_EQ(60, room->m_Speed);
    EXPECT_NE(std::string::npos, g_ErrorLast.find("Trying to set the room speed to a value <= 0."));
    EXPECT_EQ(RUN_REQUEST_NONE, g_RunRequest) << "not fatal";
}

TEST_F(GameVariables, SettingRoomAsksForThatRoom)
{
    CRoom* room = StartRoom();
    ASSERT_NE(nullptr, room);
    int32_t current = g_CurrentRoomIndex;
    int32_t other = Room_Add();
    g_TransitionKind = 3;
    ASSERT_TRUE(SetReal(nullptr, "room", other));
    EXPECT_EQ(other, g_RunRequest);
    EXPECT_EQ(0, g_TransitionKind);
    EXPECT_EQ(current, RealOf(nullptr, "room")) << "the room changes when the frame ends";

    g_RunRequest = RUN_REQUEST_NONE;
    ASSERT_TRUE(SetReal(nullptr, "room", 99));
    EXPECT_EQ(RUN_REQUEST_FATAL, g_RunRequest);
    EXPECT_NE(std::string::npos, g_ErrorLast.find("Unexisting room number: 99"));
}

TEST_F(GameVariables, TransitionsAreSwitchedOff)
{
    CapturedLog log;
    ASSERT_TRUE(SetReal(nullptr, "transition_kind", 5));
    EXPECT_EQ(0, RealOf(nullptr, "transition_kind"));
    EXPECT_EQ("BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn "
              "SV_TransitionKind() .\n",
              log.Text());
    ASSERT_TRUE(SetReal(nullptr, "transition_steps", 0));
    EXPECT_EQ(1, RealOf(nullptr, "transition_steps"));
    ASSERT_TRUE(SetReal(nullptr, "transition_steps", 12));
    EXPECT_EQ(12, RealOf(nullptr, "transition_steps"));
}

TEST_F(GameVariables, ScriptArguments)
{
    for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i)
        Value_SetReal(&g_ScriptArguments[i], 10 + i);
    g_ScriptArgumentCount = 3;
    EXPECT_EQ(3, RealOf(nullptr, "argument_count"));
    EXPECT_EQ(13, RealOf(nullptr, "argument", 3));
    EXPECT_EQ(10, RealOf(nullptr, "argument", 20)) << "outside 0 to 15: argument 0";
    EXPECT_EQ(10, RealOf(nullptr, "argument"));
    EXPECT_EQ(25, RealOf(nullptr, "argument15"));

    // argument[n] replaces the whole value; argumentN[i] writes an element of argument N.
    ASSERT_TRUE(SetText(nullptr, "argument", "text", 2));
    EXPECT_EQ("text", TextOf(nullptr, "argument2"));
    ASSERT_TRUE(SetReal(nullptr, "argument", 7, 16));
    EXPECT_EQ(7, g_ScriptArguments[0].real);
    ASSERT_TRUE(SetReal(nullptr, "argument4", 9, 2));
    ASSERT_EQ(static_cast<uint32_t>(VALUE_ARRAY), Value_GetKind(&g_ScriptArguments[4]));
    EXPECT_EQ(9, RealOf(nullptr, "argument4", 2));
    Read missing;
    Get(nullptr, "argument4", missing, At(3, 0));
    EXPECT_FALSE(missing.ok) << "an element outside the array";
    Code_FreeScriptArguments();
    g_ScriptArgumentCount = 0;
}

TEST_F(GameVariables, CaptionsErrorsAndInput)
{
    g_CaptionSettingsChanged = 0;
    ASSERT_TRUE(SetReal(nullptr, "show_lives", 0.5));
    EXPECT_EQ(0, g_ShowLives);
    EXPECT_EQ(0, g_CaptionSettingsChanged) << "only show_score counts as a caption choice";
    ASSERT_TRUE(SetReal(nullptr, "show_score", 0));
    EXPECT_EQ(0, g_ShowScore);
    EXPECT_EQ(1, g_CaptionSettingsChanged);
    Run_InitGlobals(); // a reset of the run-layer globals forgets the caption choice
    EXPECT_EQ(0, g_CaptionSettingsChanged);
    EXPECT_EQ(1, g_ShowScore);
    EXPECT_EQ("Health: ", TextOf(nullptr, "caption_health"));
    ASSERT_TRUE(SetText(nullptr, "caption_score", "Points: "));
    EXPECT_EQ("Points: ", g_CaptionScore);
    ASSERT_TRUE(SetReal(nullptr, "caption_lives", 3)); // a number has no text
    EXPECT_EQ("", TextOf(nullptr, "caption_lives"));

    // error_occurred compares the real with 0.5 without rounding it.
    ASSERT_TRUE(SetReal(nullptr, "error_occurred", -1));
    EXPECT_EQ(0, RealOf(nullptr, "error_occurred"));
    ASSERT_TRUE(SetReal(nullptr, "error_occurred", 0.6));
    EXPECT_EQ(1, RealOf(nullptr, "error_occurred"));
    ASSERT_TRUE(SetText(nullptr, "error_last", "it broke"));
    EXPECT_EQ("it broke", TextOf(nullptr, "error_last"));

    // keyboard_lastchar takes the first character of a text, however many bytes it has.
    ASSERT_TRUE(SetText(nullptr, "keyboard_lastchar", "ab"));
    EXPECT_EQ("a", TextOf(nullptr, "keyboard_lastchar"));
    ASSERT_TRUE(SetText(nullptr, "keyboard_lastchar", "\xC3\xA9t\xC3\xA9"));
    EXPECT_EQ("\xC3\xA9", TextOf(nullptr, "keyboard_lastchar"));
    ASSERT_TRUE(SetText(nullptr, "keyboard_lastchar", ""));
    EXPECT_EQ("\xC3\xA9", TextOf(nullptr, "keyboard_lastchar")) << "an empty text changes nothing";
    ASSERT_TRUE(SetText(nullptr, "keyboard_lastchar", "\xC3")); // cut short
    EXPECT_EQ("\xC3\x80", TextOf(nullptr, "keyboard_lastchar")) << "a cut character keeps its lead's bits";
    ASSERT_TRUE(SetText(nullptr, "keyboard_string", "typed"));
    EXPECT_EQ("typed", TextOf(nullptr, "keyboard_string"));
    ASSERT_TRUE(SetReal(nullptr, "keyboard_lastkey", 65));
    EXPECT_EQ(65, RealOf(nullptr, "keyboard_lastkey"));
    ASSERT_TRUE(SetReal(nullptr, "mouse_button", 2));
    EXPECT_EQ(2, RealOf(nullptr, "mouse_button"));
}

TEST_F(GameVariables, TheGameFoldersAndIdentity)
{
    Variable_ResetWorkingDirectory();
    CapturedLog log;
    Variable_InitWorkingDirectory("games/demo\\data.win");
    EXPECT_EQ("games", TextOf(nullptr, "working_directory")) << "cut at the last '/' first";
    EXPECT_EQ(std::string(73, '#') + "\n####!!!!$$$$$$ pwd - games\n" + std::string(73, '#') + "\n",
              log.Text());
    Variable_InitWorkingDirectory("elsewhere/data.win");
    EXPECT_EQ("games", TextOf(nullptr, "working_directory")) << "fixed by the first game file";
    Variable_ResetWorkingDirectory();
    Variable_InitWorkingDirectory("C:\\games\\data.win");
    EXPECT_EQ("C:\\games", TextOf(nullptr, "working_directory"));
    Variable_ResetWorkingDirectory();
    Variable_InitWorkingDirectory("data.win");
    EXPECT_EQ("", TextOf(nullptr, "working_directory"));
    Variable_ResetWorkingDirectory();

    std::string program = TextOf(nullptr, "program_directory");
    ASSERT_FALSE(program.empty());
    EXPECT_NE('/', program.back());
    EXPECT_EQ(0u, std::string(GetProgramDirectory()).rfind(program + "/", 0));
    EXPECT_EQ("", TextOf(nullptr, "game_guid"));
    EXPECT_EQ(0, RealOf(nullptr, "secure_mode"));
    EXPECT_EQ(1, RealOf(nullptr, "webgl_enabled"));

    g_GameHeader.debugByte = 0;
    EXPECT_EQ(1, RealOf(nullptr, "debug_mode"));
    g_GameHeader.debugByte = 2;
    EXPECT_EQ(1, RealOf(nullptr, "debug_mode")) << "only bit 0 counts";
    g_GameHeader.debugByte = 1;
    EXPECT_EQ(0, RealOf(nullptr, "debug_mode"));
    g_GameHeader.gameId = 4711;
    EXPECT_EQ(4711, RealOf(nullptr, "game_id"));
    GameHeader_Clear();

    g_D3D.multisampleMask = 2 | 4 | 8;
    EXPECT_EQ(14, RealOf(nullptr, "display_aa"));
    g_D3D.multisampleMask = 0;
}

int64_t g_FakeNow = 0;
int64_t FakeNow()
{
    return g_FakeNow;
}
void NoSleep(int64_t) {}

TEST_F(GameVariables, TheClockAndTheCalendar)
{
    const TimingClock fake = {FakeNow, NoSleep};
    Timing_SetClock(&fake);
    g_FakeNow = 5000000;
    Timing_Init();
    g_FakeNow = 5123999;
    EXPECT_EQ(123, RealOf(nullptr, "current_time")) << "whole milliseconds";
    Timing_SetClock(nullptr);
    Timing_Init();

    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    double year = RealOf(nullptr, "current_year");
    EXPECT_TRUE(year == local.tm_year + 1900 || year == local.tm_year + 1901);
    double month = RealOf(nullptr, "current_month");
    EXPECT_GE(month, 1);
    EXPECT_LE(month, 12);
    EXPECT_GE(RealOf(nullptr, "current_day"), 1);
    EXPECT_LE(RealOf(nullptr, "current_weekday"), 6);
    EXPECT_LE(RealOf(nullptr, "current_hour"), 23);
    EXPECT_LE(RealOf(nullptr, "current_second"), 60);
}

TEST_F(GameVariables, PhysicsVariablesNeedABodyAndForScaledValuesAWorld)
{
    CRoom* room = StartRoom();
    ASSERT_NE(nullptr, room);
    CInstance* instance = room->AddInstance(0, 0, -1);
    const char* all[] = {"phy_mass", "phy_rotation", "phy_position_x", "phy_sleeping",
                         "phy_collision_points"};
    for (const char* name : all)
        EXPECT_TRUE(std::isnan(RealOf(instance, name))) << name << " without a body";
    EXPECT_FALSE(SetReal(instance, "phy_rotation", 45));

    // A 2 m by 1 m box of density 1 at the origin: mass 2, inertia about its centre 2 * (4 + 1) / 12.
    room->m_pPhysicsWorld = new CPhysicsWorld(0.1f, 30);
    CPhysicsFixture* box = PhysicsFixture_Create();
    box->SetBoxShape(1.0f, 0.5f);
    box->m_Def.density = 1.0f;
    ASSERT_TRUE(room->m_pPhysicsWorld->BindFixture(box, instance));
    CPhysicsObject* body = instance->m_pPhysicsObject;
    EXPECT_FLOAT_EQ(2.0f, static_cast<float>(RealOf(instance, "phy_mass")));
    EXPECT_NEAR(10.0 / 12.0, RealOf(instance, "phy_inertia"), 1e-5);
    ASSERT_TRUE(SetReal(instance, "phy_rotation", 45));
    EXPECT_NEAR(45, RealOf(instance, "phy_rotation"), 1e-4);
    ASSERT_TRUE(SetReal(instance, "phy_bullet", 0.5));
    EXPECT_EQ(0, RealOf(instance, "phy_bullet"));
    ASSERT_TRUE(SetReal(instance, "phy_bullet", 0.6));
    EXPECT_EQ(1, RealOf(instance, "phy_bullet"));
    EXPECT_EQ(0, RealOf(instance, "phy_sleeping"));

    ASSERT_TRUE(SetReal(instance, "phy_position_x", 50));
    float x, y;
    body->GetPosition(&x, &y);
    EXPECT_FLOAT_EQ(5.0f, x);
    EXPECT_NEAR(50, RealOf(instance, "phy_position_x"), 1e-5);
    EXPECT_EQ(0, RealOf(instance, "phy_position_y")) << "the other coordinate is kept";
    EXPECT_NEAR(50, RealOf(instance, "phy_com_x"), 1e-4);
    ASSERT_TRUE(SetReal(instance, "phy_speed_x", 2));
    body->GetLinearVelocity(&x, &y);
    EXPECT_FLOAT_EQ(6.0f, x) << "2 pixels a step at 30 steps a second, scaled";
    EXPECT_NEAR(60, RealOf(instance, "phy_linear_velocity_x"), 1e-4);
    EXPECT_NEAR(2, RealOf(instance, "phy_speed_x"), 1e-6);
    EXPECT_EQ(0, RealOf(instance, "phy_collision_points"));
    EXPECT_TRUE(std::isnan(RealOf(instance, "phy_collision_x", 0))) << "no such contact point";
    PhysicsFixture_DeleteAll();
}

} // namespace
