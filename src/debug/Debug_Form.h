// The debug form's model: watches evaluated every frame, the console messages, the nine information
// window records and their "Debug.ini" settings. Headless runs keep the model and its file without
// any window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CInstance;
class IniFile;
struct ScriptValue;

constexpr int32_t DEBUG_WINDOW_RECORDS = 9;
enum : int32_t {
    DEBUG_WINDOW_GLOBALS = 0,
    DEBUG_WINDOW_INSTANCES = 1,
    DEBUG_WINDOW_MESSAGES = 2,
    DEBUG_WINDOW_FIRST_LOCALS = 3,
};
constexpr const char* DEBUG_SETTINGS_FILE = "Debug.ini";
constexpr const char* DEBUG_FORM_SECTION = "DebugForm";
constexpr const char* DEBUG_UNABLE_TO_EVALUATE = "Unable to evaluate";
constexpr size_t DEBUG_MESSAGE_ROW_LIMIT = 4096;
constexpr size_t DEBUG_WATCH_ROW_LIMIT = 512;

struct DebugRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct DebugWindowRecord {
    DebugRect saved;      // the normal position from "Debug.ini"; all 0 when it gave none
    std::string section;  // its "Debug.ini" section
    std::string caption;
    std::vector<std::string> rows[3];
    int32_t lists = 1;
    int32_t instanceId = -1;
    int32_t selectedRow = -1;
    uint8_t visible = 0;
    uint8_t layoutPending = 0;
    uint8_t multiSelect = 0;
};

struct DebugWatch {
    std::string expression;
    std::string value; // empty until evaluated
};

// The main window's status lines, as shown.
struct DebugStatusLines {
    std::string roomSpeed, fps, instances, mouse, textureSwaps, vertexBatches;
};

// What the main window asks of the game. The main loop carries it out between frames, never while
// the form draws: a step runs a frame that draws the form again, and closing frees the form.
enum class DebugCommand : int32_t { Run, Pause, Step, Restart, Stop, Close };

struct CDebugForm {
    std::vector<DebugWatch> watches; // in the order they were added
    std::vector<std::string> expressionRows{"Expressions"};
    std::vector<std::string> valueRows;
    int32_t selectedWatch = 0;
    DebugStatusLines status;
    DebugWindowRecord records[DEBUG_WINDOW_RECORDS];
    std::vector<uint8_t> messageSelected; // parallel to the messages window's rows
    IniFile* settings = nullptr;
    CInstance* evaluationInstance = nullptr;
    uint8_t initialised = 0;
    uint8_t mainShown = 0;
    uint8_t windowShown = 1; // the main window on screen (Restart and quitting hide it)
    uint8_t servedThisTick = 0; // a frame refreshed the windows since the last tick
    std::vector<DebugCommand> commands; // asked for since the last tick, in order
};

// The open debug form, or null.
extern CDebugForm* g_pDebugForm;

CDebugForm* DebugForm_Create();
void DebugForm_Show(CDebugForm* form, bool show);
// The first refresh's reading of "Debug.ini".
void DebugForm_Initialise(CDebugForm* form);
// The per-frame refresh; only while the game runs in a room with the debug option on.
void DebugForm_UpdateStats(CDebugForm* form);
// Resumes a paused game, writes "Debug.ini" and hides the windows.
void DebugForm_SaveAndClose(CDebugForm* form);
// Puts the form's settings into its "Debug.ini" object (not yet on disk).
void DebugForm_WriteSettings(CDebugForm* form);
void DebugForm_Delete(CDebugForm* form);
// Puts a console line on top of the messages window.
void DebugForm_Output(const char* line);

void DebugForm_AddWatch(CDebugForm* form, const char* text);
// The watch at the selected row; false when the row has none.
bool DebugForm_ChangeWatch(CDebugForm* form, const char* text);
bool DebugForm_DeleteWatch(CDebugForm* form);
void DebugForm_ClearWatches(CDebugForm* form);
void DebugForm_EvaluateWatches(CDebugForm* form);
void DebugForm_FillWatchRows(CDebugForm* form);
// The selected message rows (all when none is selected), each ending in a line feed, as UTF-8; also
// put on the clipboard.
std::string DebugForm_CopyMessages(CDebugForm* form);
// Queues a command of the main window for the next tick (once, however often it is asked).
void DebugForm_Request(CDebugForm* form, DebugCommand command);
// Once per main-loop tick: windows that no frame refreshed (the game is paused) are served without
// their status lines, then the commands asked for are carried out.
void DebugForm_Tick();
// Closing the main window: "Debug.ini" written, a paused game resumed, the windows closed and the
// form freed.
void DebugForm_CloseMainWindow(CDebugForm* form);
// The run controls; each acts only while the game runs.
void DebugForm_Pause();
void DebugForm_Run();
// One frame of the paused game.
void DebugForm_Step();
// Hides the main window and asks for a restart; a paused game runs on to act on it.
void DebugForm_Restart(CDebugForm* form);
void DebugForm_Stop();

// The prefix followed by the number in decimal.
std::string DebugForm_FormatNumberLine(const char* prefix, int64_t number);
// Room speed, frame rate, instance count and the last frame's texture swaps and vertex batches.
void DebugForm_UpdateStatusLines(CDebugForm* form);
// The first live instance under the mouse (room coordinates); with a mouse button and Ctrl down its
// instance-variable window is opened.
void DebugForm_UpdateMouseLine(CDebugForm* form);
// The same at a room point, opening the window when `open` is set.
void DebugForm_MouseLineAt(CDebugForm* form, float x, float y, bool open);

// The display text of a value: reals in the shortest of the fixed forms that holds them, strings as
// they are, arrays as "<array>".
void Value_ToDisplayString(std::string* slot, const ScriptValue* value);
// Writes row `row` of the list when its text differs; marks the record's layout when the count
// changes. Rows from `count` on are dropped by DebugWindow_TrimRows.
void DebugWindow_SetRow(DebugWindowRecord* record, std::vector<std::string>& list, size_t row, const std::string& text);
void DebugWindow_TrimRows(DebugWindowRecord* record, std::vector<std::string>& list, size_t count);
void DebugWindow_Show(DebugWindowRecord* record);

// The information windows' contents (lists of name and value rows).
void DebugWindow_FillGlobals(CDebugForm* form);
void DebugWindow_FillInstances(CDebugForm* form);
// Both lists empty when the record's instance is no longer in the room.
void DebugWindow_FillLocals(CDebugForm* form, DebugWindowRecord* record);
// The instance-variable record already on the instance, else the first hidden one, else the last.
int32_t DebugWindow_ChooseLocalsRecord(CDebugForm* form, CInstance* instance);
void DebugWindow_OpenLocals(CDebugForm* form, CInstance* instance, int32_t record);
// Opens the record (a chosen one when -1) on the first instance whose id the text gives, or whose
// object the text names; false when the room has none.
bool DebugWindow_OpenLocalsByText(CDebugForm* form, const char* text, int32_t record);
// A double click on a row: the globals window adds the name as a watch, the instances window opens
// the instance's variables, an instance-variable window adds the watch "(id).name".
void DebugWindow_DoubleClick(CDebugForm* form, int32_t index, int32_t row);
// A wheel turn in a window: forward (positive) one row up, backward one row down. The messages
// window moves its first selected row and never past its last.
void DebugWindow_Wheel(CDebugForm* form, int32_t index, int32_t delta);
// A wheel turn on the watch lists: forward one row down, kept between 0 and the row count.
void DebugForm_WheelWatches(CDebugForm* form, int32_t delta);
// Refreshes every shown window but the messages.
void DebugWindow_RefreshShown(CDebugForm* form);

// Where the form's main window of `width` x `height` (frames included) opens: beside the game window,
// to its right where the desktop has room, else to its left (its top level with the game's, kept on
// the desktop), else below the game, else above it (its left edge with the game's, kept on the
// desktop). Where none has room, the place on the desktop's edge that hides the least of the game.
// Answers the window's top-left corner, and whether the form leaves the game wholly uncovered.
bool DebugForm_PlaceBeside(const DebugRect& game, int32_t width, int32_t height, const DebugRect& desktop, int32_t& x,
                           int32_t& y);
// Where the game window's corner moves so that the form fits wholly beside it, when the desktop holds
// the two side by side or one above the other but not where the game stands: the shortest such
// move, the game kept on the desktop. False (x, y untouched) when no move makes room.
bool DebugForm_MakeRoom(const DebugRect& game, int32_t width, int32_t height, const DebugRect& desktop, int32_t& x,
                        int32_t& y);
