// Code objects: one unit of script code (an event's action, a script, a time-line moment, creation
// code, or text given to the run-time execution functions), made from source text and compiled, or
// made around bytecode loaded with the game file.
#pragma once

#include <cstdint>
#include <vector>

#include "code/Code_Emitter.h"
#include "code/Code_Tree.h"
#include "code/Code_Value.h"

class GameFile;

enum : int32_t {
    CODE_KIND_PROGRAM = 1,
    CODE_KIND_EXPRESSION = 2,
    CODE_KIND_CONSTANT = 3, // an expression that folded to a constant
};

class CCode {
public:
    // Over source text, which the caller keeps alive; not compiled yet.
    CCode(const char* text, bool isExpression);
    // Over the bytecode of the code chunk's entry `codeIndex`; compiled from the start. An index
    // outside the entries gives a code object that runs nothing.
    static CCode* CCode_Compiled(int32_t codeIndex, bool isExpression);
    virtual ~CCode();

    CCode(const CCode&) = delete;
    CCode& operator=(const CCode&) = delete;

    bool Compile(const char* name);
    const char* GetText() const { return m_pText != nullptr ? m_pText : ""; }
    const char* GetName() const { return m_pName != nullptr ? m_pName : ""; }
    void SetName(const char* name);

    CCode* m_pNext = nullptr;  // the loaded-code list
    int32_t m_Kind = CODE_KIND_PROGRAM;
    uint32_t m_Compiled = 0;
    const char* m_pText = nullptr;     // not owned
    CodeNode m_Tree;                   // the compiled tree (empty for loaded code)
    ScriptValue m_Constant;            // kind 3: the expression's value
    VMBuffer* m_pCode = nullptr;       // the bytecode, or none
    VMBuffer* m_pDebugInfo = nullptr;  // pairs {code offset, source position}, or none
    char* m_pTextCopy = nullptr;       // owned; kept for the debugger when bytecode is generated
    char* m_pName = nullptr;           // owned
    int32_t m_CodeIndex = -1;
    uint32_t m_Address = 0;            // text code's debugger address range, 0 when it has none
    uint32_t m_MadeFromText = 1;

private:
    CCode();
};

// Compiles a program as Compile does, except that a program of one call statement gives the call's
// value when run (the debugger's evaluations: "abs(-3)" answers 3, "x = 5" still assigns).
bool Code_CompileForValue(CCode* code, const char* name);

// Every code object made from loaded bytecode with a code index of 0 or more, newest first.
extern CCode* g_pLoadedCodeHead;
extern int32_t g_LoadedCodeCount;

// One entry of the code chunk: its name and its bytecode inside the game file image.
struct CodeEntry {
    const char* name = nullptr;
    const uint8_t* words = nullptr;
    int32_t length = 0;
};

// The code chunk's entries, as the code chunk reader registers them. Each entry is checked on the
// way in: bytecode that would make the interpreter leave its code or the string table is refused
// (logged, naming the entry) and the add answers false, so the reader can fail the load.
void Code_ClearEntries();
bool Code_AddEntry(const char* name, const uint8_t* words, int32_t length);
int32_t Code_EntryCount();
const CodeEntry* Code_GetEntry(int32_t index);

// The game's string table ("STRG"), which the string operands of loaded code index. It must be set
// before the code entries are added; the texts stay owned by the game file image.
void Code_SetGameStrings(const char* const* texts, uint32_t count);
// The same from the string table the pre-pass read out of `file` ("STRG").
void Code_LoadGameStrings(const GameFile& file);
const VMStringTable* Code_GameStrings();

// The debug-information file's tables for code entry `index`: its source text and its line table
// (`pairCount` pairs of 32-bit words {code offset, source position}). Both stay owned by the debug
// file's image.
void Code_ClearDebugInfo();
void Code_SetDebugSource(int32_t index, const char* text);
void Code_SetDebugLines(int32_t index, const uint8_t* pairs, int32_t pairCount);

// Readers of the debug-information file's chunks ("DBGI" line tables, "SCPT" source texts), one
// table per code entry. A line table's count is the number of 32-bit words in it, two per pair: the
// table is read as count / 2 pairs, never past its entry or the chunk. False, with a log line, when
// the chunk's count table is malformed.
bool DebugInfo_LoadLines(const GameFile& file, uint32_t body, uint32_t length);
bool DebugInfo_LoadSources(const GameFile& file, uint32_t body, uint32_t length);
