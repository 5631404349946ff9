// The main window's SDL side, for the other platform halves (the OpenGL device, the dialogs, the
// debug form) that need the window itself or see its events.
#pragma once

#include <SDL.h>

#include <string>

// The main window, or null before CreateMainWindow and after MainWindow_Destroy.
SDL_Window* MainWindow_Handle();

// A modeless dialog sees every event first; true means it took the event.
using MainWindowEventFilter = bool (*)(const SDL_Event& event);
void MainWindow_SetDialogFilter(MainWindowEventFilter filter);

// In debug mode the debug form sees every event before the window handles it.
using MainWindowEventObserver = void (*)(const SDL_Event& event);
void MainWindow_SetDebugFormObserver(MainWindowEventObserver observer);

// Typed UTF-8 text as the 16-bit characters the input state receives (characters beyond 0xFFFF
// as two surrogates, malformed bytes dropped).
std::u16string MainWindow_TextToCharacters(const char* text);

// The window procedure for one event (ProcessMessages calls it for each event it removes).
void MainWindowProc(const SDL_Event& event);

// A box of the game's has closed: the game's window takes the keyboard back (with or without a
// window manager), and the keys and buttons the game holds are brought in line with what SDL holds,
// which is what its later events build on: a key let go while the box had the keyboard reads as let
// go, and its next press is a press.
void MainWindow_TakeBackInput();
