#include "debug/Debug_Form.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>

#include "app/App_CommandLine.h"
#include "base/Base_Ini.h"
#include "base/Base_Numbers.h"
#include "code/Code_Value.h"
#include "debug/Debug_FormView.h"
#include "debug/Debug_Remote.h"
#include "function/Function_MiscWindow.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Profiler.h"
#include "instance/Instance_Class.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Class.h"
#include "run/Run_MainLoop.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"

CDebugForm* g_pDebugForm = nullptr;

namespace {

constexpr size_t COPY_ROW_LIMIT = 512;
constexpr const char* WATCH_KEY = "Watch";

struct RecordKind {
    const char* section;
    int32_t lists;
};
constexpr RecordKind RECORD_KINDS[DEBUG_WINDOW_FIRST_LOCALS] = {
    {"GlobalsWindow", 2}, {"InstancesWindow", 3}, {"MessagesWindow", 1}};

// The scaled value is a whole 32-bit number, as near as the display cares.
bool WholeAt(double x, double scale)
{
    double scaled = x * scale;
    if (!(std::fabs(scaled) <= 2147483647.0)) return false;
    return std::fabs(scaled - std::nearbyint(scaled)) < 1e-12;
}

// At most `limit` characters of UTF-8 text, never cutting one in two.
std::string Cut(const std::string& text, size_t limit)
{
    size_t characters = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<uint8_t>(text[at]) & 0xC0) == 0x80) continue;
        if (characters++ == limit) return text.substr(0, at);
    }
    return text;
}

// "Watch" followed by the canonical decimal form of a non-negative index.
int32_t WatchIndex(const char* key)
{
    std::string name = key != nullptr ? key : "";
    if (name.rfind(WATCH_KEY, 0) != 0) return -1;
    std::string digits = name.substr(5);
    if (digits.empty() || digits.size() > 10 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return -1;
    int64_t index = std::stoll(digits);
    if (index > INT32_MAX || std::to_string(index) != digits) return -1;
    return static_cast<int32_t>(index);
}

// The watches the file holds below its count, in index order: only keys present are visited, so a
// huge count costs nothing.
void ReadWatches(CDebugForm* form)
{
    int32_t count = form->settings->ReadInt(DEBUG_FORM_SECTION, "NumWatches", 0);
    std::set<int32_t> indices;
    for (IniSection* section = form->settings->FirstSection(); section != nullptr; section = section->next) {
        if (std::string(section->name != nullptr ? section->name : "") != DEBUG_FORM_SECTION) continue;
        for (IniKey* key = section->firstKey; key != nullptr; key = key->next) {
            int32_t index = WatchIndex(key->name);
            if (index >= 0 && index < count) indices.insert(index);
        }
    }
    for (int32_t index : indices) {
        std::string key = WATCH_KEY + std::to_string(index);
        DebugForm_AddWatch(form, form->settings->ReadString(DEBUG_FORM_SECTION, key.c_str(), ""));
    }
}

void ReadRecord(const IniFile& settings, DebugWindowRecord* record)
{
    const char* section = record->section.c_str();
    record->visible = std::string(settings.ReadString(section, "Visible", "")) == "true";
    if (settings.GetKey(section, "bottom") && settings.GetKey(section, "top") && settings.GetKey(section, "left") &&
        settings.GetKey(section, "right"))
        record->saved = {settings.ReadInt(section, "left", 0), settings.ReadInt(section, "top", 0),
                         settings.ReadInt(section, "right", 0), settings.ReadInt(section, "bottom", 0)};
}

void WriteNumber(IniFile* settings, const char* section, const char* key, int32_t number)
{
    settings->WriteString(section, key, std::to_string(number).c_str());
}

} // namespace

void DebugForm_WriteSettings(CDebugForm* form)
{
    IniFile* settings = form->settings;
    if (settings == nullptr) return;
    bool fps = (g_DebugOverlayFlags & OVERLAY_FRAME_RATE) != 0;
    settings->WriteString(DEBUG_FORM_SECTION, "FPSVisible", fps ? "true" : "false");
    int32_t written = 0;
    for (const DebugWatch& watch : form->watches) {
        if (watch.expression.empty()) continue;
        std::string key = WATCH_KEY + std::to_string(written++);
        settings->WriteString(DEBUG_FORM_SECTION, key.c_str(), watch.expression.c_str());
    }
    WriteNumber(settings, DEBUG_FORM_SECTION, "NumWatches", written);
    for (const DebugWindowRecord& record : form->records) {
        const char* section = record.section.c_str();
        settings->WriteString(section, "Visible", record.visible ? "true" : "false");
        if (!record.visible) continue;
        WriteNumber(settings, section, "bottom", record.saved.bottom);
        WriteNumber(settings, section, "top", record.saved.top);
        WriteNumber(settings, section, "left", record.saved.left);
        WriteNumber(settings, section, "right", record.saved.right);
        WriteNumber(settings, section, "InstanceID", record.instanceId);
    }
}

void Value_ToDisplayString(std::string* slot, const ScriptValue* value)
{
    switch (Value_GetKind(value)) {
    case VALUE_STRING: *slot = Value_GetText(value) != nullptr ? Value_GetText(value) : ""; return;
    case VALUE_ARRAY: *slot = "<array>"; return;
    default: break;
    }
    double x = value->real;
    static constexpr struct {
        double scale;
        const char* format;
    } FORMS[] = {{100, "%.2f"}, {10000, "%.4f"}, {1000000, "%.6f"}, {100000000, "%.8f"}};
    if (WholeAt(x, 1)) {
        *slot = std::to_string(static_cast<int32_t>(std::nearbyint(x)));
        return;
    }
    for (const auto& form : FORMS)
        if (WholeAt(x, form.scale)) {
            *slot = Numbers_Format(form.format, x);
            return;
        }
    // Sized to fit: a huge real prints hundreds of digits.
    *slot = Numbers_Format("%10.10f", x);
}

void DebugWindow_SetRow(DebugWindowRecord* record, std::vector<std::string>& list, size_t row, const std::string& text)
{
    if (row < list.size()) {
        if (list[row] != text) list[row] = text;
        return;
    }
    list.push_back(text);
    if (record != nullptr) record->layoutPending = 1;
}

void DebugWindow_TrimRows(DebugWindowRecord* record, std::vector<std::string>& list, size_t count)
{
    if (list.size() <= count) return;
    list.resize(count);
    if (record != nullptr) record->layoutPending = 1;
}

// Headless there is no window to place: the record keeps its saved place for "Debug.ini".
void DebugWindow_Show(DebugWindowRecord* record) { record->visible = 1; }

CDebugForm* DebugForm_Create()
{
    CDebugForm* form = new CDebugForm();
    form->settings = new IniFile();
    form->settings->Open(DEBUG_SETTINGS_FILE, false);
    for (int32_t i = 0; i < DEBUG_WINDOW_RECORDS; ++i) {
        DebugWindowRecord& record = form->records[i];
        bool locals = i >= DEBUG_WINDOW_FIRST_LOCALS;
        record.section = locals ? "LocalsWindow" + std::to_string(i) : RECORD_KINDS[i].section;
        record.lists = locals ? 2 : RECORD_KINDS[i].lists;
        record.multiSelect = i == DEBUG_WINDOW_MESSAGES;
    }
    DebugFormView_Open(form);
    return form;
}

// The view follows the flag at its next drawing; headless only the flag changes.
void DebugForm_Show(CDebugForm* form, bool show)
{
    if (form != nullptr) form->windowShown = show ? 1 : 0;
}

void DebugForm_Initialise(CDebugForm* form)
{
    form->initialised = 1;
    form->mainShown = 1;
    if (form->settings == nullptr) return;
    if (std::string(form->settings->ReadString(DEBUG_FORM_SECTION, "FPSVisible", "")) == "false")
        g_DebugOverlayFlags &= ~OVERLAY_FRAME_RATE;
    if (form->evaluationInstance == nullptr) form->evaluationInstance = new CInstance(0, 0, 0, 0, false);
    for (DebugWindowRecord& record : form->records) ReadRecord(*form->settings, &record);
    // An instance-variable window comes back only on an instance of the room.
    for (int32_t i = DEBUG_WINDOW_FIRST_LOCALS; i < DEBUG_WINDOW_RECORDS; ++i) {
        DebugWindowRecord& record = form->records[i];
        if (!record.visible) continue;
        record.visible = 0;
        const char* section = record.section.c_str();
        if (form->settings->GetKey(section, "InstanceID") != nullptr)
            DebugWindow_OpenLocalsByText(form, form->settings->ReadString(section, "InstanceID", ""), i);
    }
    ReadWatches(form);
}

void DebugForm_UpdateStats(CDebugForm* form)
{
    if (g_RunState == 0 || Run_CurrentRoom() == nullptr || form == nullptr || g_DebugMode == 0) return;
    if (!form->initialised) DebugForm_Initialise(form);
    if (form->mainShown) {
        DebugForm_UpdateStatusLines(form);
        DebugForm_UpdateMouseLine(form);
        DebugForm_EvaluateWatches(form);
    }
    DebugWindow_RefreshShown(form);
    DebugFormView_Draw(form);
    form->servedThisTick = 1;
}

void DebugForm_Request(CDebugForm* form, DebugCommand command)
{
    if (std::find(form->commands.begin(), form->commands.end(), command) == form->commands.end())
        form->commands.push_back(command);
}

namespace {

void Carry(CDebugForm* form, DebugCommand command)
{
    switch (command) {
    case DebugCommand::Run: DebugForm_Run(); break;
    case DebugCommand::Pause: DebugForm_Pause(); break;
    case DebugCommand::Step: DebugForm_Step(); break;
    case DebugCommand::Restart: DebugForm_Restart(form); break;
    case DebugCommand::Stop: DebugForm_Stop(); break;
    case DebugCommand::Close: DebugForm_CloseMainWindow(form); break;
    }
}

} // namespace

void DebugForm_Tick()
{
    CDebugForm* form = g_pDebugForm;
    if (form == nullptr || g_DebugMode == 0) return;
    // No frame drew the windows (a paused or frozen game): they are served alone, so that the
    // player can still Run, Step or close them.
    if (!form->servedThisTick) DebugFormView_Draw(form);
    form->servedThisTick = 0;
    std::vector<DebugCommand> commands;
    commands.swap(form->commands);
    for (DebugCommand command : commands) {
        Carry(form, command);
        // A step may end or restart the game, and closing frees the form: the rest is dropped.
        if (g_pDebugForm != form) return;
    }
}

void DebugForm_CloseMainWindow(CDebugForm* form)
{
    DebugForm_SaveAndClose(form);
    DebugForm_Delete(form);
    if (g_pDebugForm == form) g_pDebugForm = nullptr;
}

void DebugForm_AddWatch(CDebugForm* form, const char* text)
{
    form->watches.push_back({text != nullptr ? text : "", ""});
}

bool DebugForm_ChangeWatch(CDebugForm* form, const char* text)
{
    if (form->selectedWatch < 0 || static_cast<size_t>(form->selectedWatch) >= form->watches.size()) return false;
    form->watches[static_cast<size_t>(form->selectedWatch)].expression = text != nullptr ? text : "";
    return true;
}

bool DebugForm_DeleteWatch(CDebugForm* form)
{
    if (form->selectedWatch < 0 || static_cast<size_t>(form->selectedWatch) >= form->watches.size()) return false;
    form->watches.erase(form->watches.begin() + form->selectedWatch);
    return true;
}

void DebugForm_ClearWatches(CDebugForm* form)
{
    form->watches.clear();
    form->selectedWatch = 0;
}

void DebugForm_EvaluateWatches(CDebugForm* form)
{
    if (form->evaluationInstance == nullptr) form->evaluationInstance = new CInstance(0, 0, 0, 0, false);
    for (DebugWatch& watch : form->watches) {
        ScriptValue result{};
        if (Debug_EvaluateText(watch.expression.c_str(), "watch", form->evaluationInstance, &result))
            Value_ToDisplayString(&watch.value, &result);
        else
            watch.value = DEBUG_UNABLE_TO_EVALUATE;
        Value_Free(&result);
    }
    DebugForm_FillWatchRows(form);
}

void DebugForm_FillWatchRows(CDebugForm* form)
{
    size_t count = form->watches.size();
    for (size_t i = 0; i < count; ++i) {
        DebugWindow_SetRow(nullptr, form->expressionRows, i, Cut(form->watches[i].expression, DEBUG_WATCH_ROW_LIMIT));
        DebugWindow_SetRow(nullptr, form->valueRows, i, Cut(form->watches[i].value, DEBUG_WATCH_ROW_LIMIT));
    }
    DebugWindow_TrimRows(nullptr, form->expressionRows, count);
    DebugWindow_TrimRows(nullptr, form->valueRows, count);
}

void DebugForm_Output(const char* line)
{
    CDebugForm* form = g_pDebugForm;
    if (form == nullptr) return;
    DebugWindowRecord& messages = form->records[DEBUG_WINDOW_MESSAGES];
    messages.rows[0].insert(messages.rows[0].begin(), Cut(line != nullptr ? line : "", DEBUG_MESSAGE_ROW_LIMIT));
    form->messageSelected.insert(form->messageSelected.begin(), 0);
    messages.layoutPending = 1;
}

std::string DebugForm_CopyMessages(CDebugForm* form)
{
    const std::vector<std::string>& rows = form->records[DEBUG_WINDOW_MESSAGES].rows[0];
    bool any = std::find(form->messageSelected.begin(), form->messageSelected.end(), 1) != form->messageSelected.end();
    std::string text;
    size_t taken = 0;
    for (size_t i = 0; i < rows.size() && (!any || taken < COPY_ROW_LIMIT); ++i) {
        if (any && (i >= form->messageSelected.size() || form->messageSelected[i] == 0)) continue;
        text += rows[i] + "\n";
        ++taken;
    }
    MiscWindow_SetClipboard(text.c_str());
    return text;
}

void DebugForm_Pause()
{
    if (g_RunState == 1 && g_Paused == 0) g_Paused = 1;
}

void DebugForm_Run()
{
    if (g_RunState == 1 && g_Paused != 0) g_Paused = 0;
}

void DebugForm_Step()
{
    if (g_RunState == 1 && g_Paused != 0) Run_StepPaused();
}

// The main loop is already running: a paused game is let go so its next tick acts on the request.
void DebugForm_Restart(CDebugForm* form)
{
    if (g_RunState != 1) return;
    DebugForm_Show(form, false);
    g_RunRequest = RUN_REQUEST_RESTART;
    g_Paused = 0;
}

void DebugForm_Stop()
{
    if (g_RunState == 1) Run_QuitGame();
}

std::string DebugForm_FormatNumberLine(const char* prefix, int64_t number)
{
    return std::string(prefix != nullptr ? prefix : "") + std::to_string(number);
}

void DebugForm_UpdateStatusLines(CDebugForm* form)
{
    // A frame timed at next to nothing would overflow the line's integer.
    double seconds = g_FrameTimer.seconds;
    int64_t rate = seconds > 0 ? static_cast<int64_t>(std::min(1.0 / seconds, 1e9)) : 0;
    CRoom* room = Run_CurrentRoom();
    DebugStatusLines& lines = form->status;
    lines.roomSpeed = DebugForm_FormatNumberLine("Room Speed: ", Run_GetFrameRate());
    lines.fps = DebugForm_FormatNumberLine("FPS: ", rate);
    lines.textureSwaps = DebugForm_FormatNumberLine("Num Tex Swaps: ", g_BatchStatistics.lastTextureSwitches);
    lines.vertexBatches = DebugForm_FormatNumberLine("Num Vertex Batches: ", g_BatchStatistics.lastDrawCalls);
    lines.instances = DebugForm_FormatNumberLine("inst: ", room != nullptr ? room->m_Active.m_Count : 0);
}

void DebugForm_SaveAndClose(CDebugForm* form)
{
    form->mainShown = 0;
    if (g_Paused != 0) {
        g_Paused = 0;
        g_RunState = 1;
    }
    DebugFormView_StoreRects(form);
    if (form->settings != nullptr) {
        DebugForm_WriteSettings(form);
        // Building the text writes the file when anything changed.
        MemoryManager::Free(form->settings->GetText());
        delete form->settings;
        form->settings = nullptr;
    }
    for (DebugWindowRecord& record : form->records) record.visible = 0;
    DebugFormView_Close();
}

void DebugForm_Delete(CDebugForm* form)
{
    if (form == nullptr) return;
    DebugFormView_Close();
    delete form->evaluationInstance;
    delete form->settings;
    delete form;
}

namespace {

// Between the game window and the form.
constexpr int32_t GAP = 8;

int32_t Overlap(int32_t from, int32_t to, int32_t otherFrom, int32_t otherTo)
{
    return std::max(0, std::min(to, otherTo) - std::max(from, otherFrom));
}

} // namespace

bool DebugForm_PlaceBeside(const DebugRect& game, int32_t width, int32_t height, const DebugRect& desktop, int32_t& x,
                           int32_t& y)
{
    auto onDesktopX = [&](int32_t at) { return std::max(desktop.left, std::min(at, desktop.right - width)); };
    auto onDesktopY = [&](int32_t at) { return std::max(desktop.top, std::min(at, desktop.bottom - height)); };
    const int32_t level = onDesktopY(game.top), aligned = onDesktopX(game.left);
    const struct {
        bool room;
        int32_t x, y;
    } beside[] = {
        {game.right + GAP + width <= desktop.right, game.right + GAP, level},
        {game.left - GAP - width >= desktop.left, game.left - GAP - width, level},
        {game.bottom + GAP + height <= desktop.bottom, aligned, game.bottom + GAP},
        {game.top - GAP - height >= desktop.top, aligned, game.top - GAP - height},
    };
    for (const auto& place : beside) {
        if (!place.room) continue;
        x = place.x, y = place.y;
        return true;
    }
    // No room anywhere: the place on the desktop's edge that hides the least of the game.
    int64_t least = INT64_MAX;
    for (int32_t atX : {onDesktopX(desktop.right), desktop.left})
        for (int32_t atY : {level, desktop.top, onDesktopY(desktop.bottom)}) {
            int64_t covered = int64_t{Overlap(atX, atX + width, game.left, game.right)} *
                              Overlap(atY, atY + height, game.top, game.bottom);
            if (covered >= least) continue;
            least = covered, x = atX, y = atY;
        }
    return least == 0;
}

bool DebugForm_MakeRoom(const DebugRect& game, int32_t width, int32_t height, const DebugRect& desktop, int32_t& x,
                        int32_t& y)
{
    const int32_t gameWidth = game.right - game.left, gameHeight = game.bottom - game.top;
    const bool tallEnough = height <= desktop.bottom - desktop.top, wideEnough = width <= desktop.right - desktop.left;
    // The game's corner with room on its right, its left, below it, above it.
    const int32_t right = std::min(game.left, desktop.right - width - GAP - gameWidth);
    const int32_t left = std::max(game.left, desktop.left + width + GAP);
    const int32_t below = std::min(game.top, desktop.bottom - height - GAP - gameHeight);
    const int32_t above = std::max(game.top, desktop.top + height + GAP);
    const struct {
        bool room;
        int32_t x, y;
    } moves[] = {
        {tallEnough && right >= desktop.left, right, game.top},
        {tallEnough && left + gameWidth <= desktop.right, left, game.top},
        {wideEnough && below >= desktop.top, game.left, below},
        {wideEnough && above + gameHeight <= desktop.bottom, game.left, above},
    };
    int64_t least = INT64_MAX;
    for (const auto& move : moves) {
        int64_t distance = std::abs(int64_t{move.x} - game.left) + std::abs(int64_t{move.y} - game.top);
        if (!move.room || distance >= least) continue;
        least = distance, x = move.x, y = move.y;
    }
    return least != INT64_MAX;
}
