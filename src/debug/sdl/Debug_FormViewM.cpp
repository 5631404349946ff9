#include "debug/Debug_FormView.h"

#include <imgui.h>

#include <algorithm>
#include <memory>
#include <string>

#include "debug/Debug_Form.h"
#include "dialog/Dialog_Requests.h"
#include "dialog/imgui/Dialog_ImGuiM.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Profiler.h"
#include "app/App_CommandLine.h"
#include "platform/imgui/Platform_ImGuiHost.h"
#include "platform/sdl/Platform_WindowFrameM.h"
#include "run/sdl/Run_WindowM.h"

namespace {

constexpr int32_t MAIN_WIDTH = 580;
constexpr int32_t MAIN_HEIGHT = 560;
constexpr int32_t INFO_WIDTH = 360;
constexpr int32_t INFO_HEIGHT = 300;
const ImVec2 BUTTON_SIZE(64, 22);

const char* const CAPTIONS[DEBUG_WINDOW_FIRST_LOCALS] = {"Globals", "Instances", "Messages"};

std::unique_ptr<ImGuiSurface> MakeHost() { return std::make_unique<ImGuiHost>(); }

DebugFormHostMaker g_MakeHost = nullptr;
// The form's windows. Never destroyed: a process that exits with the form open (Xlib exits when the
// X connection is lost) must not close windows on a dead connection, which waits for good.
struct FormHosts {
    std::unique_ptr<ImGuiSurface> main;
    std::unique_ptr<ImGuiSurface> windows[DEBUG_WINDOW_RECORDS];
};
FormHosts& g_Hosts = *new FormHosts;
std::unique_ptr<ImGuiSurface>& g_Main = g_Hosts.main;
std::unique_ptr<ImGuiSurface> (&g_Windows)[DEBUG_WINDOW_RECORDS] = g_Hosts.windows;

// The window's host, made on first use.
ImGuiSurface& Host(std::unique_ptr<ImGuiSurface>& slot)
{
    if (slot == nullptr) slot = g_MakeHost != nullptr ? g_MakeHost() : MakeHost();
    return *slot;
}

bool IsOpen(const std::unique_ptr<ImGuiSurface>& slot) { return slot != nullptr && slot->IsOpen(); }

SDL_Window* WindowOf(const std::unique_ptr<ImGuiSurface>& slot) { return slot != nullptr ? slot->Window() : nullptr; }

// Watch commands need a modal dialog, which may not run inside another window's frame.
enum class WatchCommand { None, Add, Change, ShowLocals };
WatchCommand g_Pending = WatchCommand::None;

void FullWindow(const char* id)
{
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
    ImGui::Begin(id, nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoSavedSettings);
}

// The buttons sit at fixed places, so a click can be aimed at them.
struct FormButton {
    const char* label;
    int32_t column, row;
    void (*press)(CDebugForm* form);
};

template <DebugCommand command> void Ask(CDebugForm* form) { DebugForm_Request(form, command); }

const FormButton BUTTONS[] = {
    {"Run", 0, 0, Ask<DebugCommand::Run>},
    {"Pause", 1, 0, Ask<DebugCommand::Pause>},
    {"Add", 2, 0, [](CDebugForm*) { g_Pending = WatchCommand::Add; }},
    {"Change", 3, 0, [](CDebugForm*) { g_Pending = WatchCommand::Change; }},
    {"Delete", 4, 0, [](CDebugForm* form) { DebugForm_DeleteWatch(form); }},
    {"Clear", 5, 0, DebugForm_ClearWatches},
    {"Step", 0, 1, Ask<DebugCommand::Step>},
    {"Restart", 1, 1, Ask<DebugCommand::Restart>},
    {"Stop", 2, 1, Ask<DebugCommand::Stop>},
    {"Inst Vars", 3, 1, [](CDebugForm*) { g_Pending = WatchCommand::ShowLocals; }},
};

ImVec2 ButtonCorner(const FormButton& button)
{
    return ImVec2(8.0f + button.column * (BUTTON_SIZE.x + 6), 8.0f + button.row * (BUTTON_SIZE.y + 6));
}

void StatusLine(const std::string& text, int32_t column, int32_t row)
{
    ImGui::SetCursorPos(ImVec2(8.0f + column * 190.0f, 92.0f + row * 18.0f));
    ImGui::TextUnformatted(text.c_str());
}

// A wheel turn moved the selection: the list scrolls to it at its next drawing.
bool g_Follow[DEBUG_WINDOW_RECORDS + 1];

bool& Follow(int32_t record) { return g_Follow[record == DEBUG_VIEW_MAIN ? DEBUG_WINDOW_RECORDS : record]; }

// Draws the rows; a click selects (with Ctrl, toggles a row of a multi-selection). Answers the row
// double-clicked, or -1.
int32_t DrawRows(const std::vector<std::string>* lists, int32_t count, int32_t* selected, std::vector<uint8_t>* multi,
                 bool& follow)
{
    if (!ImGui::BeginTable("##rows", count, ImGuiTableFlags_Borders | ImGuiTableFlags_ScrollY)) return -1;
    int32_t doubleClicked = -1;
    size_t rows = lists[0].size();
    for (size_t row = 0; row < rows; ++row) {
        ImGui::TableNextRow();
        int32_t at = static_cast<int32_t>(row);
        bool on = multi != nullptr ? row < multi->size() && (*multi)[row] != 0 : at == *selected;
        for (int32_t list = 0; list < count; ++list) {
            ImGui::TableSetColumnIndex(list);
            const std::string& text = row < lists[list].size() ? lists[list][row] : std::string();
            ImGui::PushID(static_cast<int>(row * 4 + list));
            if (ImGui::Selectable(text.c_str(), on, ImGuiSelectableFlags_AllowDoubleClick)) {
                *selected = at;
                if (multi != nullptr && row < multi->size()) {
                    if (!ImGui::GetIO().KeyCtrl) std::fill(multi->begin(), multi->end(), 0);
                    (*multi)[row] = !on;
                }
                if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) doubleClicked = at;
            }
            if (follow && list == 0 && at == *selected) ImGui::SetScrollHereY();
            ImGui::PopID();
        }
    }
    follow = false;
    ImGui::EndTable();
    return doubleClicked;
}

void DrawMain(CDebugForm* form)
{
    FullWindow("##debugform");
    for (const FormButton& button : BUTTONS) {
        ImGui::SetCursorPos(ButtonCorner(button));
        if (ImGui::Button(button.label, BUTTON_SIZE)) button.press(form);
    }
    const DebugStatusLines& lines = form->status;
    StatusLine(lines.roomSpeed, 0, 0);
    StatusLine(lines.fps, 1, 0);
    StatusLine(lines.instances, 2, 0);
    StatusLine(lines.mouse, 0, 1);
    StatusLine(lines.textureSwaps, 1, 1);
    StatusLine(lines.vertexBatches, 2, 1);
    ImGui::SetCursorPos(ImVec2(8, 64));
    bool fps = (g_DebugOverlayFlags & OVERLAY_FRAME_RATE) != 0;
    if (ImGui::Checkbox("Display FPS", &fps))
        g_DebugOverlayFlags = fps ? (g_DebugOverlayFlags | OVERLAY_FRAME_RATE) : (g_DebugOverlayFlags & ~OVERLAY_FRAME_RATE);
    for (int32_t i = 0; i < DEBUG_WINDOW_RECORDS; ++i) {
        if (i < DEBUG_WINDOW_FIRST_LOCALS) ImGui::SameLine();
        if (i < DEBUG_WINDOW_FIRST_LOCALS && ImGui::SmallButton(CAPTIONS[i])) DebugWindow_Show(&form->records[i]);
    }
    ImGui::SetCursorPos(ImVec2(8, 132));
    const std::vector<std::string> lists[2] = {form->expressionRows, form->valueRows};
    DrawRows(lists, 2, &form->selectedWatch, nullptr, Follow(DEBUG_VIEW_MAIN));
    ImGui::End();
}

void RunPendingCommand(CDebugForm* form)
{
    WatchCommand command = g_Pending;
    g_Pending = WatchCommand::None;
    std::string answer;
    if (command == WatchCommand::Add &&
        InputQuery("Provide an expression", "Please type in the expression", "", answer))
        DebugForm_AddWatch(form, answer.c_str());
    bool selected = form->selectedWatch >= 0 && static_cast<size_t>(form->selectedWatch) < form->watches.size();
    if (command == WatchCommand::Change && selected &&
        InputQuery("Provide an expression.", "Please type in the expression",
                   form->watches[static_cast<size_t>(form->selectedWatch)].expression.c_str(), answer))
        DebugForm_ChangeWatch(form, answer.c_str());
    if (command == WatchCommand::ShowLocals &&
        InputQuery("Showing Local Variables.", "Please provide the instance id or object name.", "", answer))
        DebugWindow_OpenLocalsByText(form, answer.c_str(), -1);
    if (command == WatchCommand::Add || command == WatchCommand::Change) DebugForm_EvaluateWatches(form);
}

// A saved place is taken as it is; otherwise the window cascades from the main window.
void Place(CDebugForm* form, int32_t index)
{
    SDL_Window* window = WindowOf(g_Windows[index]);
    if (window == nullptr) return;
    const DebugRect& saved = form->records[index].saved;
    if (saved.right - saved.left >= 1) {
        SDL_SetWindowPosition(window, saved.left, saved.top);
        SDL_SetWindowSize(window, saved.right - saved.left, std::max(1, saved.bottom - saved.top));
        return;
    }
    int32_t shown = 1;
    for (const DebugWindowRecord& record : form->records) shown += record.visible;
    int32_t x = 0, y = 0;
    if (WindowOf(g_Main) != nullptr) SDL_GetWindowPosition(WindowOf(g_Main), &x, &y);
    SDL_SetWindowPosition(window, x + 8 * shown, y + 32 * shown);
}

void DrawRecord(CDebugForm* form, int32_t index)
{
    DebugWindowRecord& record = form->records[index];
    if (!record.visible) {
        if (g_Windows[index] != nullptr) g_Windows[index]->Close();
        return;
    }
    ImGuiSurface& host = Host(g_Windows[index]);
    if (!host.IsOpen()) {
        std::string caption = index < DEBUG_WINDOW_FIRST_LOCALS ? CAPTIONS[index] : record.caption;
        if (!host.Open(caption.empty() ? "Locals" : caption.c_str(), INFO_WIDTH, INFO_HEIGHT)) return;
        Place(form, index);
    }
    if (host.CloseRequested()) {
        record.visible = 0;
        host.Close();
        return;
    }
    host.Frame([&] {
        FullWindow("##record");
        std::vector<uint8_t>* multi = record.multiSelect ? &form->messageSelected : nullptr;
        int32_t clicked = DrawRows(record.rows, record.lists, &record.selectedRow, multi, Follow(index));
        if (clicked >= 0) DebugWindow_DoubleClick(form, index, clicked);
        ImGui::End();
    });
}

// A form moved or raised under a resting pointer gets the keyboard from managers whose focus follows
// the pointer, though the player neither pointed at it nor clicked: the game keeps it then. The guard
// holds from each placement until the pointer moves or a window is clicked.
struct KeyboardGuard {
    bool armed = false;
    int32_t x = 0, y = 0;
};
KeyboardGuard g_Guard;

void ArmKeyboardGuard()
{
    g_Guard.armed = true;
    SDL_GetGlobalMouseState(&g_Guard.x, &g_Guard.y);
}

void KeepKeyboardWithGame()
{
    if (!g_Guard.armed) return;
    int32_t x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    g_Guard.armed = x == g_Guard.x && y == g_Guard.y;
    if (g_Guard.armed && MainWindow_Handle() != nullptr) SDL_SetWindowInputFocus(MainWindow_Handle());
}

// A click gives the window clicked the keyboard at once: a bare X server gives none on a click, and
// the guard above may have kept it from a form the pointer rests on. SDL lends a held button to the
// window with the keyboard, so a button of the form held while the game had it was let go in the
// game's window and never acted.
void FocusOnClick(const SDL_MouseButtonEvent& button)
{
    g_Guard.armed = false;
    SDL_Window* window = SDL_GetWindowFromID(button.windowID);
    if (window != nullptr && SDL_GetKeyboardFocus() != window) PlatformSdl_TakeKeyboard(window);
}

// The form opens beside the game's window rather than centred on top of it. Both are measured by
// their frames where the window manager really put them. Where the desktop holds the two side by
// side but not where the game stands, the game's window moves to make the room; where it cannot, the
// form covers the least of the game and is kept above it, so that all of it can be seen.
void PlaceBesideGame()
{
    SDL_Window* form = WindowOf(g_Main);
    SDL_Window* game = MainWindow_Handle();
    PlatformWindowFrame gameFrame, formFrame;
    if (!PlatformSdl_GetWindowFrame(form, formFrame) || !PlatformSdl_GetWindowFrame(game, gameFrame)) return;
    const SDL_Rect& g = gameFrame.outer;
    SDL_Point centre{g.x + g.w / 2, g.y + g.h / 2};
    SDL_Rect usable{0, 0, 0, 0};
    int display = SDL_GetPointDisplayIndex(&centre);
    if (display < 0) display = SDL_GetWindowDisplayIndex(game);
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0) return;
    DebugRect gameRect{g.x, g.y, g.x + g.w, g.y + g.h};
    DebugRect desktop{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    const int32_t width = formFrame.outer.w, height = formFrame.outer.h;
    int32_t x = 0, y = 0;
    bool clear = DebugForm_PlaceBeside(gameRect, width, height, desktop, x, y);
    if (!clear && DebugForm_MakeRoom(gameRect, width, height, desktop, x, y)) {
        PlatformSdl_MoveWindowFrame(game, x, y);
        gameRect = {x, y, x + g.w, y + g.h};
        clear = DebugForm_PlaceBeside(gameRect, width, height, desktop, x, y);
    }
    // Kept above without being raised by SDL, which would take the keyboard from the game; managers
    // without "always on top" still restack it once. Both before the move: a manager may shift the
    // frame while it restacks.
    SDL_SetWindowAlwaysOnTop(form, clear ? SDL_FALSE : SDL_TRUE);
    if (!clear) PlatformSdl_RaiseWithoutFocus(form);
    PlatformSdl_MoveWindowFrame(form, x, y);
    ArmKeyboardGuard();
}

// The game's window is shown at its first frame, after the form opened, and would come up over it;
// a reset gives it a new size or mode and centres a window again, over the form where that stood
// beside it. Either way the two are placed again as at start, once the game's window is on the screen.
bool g_PlaceWhenGameShows = false;
uint32_t g_PlacedAtReset = 0;

void PlaceAgainWhenGameChanges()
{
    SDL_Window* game = MainWindow_Handle();
    if (game == nullptr || (SDL_GetWindowFlags(game) & SDL_WINDOW_SHOWN) == 0) return;
    if (!g_PlaceWhenGameShows && g_PlacedAtReset == g_D3D.windowPlacements) return;
    g_PlaceWhenGameShows = false;
    g_PlacedAtReset = g_D3D.windowPlacements;
    PlaceBesideGame();
}

} // namespace

bool DebugFormView_Open(CDebugForm* /*form*/)
{
    if (g_MakeHost == nullptr && !DialogImGui_Available()) return false;
    if (!Host(g_Main).Open("Kelvaro Debugger", MAIN_WIDTH, MAIN_HEIGHT)) return false;
    PlaceBesideGame();
    g_PlaceWhenGameShows = true;
    g_PlacedAtReset = g_D3D.windowPlacements;
    MainWindow_SetDebugFormObserver(DebugFormView_Feed);
    return true;
}

namespace {

bool InWindow(const std::unique_ptr<ImGuiSurface>& host, Uint32 windowId)
{
    SDL_Window* window = WindowOf(host);
    return window != nullptr && SDL_GetWindowID(window) == windowId;
}

// The form's own keys and wheel turns, seen before ImGui; true when the event was used up.
bool TakeFormInput(CDebugForm* form, const SDL_Event& event)
{
    if (event.type == SDL_MOUSEWHEEL && event.wheel.y != 0) {
        if (InWindow(g_Main, event.wheel.windowID)) {
            DebugForm_WheelWatches(form, event.wheel.y);
            return Follow(DEBUG_VIEW_MAIN) = true;
        }
        for (int32_t i = 0; i < DEBUG_WINDOW_RECORDS; ++i)
            if (InWindow(g_Windows[i], event.wheel.windowID)) {
                DebugWindow_Wheel(form, i, event.wheel.y);
                return Follow(i) = true;
            }
        return false;
    }
    if (event.type != SDL_KEYDOWN) return false;
    const SDL_KeyboardEvent& key = event.key;
    if (key.keysym.sym == SDLK_DELETE && key.repeat == 0 && InWindow(g_Main, key.windowID)) {
        DebugForm_DeleteWatch(form);
        DebugForm_FillWatchRows(form);
        return true;
    }
    if (key.keysym.sym == SDLK_c && (key.keysym.mod & KMOD_CTRL) != 0 &&
        InWindow(g_Windows[DEBUG_WINDOW_MESSAGES], key.windowID)) {
        DebugForm_CopyMessages(form);
        return true;
    }
    return false;
}

} // namespace

void DebugFormView_Feed(const SDL_Event& event)
{
    if (event.type == SDL_MOUSEBUTTONDOWN) FocusOnClick(event.button);
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED &&
        InWindow(g_Main, event.window.windowID))
        KeepKeyboardWithGame();
    if (g_pDebugForm != nullptr && TakeFormInput(g_pDebugForm, event)) return;
    if (g_Main != nullptr && g_Main->Feed(event)) return;
    for (std::unique_ptr<ImGuiSurface>& host : g_Windows)
        if (host != nullptr && host->Feed(event)) return;
}

void DebugFormView_Draw(CDebugForm* form)
{
    if (!IsOpen(g_Main)) return;
    SDL_Window* window = g_Main->Window();
    bool onScreen = window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN) == 0;
    if (window != nullptr && onScreen != (form->windowShown != 0))
        (form->windowShown ? SDL_ShowWindow : SDL_HideWindow)(window);
    PlaceAgainWhenGameChanges();
    g_Main->Frame([&] { DrawMain(form); });
    if (g_Main->CloseRequested()) DebugForm_Request(form, DebugCommand::Close);
    RunPendingCommand(form);
    for (int32_t i = 0; i < DEBUG_WINDOW_RECORDS; ++i) DrawRecord(form, i);
}

void DebugFormView_StoreRects(CDebugForm* form)
{
    for (int32_t i = 0; i < DEBUG_WINDOW_RECORDS; ++i) {
        SDL_Window* window = WindowOf(g_Windows[i]);
        if (window == nullptr) continue;
        int32_t x = 0, y = 0, width = 0, height = 0;
        SDL_GetWindowPosition(window, &x, &y);
        SDL_GetWindowSize(window, &width, &height);
        form->records[i].saved = {x, y, x + width, y + height};
    }
}

void DebugFormView_Close()
{
    MainWindow_SetDebugFormObserver(nullptr);
    for (std::unique_ptr<ImGuiSurface>& host : g_Windows) host.reset();
    g_Main.reset();
}

SDL_Window* DebugFormView_Window(int32_t record)
{
    if (record == DEBUG_VIEW_MAIN) return WindowOf(g_Main);
    return record >= 0 && record < DEBUG_WINDOW_RECORDS ? WindowOf(g_Windows[record]) : nullptr;
}

void DebugFormView_SetHostMaker(DebugFormHostMaker maker)
{
    g_MakeHost = maker;
}

bool DebugFormView_ButtonCentre(const char* label, float* x, float* y)
{
    for (const FormButton& button : BUTTONS) {
        if (std::string(button.label) != (label != nullptr ? label : "")) continue;
        ImVec2 corner = ButtonCorner(button);
        *x = corner.x + BUTTON_SIZE.x / 2;
        *y = corner.y + BUTTON_SIZE.y / 2;
        return true;
    }
    return false;
}
