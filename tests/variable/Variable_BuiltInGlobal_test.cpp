// The global built-in variables: the current room with its layers and views (index rule, flags,
// the room speed's refusal, room moves), transitions, script arguments, captions, the error state
// and the folders. Lives and health running out are played by the end-to-end action game, the
// physics variables checked with the physics routines; variables that only hand over a field are
// not checked one by one.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "../gamefile/GameFileTestSupport.h"
#include "../object/ObjectTestSupport.h"
#include "VariableBuiltInSupport.h"
#include "code/Code_Interpreter.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Services.h"
#include "graphics/Graphics_Device.h"
#include "instance/Instance_List.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "support/Support_File.h"

using namespace bvtest;

namespace {

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

    InstanceVariableAccess m_GameInstances{Room_CurrentActiveList};
    IVariableInstances* m_SavedInstances = nullptr;
};

TEST_F(GameVariables, TheCurrentRoomsFieldsAndTheIndexRule)
{
    // Outside a room the room variables read 0 and writes change nothing.
    ExpectSetRead(nullptr, {{"view_xview", 2, 5, 0}});
    EXPECT_EQ(0, RealOf(nullptr, "room_width"));

    CRoom* room = StartRoom();
    ASSERT_NE(nullptr, room);
    // Views and layers 0 to 7; any other index is view or layer 0. Room flags are on from a rounded 1.
    ExpectSetRead(nullptr, {{"view_xview", 3, 100, 100},
                            {"view_xview", 9, 55, 55},
                            {"view_wport", At(1, 0), 2.5, 2},
                            {"background_index", 8, 3, 3},
                            {"background_visible", 2, 0.5, 0},
                            {"view_enabled", -1, 1.5, 1},
                            {"background_color", -1, -1, 4294967295.0},
                            {"background_visible", 2, 0.6, 1}});
    EXPECT_EQ((std::vector<double>{100, 55, 3}),
              (std::vector<double>{double(room->m_Views[3].xview), double(room->m_Views[0].xview),
                                   double(room->m_Backgrounds[0].index)}));
    EXPECT_EQ(0, RealOf(nullptr, "background_width", 0)) << "no such background";

    CInstance* a = room->AddInstance(0, 0, AddObject());
    CInstance* b = room->AddInstance(0, 0, AddObject());
    EXPECT_EQ(2, RealOf(nullptr, "instance_count"));
    EXPECT_EQ((std::vector<double>{double(a->GetId()), double(b->GetId()), -4, -4}),
              (std::vector<double>{RealOf(nullptr, "instance_id", 0), RealOf(nullptr, "instance_id", 1),
                                   RealOf(nullptr, "instance_id", 2), RealOf(nullptr, "instance_id")}));
}

TEST_F(GameVariables, RoomSpeedAndRoomWrites)
{
    CRoom* room = StartRoom();
    ASSERT_NE(nullptr, room);
    // A room speed that rounds to 0 is refused, and not fatally: the setter reports it and answers
    // that the assignment was dealt with, so the interpreter adds no error of its own.
    ExpectSetRead(nullptr, {{"room_speed", -1, 60.4, 60}, {"room_speed", -1, 0.4, 60}});
    EXPECT_NE(std::string::npos, g_ErrorLast.find("Trying to set the room speed to a value <= 0."));
    EXPECT_EQ(RUN_REQUEST_NONE, g_RunRequest);

    // Setting room asks for that room; the room changes when the frame ends.
    int32_t current = g_CurrentRoomIndex;
    int32_t other = Room_Add();
    g_TransitionKind = 3;
    ExpectSetRead(nullptr, {{"room", -1, static_cast<double>(other), static_cast<double>(current)}});
    EXPECT_EQ(other, g_RunRequest);
    EXPECT_EQ(0, g_TransitionKind);
    g_RunRequest = RUN_REQUEST_NONE;
    ASSERT_TRUE(SetReal(nullptr, "room", 99));
    EXPECT_EQ(RUN_REQUEST_FATAL, g_RunRequest);
    EXPECT_NE(std::string::npos, g_ErrorLast.find("Unexisting room number: 99"));
}

TEST_F(GameVariables, TransitionsAreSwitchedOff)
{
    CapturedLog log;
    ExpectSetRead(nullptr, {{"transition_kind", -1, 5, 0}, {"transition_steps", -1, 0, 1},
                            {"transition_steps", -1, 12, 12}});
    EXPECT_EQ("BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn "
              "SV_TransitionKind() .\n",
              log.Text());
}

TEST_F(GameVariables, ScriptArguments)
{
    for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i) Value_SetReal(&g_ScriptArguments[i], 10 + i);
    g_ScriptArgumentCount = 3;
    EXPECT_EQ(3, RealOf(nullptr, "argument_count"));
    EXPECT_EQ(13, RealOf(nullptr, "argument", 3));
    EXPECT_EQ(10, RealOf(nullptr, "argument", 20)) << "outside 0 to 15: argument 0";
    // argument[n] replaces the whole value; argumentN[i] writes an element of argument N.
    ASSERT_TRUE(SetText(nullptr, "argument", "text", 2));
    EXPECT_EQ("text", TextOf(nullptr, "argument2"));
    ASSERT_TRUE(SetReal(nullptr, "argument", 7, 16));
    EXPECT_EQ(7, g_ScriptArguments[0].real);
    ExpectSetRead(nullptr, {{"argument4", 2, 9, 9}});
    EXPECT_TRUE(std::isnan(RealOf(nullptr, "argument4", At(3, 0)))) << "an element outside the array";
    Code_FreeScriptArguments();
    g_ScriptArgumentCount = 0;
}

TEST_F(GameVariables, CaptionsErrorsAndInput)
{
    g_CaptionSettingsChanged = 0;
    ASSERT_TRUE(SetReal(nullptr, "show_lives", 0.5));
    EXPECT_EQ(0, g_CaptionSettingsChanged) << "only show_score counts as a caption choice";
    ASSERT_TRUE(SetReal(nullptr, "show_score", 0));
    EXPECT_EQ(std::pair(0, 1), std::pair(int(g_ShowScore), int(g_CaptionSettingsChanged)));
    ASSERT_TRUE(SetReal(nullptr, "caption_lives", 3)); // a number has no text
    EXPECT_EQ("", TextOf(nullptr, "caption_lives"));
    // error_occurred compares the real with 0.5 without rounding it.
    ExpectSetRead(nullptr, {{"error_occurred", -1, -1, 0}, {"error_occurred", -1, 0.6, 1}});

    // keyboard_lastchar takes the first character of a text, however many bytes it has; an empty
    // text changes nothing, and a cut character keeps its lead's bits.
    for (auto [written, read] : {std::pair{"ab", "a"}, {"\xC3\xA9t\xC3\xA9", "\xC3\xA9"}, {"", "\xC3\xA9"}, {"\xC3", "\xC3\x80"}}) {
        ASSERT_TRUE(SetText(nullptr, "keyboard_lastchar", written));
        EXPECT_EQ(read, TextOf(nullptr, "keyboard_lastchar")) << written;
    }
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

    for (auto [debugByte, debugMode] : {std::pair{2, 1} /* only bit 0 counts */, {1, 0}}) {
        g_GameHeader.debugByte = static_cast<uint8_t>(debugByte);
        EXPECT_EQ(debugMode, RealOf(nullptr, "debug_mode")) << debugByte;
    }
    GameHeader_Clear();
}

} // namespace
