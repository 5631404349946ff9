// The debug form's windows: the main window and each shown information window in an SDL window of
// its own, drawn with Dear ImGui after each refresh. Headless runs open none and the model runs
// alone.
#pragma once

#include <SDL.h>

#include <cstdint>

struct CDebugForm;

constexpr int32_t DEBUG_VIEW_MAIN = -1;

// Opens the main window when windows can be opened; false when none was.
bool DebugFormView_Open(CDebugForm* form);
// Draws every window after a refresh; opens shown information windows, closes hidden ones.
void DebugFormView_Draw(CDebugForm* form);
// The saved rectangles become those of the open windows (before "Debug.ini" is written).
void DebugFormView_StoreRects(CDebugForm* form);
void DebugFormView_Close();
// Hands a window event to the debug window it belongs to (the main window's pump shows it every
// event first).
void DebugFormView_Feed(const SDL_Event& event);
// The main window (DEBUG_VIEW_MAIN) or a record's window; null when it is not open.
SDL_Window* DebugFormView_Window(int32_t record);
