#include "run/sdl/Run_WindowM.h"

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_StartupServices.h"
#include "io/IO_Main.h"
#include "platform/Platform_Headroom.h"
#include "platform/Platform_TestSwitches.h"
#include "platform/posix/Platform_Termination.h"
#include "platform/sdl/Platform_WindowFrameM.h"
#include "run/Run_Globals.h"
#include "run/Run_Window.h"
#include "run/sdl/Run_KeyTableM.h"

namespace {

SDL_Window* g_Window = nullptr;
Uint32 g_WindowId = 0;
bool g_VideoStartedHere = false;
SDL_Cursor* g_Cursors[WINDOW_CURSOR_COUNT] = {};
MainWindowEventFilter g_DialogFilter = nullptr;
MainWindowEventObserver g_DebugFormObserver = nullptr;

// The system cursors in the order of the window layer's cursor table; SDL has no up-arrow, help or
// application-starting shape, so the nearest one stands in. Entry 1 is "no cursor".
constexpr int32_t NO_CURSOR = -1;
const int32_t CURSOR_SHAPES[WINDOW_CURSOR_COUNT] = {
    SDL_SYSTEM_CURSOR_ARROW,     NO_CURSOR,
    SDL_SYSTEM_CURSOR_CROSSHAIR, SDL_SYSTEM_CURSOR_IBEAM,
    SDL_SYSTEM_CURSOR_SIZENESW,  SDL_SYSTEM_CURSOR_SIZENS,
    SDL_SYSTEM_CURSOR_SIZENWSE,  SDL_SYSTEM_CURSOR_SIZEWE,
    SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_WAIT,
    SDL_SYSTEM_CURSOR_HAND,      SDL_SYSTEM_CURSOR_NO,
    SDL_SYSTEM_CURSOR_WAITARROW, SDL_SYSTEM_CURSOR_ARROW,
    SDL_SYSTEM_CURSOR_SIZEALL,
};

bool StartVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    TestSwitches_Get(); // headless runs pick the offscreen driver before SDL starts
    // The main window's close button posts the quit message itself.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        MainConsole->Output("SDL video could not start: %s\n", SDL_GetError());
        return false;
    }
    g_VideoStartedHere = true;
    return true;
}

void LoadCursors()
{
    for (int32_t i = 0; i < WINDOW_CURSOR_COUNT; ++i) {
        if (g_Cursors[i] == nullptr && CURSOR_SHAPES[i] != NO_CURSOR)
            g_Cursors[i] = SDL_CreateSystemCursor(static_cast<SDL_SystemCursor>(CURSOR_SHAPES[i]));
    }
}

void FreeCursors()
{
    for (SDL_Cursor*& cursor : g_Cursors) {
        if (cursor != nullptr) SDL_FreeCursor(cursor);
        cursor = nullptr;
    }
}

bool IsMainWindowEvent(Uint32 windowId)
{
    // Events pushed without a window (and input while no window has the focus) belong to the game.
    return windowId == 0 || windowId == g_WindowId;
}

int32_t KeyModifiers(Uint16 mod)
{
    int32_t bits = 0;
    if ((mod & KMOD_SHIFT) != 0) bits |= MODIFIER_SHIFT;
    if ((mod & KMOD_ALT) != 0) bits |= MODIFIER_ALT;
    if ((mod & KMOD_CTRL) != 0) bits |= MODIFIER_CTRL;
    return bits;
}

// Keys whose key-down also types a control character on the system the games come from.
uint16_t ControlCharacter(int32_t key)
{
    switch (key) {
    case VK_CODE_BACK:
        return 8;
    case VK_CODE_TAB:
        return 9;
    case VK_CODE_RETURN:
        return 13;
    case VK_CODE_ESCAPE:
        return 27;
    default:
        return 0;
    }
}

void OnKeyDown(const SDL_KeyboardEvent& key)
{
    int32_t code = KeyTable_VirtualKey(key.keysym.scancode, key.keysym.mod);
    if (code == 0) return;
    int32_t modifiers = KeyModifiers(key.keysym.mod);
    bool repeat = key.repeat != 0;
    // The event names the key itself, so the right Shift key is known without asking the keyboard.
    MainWindow_KeyDown(code, modifiers, KeyTable_IsExtended(key.keysym.scancode),
                       static_cast<uint32_t>(key.keysym.scancode), key.keysym.scancode == SDL_SCANCODE_RSHIFT,
                       repeat);

    if ((modifiers & MODIFIER_ALT) != 0) {
        // Alt+Enter is the system's full-screen switch when the game allows it.
        if (code == VK_CODE_RETURN && !repeat && g_GameOptions.altEnterSwitches)
            GR_Window_SetFullscreen(!GR_Window_GetFullscreen());
        return;
    }
    // With Ctrl these keys type other control codes, which the typed text ignores anyway.
    if ((modifiers & MODIFIER_CTRL) != 0) return;
    if (uint16_t character = ControlCharacter(code)) IO_OnChar(character);
}

void OnKeyUp(const SDL_KeyboardEvent& key)
{
    int32_t code = KeyTable_VirtualKey(key.keysym.scancode, key.keysym.mod);
    if (code == 0) return;
    MainWindow_KeyUp(code, KeyModifiers(key.keysym.mod), KeyTable_IsExtended(key.keysym.scancode),
                     static_cast<uint32_t>(key.keysym.scancode));
}

void OnTextInput(const char* text)
{
    for (char16_t character : MainWindow_TextToCharacters(text))
        IO_OnChar(static_cast<uint16_t>(character));
}

int32_t MouseButton(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 1;
    case SDL_BUTTON_RIGHT:
        return 2;
    case SDL_BUTTON_MIDDLE:
        return 3;
    default:
        return 0;
    }
}

void OnWheel(const SDL_MouseWheelEvent& wheel)
{
    int32_t x = 0;
    int32_t y = 0;
    Uint32 buttons = SDL_GetMouseState(&x, &y);
    int32_t modifiers = KeyModifiers(static_cast<Uint16>(SDL_GetModState()));
    if ((buttons & SDL_BUTTON_LMASK) != 0) modifiers |= MODIFIER_LEFT_BUTTON;
    if ((buttons & SDL_BUTTON_RMASK) != 0) modifiers |= MODIFIER_RIGHT_BUTTON;
    if ((buttons & SDL_BUTTON_MMASK) != 0) modifiers |= MODIFIER_MIDDLE_BUTTON;
    int32_t delta = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y;
    uint8_t handled = 0;
    if (delta > 0) IO_OnWheelUp(modifiers, x, y, &handled);
    if (delta < 0) IO_OnWheelDown(modifiers, x, y, &handled);
}

void OnWindowEvent(const SDL_WindowEvent& window)
{
    switch (window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        // The close button destroys the window, whose end posts the quit message; the window
        // itself is kept (hidden) for the device until shut-down releases both.
        SDL_HideWindow(g_Window);
        PostQuitToMainWindow();
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        g_WindowHasFocus = 1;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        g_WindowHasFocus = 0;
        // Focus taken by another program (not by one of the game's own windows).
        if (SDL_GetKeyboardFocus() == nullptr) Wexo_OSPauseEventRaised();
        break;
    default:
        break;
    }
}

} // namespace

std::u16string MainWindow_TextToCharacters(const char* text)
{
    std::u16string characters;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text != nullptr ? text : "");
    while (*p != 0) {
        uint32_t lead = *p++;
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : lead >= 0x80 ? -1 : 0;
        if (extra < 0) continue; // a stray continuation byte
        uint32_t c = extra == 0 ? lead : lead & (0x3Fu >> extra);
        int read = 0;
        for (; read < extra && (*p & 0xC0) == 0x80; ++read, ++p)
            c = (c << 6) | (*p & 0x3F);
        if (read < extra || c > 0x10FFFF) continue; // cut short, or beyond Unicode
        if (c >= 0x10000) {
            // Characters beyond 0xFFFF arrive as two surrogates, as character messages deliver them.
            c -= 0x10000;
            characters += static_cast<char16_t>(0xD800 + (c >> 10));
            characters += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            characters += static_cast<char16_t>(c);
        }
    }
    return characters;
}

SDL_Window* MainWindow_Handle()
{
    return g_Window;
}

void MainWindow_SetDialogFilter(MainWindowEventFilter filter)
{
    g_DialogFilter = filter;
}

void MainWindow_SetDebugFormObserver(MainWindowEventObserver observer)
{
    g_DebugFormObserver = observer;
}

bool CreateMainWindow(int32_t width, int32_t height)
{
    if (!StartVideo()) return false;
    SDL_DisplayMode screen;
    if (SDL_GetDesktopDisplayMode(0, &screen) == 0) {
        if (width > screen.w) width = screen.w;
        if (height > screen.h) height = screen.h;
    }
    g_WindowRequestedWidth = width;
    g_WindowRequestedHeight = height;

    uint32_t infoFlags = g_GameHeader.infoFlags;
    g_MainWindowStyle = MainWindow_StyleFor(infoFlags);
    // The window manager draws the frame, so the outer size is the client size.
    MainConsole->Output("AdjustWindowRectEx\n");
    g_WindowOuterWidth = width;
    g_WindowOuterHeight = height;

    MainConsole->Output("RegisterClassEx\n");
    MainConsole->Output("CreateWindowEx\n");
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (g_MainWindowStyle == WINDOW_STYLE_POPUP) flags |= SDL_WINDOW_BORDERLESS;
    if (g_MainWindowStyle == WINDOW_STYLE_OVERLAPPED) flags |= SDL_WINDOW_RESIZABLE;
    Direct3D_SetWindowAttributes();
    if (std::string lacking = Headroom_GraphicsDriverLacking(); !lacking.empty()) {
        Console_ReportFailure("The game's window cannot be made: " + lacking);
        return false;
    }
    g_Window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (g_Window == nullptr) {
        MainConsole->Output("CreateWindowEx failed: %s\n", SDL_GetError());
        return false;
    }
    g_WindowId = SDL_GetWindowID(g_Window);
    SDL_StartTextInput();

    const char* caption = g_GameHeader.displayName;
    GR_Window_SetCaption(caption != nullptr ? caption : "Kelvaro:Vostra");
    LoadCursors();
    MainWindow_SetCursor((infoFlags & HEADER_FLAG_SHOW_CURSOR) != 0 ? 0 : -1);
    return true;
}

void MainWindowProc(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
        if (IsMainWindowEvent(event.key.windowID)) OnKeyDown(event.key);
        break;
    case SDL_KEYUP:
        if (IsMainWindowEvent(event.key.windowID)) OnKeyUp(event.key);
        break;
    case SDL_TEXTINPUT:
        if (IsMainWindowEvent(event.text.windowID)) OnTextInput(event.text.text);
        break;
    case SDL_MOUSEMOTION:
        if (IsMainWindowEvent(event.motion.windowID)) {
            IO_RawMouseX = event.motion.x;
            IO_RawMouseY = event.motion.y;
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int32_t button = MouseButton(event.button.button);
        if (button == 0 || !IsMainWindowEvent(event.button.windowID)) break;
        if (event.type == SDL_MOUSEBUTTONDOWN)
            IO_OnMouseDown(button, event.button.x, event.button.y);
        else
            IO_OnMouseUp(button, event.button.x, event.button.y);
        break;
    }
    case SDL_MOUSEWHEEL:
        if (IsMainWindowEvent(event.wheel.windowID)) OnWheel(event.wheel);
        break;
    case SDL_WINDOWEVENT:
        if (g_Window != nullptr && event.window.windowID == g_WindowId) OnWindowEvent(event.window);
        break;
    default:
        break;
    }
}

void ProcessMessages()
{
    // A termination signal ends the game as a closed window does.
    if (Platform_TerminationRequested()) g_RunState = 0;
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (g_DialogFilter != nullptr && g_DialogFilter(event)) continue;
        if (event.type == SDL_QUIT) {
            g_RunState = 0;
            return;
        }
        if (g_DebugMode != 0 && g_DebugFormObserver != nullptr) g_DebugFormObserver(event);
        MainWindowProc(event);
    }
}

void ProcessMessagesInScript()
{
    ProcessMessages();
    // A script that never lets the loop on would keep a termination request waiting for ever.
    Platform_EndIfTerminationOverdue();
}

void PostQuitToMainWindow()
{
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    SDL_Event quit;
    SDL_zero(quit);
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void MainWindow_TakeBackInput()
{
    if (g_Window == nullptr) return;
    // Taking the keyboard lets SDL read the server's keys again as the focus comes back.
    PlatformSdl_TakeKeyboard(g_Window);
    uint8_t keys[IO_KEY_COUNT] = {};
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    auto modifiers = static_cast<uint16_t>(SDL_GetModState());
    for (int at = 0; at < count; ++at) {
        if (state[at] == 0) continue;
        auto scancode = static_cast<SDL_Scancode>(at);
        int32_t code = KeyTable_VirtualKey(scancode, modifiers);
        bool right = code == VK_CODE_SHIFT ? scancode == SDL_SCANCODE_RSHIFT : KeyTable_IsExtended(scancode);
        if (code != 0) MainWindow_MarkHeld(code, right, keys);
    }
    IO_ReleaseKeysNotHeld(keys);
    Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    const uint8_t held[IO_MOUSE_BUTTONS] = {uint8_t((buttons & SDL_BUTTON_LMASK) != 0),
                                            uint8_t((buttons & SDL_BUTTON_RMASK) != 0),
                                            uint8_t((buttons & SDL_BUTTON_MMASK) != 0)};
    IO_ReleaseButtonsNotHeld(held);
}

bool MainWindow_Exists()
{
    return g_Window != nullptr;
}

void MainWindow_Show()
{
    if (g_Window != nullptr) SDL_ShowWindow(g_Window);
}

void MainWindow_SetTitle(const char* text)
{
    if (g_Window != nullptr) SDL_SetWindowTitle(g_Window, text != nullptr ? text : "");
}

void MainWindow_SetCursor(int32_t index)
{
    if (index < 0 || index >= WINDOW_CURSOR_COUNT) index = -1;
    g_WindowCursorIndex = index;
    if (g_Window == nullptr) return;
    if (index < 0 || CURSOR_SHAPES[index] == NO_CURSOR) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    if (g_Cursors[index] != nullptr) SDL_SetCursor(g_Cursors[index]);
    SDL_ShowCursor(SDL_ENABLE);
}

void MainWindow_Destroy()
{
    FreeCursors();
    if (g_Window != nullptr) SDL_DestroyWindow(g_Window);
    g_Window = nullptr;
    g_WindowId = 0;
    if (g_VideoStartedHere) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        g_VideoStartedHere = false;
    }
    // The window goes last of all that SDL does for the thread that played, whose own SDL state
    // (its error text) would otherwise be lost when the thread ends.
    SDL_TLSCleanup();
}
