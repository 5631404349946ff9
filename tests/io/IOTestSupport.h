// Input tests: SDL's event queue without a window (events pushed as the keyboard and mouse deliver
// them reach the real window procedure through ProcessMessages), and a fresh input state per test.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "io/IO_Main.h"
#include "io/IO_Record.h"
#include "io/IO_VirtualKey.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Globals.h"
#include "run/Run_Window.h"

namespace iotest {

inline void FreshState()
{
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    IO_Step = IOStepState{};
    IO_FirstUpdate = 0; // a game already running: its first update is behind it
    IO_Clear();
    IO_Key_ResetMap();
    IO_VirtualKey_DeleteAll();
    IO_Touch_Clear();
    g_RunState = 1;
}

inline void PushKey(bool down, SDL_Scancode scancode, Uint16 mod = KMOD_NONE, Uint8 repeat = 0)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
}

inline void PushButton(bool down, Uint8 button)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    SDL_PushEvent(&event);
}

inline void PushText(const char* text)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, text, sizeof event.text.text);
    SDL_PushEvent(&event);
}

// The messages pumped, then the frame's input update.
inline void Frame()
{
    ProcessMessages();
    IO_StartStep();
}

// SDL once per suite, a fresh input state per test.
class InputTest : public testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        setenv("KELVARO_HEADLESS", "1", 1);
        TestSwitches_Reload();
        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER)) << SDL_GetError();
    }
    void SetUp() override { FreshState(); }
};

} // namespace iotest
