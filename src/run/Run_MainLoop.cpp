#include "run/Run_MainLoop.h"

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "debug/Debug_Form.h"
#include "debug/Debug_Remote.h"
#include "graphics/Graphics_DeviceAll.h"
#include "io/IO_Main.h"
#include "io/IO_VirtualKey.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "run/Run_Layer.h"
#include "run/Run_Window.h"
#include "sound/Sound_Main.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

namespace {

constexpr int32_t SPEED_WITHOUT_ROOM = 60;
constexpr int64_t MICROSECONDS_PER_SECOND = 1000000;

int64_t g_TargetTime = 0; // when the current frame was due
int64_t g_SecondMark = 0;
int32_t g_FramesCounted = 0;
int32_t g_FrameRate = 0;
int64_t g_DeltaTime = 0;
int64_t g_LastFrameStart = 0;
int64_t g_SkippedWait = 0; // waits not taken under KELVARO_NO_WAIT
int64_t g_FramesRun = 0;

void CountFrameRate()
{
    if (g_TargetTime < g_SecondMark) g_SecondMark = g_TargetTime;
    if (g_TargetTime / MICROSECONDS_PER_SECOND > g_SecondMark / MICROSECONDS_PER_SECOND) {
        g_FrameRate = g_FramesCounted;
        g_FramesCounted = 0;
        g_SecondMark = g_TargetTime;
    }
    ++g_FramesCounted;
}

// KELVARO_MAX_FRAMES: after that many frames the game ends as game_end would end it.
void CountFrameForTestSwitch()
{
    ++g_FramesRun;
    int64_t limit = TestSwitches_Get().maxFrames;
    if (limit >= 0 && g_FramesRun >= limit) g_RunRequest = RUN_REQUEST_END;
}

// Acts on the run request after a frame; true when the game is to end.
bool ActOnRunRequest()
{
    int32_t request = g_RunRequest;
    if (request == RUN_REQUEST_END || request == RUN_REQUEST_FATAL) {
        g_RunState = 0;
        return true;
    }
    if (request == RUN_REQUEST_RESTART) {
        // The global variables and the globalvar declarations stay: the code is not compiled again,
        // and compiling is what declared those names.
        Run_EndGame();
        StartGame();
    } else if (request >= 0) {
        Run_ChangeRoom(request);
    }
    return false;
}

} // namespace

int64_t Run_Clock()
{
    return Timing_Time() + g_SkippedWait;
}

int32_t Run_CorrectRoomSpeed(int32_t* roomSpeed)
{
    if (roomSpeed == nullptr) return SPEED_WITHOUT_ROOM;
    if (*roomSpeed <= 0) *roomSpeed = 1;
    return *roomSpeed;
}

int64_t Run_FrameWait(int32_t roomSpeed, int64_t elapsed)
{
    double wait = 1000000.0 / static_cast<double>(roomSpeed) - static_cast<double>(elapsed);
    if (wait < 0.0) wait = 0.0;
    // Through single precision on the way, as the frame timing always did; the clamp keeps a
    // frame's wait within one second.
    float rounded = static_cast<float>(static_cast<int64_t>(wait));
    if (rounded >= 1000000.0f) rounded = 1000000.0f;
    return static_cast<int64_t>(rounded);
}

void Run_InitMainLoop()
{
    Timing_Init();
    g_SkippedWait = 0;
    g_TargetTime = Run_Clock();
    g_SecondMark = g_TargetTime;
    g_FrameRate = 0;
    g_FramesCounted = 0;
    ProcessMessages();
    MainConsole->Output("**********************************.\n");
    MainConsole->Output("Entering main loop.\n");
    MainConsole->Output("**********************************.\n");
    MainConsole->Output("Current Memory Stats\n");
    MemoryManager::DumpUsage();
    g_LastFrameStart = Run_Clock();
}

void Run_Start()
{
    // A quit that the start's own pumping saw (the window closed while a create event's dialog or
    // sleep waited) stands: the loop is not entered and the game ends.
    if (g_RunState == 0) {
        g_RunState = 1;
        StartGame();
    }
    g_Paused = 0;
    g_FramesRun = 0;
    Run_InitMainLoop();
}

int32_t Run_MainLoopTick()
{
    int64_t now = Run_Clock();
    if (now < g_TargetTime) g_TargetTime = now;
    int32_t roomSpeed = Run_CorrectRoomSpeed(Run_CurrentRoomSpeed());
    int64_t wait = Run_FrameWait(roomSpeed, now - g_TargetTime);
    if (TestSwitches_Get().noWait) {
        g_SkippedWait += wait;
    } else {
        if (wait > 0) GR_D3D_FinishPresent(); // the last frame is shown before the wait, not after
        Timing_Wait(wait);
    }
    g_TargetTime = now + wait;
    CountFrameRate();

    Sound_Tick();
    // A game left without a room (none to start in, or a room change to a room that does not
    // exist) plays no frame: it ends as its run request says.
    if (Run_CurrentRoom() == nullptr) {
        g_RunState = 0;
        return roomSpeed;
    }
    if (g_Paused == 0) {
        if (GR_D3D_TakeWindowRequests()) g_DeviceResetPending = 1;
        if (g_DeviceResetPending != 0) {
            GR_Reset();
            g_DeviceResetPending = 0;
        }
        GR_StartFrame();
        Run_DoFrame();
        CountFrameForTestSwitch();
        IO_VirtualKey_DrawAll();
        // A frame that ends with a room change pending is not shown.
        // The picture is shown later: before the next wait, or when the next frame first draws, so
        // a driver drawing on threads of its own finishes it while the next frame's steps run.
        GR_EndFrame(g_RunRequest < 0 && g_DrawEventEnabled != 0, true);
        if (ActOnRunRequest()) return roomSpeed;
    }
    DebugForm_Tick();
    Debugger_SendUpdate();
    int32_t* speed = Run_CurrentRoomSpeed();
    return speed != nullptr ? *speed : SPEED_WITHOUT_ROOM;
}

void Run_UpdateDeltaTime()
{
    int64_t now = Run_Clock();
    g_DeltaTime = now - g_LastFrameStart;
    g_LastFrameStart = now;
}

void Run_StepPaused()
{
    if (g_RunState == 0 || g_Paused == 0 || Run_CurrentRoom() == nullptr) return;
    ProcessMessages();
    Run_DoFrame();
    if (g_RunRequest == RUN_REQUEST_NONE && g_DrawEventEnabled != 0) {
        GR_EndFrame(true);
        GR_StartFrame();
    }
    ActOnRunRequest();
    ProcessMessages();
}

void Run_SetPaused()
{
    g_Paused = 1;
}

void Run_QuitGame()
{
    g_RunState = 0;
    g_Paused = 0;
    if (g_DebugMode != 0) return;
    Run_EndGame();
    if (g_pDebugForm != nullptr) DebugForm_Show(g_pDebugForm, false);
    PostQuitToMainWindow();
}

int32_t Run_GetFrameRate()
{
    return g_FrameRate;
}

int64_t Run_GetDeltaTime()
{
    return g_DeltaTime;
}

int64_t Run_FramesRun()
{
    return g_FramesRun;
}
