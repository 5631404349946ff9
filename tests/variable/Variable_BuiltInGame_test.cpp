// A builder-made game whose event code moves an instance through x, y, speed and direction and sets
// alarms, in both code forms. The game starts as start-up starts it; its frames are the main loop's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../gamefile/GameFileTestSupport.h"
#include "VariableBuiltInSupport.h"
#include "code/Code_Error.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Services.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_List.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "platform/Platform_TestSwitches.h"
#include "room/Room_Table.h"
#include "run/Run_Event.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "script/Script_Table.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_Names.h"

using namespace bvtest;

namespace {

constexpr int32_t CREATE = 0;
constexpr int32_t ALARM = 2;
constexpr int32_t STEP = 3;

gamebuild::EventDesc Event(int32_t type, int32_t subtype, const std::string& source)
{
    gamebuild::EventDesc event;
    event.type = type;
    event.subtype = subtype;
    event.code.source = source;
    return event;
}

// One mover placed in the only room: it starts moving right, turns down when alarm 0 rings in the
// third frame, and stops at y = 100 when alarm 1 rings in the frame after (set to 2 by alarm 0, it
// is lowered by the same frame's alarm stage).
gamebuild::GameDesc MoverGame(bool compiled)
{
    gamebuild::GameDesc game;
    game.compiledCode = compiled;
    gamebuild::ObjectDesc mover;
    mover.name = "obj_mover";
    mover.events = {Event(CREATE, 0, "x = 10; y = 20; speed = 2; direction = 0; alarm[0] = 3; steps = 0;"),
                    Event(ALARM, 0, "direction = 270; alarm[1] = 2;"), Event(ALARM, 1, "speed = 0; y = 100;"),
                    Event(STEP, 0, "steps += 1;")};
    game.objects = {mover};
    gamebuild::RoomDesc room;
    room.name = "room_only";
    gamebuild::RoomInstanceDesc placed;
    placed.object = 0;
    room.instances = {placed};
    game.rooms = {room};
    game.header.roomOrder = {0};
    return game;
}

class MovingGame : public testing::TestWithParam<bool> {
  protected:
    void SetUp() override
    {
        ResetTables();
        // Other tests of this program install instances of their own.
        m_SavedInstances = Variable_Instances();
        Variable_SetInstances(&m_GameInstances);
        Variable_BuiltIn_Init();
        Variable_Init();
        GameHeader_Clear();
        Run_InitGlobals();
        g_GameOptions = GameOptions();
        g_GameOptions.showErrors = false;
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorQuitting = false;
        g_EventDepth = 0;
        setenv("KELVARO_NO_WAIT", "1", 1);
        setenv("KELVARO_HEADLESS", "1", 1);
        TestSwitches_Reload();
    }
    void TearDown() override
    {
        Run_EndGame();
        Run_FreeCarriedInstances();
        ResetTables();
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorQuitting = false;
        unsetenv("KELVARO_NO_WAIT");
        unsetenv("KELVARO_HEADLESS");
        TestSwitches_Reload();
        Variable_SetInstances(m_SavedInstances);
    }

    static void ResetTables()
    {
        RoomTables_Reset();
        Script_Reset();
        Object_ResetTable();
        ObjectLists_Free();
        g_InstanceDepthChanges.Clear();
        g_InstanceObjectChanges.Clear();
    }

    // Loads, prepares and starts the game as start-up does.
    void Start(const gamebuild::GameDesc& game)
    {
        g_CompiledCode = false;
        LoadInto(m_File, BuildBytes(game));
        LoadGameCode(m_File);
        ASSERT_TRUE(LoadGameChunks(m_File)) << m_Log.Text();
        g_GameOptions.showErrors = false;
        ASSERT_TRUE(Object_Prepare()) << g_ErrorLast;
        ASSERT_TRUE(Room_Prepare()) << g_ErrorLast;
        StartGame();
        ASSERT_NE(nullptr, Room_CurrentActiveList());
    }

    // One frame of the real main loop (alarms, step, motion and the rest of the frame's stages).
    static void Frame() { Run_MainLoopTick(); }

    GameFile m_File;
    CapturedLog m_Log;
    InstanceVariableAccess m_GameInstances{Room_CurrentActiveList};
    IVariableInstances* m_SavedInstances = nullptr;
};

// What the mover's variables read: x, y, hspeed, vspeed, speed, direction, alarm[0], alarm[1].
std::vector<double> Motion(CInstance* mover)
{
    std::vector<double> values;
    for (const char* name : {"x", "y", "hspeed", "vspeed", "speed", "direction"}) values.push_back(RealOf(mover, name));
    for (int32_t alarm : {0, 1}) values.push_back(RealOf(mover, "alarm", alarm));
    return values;
}

TEST_P(MovingGame, EventCodeMovesTheInstanceAndRingsItsAlarms)
{
    Start(MoverGame(GetParam()));
    CInstance* mover = Room_CurrentActiveList()->m_pHead;
    ASSERT_NE(nullptr, mover);
    EXPECT_EQ(100001, mover->GetId());
    // The create event placed it and set it moving right. In the third frame alarm 0 rings: it turns
    // down and sets alarm 1, which that frame's alarm stage lowers; in the fourth alarm 1 stops it at
    // y = 100. A rung alarm counts on to -1 without ringing again.
    const std::vector<std::vector<double>> frames = {
        {10, 20, 2, 0, 2, 0, 3, -1},    {12, 20, 2, 0, 2, 0, 2, -1},  {14, 20, 2, 0, 2, 0, 1, -1},
        {14, 22, 0, 2, 2, 270, 0, 1},   {14, 100, 0, 0, 0, 270, -1, 0}, {14, 100, 0, 0, 0, 270, -1, -1},
    };
    for (size_t frame = 0; frame < frames.size(); ++frame) {
        if (frame > 0) Frame();
        EXPECT_EQ(frames[frame], Motion(mover)) << "after frame " << frame;
    }
    ScriptValue steps = {VALUE_REAL, 0, 0.0};
    ASSERT_TRUE(Variable_GetValue_Direct(mover, Code_Variable_Lookup("steps"), -1, &steps));
    EXPECT_EQ(5, steps.real) << "one step event a frame";
    EXPECT_EQ(RUN_REQUEST_NONE, g_RunRequest) << g_ErrorLast;
}

INSTANTIATE_TEST_SUITE_P(CodeForms, MovingGame, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Compiled" : "Source";
                         });

} // namespace
