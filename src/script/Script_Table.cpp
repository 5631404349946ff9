#include "script/Script_Table.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "base/Base_Text.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "code/Code_Value.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"

namespace {

const char* const UNDEFINED = "<undefined>";

std::vector<CScript*> g_Scripts;
std::vector<char*> g_ScriptNames; // the table's own copies
// Name to the lowest index of a script of that name: the compiler asks for every name it resolves.
// Scripts only come in rising index order and leave all at once, so the first one entered stays.
std::unordered_map<std::string, int32_t> g_ScriptsByName;

void DeleteAll()
{
    for (CScript* script : g_Scripts) delete script;
    for (char* name : g_ScriptNames) MemoryManager::Free(name);
    g_Scripts.clear();
    g_ScriptNames.clear();
    g_ScriptsByName.clear();
}

// A hole or a nameless script is never found by name.
void IndexName(size_t index)
{
    if (g_Scripts[index] != nullptr && g_ScriptNames[index] != nullptr)
        g_ScriptsByName.emplace(g_ScriptNames[index], static_cast<int32_t>(index));
}

// One script record: the name's offset, then the text's offset (source) or the code index.
bool ReadScript(const GameFile& file, uint32_t index, uint32_t record)
{
    GameFileEntry entry(file, "SCPT", "script " + std::to_string(index), record);
    uint32_t nameOffset = 0, second = 0;
    const char* name = nullptr;
    if (!entry.Holds("its record", record, 8)) return false;
    file.U32(record, nameOffset);
    file.U32(record + 4, second);
    if (!entry.String("its name", nameOffset, name)) return false;
    CScript* script = new CScript();
    script->m_pName = name;
    g_Scripts[index] = script;
    g_ScriptNames[index] = String_Copy(name);
    IndexName(index);
    if (g_CompiledCode) {
        script->m_CodeIndex = static_cast<int32_t>(second);
        return true;
    }
    const char* text = nullptr;
    if (!entry.String("its text", second, text)) return false;
    script->SetText(text);
    return true;
}

} // namespace

CScript::~CScript()
{
    delete m_pCode;
    MemoryManager::Free(m_pText);
}

void CScript::SetText(const char* text)
{
    MemoryManager::Free(m_pText);
    m_pText = String_Copy(text);
}

bool CScript::Compile()
{
    delete m_pCode;
    if (g_CompiledCode) {
        m_pCode = CCode::CCode_Compiled(m_CodeIndex, false);
        return true;
    }
    m_pCode = new CCode(GetText(), false);
    // The whole name, however long: errors and the debugger name the code by it.
    std::string name = std::string("Script.") + (m_pName != nullptr ? m_pName : "");
    return m_pCode->Compile(name.c_str());
}

bool Script_Load(GameFile& file, uint32_t body, uint32_t length)
{
    DeleteAll();
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "SCPT", body, length, table)) return false;
    g_Scripts.assign(table.count, nullptr);
    g_ScriptNames.assign(table.count, nullptr);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t record = table.Entry(file, i);
        if (record != 0 && !ReadScript(file, i, record)) return false;
    }
    return true;
}

bool Script_Prepare()
{
    for (size_t i = 0; i < g_Scripts.size(); ++i) {
        CScript* script = g_Scripts[i];
        if (script == nullptr || script->Compile()) continue;
        std::string text =
            "COMPILATION ERROR in Script: " + Text_Printable(Script_Name(static_cast<int32_t>(i))) + "\n" +
            g_CodeErrorText;
        Error_Show(text.c_str(), true);
        return false;
    }
    return true;
}

int32_t Script_Count() { return static_cast<int32_t>(g_Scripts.size()); }

bool Script_Exists(int32_t index) { return Script_Get(index) != nullptr; }

CScript* Script_Get(int32_t index)
{
    if (index < 0 || index >= Script_Count()) return nullptr;
    return g_Scripts[static_cast<size_t>(index)];
}

CCode* Script_GetCode(int32_t index)
{
    CScript* script = Script_Get(index);
    return script != nullptr ? script->GetCode() : nullptr;
}

const char* Script_Name(int32_t index)
{
    if (!Script_Exists(index)) return UNDEFINED;
    const char* name = g_ScriptNames[static_cast<size_t>(index)];
    return name != nullptr ? name : "";
}

int32_t Script_Find(const char* name)
{
    if (name == nullptr) return -1;
    auto found = g_ScriptsByName.find(name);
    return found != g_ScriptsByName.end() ? found->second : -1;
}

bool Script_Run(int32_t index, CInstance* self, CInstance* other, int32_t count, ScriptValue* result,
                const ScriptValue* arguments)
{
    CScript* script = Script_Get(index);
    if (script == nullptr || script->GetCode() == nullptr) return false;

    ScriptValue saved[SCRIPT_ARGUMENT_COUNT];
    for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i) {
        saved[i] = ScriptValue{VALUE_REAL, 0, 0.0};
        Value_Copy(&saved[i], &g_ScriptArguments[i]);
    }
    int32_t installed = count < 0 ? 0 : (count > SCRIPT_ARGUMENT_COUNT ? SCRIPT_ARGUMENT_COUNT : count);
    for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i) {
        if (i < installed) Value_Copy(&g_ScriptArguments[i], &arguments[i]);
        else Value_SetReal(&g_ScriptArguments[i], 0.0);
    }

    static int32_t depth = 0;
    ++depth;
    bool done = Code_Execute_Value(self, other, script->GetCode(), result);
    if (!done) Code_Error_NoteFailedLevel("In script ", Script_Name(index));
    if (--depth == 0) Code_Error_FoldFailedLevels();

    for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i) {
        Value_Copy(&g_ScriptArguments[i], &saved[i]);
        Value_Free(&saved[i]);
    }
    return done;
}

int32_t Script_Append(CScript* script, const char* name)
{
    g_Scripts.push_back(script);
    g_ScriptNames.push_back(String_Copy(name));
    if (script != nullptr && script->m_pName == nullptr) script->m_pName = g_ScriptNames.back();
    IndexName(g_Scripts.size() - 1);
    return Script_Count() - 1;
}

void Script_Reset() { DeleteAll(); }

void Script_Clear()
{
    DeleteAll();
    g_Scripts.shrink_to_fit();
    g_ScriptNames.shrink_to_fit();
}
