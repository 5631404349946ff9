#include "run/Run_Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_StartupServices.h"
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

    // Any other event of the main window: `fill` sets its fields.
    template <typename Fill> static void Push(Uint32 type, Fill fill)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = type;
        event.window.windowID = SDL_GetWindowID(MainWindow_Handle()); // the same place in every kind
        fill(event);
        SDL_PushEvent(&event);
    }
    static void PushWindowEvent(Uint8 what)
    {
        Push(SDL_WINDOWEVENT, [&](SDL_Event& e) { e.window.event = what; });
    }
};

} // namespace

TEST_F(WindowTest, WindowTakesTheHeaderStyleCaptionAndCursor)
{
    // Hidden until the device shows its first picture; full screen is borderless; no caption: the default.
    const struct {
        uint32_t infoFlags;
        const char* caption;
        Uint32 style;
        const char* title;
        int32_t cursor;
    } windows[] = {{0x20, "My Game", 0, "My Game", 0}, {0x1, nullptr, SDL_WINDOW_BORDERLESS, "Kelvaro:Vostra", -1}};
    for (const auto& w : windows) {
        Create(w.infoFlags, w.caption);
        Uint32 flags = SDL_GetWindowFlags(MainWindow_Handle());
        Uint32 expected = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | w.style;
        EXPECT_EQ(expected, flags & (SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE));
        EXPECT_STREQ(w.title, SDL_GetWindowTitle(MainWindow_Handle()));
        EXPECT_EQ(w.cursor, g_WindowCursorIndex) << w.infoFlags;
        int width = 0, height = 0;
        SDL_GetWindowSize(MainWindow_Handle(), &width, &height);
        EXPECT_EQ(std::make_pair(320, 240), std::make_pair(width, height));
        MainWindow_Destroy();
    }
}

// The sided modifiers report both the shared key and their own: shift 16 with 160 and 161, ctrl 17
// with 162 and 163, alt 18 with 164 and 165.
TEST_F(WindowTest, SidedModifierKeysReportTheSharedKeyAndTheirOwn)
{
    Create();
    auto down = [](std::vector<int> keys) {
        std::vector<int> states;
        for (int key : keys) states.push_back(IO_RawKeyDown[key]);
        return states;
    };
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT);
    ProcessMessages();
    EXPECT_EQ((std::vector<int>{1, 1, 0}), down({16, 161, 160}));
    PushKey(SDL_KEYUP, SDL_SCANCODE_RSHIFT);
    ProcessMessages();
    EXPECT_EQ((std::vector<int>{0, 0}), down({16, 161}));
    EXPECT_EQ((std::vector<int>{1, 1, 0}), (std::vector<int>{IO_RawKeyReleased[16], IO_RawKeyReleased[161], IO_RawKeyReleased[160]}));

    PushKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, KMOD_RCTRL);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_LALT, KMOD_LALT);
    ProcessMessages();
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1, 1, 0, 0, 0}), down({16, 160, 17, 163, 18, 164, 161, 162, 165}));
}

TEST_F(WindowTest, AutoRepeatIsNoNewPressAndControlKeysAndTextReachTheCharacterInput)
{
    Create();
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A);
    ProcessMessages();
    EXPECT_EQ(1, IO_RawKeyPressed[65]);
    IO_StartStep(); // the frame took the press
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_NONE, 1);
    // A repeat seen without its first press (the press went to another window) still is none.
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_B, KMOD_NONE, 1);
    ProcessMessages();
    EXPECT_EQ((std::vector<int>{0, 1, 0, 1}), (std::vector<int>{IO_RawKeyPressed[65], IO_RawKeyDown[65],
                                                                 IO_RawKeyPressed[66], IO_RawKeyDown[66]}));
    EXPECT_EQ(66, IO_RawCurrentKey);

    const struct {
        SDL_Scancode scancode; // SDL_SCANCODE_UNKNOWN: the text "hZ" typed
        Uint16 mod;
        int lastChar;
    } typed[] = {{SDL_SCANCODE_BACKSPACE, KMOD_NONE, 8}, {SDL_SCANCODE_UNKNOWN, KMOD_NONE, 'Z'},
                 {SDL_SCANCODE_ESCAPE, KMOD_LALT, 'Z'}, // with Alt a system key, which types nothing
                 {SDL_SCANCODE_ESCAPE, KMOD_NONE, 27}};
    for (const auto& t : typed) {
        if (t.scancode != SDL_SCANCODE_UNKNOWN) PushKey(SDL_KEYDOWN, t.scancode, t.mod);
        else Push(SDL_TEXTINPUT, [](SDL_Event& e) { SDL_strlcpy(e.text.text, "hZ", sizeof e.text.text); });
        ProcessMessages();
        EXPECT_EQ(t.lastChar, IO_RawLastChar) << t.scancode;
    }
}

TEST_F(WindowTest, MouseMovesButtonsAndWheel)
{
    Create();
    Push(SDL_MOUSEMOTION, [](SDL_Event& e) {
        e.motion.x = 123;
        e.motion.y = 45;
    });
    for (auto [type, button] : {std::pair{Uint32(SDL_MOUSEBUTTONDOWN), SDL_BUTTON_LEFT}, {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT},
                                {SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT}, {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1}})
        Push(type, [button = button](SDL_Event& e) { e.button.button = static_cast<Uint8>(button); });
    ProcessMessages();
    EXPECT_EQ((std::vector<int>{123, 45, 1, 0, 1, 2}), (std::vector<int>{IO_RawMouseX, IO_RawMouseY, IO_RawButtonDown[0],
                                                                          IO_RawButtonDown[1], IO_RawButtonReleased[1],
                                                                          IO_RawLastButton}));
    EXPECT_EQ(0, IO_RawCurrentButton); // releasing any button clears the current one
    Push(SDL_MOUSEWHEEL, [](SDL_Event& e) { e.wheel.y = 1; });
    ProcessMessages();
    Push(SDL_MOUSEWHEEL, [](SDL_Event& e) {
        e.wheel.y = 1;
        e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    });
    ProcessMessages();
    EXPECT_EQ(1, IO_RawWheelDown);
}

TEST_F(WindowTest, OtherWindowsFocusClosingAndQuit)
{
    Create();
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_C, KMOD_NONE, 0, SDL_GetWindowID(MainWindow_Handle()) + 100);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    ProcessMessages();
    EXPECT_EQ(0, IO_RawKeyDown[67]) << "input of another window is not the game's";
    EXPECT_EQ(1, g_WindowHasFocus);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    ProcessMessages();
    EXPECT_EQ(0, g_WindowHasFocus);
    // The quit posted while the queue was being emptied is seen at the next pump (SDL returns events
    // pushed during a poll loop in the following one); it stops the pump before later events.
    EXPECT_EQ(1, g_RunState);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_D);
    ProcessMessages();
    EXPECT_EQ(0, g_RunState);
    EXPECT_EQ(0, IO_RawKeyDown[68]);
    ProcessMessages();
    EXPECT_EQ(1, IO_RawKeyDown[68]);
}
