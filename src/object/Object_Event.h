// One event handler of an object: the code of the event's first action, made from the game file's
// action record (a code index when the game carries compiled code, otherwise source text compiled
// while the game is prepared).
#pragma once

#include <cstdint>

class CCode;
class CInstance;
class GameFileEntry;
struct ScriptValue;
struct VMPreparedRun;

// What an action record holds, by 32-bit word.
constexpr uint32_t ACTION_WORD_CODE_INDEX = 8;
constexpr uint32_t ACTION_WORD_SOURCE = 15;
constexpr uint32_t ACTION_RECORD_SIZE = 64;

class CEvent {
public:
    CEvent() = default;
    virtual ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    // Reads the event entry at `entry` (subtype, action count, offset of the first action record):
    // compiled mode takes the action's code index, source mode its text. An entry without an
    // action leaves the event absent. False when the entry or the action record lies outside the
    // file or the text has no terminator, refused as part of `owner` (the object or time line).
    bool LoadFromStream(const GameFileEntry& owner, uint32_t entry);
    // Source mode: compiles the code under "Object.<object>.<event>.<action>" from the current
    // event; a failure is reported as a fatal action error. Compiled code: true at once.
    bool Compile();
    // Runs the code for self and other through the reporting entry point.
    bool Execute(CInstance* self, CInstance* other);

    // Gives the event code made elsewhere (run-time event changes, tests); the event owns it.
    void SetCode(CCode* code, const char* text);

    // The bytecode's run prepared once and kept with the code, for performing the event straight
    // (Run_Event.cpp); null while the code has no bytecode program.
    VMPreparedRun* PreparedRun() { return m_pPrepared != nullptr ? m_pPrepared : Prepare(); }

    CCode* m_pCode = nullptr;     // owned
    const char* m_pText = nullptr; // the source text (in the game file), "" for compiled code

private:
    void FreeCode();
    // PreparedRun's first call for the code.
    VMPreparedRun* Prepare();

    VMPreparedRun* m_pPrepared = nullptr; // owned; made for m_pCode by PreparedRun
};
