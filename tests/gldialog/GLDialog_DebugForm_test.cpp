// The debug form's windows on SDL's offscreen driver: the main window and each shown information
// window open as windows of their own, and a click on Pause holds the game.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "app/App_CommandLine.h"
#include "debug/Debug_Form.h"
#include "debug/Debug_FormView.h"
#include "platform/Platform_TestSwitches.h"
#include "platform/imgui/Platform_ImGuiHost.h"
#include "run/Run_Globals.h"

namespace {

int32_t g_MainFrames = 0;

// Clicks the Pause button (second of the row of buttons): the pointer moves there at frame 2 of the
// main window and is pressed at frame 3; a press lasts one frame.
void ClickPause(SDL_Window* window)
{
    if (window != DebugFormView_Window(DEBUG_VIEW_MAIN)) return;
    int32_t frame = g_MainFrames++;
    if (frame != 2 && frame != 3) return;
    SDL_Event event;
    SDL_zero(event);
    if (frame == 2) {
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = SDL_GetWindowID(window);
        event.motion.x = 110, event.motion.y = 18;
    } else {
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button.windowID = SDL_GetWindowID(window);
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = SDL_PRESSED;
        event.button.clicks = 1;
        event.button.x = 110, event.button.y = 18;
    }
    SDL_PushEvent(&event);
}

TEST(DebugFormView, WindowsOpenAndAClickOnPauseHoldsTheGame)
{
    unsetenv("KELVARO_HEADLESS");
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    TestSwitches_Reload();
    ImGuiHost_SetFrameObserver(ClickPause);
    CDebugForm* form = DebugForm_Create();
    ASSERT_NE(DebugFormView_Window(DEBUG_VIEW_MAIN), nullptr);
    form->records[DEBUG_WINDOW_GLOBALS].visible = 1;
    form->records[DEBUG_WINDOW_MESSAGES].saved = {40, 50, 240, 350};
    form->records[DEBUG_WINDOW_MESSAGES].visible = 1;
    g_RunState = 1;
    g_Paused = 0;
    g_pDebugForm = form;
    g_DebugMode = 1;
    // The main loop's tick: no frame runs here, so each tick serves the windows itself and then
    // carries out what was clicked.
    for (int i = 0; i < 10; ++i) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) DebugFormView_Feed(event);
        DebugForm_Tick();
    }
    EXPECT_EQ(g_Paused, 1) << "the click on Pause";
    EXPECT_NE(DebugFormView_Window(DEBUG_WINDOW_GLOBALS), nullptr);
    EXPECT_EQ(DebugFormView_Window(DEBUG_WINDOW_INSTANCES), nullptr) << "hidden windows stay closed";
    int32_t width = 0, height = 0;
    SDL_GetWindowSize(DebugFormView_Window(DEBUG_WINDOW_MESSAGES), &width, &height);
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 300);
    DebugFormView_StoreRects(form);
    EXPECT_EQ(form->records[DEBUG_WINDOW_MESSAGES].saved.right - form->records[DEBUG_WINDOW_MESSAGES].saved.left, 200);

    // The form's own input: forward wheel turns on the watches go down; Delete removes the selected
    // watch, an auto-repeated one nothing.
    for (const char* text : {"1", "2", "3"}) DebugForm_AddWatch(form, text);
    DebugForm_FillWatchRows(form);
    form->selectedWatch = 0;
    Uint32 main = SDL_GetWindowID(DebugFormView_Window(DEBUG_VIEW_MAIN));
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = main;
    for (int32_t turn : {1, 1, 1, -1}) {
        wheel.wheel.y = turn;
        DebugFormView_Feed(wheel);
    }
    EXPECT_EQ(form->selectedWatch, 2) << "three down, kept at the row count, one up";
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = main;
    key.key.keysym.sym = SDLK_DELETE;
    for (uint8_t repeat : {1, 0}) {
        key.key.repeat = repeat;
        DebugFormView_Feed(key);
    }
    ASSERT_EQ(form->watches.size(), 2u);
    EXPECT_EQ(form->watches[1].expression, "2");
    DebugForm_Show(form, false);
    DebugFormView_Draw(form);
    EXPECT_NE(SDL_GetWindowFlags(DebugFormView_Window(DEBUG_VIEW_MAIN)) & SDL_WINDOW_HIDDEN, 0u);
    g_pDebugForm = nullptr;
    g_DebugMode = 0;
    DebugFormView_Close();
    ImGuiHost_SetFrameObserver(nullptr);
    g_Paused = 0;
    DebugForm_Delete(form);
}

} // namespace
