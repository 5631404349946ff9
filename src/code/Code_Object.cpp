#include "code/Code_Object.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstring>
#include <string>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Checker.h"
#include "gamefile/GameFile_Strings.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"

CCode* g_pLoadedCodeHead = nullptr;
int32_t g_LoadedCodeCount = 0;

namespace {

std::vector<CodeEntry> g_CodeEntries;
VMStringTable g_GameStrings;
std::vector<const char*> g_GameStringTexts;

struct DebugSlot {
    const char* source = nullptr;
    const uint8_t* pairs = nullptr;
    int32_t pairCount = 0;
    bool hasLines = false;
};
std::vector<DebugSlot> g_DebugSlots;

DebugSlot* DebugSlotFor(int32_t index, bool grow)
{
    if (index < 0) return nullptr;
    size_t at = static_cast<size_t>(index);
    if (at >= g_DebugSlots.size()) {
        if (!grow) return nullptr;
        g_DebugSlots.resize(at + 1);
    }
    return &g_DebugSlots[at];
}

void Unlink(CCode* code)
{
    for (CCode** link = &g_pLoadedCodeHead; *link != nullptr; link = &(*link)->m_pNext) {
        if (*link == code) {
            *link = code->m_pNext;
            code->m_pNext = nullptr;
            --g_LoadedCodeCount;
            return;
        }
    }
}

} // namespace

CCode::CCode() : m_Constant{VALUE_REAL, 0, 0.0} { Node_Init(&m_Tree, 0); }

CCode::CCode(const char* text, bool isExpression) : CCode()
{
    m_Kind = isExpression ? CODE_KIND_EXPRESSION : CODE_KIND_PROGRAM;
    m_pText = text;
}

CCode* CCode::CCode_Compiled(int32_t codeIndex, bool isExpression)
{
    CCode* code = new CCode();
    code->m_Kind = isExpression ? CODE_KIND_EXPRESSION : CODE_KIND_PROGRAM;
    code->m_Compiled = 1;
    code->m_MadeFromText = 0;
    code->m_CodeIndex = codeIndex;
    code->m_pText = "";

    if (const CodeEntry* entry = Code_GetEntry(codeIndex)) {
        if (entry->name != nullptr) code->m_pName = String_Copy(entry->name);
        if (const DebugSlot* slot = DebugSlotFor(codeIndex, false)) {
            if (slot->source != nullptr) code->m_pText = slot->source;
            if (slot->hasLines)
                code->m_pDebugInfo = new VMBuffer(const_cast<uint8_t*>(slot->pairs), 8 * slot->pairCount);
        }
        // Loaded words stay in the game file image; the debugger's breakpoints write there as the
        // linking of identifiers does.
        code->m_pCode = new VMBuffer(const_cast<uint8_t*>(entry->words), entry->length, &g_GameStrings);
    }
    code->m_pTextCopy = const_cast<char*>(code->m_pText);

    if (codeIndex >= 0) {
        code->m_pNext = g_pLoadedCodeHead;
        g_pLoadedCodeHead = code;
        ++g_LoadedCodeCount;
    }
    return code;
}

CCode::~CCode()
{
    if (m_CodeIndex >= 0 && !m_MadeFromText) Unlink(this);
    VM_ForgetTextCode(this);
    // A constant expression keeps its value beside the tree, so both are released.
    Node_Free(&m_Tree);
    Value_Free(&m_Constant);
    delete m_pCode;
    delete m_pDebugInfo;
    if (m_MadeFromText) MemoryManager::Free(m_pTextCopy);
    MemoryManager::Free(m_pName);
}

void CCode::SetName(const char* name)
{
    MemoryManager::Free(m_pName);
    m_pName = nullptr;
    if (name == nullptr) return;
    m_pName = String_Copy(name);
    for (char* at = m_pName; *at != '\0'; ++at)
        if (std::isspace(static_cast<unsigned char>(*at))) *at = '_';
}

void Code_ClearEntries() { g_CodeEntries.clear(); }

bool Code_AddEntry(const char* name, const uint8_t* words, int32_t length)
{
    int32_t index = static_cast<int32_t>(g_CodeEntries.size());
    if (!Code_CheckEntry(index, name, words, length, g_GameStrings.count)) return false;
    g_CodeEntries.push_back(CodeEntry{name, words, length});
    return true;
}

int32_t Code_EntryCount() { return static_cast<int32_t>(g_CodeEntries.size()); }

const CodeEntry* Code_GetEntry(int32_t index)
{
    if (index < 0 || index >= Code_EntryCount()) return nullptr;
    return &g_CodeEntries[static_cast<size_t>(index)];
}

void Code_SetGameStrings(const char* const* texts, uint32_t count)
{
    g_GameStrings.texts = texts;
    g_GameStrings.count = texts != nullptr ? count : 0;
}

void Code_LoadGameStrings(const GameFile& file)
{
    int32_t count = StringTable_Count();
    g_GameStringTexts.assign(static_cast<size_t>(count > 0 ? count : 0), nullptr);
    for (int32_t i = 0; i < count; ++i) g_GameStringTexts[static_cast<size_t>(i)] = StringTable_Get(file, i);
    Code_SetGameStrings(g_GameStringTexts.data(), static_cast<uint32_t>(g_GameStringTexts.size()));
}

const VMStringTable* Code_GameStrings() { return &g_GameStrings; }

void Code_ClearDebugInfo() { g_DebugSlots.clear(); }

void Code_SetDebugSource(int32_t index, const char* text)
{
    if (DebugSlot* slot = DebugSlotFor(index, true)) slot->source = text;
}

void Code_SetDebugLines(int32_t index, const uint8_t* pairs, int32_t pairCount)
{
    if (DebugSlot* slot = DebugSlotFor(index, true)) {
        slot->pairs = pairs;
        slot->pairCount = std::max(pairCount, 0);
        slot->hasLines = true;
    }
}

bool DebugInfo_LoadLines(const GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadCountTable(file, body, length, table)) {
        MainConsole->Output("DBGI: malformed count table\n");
        return false;
    }
    // An entry ends where the next one (by position) begins, or at the end of the chunk.
    std::vector<uint32_t> starts;
    for (uint32_t i = 0; i < table.count; ++i) starts.push_back(table.Entry(file, i));
    std::sort(starts.begin(), starts.end());
    uint64_t chunkEnd = static_cast<uint64_t>(body) + length;

    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t entry = table.Entry(file, i);
        uint32_t words = 0;
        if (entry == 0 || entry < body || entry + uint64_t{4} > chunkEnd || !file.U32(entry, words)) continue;
        auto next = std::upper_bound(starts.begin(), starts.end(), entry);
        uint64_t end = next != starts.end() ? std::min<uint64_t>(*next, chunkEnd) : chunkEnd;
        uint64_t room = (end - entry - 4) / 8;
        uint64_t pairs = words / 2;
        if (pairs > room) {
            MainConsole->Output("DBGI: line table %u holds %" PRIu64 " pairs but has room for %" PRIu64 "\n", i,
                                pairs, room);
            pairs = room;
        }
        const uint8_t* at = nullptr;
        if (!file.Span(entry + 4, static_cast<uint32_t>(pairs * 8), at)) continue;
        Code_SetDebugLines(static_cast<int32_t>(i), at, static_cast<int32_t>(pairs));
    }
    return true;
}

bool DebugInfo_LoadSources(const GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadCountTable(file, body, length, table)) {
        MainConsole->Output("SCPT: malformed count table in the debug information\n");
        return false;
    }
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t entry = table.Entry(file, i);
        uint32_t textOffset = 0;
        const char* text = nullptr;
        if (entry == 0 || !file.U32(entry, textOffset) || !file.String(textOffset, text) || text == nullptr)
            continue;
        Code_SetDebugSource(static_cast<int32_t>(i), text);
    }
    return true;
}
