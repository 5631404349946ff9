#include "run/Run_Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_Placeholders.h"
#include "io/IO_Main.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Globals.h"
#include "run/sdl/Run_WindowM.h"

namespace {

// A headless window of the header's kind for each test; events are pushed as SDL would deliver them.
class WindowTest : public testing::Test {
  protected:
    // SDL video and its OpenGL library stay loaded for the whole test process (the window code
    // then leaves them alone): unloading them unloads Mesa's modules, whose allocations the leak
    // checker would report as lost.
    static void SetUpTestSuite()
    {
        setenv("KELVARO_HEADLESS", "1", 1);
        TestSwitches_Reload();
        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO)) << SDL_GetError();
        ASSERT_EQ(0, SDL_GL_LoadLibrary(nullptr)) << SDL_GetError();
    }

    void SetUp() override
    {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); // nothing left over from an earlier test
        GameHeader_Clear();
        g_GameOptions = GameOptions{};
        IO_Clear();
        g_RunState = 1;
    }
    void TearDown() override
    {
        MainWindow_Destroy();
        GameHeader_Clear();
        g_RunState = 0;
        GR_Window_SetFullscreen(false);
    }

    static void Create(uint32_t infoFlags = 0, const char* displayName = nullptr)
    {
        g_GameHeader.infoFlags = infoFlags;
        g_GameHeader.displayName = displayName;
        ASSERT_TRUE(CreateMainWindow(320, 240));
    }

    static void PushKey(Uint32 type, SDL_Scancode scancode, Uint16 mod = KMOD_NONE, Uint8 repeat = 0,
                        Uint32 windowId = 0)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = type;
        event.key.windowID = windowId != 0 ? windowId : SDL_GetWindowID(MainWindow_Handle());
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }

    static void PushWindowEvent(Uint8 what)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(MainWindow_Handle());
        event.window.event = what;
        SDL_PushEvent(&event);
    }

    static void PushButton(Uint32 type, Uint8 button)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = type;
        event.button.windowID = SDL_GetWindowID(MainWindow_Handle());
        event.button.button = button;
        event.button.x = 10;
        event.button.y = 20;
        SDL_PushEvent(&event);
    }

    static void PushWheel(Sint32 y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = SDL_GetWindowID(MainWindow_Handle());
        event.wheel.y = y;
        event.wheel.direction = direction;
        SDL_PushEvent(&event);
    }
};

} // namespace

TEST(WindowStyleTest, InfoFlagsChooseTheStyle)
{
    EXPECT_EQ(WINDOW_STYLE_FIXED, MainWindow_StyleFor(0));
    EXPECT_EQ(WINDOW_STYLE_OVERLAPPED, MainWindow_StyleFor(0x40));
    EXPECT_EQ(WINDOW_STYLE_POPUP, MainWindow_StyleFor(0x1));
    EXPECT_EQ(WINDOW_STYLE_POPUP, MainWindow_StyleFor(0x41)); // full screen wins over resizable
    EXPECT_EQ(WINDOW_STYLE_FIXED, MainWindow_StyleFor(0x20 | 0x2000));
}

TEST(WindowTextTest, Utf8BecomesSixteenBitCharacters)
{
    EXPECT_EQ(u"A\u00e9\u20ac", MainWindow_TextToCharacters("A\xc3\xa9\xe2\x82\xac"));
    // Beyond 0xFFFF: a surrogate pair.
    EXPECT_EQ(std::u16string(u"\xd83d\xde00"), MainWindow_TextToCharacters("\xf0\x9f\x98\x80"));
    // Stray continuation bytes and cut sequences are dropped.
    EXPECT_EQ(u"AB", MainWindow_TextToCharacters("\x80"
                                                 "A\xe2\x82"
                                                 "B\xc3"));
    EXPECT_EQ(u"", MainWindow_TextToCharacters(nullptr));
}

TEST_F(WindowTest, WindowTakesTheHeaderStyleCaptionAndCursor)
{
    Create(0x20, "My Game");
    Uint32 flags = SDL_GetWindowFlags(MainWindow_Handle());
    EXPECT_NE(0u, flags & SDL_WINDOW_OPENGL);
    EXPECT_NE(0u, flags & SDL_WINDOW_HIDDEN); // shown by the device with its first picture
    EXPECT_EQ(0u, flags & SDL_WINDOW_BORDERLESS);
    EXPECT_EQ(0u, flags & SDL_WINDOW_RESIZABLE);
    EXPECT_STREQ("My Game", SDL_GetWindowTitle(MainWindow_Handle()));
    EXPECT_EQ(0, g_WindowCursorIndex);
    int w = 0, h = 0;
    SDL_GetWindowSize(MainWindow_Handle(), &w, &h);
    EXPECT_EQ(320, w);
    EXPECT_EQ(240, h);
}

TEST_F(WindowTest, FullScreenFlagGivesABorderlessWindowAndNoCaptionTheDefault)
{
    Create(0x1);
    EXPECT_NE(0u, SDL_GetWindowFlags(MainWindow_Handle()) & SDL_WINDOW_BORDERLESS);
    EXPECT_STREQ("Kelvaro:Vostra", SDL_GetWindowTitle(MainWindow_Handle()));
    EXPECT_EQ(-1, g_WindowCursorIndex);
    MainWindow_Destroy();
    Create(0x40);
    EXPECT_NE(0u, SDL_GetWindowFlags(MainWindow_Handle()) & SDL_WINDOW_RESIZABLE);
}

TEST_F(WindowTest, SizeIsClampedToTheScreen)
{
    g_GameHeader.infoFlags = 0;
    ASSERT_TRUE(CreateMainWindow(100000, 100000));
    SDL_DisplayMode screen;
    ASSERT_EQ(0, SDL_GetDesktopDisplayMode(0, &screen));
    EXPECT_EQ(screen.w, g_WindowRequestedWidth);
    EXPECT_EQ(screen.h, g_WindowRequestedHeight);
}

TEST_F(WindowTest, RightShiftReportsSixteenAndOneSixtyOne)
{
    Create();
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT);
    ProcessMessages();
    EXPECT_EQ(1, IO_RawKeyDown[16]);
    EXPECT_EQ(1, IO_RawKeyDown[161]);
    EXPECT_EQ(1, IO_RawKeyPressed[161]);
    EXPECT_EQ(0, IO_RawKeyDown[160]);

    PushKey(SDL_KEYUP, SDL_SCANCODE_RSHIFT);
    ProcessMessages();
    EXPECT_EQ(0, IO_RawKeyDown[16]);
    EXPECT_EQ(0, IO_RawKeyDown[161]);
    EXPECT_EQ(1, IO_RawKeyReleased[16]);
    EXPECT_EQ(1, IO_RawKeyReleased[161]);
    EXPECT_EQ(0, IO_RawKeyReleased[160]);
}

TEST_F(WindowTest, LeftShiftAndTheSidedCtrlAndAltKeys)
{
    Create();
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, KMOD_RCTRL);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_LALT, KMOD_LALT);
    ProcessMessages();
    for (int key : {16, 160, 17, 163, 18, 164})
        EXPECT_EQ(1, IO_RawKeyDown[key]) << key;
    for (int key : {161, 162, 165})
        EXPECT_EQ(0, IO_RawKeyDown[key]) << key;

    PushKey(SDL_KEYUP, SDL_SCANCODE_LSHIFT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_RCTRL);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RALT, KMOD_RALT);
    ProcessMessages();
    EXPECT_EQ(1, IO_RawKeyReleased[160]);
    EXPECT_EQ(1, IO_RawKeyReleased[163]);
    EXPECT_EQ(1, IO_RawKeyDown[165]);
}

TEST_F(WindowTest, AutoRepeatIsNoNewPress)
{
    Create();
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A);
    ProcessMessages();
    EXPECT_EQ(1, IO_RawKeyPressed[65]);
    IO_StartStep(); // the frame took the press
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_NONE, 1);
    ProcessMessages();
    EXPECT_EQ(0, IO_RawKeyPressed[65]);
    EXPECT_EQ(1, IO_RawKeyDown[65]);
    EXPECT_EQ(65, IO_RawCurrentKey);

    // A repeat seen without its first press (the press went to another window) still is none.
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_B, KMOD_NONE, 1);
    ProcessMessages();
    EXPECT_EQ(0, IO_RawKeyPressed[66]);
    EXPECT_EQ(1, IO_RawKeyDown[66]);
}

TEST_F(WindowTest, ControlKeysAndTextReachTheCharacterInput)
{
    Create();
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE);
    ProcessMessages();
    EXPECT_EQ(8, IO_RawLastChar);

    SDL_Event text;
    SDL_zero(text);
    text.type = SDL_TEXTINPUT;
    text.text.windowID = SDL_GetWindowID(MainWindow_Handle());
    SDL_strlcpy(text.text.text, "hZ", sizeof text.text.text);
    SDL_PushEvent(&text);
    ProcessMessages();
    EXPECT_EQ('Z', IO_RawLastChar);

    // With Alt the key is a system key and types nothing.
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, KMOD_LALT);
    ProcessMessages();
    EXPECT_EQ('Z', IO_RawLastChar);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE);
    ProcessMessages();
    EXPECT_EQ(27, IO_RawLastChar);
}

TEST_F(WindowTest, MouseMovesButtonsAndWheel)
{
    Create();
    SDL_Event motion;
    SDL_zero(motion);
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(MainWindow_Handle());
    motion.motion.x = 123;
    motion.motion.y = 45;
    SDL_PushEvent(&motion);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1);
    ProcessMessages();
    EXPECT_EQ(123, IO_RawMouseX);
    EXPECT_EQ(45, IO_RawMouseY);
    EXPECT_EQ(1, IO_RawButtonDown[0]);
    EXPECT_EQ(0, IO_RawButtonDown[1]);
    EXPECT_EQ(1, IO_RawButtonReleased[1]);
    EXPECT_EQ(0, IO_RawCurrentButton); // releasing any button clears the current one
    EXPECT_EQ(2, IO_RawLastButton);

    PushWheel(1);
    ProcessMessages();
    EXPECT_EQ(1, IO_RawWheelUp);
    EXPECT_EQ(0, IO_RawWheelDown);
    PushWheel(1, SDL_MOUSEWHEEL_FLIPPED);
    ProcessMessages();
    EXPECT_EQ(1, IO_RawWheelDown);
}

TEST_F(WindowTest, InputOfAnotherWindowIsNotTheGames)
{
    Create();
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_C, KMOD_NONE, 0, SDL_GetWindowID(MainWindow_Handle()) + 100);
    ProcessMessages();
    EXPECT_EQ(0, IO_RawKeyDown[67]);
}

TEST_F(WindowTest, ClosingTheWindowEndsTheLoop)
{
    Create();
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    ProcessMessages();
    // The quit message posted while the queue was being emptied is seen at the next pump (SDL
    // returns events pushed during a poll loop in the following one).
    EXPECT_EQ(1, g_RunState);
    ProcessMessages();
    EXPECT_EQ(0, g_RunState);
    EXPECT_TRUE(MainWindow_Exists()); // kept, hidden, for the device until shut-down
}

TEST_F(WindowTest, QuitStopsThePumpAndLeavesLaterEventsQueued)
{
    Create();
    PostQuitToMainWindow();
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_D);
    ProcessMessages();
    EXPECT_EQ(0, g_RunState);
    EXPECT_EQ(0, IO_RawKeyDown[68]);
    ProcessMessages();
    EXPECT_EQ(1, IO_RawKeyDown[68]);
}

TEST_F(WindowTest, AltEnterSwitchesFullScreenOnlyWhenTheGameAllowsIt)
{
    Create();
    g_GameOptions.altEnterSwitches = false;
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT);
    ProcessMessages();
    EXPECT_FALSE(GR_Window_GetFullscreen());
    EXPECT_EQ(1, IO_RawKeyDown[13]); // the key itself still reaches the game

    g_GameOptions.altEnterSwitches = true;
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT);
    ProcessMessages();
    EXPECT_TRUE(GR_Window_GetFullscreen());
}

TEST_F(WindowTest, FocusFollowsTheWindow)
{
    Create();
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    ProcessMessages();
    EXPECT_EQ(1, g_WindowHasFocus);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    ProcessMessages();
    EXPECT_EQ(0, g_WindowHasFocus);
}
