#include "variable/Variable_Global.h"

#include <vector>

#include "buffer/Buffer_IBuffer.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

CVariableList* g_pGlobals = nullptr;
// Indexed by identifier - 100000: 1 when the name was declared globalvar.
std::vector<uint8_t> g_GlobalVarFlags;

bool WriteInt32(IBuffer* buffer, int32_t number)
{
    return buffer->WriteNumber(eBuffer_S32, number) == 0;
}

} // namespace

CVariableList* Variable_GlobalList()
{
    if (g_pGlobals == nullptr) g_pGlobals = new CVariableList();
    return g_pGlobals;
}

bool Variable_GetGlobal(int32_t id, int32_t index, ScriptValue* out)
{
    return Variable_GlobalList()->GetVar(id, index, out);
}

void Variable_SetGlobal(int32_t id, int32_t index, const ScriptValue* value)
{
    Variable_GlobalList()->SetVar(id, index, value);
}

bool Variable_IsGlobalVar(int32_t id)
{
    int64_t slot = static_cast<int64_t>(id) - VARIABLE_USER_BASE;
    return slot >= 0 && slot < static_cast<int64_t>(g_GlobalVarFlags.size()) && g_GlobalVarFlags[slot] != 0;
}

void Variable_DeclareGlobalVar(int32_t id)
{
    if (id < VARIABLE_USER_BASE) return;
    size_t slot = static_cast<size_t>(id - VARIABLE_USER_BASE);
    if (slot >= g_GlobalVarFlags.size()) g_GlobalVarFlags.resize(slot + 1, 0);
    g_GlobalVarFlags[slot] = 1;
    ++g_VariableGeneration;
    Variable_GlobalList()->Declare(id);
}

int32_t Variable_GlobalVarFlagCount() { return static_cast<int32_t>(g_GlobalVarFlags.size()); }

void Variable_Init()
{
    delete g_pGlobals;
    g_pGlobals = new CVariableList();
    g_GlobalVarFlags.assign(GLOBALVAR_INITIAL_FLAGS, 0);
    ++g_VariableGeneration;
}

bool Variable_SaveGame(IBuffer* buffer)
{
    if (!Variable_GlobalList()->Serialise(buffer)) return false;
    if (!WriteInt32(buffer, Variable_GlobalVarFlagCount())) return false;
    for (uint8_t flag : g_GlobalVarFlags) {
        if (!WriteInt32(buffer, flag)) return false;
    }
    return true;
}

StagedGlobals::~StagedGlobals() { delete list; }

bool Variable_ReadGlobals(IBuffer* buffer, StagedGlobals* staged)
{
    delete staged->list;
    staged->list = new CVariableList();
    if (!staged->list->LoadFromStream(buffer, true)) return false;
    ValueStreamReader reader(buffer);
    int32_t count = 0;
    if (!reader.ReadInt32(&count) || !reader.CanHold(count, 4)) return false;
    staged->flags.assign(static_cast<size_t>(count), 0);
    for (uint8_t& flag : staged->flags) {
        int32_t value = 0;
        if (!reader.ReadInt32(&value)) return false;
        flag = value != 0 ? 1 : 0;
    }
    return true;
}

void Variable_CommitGlobals(StagedGlobals* staged)
{
    if (staged->list == nullptr) return;
    // The list object stays: others may hold its address.
    Variable_GlobalList()->CopyFrom(*staged->list);
    delete staged->list;
    staged->list = nullptr;
    g_GlobalVarFlags.swap(staged->flags);
    ++g_VariableGeneration;
}

bool Variable_LoadGame(IBuffer* buffer)
{
    StagedGlobals staged;
    if (!Variable_ReadGlobals(buffer, &staged)) return false;
    Variable_CommitGlobals(&staged);
    return true;
}

void Variable_Shutdown()
{
    Variable_BuiltIn_FreeNames();
    delete g_pGlobals;
    g_pGlobals = nullptr;
    g_GlobalVarFlags.clear();
    g_GlobalVarFlags.shrink_to_fit();
    ++g_VariableGeneration;
}
