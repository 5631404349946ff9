// The debug form's model: display texts, watches, the row rule, messages and "Debug.ini".
#include "../run/RunFrameTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "app/App_CommandLine.h"
#include "base/Base_Ini.h"
#include "code/Code_Value.h"
#include "debug/Debug_Form.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Profiler.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"

namespace {

using Rows = std::vector<std::string>;

// A form whose settings come from the text instead of a file.
// Headless, so the model runs without windows.
CDebugForm* FormWith(const char* settings)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    CDebugForm* form = DebugForm_Create();
    delete form->settings;
    form->settings = new IniFile();
    form->settings->Parse(settings);
    return form;
}

std::string SettingsText(CDebugForm* form)
{
    char* text = form->settings->GetText();
    std::string copy = text != nullptr ? text : "";
    MemoryManager::Free(text);
    return copy;
}

TEST(DebugDisplayText, RealsTakeTheShortestFixedFormThatHoldsThem)
{
    const std::pair<double, const char*> cases[] = {
        {0.25, "0.25"}, {1.0 / 3.0, "0.3333333333"}, {7, "7"}, {-2.5, "-2.50"}, {0.0001, "0.0001"},
        {1e-9, "0.0000000010"}, {2147483648.0, "2147483648.0000000000"}, {-0.0, "0"},
    };
    for (const auto& [real, text] : cases) {
        ScriptValue value{VALUE_REAL, 0, real};
        std::string slot = "left over from a much longer earlier text";
        Value_ToDisplayString(&slot, &value);
        EXPECT_EQ(slot, text) << real;
    }
    ScriptValue huge{VALUE_REAL, 0, 1e300};
    std::string slot;
    Value_ToDisplayString(&slot, &huge);
    EXPECT_EQ(slot.size(), 301u + 11u) << "1e300 is printed in full";
    EXPECT_EQ(slot.substr(slot.size() - 11), ".0000000000");
}

TEST(DebugDisplayText, StringsShowBareAndArraysByKind)
{
    ScriptValue text{};
    Value_SetText(&text, "abc");
    std::string slot = "x";
    Value_ToDisplayString(&slot, &text);
    EXPECT_EQ(slot, "abc");
    Value_SetText(&text, "");
    Value_ToDisplayString(&slot, &text);
    EXPECT_EQ(slot, "");
    Value_Free(&text);
    ScriptValue array{};
    Value_SetArrayElement(&array, &text, 2);
    Value_ToDisplayString(&slot, &array);
    EXPECT_EQ(slot, "<array>");
    Value_Free(&array);
}

TEST(DebugWatches, EvaluateIntoRowsThatFollowTheList)
{
    testsupport::RegisterBuiltins();
    CDebugForm* form = FormWith("");
    DebugForm_FillWatchRows(form);
    EXPECT_EQ(form->expressionRows, Rows{}) << "the row \"Expressions\" goes at the first fill";
    for (const char* text : {"1/4", "1/3", "7", "\"abc\"", "1 +", "debugtest_w = 3", "debugtest_w"})
        DebugForm_AddWatch(form, text);
    DebugForm_EvaluateWatches(form);
    EXPECT_EQ(form->valueRows, (Rows{"0.25", "0.3333333333", "7", "abc", "Unable to evaluate", "0", "3"}));
    EXPECT_EQ(form->expressionRows[3], "\"abc\"");

    struct Step {
        int32_t selected;
        bool (*command)(CDebugForm*);
        bool acted;
        size_t rows;
    };
    const Step steps[] = {
        {6, DebugForm_DeleteWatch, true, 6}, {6, DebugForm_DeleteWatch, false, 6}, {0, DebugForm_DeleteWatch, true, 5},
        {9, [](CDebugForm* f) { return DebugForm_ChangeWatch(f, "2"); }, false, 5},
        {0, [](CDebugForm* f) { return DebugForm_ChangeWatch(f, "2"); }, true, 5},
    };
    for (const Step& step : steps) {
        form->selectedWatch = step.selected;
        EXPECT_EQ(step.command(form), step.acted) << "row " << step.selected;
        DebugForm_EvaluateWatches(form);
        EXPECT_EQ(form->valueRows.size(), step.rows);
    }
    EXPECT_EQ(form->valueRows[0], "2");
    DebugForm_ClearWatches(form);
    DebugForm_FillWatchRows(form);
    EXPECT_TRUE(form->expressionRows.empty() && form->valueRows.empty());
    DebugForm_Delete(form);
}

TEST(DebugWindowRows, RowsAreRewrittenOnlyWhenTheyDifferAndLayoutFollowsTheCount)
{
    DebugWindowRecord record;
    Rows list = {"a", "b"};
    DebugWindow_SetRow(&record, list, 0, "a");
    DebugWindow_SetRow(&record, list, 1, "B");
    EXPECT_EQ(list, (Rows{"a", "B"}));
    EXPECT_EQ(record.layoutPending, 0) << "same count, no layout";
    DebugWindow_SetRow(&record, list, 2, "c");
    EXPECT_EQ(record.layoutPending, 1);
    record.layoutPending = 0;
    DebugWindow_TrimRows(&record, list, 1);
    EXPECT_EQ(list, Rows{"a"});
    EXPECT_EQ(record.layoutPending, 1);
}

TEST(DebugWindowRows, LocalsRecordIsTheFirstHiddenElseTheLast)
{
    CDebugForm* form = FormWith("");
    const std::pair<std::vector<int32_t>, int32_t> cases[] = {
        {{}, 3}, {{3, 4}, 5}, {{3, 4, 5, 6, 7, 8}, 8}, {{3, 5, 6, 7, 8}, 4}};
    for (const auto& [shown, chosen] : cases) {
        for (int32_t i = DEBUG_WINDOW_FIRST_LOCALS; i < DEBUG_WINDOW_RECORDS; ++i) form->records[i].visible = 0;
        for (int32_t i : shown) form->records[i].visible = 1;
        EXPECT_EQ(DebugWindow_ChooseLocalsRecord(form, nullptr), chosen) << shown.size() << " shown";
    }
    DebugForm_Delete(form);
}

TEST(DebugMessagesWindow, NewestOnTopAndCopiesTheSelectionOrAll)
{
    CDebugForm* form = FormWith("");
    g_pDebugForm = form;
    for (const char* line : {"one", "two", "three \xC3\xA9"}) DebugForm_Output(line);
    g_pDebugForm = nullptr;
    EXPECT_EQ(form->records[DEBUG_WINDOW_MESSAGES].rows[0], (Rows{"three \xC3\xA9", "two", "one"}));
    EXPECT_EQ(DebugForm_CopyMessages(form), "three \xC3\xA9\ntwo\none\n");
    form->messageSelected = {1, 0, 1};
    EXPECT_EQ(DebugForm_CopyMessages(form), "three \xC3\xA9\none\n") << "the UTF-8 text, not low bytes";
    DebugForm_Delete(form);
}

TEST(DebugSettings, WatchesAndWindowsAreReadAsTheFileHasThem)
{
    struct Case {
        const char* file;
        Rows watches;
    };
    const Case cases[] = {
        {"[DebugForm]\nNumWatches=2\nWatch0=a\n", {"a"}},
        {"[DebugForm]\nNumWatches=2147483647\nWatch3=d\nWatch1=b\nWatch007=x\nWatch-1=y\n", {"b", "d"}},
        {"[DebugForm]\nNumWatches=1\nWatch0=a\nWatch1=b\n", {"a"}},
        {"[DebugForm]\nWatch0=a\n", {}},
    };
    for (const Case& c : cases) {
        CDebugForm* form = FormWith(c.file);
        DebugForm_Initialise(form);
        Rows watches;
        for (const DebugWatch& watch : form->watches) watches.push_back(watch.expression);
        EXPECT_EQ(watches, c.watches) << c.file;
        DebugForm_Delete(form);
    }
}

TEST(DebugSettings, SavedSettingsAreReadBackAndSavingResumes)
{
    g_DebugOverlayFlags |= OVERLAY_FRAME_RATE;
    CDebugForm* form = FormWith("[DebugForm]\nFPSVisible=false\n[GlobalsWindow]\nVisible=true\nleft=10\ntop=20\n"
                                "right=300\nbottom=400\n[InstancesWindow]\nVisible=true\nleft=1\n");
    DebugForm_Initialise(form);
    EXPECT_EQ(g_DebugOverlayFlags & OVERLAY_FRAME_RATE, 0);
    EXPECT_EQ(form->records[DEBUG_WINDOW_GLOBALS].saved.right, 300);
    EXPECT_EQ(form->records[DEBUG_WINDOW_INSTANCES].saved.right, 0) << "a rectangle needs all four keys";
    for (const char* text : {"1/4", "", "x"}) DebugForm_AddWatch(form, text);
    DebugForm_WriteSettings(form);
    std::string text = SettingsText(form);

    CDebugForm* next = FormWith(text.c_str());
    DebugForm_Initialise(next);
    ASSERT_EQ(next->watches.size(), 2u) << text;
    EXPECT_EQ(next->watches[0].expression, "1/4");
    EXPECT_EQ(next->watches[1].expression, "x");
    EXPECT_TRUE(next->records[DEBUG_WINDOW_GLOBALS].visible && next->records[DEBUG_WINDOW_INSTANCES].visible);
    EXPECT_EQ(next->records[DEBUG_WINDOW_GLOBALS].saved.bottom, 400);
    EXPECT_FALSE(next->records[DEBUG_WINDOW_MESSAGES].visible);
    EXPECT_NE(text.find("FPSVisible=false"), std::string::npos);

    g_RunState = 1;
    g_Paused = 1;
    DebugForm_SaveAndClose(next);
    EXPECT_EQ(g_Paused, 0) << "closing lets a paused game run on";
    EXPECT_EQ(next->settings, nullptr);
    DebugForm_Delete(next);
    DebugForm_Delete(form);
}

} // namespace

using namespace frametest;

// The form over a played room: objects 0 obj_a and 1 obj_b (16 x 16 boxes), seven instances,
// ids 100001 to 100007.
class DebugFormRoom : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        AddSquareSprite();
        gamebuild::GameDesc game = OneRoomGame({ObjectWith("obj_a", {}, 0), ObjectWith("obj_b", {}, 0)},
                                               {Placed(0, 0, 0), Placed(0, 0, 0), Placed(1, 40, 0), Placed(1, 40, 40),
                                                Placed(0, 80, 0), Placed(0, 80, 40), Placed(0, 120, 0)});
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        m_Form = DebugForm_Create();
        DebugForm_Initialise(m_Form);
    }
    void TearDown() override
    {
        DebugForm_Delete(m_Form);
        g_RunRequest = RUN_REQUEST_NONE;
        FrameTest::TearDown();
    }
    CInstance* Instance(int32_t id) { return Instance_FindById(id); }
    CDebugForm* m_Form = nullptr;
};

TEST_F(DebugFormRoom, MouseLineAndInstancesSkipDeletedAndDeactivated)
{
    struct Case {
        float x, y;
        std::vector<int32_t> deactivated, marked;
        const char* line;
    };
    const Case cases[] = {
        {5, 5, {}, {}, "mouse id: 100001"},  {5, 5, {100001}, {}, "mouse id: 100002"},
        {5, 5, {100002}, {100001}, "mouse id: "}, {45, 45, {}, {}, "mouse id: 100004"},
        {300, 300, {}, {}, "mouse id: "},
    };
    for (const Case& c : cases) {
        for (int32_t id = 100001; id <= 100007; ++id) Instance(id)->SetDeactivated(0), Instance(id)->SetMarked(0);
        for (int32_t id : c.deactivated) Instance(id)->SetDeactivated(1);
        for (int32_t id : c.marked) Instance(id)->SetMarked(1);
        DebugForm_MouseLineAt(m_Form, c.x, c.y, false);
        EXPECT_EQ(m_Form->status.mouse, c.line) << c.x << "," << c.y;
    }
    Instance(100001)->SetMarked(1);
    Instance(100002)->SetDeactivated(1);
    DebugWindow_FillInstances(m_Form);
    EXPECT_EQ(m_Form->records[DEBUG_WINDOW_INSTANCES].rows[0], (Rows{"100003", "100004", "100005", "100006", "100007"})) << "the deactivated are left out";
    EXPECT_FALSE(m_Form->records[DEBUG_WINDOW_FIRST_LOCALS].visible) << "a plain hover opens nothing";
    Instance(100002)->SetDeactivated(0);
    DebugForm_MouseLineAt(m_Form, 45, 5, true);
    const DebugWindowRecord& opened = m_Form->records[DEBUG_WINDOW_FIRST_LOCALS];
    EXPECT_TRUE(opened.visible);
    EXPECT_EQ(opened.caption, "Instance Var: obj_b (100003)");
}

TEST_F(DebugFormRoom, InstanceVariableWindowsByTextReuseAndOutliveTheirInstance)
{
    DebugWindow_FillGlobals(m_Form);
    const Rows& globals = m_Form->records[DEBUG_WINDOW_GLOBALS].rows[0];
    ASSERT_GE(globals.size(), 4u);
    EXPECT_EQ(globals[2], "mouse_button");
    EXPECT_EQ(globals[3], "mouse_button");

    const std::pair<const char*, int32_t> texts[] = {{"0", -1}, {"obj_none", -1}, {"obj_b", 100003}, {"100005", 100005}};
    for (const auto& [text, id] : texts) {
        EXPECT_EQ(DebugWindow_OpenLocalsByText(m_Form, text, -1), id >= 0) << text;
        int32_t record = DEBUG_WINDOW_FIRST_LOCALS + (id == 100005);
        if (id >= 0) {
            EXPECT_EQ(m_Form->records[record].instanceId, id) << text;
        }
    }
    // Six windows in use: a seventh instance takes the last one.
    for (int32_t id = 100001; id <= 100007; ++id) DebugWindow_OpenLocalsByText(m_Form, std::to_string(id).c_str(), -1);
    std::vector<int32_t> shown;
    for (int32_t i = DEBUG_WINDOW_FIRST_LOCALS; i < DEBUG_WINDOW_RECORDS; ++i) shown.push_back(m_Form->records[i].instanceId);
    EXPECT_EQ(shown, (std::vector<int32_t>{100003, 100005, 100001, 100002, 100004, 100007}));

    DebugWindowRecord& last = m_Form->records[DEBUG_WINDOW_RECORDS - 1];
    EXPECT_FALSE(last.rows[0].empty());
    Instance(100007)->SetMarked(1);
    DebugWindow_RefreshShown(m_Form);
    EXPECT_TRUE(last.rows[0].empty() && last.rows[1].empty());
    EXPECT_EQ(last.caption, "Instance Var: obj_a (100007)");
}

TEST_F(DebugFormRoom, StatusLinesCountTheLastFrame)
{
    g_BatchStatistics.textureSwitches = 3;
    g_BatchStatistics.drawCalls = 5;
    Profiler_StartFrame();
    g_BatchStatistics.textureSwitches = 9;
    const std::pair<double, const char*> rates[] = {{0.02, "FPS: 50"}, {0.0, "FPS: 0"}, {1e-300, "FPS: 1000000000"}};
    for (const auto& [seconds, line] : rates) {
        g_FrameTimer.seconds = seconds;
        DebugForm_UpdateStatusLines(m_Form);
        EXPECT_EQ(m_Form->status.fps, line);
    }
    EXPECT_EQ(m_Form->status.textureSwaps, "Num Tex Swaps: 3");
    EXPECT_EQ(m_Form->status.vertexBatches, "Num Vertex Batches: 5");
    EXPECT_EQ(m_Form->status.instances, "inst: 7");
}

TEST_F(DebugFormRoom, RunControlsActOnlyWhileTheGameRuns)
{
    g_DebugMode = 1; // Stop then leaves the game to the main loop
    struct Case {
        uint8_t running, paused;
        void (*control)();
        uint8_t runningAfter, pausedAfter;
        int32_t framesAdded;
    };
    const Case cases[] = {
        {1, 1, DebugForm_Step, 1, 1, 1}, {1, 0, DebugForm_Step, 1, 0, 0}, {0, 1, DebugForm_Step, 0, 1, 0},
        {1, 0, DebugForm_Pause, 1, 1, 0}, {1, 1, DebugForm_Run, 1, 0, 0}, {1, 1, DebugForm_Stop, 0, 0, 0},
        {0, 1, DebugForm_Stop, 0, 1, 0},
    };
    for (const Case& c : cases) {
        g_RunState = c.running;
        g_Paused = c.paused;
        int32_t frames = g_RoomFrameCounter;
        c.control();
        EXPECT_EQ(g_RunState, c.runningAfter);
        EXPECT_EQ(g_Paused, c.pausedAfter);
        EXPECT_EQ(g_RoomFrameCounter - frames, c.framesAdded);
    }
    g_RunState = 1;
    g_Paused = 1;
    DebugForm_Restart(m_Form);
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_RESTART);
    EXPECT_EQ(g_Paused, 0);
    EXPECT_EQ(m_Form->windowShown, 0);
    g_DebugMode = 0;
}

TEST_F(DebugFormRoom, DoubleClicksAndWheelTurns)
{
    DebugWindow_FillGlobals(m_Form);
    Instance(100001)->SetDeactivated(1);
    DebugWindow_FillInstances(m_Form);
    DebugWindow_DoubleClick(m_Form, DEBUG_WINDOW_GLOBALS, 0);
    DebugWindow_DoubleClick(m_Form, DEBUG_WINDOW_GLOBALS, 999);
    DebugWindow_DoubleClick(m_Form, DEBUG_WINDOW_INSTANCES, 1); // the second live instance
    const DebugWindowRecord& locals = m_Form->records[DEBUG_WINDOW_FIRST_LOCALS];
    EXPECT_EQ(locals.instanceId, 100003);
    DebugWindow_DoubleClick(m_Form, DEBUG_WINDOW_FIRST_LOCALS, 0);
    ASSERT_EQ(m_Form->watches.size(), 2u);
    EXPECT_EQ(m_Form->watches[0].expression, "mouse_x");
    EXPECT_EQ(m_Form->watches[1].expression, "(100003).x");

    // Information windows: forward goes up.
    DebugWindowRecord& instances = m_Form->records[DEBUG_WINDOW_INSTANCES];
    instances.selectedRow = 0;
    const std::pair<int32_t, int32_t> turns[] = {{120, 0}, {-120, 1}, {-120, 2}, {120, 1}};
    for (const auto& [delta, row] : turns) {
        DebugWindow_Wheel(m_Form, DEBUG_WINDOW_INSTANCES, delta);
        EXPECT_EQ(instances.selectedRow, row) << delta;
    }
    // Messages: the first selected row moves, never past the last row.
    g_pDebugForm = m_Form;
    for (const char* line : {"a", "b", "c"}) DebugForm_Output(line);
    g_pDebugForm = nullptr;
    m_Form->messageSelected = {0, 1, 1};
    const std::pair<int32_t, std::vector<uint8_t>> moves[] = {
        {-120, {0, 0, 1}}, {-120, {0, 0, 1}}, {120, {0, 1, 0}}, {120, {1, 0, 0}}, {120, {1, 0, 0}}};
    for (const auto& [delta, selection] : moves) {
        DebugWindow_Wheel(m_Form, DEBUG_WINDOW_MESSAGES, delta);
        EXPECT_EQ(m_Form->messageSelected, selection) << delta;
    }
}

TEST(DebugFormPlace, TheFormOpensBesideTheGameWindowAndCoversItOnlyWhereNothingElseHasRoom)
{
    const DebugRect desktop{0, 0, 1920, 1080}, small{0, 0, 1280, 800};
    // The desktop, the game window, the form's size; where the form's corner goes, and whether the
    // game stays uncovered.
    const struct {
        const char* what;
        DebugRect desktop, game;
        int32_t width, height, x, y;
        bool clear;
    } cases[] = {
        {"centred game: to its right", desktop, {640, 300, 1280, 780}, 580, 560, 1288, 300, true},
        {"room only on the left", desktop, {1000, 100, 1640, 580}, 580, 560, 412, 100, true},
        {"exactly room on the right", desktop, {0, 0, 1332, 480}, 580, 560, 1340, 0, true},
        {"a low game: its top raised onto the desktop", desktop, {100, 900, 740, 1060}, 580, 560, 748, 520, true},
        {"a game above the desktop's top", desktop, {100, -50, 740, 430}, 580, 560, 748, 0, true},
        {"a wide game: below it", small, {0, 0, 1280, 200}, 580, 560, 0, 208, true},
        {"a wide game low on the screen: above it", small, {100, 600, 1200, 800}, 580, 560, 100, 32, true},
        // No room on any side: the corner of the screen that hides the least of the game.
        {"a 640 x 480 game centred on 1280 x 800", small, {320, 130, 960, 640}, 580, 560, 700, 240, false},
        {"a game filling the screen", small, {0, 0, 1280, 800}, 580, 560, 700, 0, false},
        {"a game on the left, high", desktop, {100, 0, 1700, 900}, 580, 560, 1340, 520, false},
        {"a form larger than the desktop", desktop, {100, 0, 740, 480}, 2000, 1200, 0, 0, false},
    };
    for (const auto& c : cases) {
        int32_t x = -1, y = -1;
        bool clear = DebugForm_PlaceBeside(c.game, c.width, c.height, c.desktop, x, y);
        EXPECT_EQ(std::tuple(c.x, c.y, c.clear), std::tuple(x, y, clear)) << c.what;
        // The whole form is on the desktop whenever it fits there.
        bool fits = c.width <= c.desktop.right - c.desktop.left && c.height <= c.desktop.bottom - c.desktop.top;
        bool inside = x >= c.desktop.left && y >= c.desktop.top && x + c.width <= c.desktop.right &&
                      y + c.height <= c.desktop.bottom;
        EXPECT_TRUE(inside || !fits) << c.what;
    }
    // A desktop that does not begin at the origin (a second display).
    int32_t x = -1, y = -1;
    EXPECT_TRUE(DebugForm_PlaceBeside({2000, 100, 2640, 580}, 580, 560, {1920, 0, 3840, 1080}, x, y));
    EXPECT_EQ(std::pair(2648, 100), std::pair(x, y));
}

TEST(DebugFormPlace, TheGameMovesTheLeastThatLeavesTheFormRoomBesideIt)
{
    const DebugRect small{0, 0, 1280, 800}, second{1920, 0, 3200, 800};
    // The desktop, the game window, the form's size; where the game's corner moves, if anywhere.
    const struct {
        const char* what;
        DebugRect desktop, game;
        int32_t width, height;
        bool moves;
        int32_t x, y;
    } cases[] = {
        {"centred on 1280 x 800: left, the form on its right", small, {320, 160, 960, 640}, 580, 560, true, 52, 160},
        {"nearer the right edge: right, the form on its left", small, {400, 160, 1040, 640}, 580, 560, true, 588, 160},
        {"a second display", second, {2240, 160, 2880, 640}, 580, 560, true, 1972, 160},
        {"wide and short: up, the form below", small, {100, 100, 1200, 300}, 580, 560, true, 100, 32},
        {"wide and short, low: down, the form above", small, {100, 500, 1200, 700}, 580, 560, true, 100, 568},
        {"the game as large as the screen", small, {0, 0, 1280, 800}, 580, 560, false, -1, -1},
        {"a form taller than the desktop", small, {320, 160, 960, 640}, 580, 900, false, -1, -1},
        {"no side with room enough", small, {300, 100, 1000, 600}, 580, 560, false, -1, -1},
    };
    for (const auto& c : cases) {
        int32_t x = -1, y = -1;
        bool moves = DebugForm_MakeRoom(c.game, c.width, c.height, c.desktop, x, y);
        EXPECT_EQ(std::tuple(c.moves, c.x, c.y), std::tuple(moves, x, y)) << c.what;
        if (!c.moves) continue;
        // Where the game went, the form finds its place wholly beside it.
        DebugRect moved{x, y, x + c.game.right - c.game.left, y + c.game.bottom - c.game.top};
        EXPECT_TRUE(DebugForm_PlaceBeside(moved, c.width, c.height, c.desktop, x, y)) << c.what;
    }
}
