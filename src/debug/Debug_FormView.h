// The debug form's windows: the main window and each shown information window in an SDL window of
// its own, drawn with Dear ImGui after each refresh. Headless runs open none and the model runs
// alone.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

struct CDebugForm;
class ImGuiSurface;

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

// What makes the windows' hosts: null for SDL windows of their own; tests give hosts without a
// display. With a maker set the windows open in headless runs too.
using DebugFormHostMaker = std::unique_ptr<ImGuiSurface> (*)();
void DebugFormView_SetHostMaker(DebugFormHostMaker maker);
// The centre of a main-window button in window pixels ("Run", "Pause", "Step", "Restart", "Stop",
// "Add", "Change", "Delete", "Clear", "Inst Vars"); false for another label.
bool DebugFormView_ButtonCentre(const char* label, float* x, float* y);
