// Scripts: the game's named, callable units of code, read from the scripts chunk ("SCPT"). A script
// is compiled bytecode (a code index) when the game carries a code chunk, otherwise source text
// compiled while the game is prepared. Compiled code calls script i as callable 100000 + i.
#pragma once

#include <cstdint>

class CCode;
class CInstance;
class GameFile;
struct ScriptValue;

class CScript {
public:
    CScript() = default;
    virtual ~CScript();
    CScript(const CScript&) = delete;
    CScript& operator=(const CScript&) = delete;

    // Makes the code object: from the code index (compiled games), or from the text compiled as
    // "Script.<name>". True on success; a compile error stays in the error text.
    bool Compile();
    CCode* GetCode() const { return m_pCode; }
    // The source text; "" when there is none (always so for compiled games).
    const char* GetText() const { return m_pText != nullptr ? m_pText : ""; }
    void SetText(const char* text);

    CCode* m_pCode = nullptr;     // owned; null until prepared
    char* m_pText = nullptr;       // owned copy of the source text
    int32_t m_CodeIndex = -1;      // compiled games
    const char* m_pName = nullptr; // in the game file image
};

// The scripts chunk. False, with a log line, when a record, its name or its text lies outside the
// file. Every earlier script is deleted first.
bool Script_Load(GameFile& file, uint32_t body, uint32_t length);
// Compiles every script in index order, skipping holes; the first failure is reported as
// "COMPILATION ERROR in Script: ..." (fatal) and gives false.
bool Script_Prepare();

int32_t Script_Count();
bool Script_Exists(int32_t index);
CScript* Script_Get(int32_t index);
// The script's code object; null for a bad index, a hole or a script not prepared.
CCode* Script_GetCode(int32_t index);
// The table's copy of the name, or "<undefined>" for a bad index or a hole.
const char* Script_Name(int32_t index);
// The lowest index of a script of exactly that name, or -1.
int32_t Script_Find(const char* name);

// Runs script `index` for self and other with `count` arguments (at most 16 are installed; the other
// slots read real 0) into `result`. The caller's 16 argument slots are restored afterwards, also when
// the script fails; a failure prefixes the error text with "In script <name>:\n". False for a bad
// index, a hole, a script not prepared or a failed run. argument_count is left alone.
bool Script_Run(int32_t index, CInstance* self, CInstance* other, int32_t count, ScriptValue* result,
                const ScriptValue* arguments);

// Adds a script at the end of the table (tests, and the loader). The table takes the script.
int32_t Script_Append(CScript* script, const char* name);

// Deletes every script and empties the table (before a game file is read).
void Script_Reset();
// The same, and frees the arrays (shut-down).
void Script_Clear();
