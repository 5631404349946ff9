// What the room tests share: a few built-in functions through which game code reports what it sees
// and asks for room changes, games built with the builder and loaded through both chunk passes, and
// a game played in this process through the real main loop with the event trace switched on.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../gamefile/GameFileTestSupport.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Value.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "instance/Instance_List.h"
#include "object/Object_Class.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "platform/Platform_TestSwitches.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "script/Script_Table.h"
#include "variable/Variable_Global.h"

namespace roomtest {

// What test_note() was called with, one line per call: the calling instance's id, then each
// argument (texts as they are, numbers in %g).
inline std::vector<std::string>& Notes()
{
    static std::vector<std::string> notes;
    return notes;
}

inline void Note(ScriptValue*, CInstance* self, CInstance*, int32_t argc, ScriptValue* args)
{
    std::string line = std::to_string(self != nullptr ? self->GetId() : -4);
    for (int32_t i = 0; i < argc; ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "%g", args[i].real);
        line += " ";
        line += Value_GetKind(&args[i]) == VALUE_STRING ? Value_GetText(&args[i]) : number;
    }
    Notes().push_back(line);
}

// test_goto(room): the run request room_goto leaves.
inline void Goto(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc > 0) g_RunRequest = static_cast<int32_t>(args[0].real);
}

// test_mark(): marks self for deletion, as instance_destroy does.
inline void Mark(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self != nullptr) self->SetMarked(1);
}

// test_deactivate(): deactivates self, as instance_deactivate_object does; the lists follow later.
inline void Deactivate(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self != nullptr) self->SetDeactivated(1);
    g_InstanceActivationChanged = 1;
}

inline void RegisterFunctions()
{
    // By name, not once per process: a test that frees the function table takes these rows with it.
    int32_t id = -1;
    if (Code_Function_Find("test_note", &id)) return;
    Function_Add("test_note", Note, -1);
    Function_Add("test_goto", Goto, 1);
    Function_Add("test_mark", Mark, 0);
    Function_Add("test_deactivate", Deactivate, 0);
}

inline gamebuild::EventDesc Event(int32_t type, int32_t subtype, const std::string& source)
{
    gamebuild::EventDesc event;
    event.type = type;
    event.subtype = subtype;
    event.code.source = source;
    return event;
}

inline gamebuild::ObjectDesc Object(const std::string& name, int32_t depth = 0, bool persistent = false)
{
    gamebuild::ObjectDesc object;
    object.name = name;
    object.depth = depth;
    object.persistent = persistent;
    return object;
}

inline gamebuild::RoomInstanceDesc Placed(int32_t object, int32_t x = 0, int32_t y = 0, const std::string& code = "")
{
    gamebuild::RoomInstanceDesc instance;
    instance.object = object;
    instance.x = x;
    instance.y = y;
    instance.hasCode = !code.empty();
    instance.code.source = code;
    return instance;
}

inline gamebuild::RoomDesc Room(const std::string& name, std::vector<gamebuild::RoomInstanceDesc> instances = {})
{
    gamebuild::RoomDesc room;
    room.name = name;
    room.instances = std::move(instances);
    return room;
}

// The ids of a list from head to tail; a backward walk or a count that disagrees is a failure.
inline std::vector<int32_t> ListIds(const CInstanceList& list)
{
    std::vector<int32_t> forward, backward;
    for (CInstance* at = list.m_pHead; at != nullptr && forward.size() <= 1000; at = at->m_pNext)
        forward.push_back(at->GetId());
    for (CInstance* at = list.m_pTail; at != nullptr && backward.size() <= 1000; at = at->m_pPrev)
        backward.insert(backward.begin(), at->GetId());
    EXPECT_EQ(forward, backward) << "the links disagree";
    EXPECT_EQ(static_cast<int32_t>(forward.size()), list.m_Count) << "the count disagrees";
    return forward;
}

// Fields of different types as one list, so that a record is compared in one line.
template <typename... T> std::vector<double> Reals(T... values) { return {static_cast<double>(values)...}; }

// Points the script console at another console while it lives.
struct ScriptConsoleInto {
    explicit ScriptConsoleInto(tagIConsole* console) : previous(ScriptConsole) { ScriptConsole = console; }
    ~ScriptConsoleInto() { ScriptConsole = previous; }
    ScriptConsoleInto(const ScriptConsoleInto&) = delete;
    ScriptConsoleInto& operator=(const ScriptConsoleInto&) = delete;
    tagIConsole* previous;
};

// A clean run state; the tables of objects, scripts and rooms empty.
class RoomTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterFunctions();
        Notes().clear();
        ResetTables();
        GameHeader_Clear();
        g_GameOptions = GameOptions();
        g_GameOptions.showErrors = false;
        g_CompiledCode = false;
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorQuitting = false;
        g_ErrorLast.clear();
        g_EventDepth = 0;
        g_InstanceIdCounter = 100000;
        g_TileIdCounter = 10000000;
        Variable_Init();
    }
    void TearDown() override
    {
        Run_EndGame();
        Run_FreeCarriedInstances();
        ResetTables();
        g_RunRequest = RUN_REQUEST_NONE;
        g_RunState = 0;
        g_ErrorQuitting = false;
    }

    static void ResetTables()
    {
        RoomTables_Reset();
        Script_Reset();
        Object_ResetTable();
        ObjectLists_Free();
        g_InstanceDepthChanges.Clear();
        g_InstanceObjectChanges.Clear();
    }

    // Both chunk passes over the bytes; false when the main pass refused the file.
    bool Load(const std::vector<uint8_t>& bytes) { return LoadBothPasses(m_File, bytes); }

    bool Load(const gamebuild::GameDesc& game) { return Load(BuildBytes(game)); }

    // The file offset of room `index`'s record in the built bytes.
    static uint32_t RoomRecord(const std::vector<uint8_t>& bytes, uint32_t index)
    {
        return ChunkRecord(bytes, "ROOM", index);
    }

    GameFile m_File;
    // The main console's lines and the script console's (errors of game code) together.
    CapturedLog m_Log;
    ScriptConsoleInto m_ScriptLines{&m_Log};
};

// A game played in this process: loaded, prepared and started by the main loop, the event trace
// written to a file of this test's own.
class PlayedGameTest : public RoomTest {
protected:
    void SetUp() override
    {
        RoomTest::SetUp();
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "_" + test->name() + "_" + std::to_string(getpid());
        for (char& c : name)
            if (c == '/') c = '_';
        m_TracePath = (std::filesystem::temp_directory_path() / ("kelvaro_room_trace_" + name + ".txt")).string();
        setenv("KELVARO_TRACE", m_TracePath.c_str(), 1);
        setenv("KELVARO_NO_WAIT", "1", 1);
        setenv("KELVARO_HEADLESS", "1", 1);
        unsetenv("KELVARO_MAX_FRAMES");
        TestSwitches_Reload();
    }
    void TearDown() override
    {
        RoomTest::TearDown();
        EventTrace_Close();
        unsetenv("KELVARO_TRACE");
        unsetenv("KELVARO_NO_WAIT");
        unsetenv("KELVARO_HEADLESS");
        TestSwitches_Reload();
        std::filesystem::remove(m_TracePath);
    }

    // Loads and prepares the game, then starts it as start-up does; false when it did not load.
    bool Play(const gamebuild::GameDesc& game)
    {
        if (!Load(game)) return false;
        EXPECT_TRUE(Script_Prepare()) << g_ErrorLast;
        EXPECT_TRUE(Object_Prepare()) << g_ErrorLast;
        m_Prepared = Room_Prepare();
        Run_Start();
        return true;
    }

    static void Tick(int32_t count = 1)
    {
        for (int32_t i = 0; i < count && g_RunState == 1; ++i) Run_MainLoopTick();
    }

    // The trace's lines as "instance object type subtype" (the frame dropped).
    std::vector<std::string> Trace() const
    {
        std::vector<std::string> lines;
        std::ifstream in(m_TracePath);
        for (std::string line; std::getline(in, line);) {
            std::string text;
            size_t tab = line.find('\t');
            if (tab != std::string::npos) line = line.substr(tab + 1);
            for (char c : line) text += c == '\t' ? ' ' : c;
            lines.push_back(text);
        }
        return lines;
    }

    // The notes made since the last call.
    static std::vector<std::string> TakeNotes()
    {
        std::vector<std::string> notes = Notes();
        Notes().clear();
        return notes;
    }

    std::string m_TracePath;
    bool m_Prepared = false;
};

} // namespace roomtest
