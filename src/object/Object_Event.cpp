#include "object/Object_Event.h"

#include <cstdio>
#include <string>

#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "code/Code_Value.h"
#include "function/Function_Families.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_View.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "run/Run_Event.h"
#include "run/Run_EventNames.h"

namespace {

constexpr size_t MESSAGE_AREA = 1024;

} // namespace

CEvent::~CEvent() { FreeCode(); }

void CEvent::FreeCode()
{
    // Whether the event counts as present may change.
    Object_EventsChanged();
    if (m_pPrepared != nullptr) VM_FreePrepared(m_pPrepared);
    m_pPrepared = nullptr;
    delete m_pCode;
    m_pCode = nullptr;
    m_pText = nullptr;
}

void CEvent::SetCode(CCode* code, const char* text)
{
    FreeCode();
    m_pCode = code;
    m_pText = text;
    Object_EventsChanged();
}

bool CEvent::LoadFromStream(const GameFileEntry& owner, uint32_t entry)
{
    FreeCode();
    const GameFile& file = owner.File();
    // Worded only for a refusal: a game reads thousands of events.
    auto ofEvent = [entry](const char* part) {
        return std::string(part) + " of its event (entry at file offset " + std::to_string(entry) + ")";
    };
    uint32_t action = 0;
    if (!owner.Holds("its event", entry, 12)) return false;
    file.U32(entry + 8, action);
    if (action == 0) return true; // no action: the event stays absent
    if (!file.Contains(action, ACTION_RECORD_SIZE))
        return owner.Holds(ofEvent("the action"), action, ACTION_RECORD_SIZE);
    if (g_CompiledCode) {
        uint32_t codeIndex = 0;
        file.U32(action + 4 * ACTION_WORD_CODE_INDEX, codeIndex);
        SetCode(CCode::CCode_Compiled(static_cast<int32_t>(codeIndex), false), "");
        return true;
    }
    uint32_t source = 0;
    const char* text = nullptr;
    file.U32(action + 4 * ACTION_WORD_SOURCE, source);
    if (!file.String(source, text)) return owner.String(ofEvent("the code"), source, text);
    if (text != nullptr) SetCode(new CCode(text, false), text);
    return true;
}

bool CEvent::Compile()
{
    if (g_CompiledCode || m_pCode == nullptr || m_pCode->m_Compiled) return true;
    char name[MESSAGE_AREA];
    std::snprintf(name, sizeof name, "Object.%s.%s.%d", Object_Name(g_CurrentEventObject),
                  Event_GetShortName(g_CurrentEventType, g_CurrentEventNumber), g_CurrentActionNumber);
    if (m_pCode->Compile(name)) return true;
    char message[MESSAGE_AREA] = {};
    std::snprintf(message, sizeof message, "COMPILATION ERROR in code action\n%s", g_CodeErrorText.c_str());
    Error_Show_Action(message, true);
    return false;
}

bool CEvent::Execute(CInstance* self, CInstance* other)
{
    if (m_pCode == nullptr) return true;
    uint8_t relative = Action_Relative;
    Action_Relative = 0;
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    bool done = Code_Execute_Report(self, other, m_pCode, &result);
    Value_Free(&result);
    Action_Relative = relative;
    return done;
}

VMPreparedRun* CEvent::Prepare()
{
    // Source code gets its bytecode when the game is prepared: until then there is nothing to keep.
    if (m_pCode == nullptr || m_pCode->m_Kind != CODE_KIND_PROGRAM || m_pCode->m_pCode == nullptr) return nullptr;
    m_pPrepared = VM_PrepareRun(m_pCode->GetName(), m_pCode->m_pCode, m_pCode->m_pDebugInfo, m_pCode->GetText());
    return m_pPrepared;
}
