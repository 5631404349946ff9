#include "variable/Variable_List.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "base/Base_Numbers.h"
#include "buffer/Buffer_IBuffer.h"
#include "code/Code_ValueWalk.h"
#include "gamefile/GameFile_Options.h"
#include "platform/Platform_MemoryManager.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Names.h"

namespace {

// Released nodes of every list, linked through nextAll.
VariableNode* g_pFreeNodes = nullptr;
int32_t g_FreeNodeCount = 0;

// The smallest saved variable: an empty name and the smallest value.
constexpr int64_t SAVED_VARIABLE_MIN_BYTES = 1 + 8;

// Arrays in the debug dump show at most this many rows, and elements of a row.
constexpr int32_t DUMP_LIMIT = 30;

// A string in the debug dump shows at most this many of its bytes: a game may hold texts of many
// megabytes, and one error report would copy each of them whole to the terminal and the log.
constexpr size_t DUMP_TEXT_LIMIT = 4096;

// A node of the shared pool, reset.
VariableNode* TakePooledNode()
{
    VariableNode* node = g_pFreeNodes;
    if (node != nullptr) {
        g_pFreeNodes = node->nextAll;
        --g_FreeNodeCount;
    } else {
        node = static_cast<VariableNode*>(MemoryManager::Alloc(sizeof(VariableNode), "Variable_List", __LINE__, false));
    }
    return node;
}

// The memory of freed lists, linked through their first word, taken again before the allocator is
// asked: a room that makes and destroys many instances a frame makes and frees as many lists. Bounded;
// the sanitizer build keeps none, so that a use after free is still caught.
#if defined(KELVARO_ASAN)
constexpr int32_t KEPT_LISTS = 0;
#else
constexpr int32_t KEPT_LISTS = 4096;
#endif
void* g_pKeptLists = nullptr;
int32_t g_KeptListCount = 0;

// An identifier no variable has: an inline node not in use holds it.
constexpr int32_t NO_VARIABLE = -1;

void AppendDumpReal(std::string& line, double real)
{
    int32_t whole = Numbers_RoundToInt32(real);
    if (static_cast<double>(whole) == real) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%d", whole);
        line += digits;
    } else {
        line += Numbers_Format("%f", real);
    }
}

// A string as the dump shows it: quoted and printable, as a name is (it may come from a file, a
// buffer or the network). A longer one keeps its first bytes, cut between characters, and says how
// many of how many: "xx...xx" ... (first 4,096 of 52,428,800 bytes).
void AppendDumpText(std::string& line, std::string_view text)
{
    size_t kept = std::min(text.size(), DUMP_TEXT_LIMIT);
    while (kept > 0 && kept < text.size() && (static_cast<uint8_t>(text[kept]) & 0xC0) == 0x80) --kept;
    line += '"';
    line += Text_Printable(text.substr(0, kept));
    line += '"';
    if (kept < text.size())
        line += " ... (first " + Text_GroupedDigits(kept) + " of " + Text_GroupedDigits(text.size()) +
                " bytes)";
}

struct DumpWriter {
    std::string& line;

    void Scalar(const ScriptValue* value)
    {
        switch (Value_GetKind(value)) {
        case VALUE_REAL: AppendDumpReal(line, value->real); break;
        case VALUE_STRING: {
            const char* text = Value_GetText(value);
            AppendDumpText(line, text != nullptr ? text : "");
            break;
        }
        default: break;
        }
    }
    void ArrayBegin(const ScriptValue*, const ValueArray*) { line += "{ "; }
    void RowBegin(const ValueArrayRow&) { line += "{ "; }
    void Element(int32_t column)
    {
        if (column > 0) line += " ,";
    }
    void RowEnd(const ValueArrayRow&, bool cut)
    {
        if (cut) line += " ... ";
        line += "},  ";
    }
    void ArrayEnd(const ValueArray*, bool cut)
    {
        if (cut) line += " ... ";
        line += " }";
    }
};

} // namespace

uint64_t g_VariableGeneration = 1;

int32_t Variable_FreeNodeCount() { return g_FreeNodeCount; }

void* CVariableList::operator new(size_t size)
{
    void* block = g_pKeptLists;
    if (block == nullptr || size != sizeof(CVariableList)) return ::operator new(size);
    std::memcpy(&g_pKeptLists, block, sizeof(void*));
    --g_KeptListCount;
    return block;
}

void CVariableList::operator delete(void* block, size_t size)
{
    if (block == nullptr) return;
    if (size != sizeof(CVariableList) || g_KeptListCount == KEPT_LISTS) {
        ::operator delete(block);
        return;
    }
    std::memcpy(block, &g_pKeptLists, sizeof(void*));
    g_pKeptLists = block;
    ++g_KeptListCount;
}

CVariableList::CVariableList() : m_InlineUsed(0), m_Count(0), m_pBuckets(nullptr), m_pAll(nullptr)
{
    for (VariableNode& node : m_Inline) node.id = NO_VARIABLE;
}

CVariableList::~CVariableList()
{
    Clear();
    // Even an empty list: the interpreter keeps an instance's list while the generation stays.
    ++g_VariableGeneration;
    MemoryManager::Free(m_pBuckets);
}

void CVariableList::Clear()
{
    VariableNode* node = m_pAll;
    if (node != nullptr) ++g_VariableGeneration;
    while (node != nullptr) {
        VariableNode* next = node->nextAll;
        Value_Free(&node->value);
        ReleaseNode(node);
        node = next;
    }
    if (m_pBuckets != nullptr) std::memset(m_pBuckets, 0, VARIABLE_BUCKETS * sizeof(VariableNode*));
    m_pAll = nullptr;
    m_Count = 0;
}

VariableNode* CVariableList::OwnHead(int32_t bucket) const
{
    for (VariableNode* node = m_pAll; node != nullptr; node = node->nextAll) {
        if (Variable_Bucket(node->id) == bucket) return node;
    }
    return nullptr;
}

void CVariableList::MakeHeads()
{
    void* heads = MemoryManager::Alloc(VARIABLE_BUCKETS * sizeof(VariableNode*), "Variable_List", __LINE__, true);
    m_pBuckets = static_cast<VariableNode**>(heads);
    // Newest first: the first node met of a bucket is its head, the chains already run behind it.
    for (VariableNode* node = m_pAll; node != nullptr; node = node->nextAll) {
        VariableNode*& head = m_pBuckets[Variable_Bucket(node->id)];
        if (head == nullptr) head = node;
    }
}

int32_t CVariableList::InlineOffsetOf(const VariableNode* node) const
{
    uintptr_t at = reinterpret_cast<uintptr_t>(node), first = reinterpret_cast<uintptr_t>(m_Inline);
    if (at < first || at >= first + sizeof m_Inline) return 0;
    return static_cast<int32_t>(at - reinterpret_cast<uintptr_t>(this));
}

VariableNode* CVariableList::AddAtInlineOffset(int32_t offset, int32_t id)
{
    if (m_pBuckets != nullptr) return nullptr;
    auto at = reinterpret_cast<uintptr_t>(this) + static_cast<uint32_t>(offset);
    auto slot = static_cast<uint32_t>((at - reinterpret_cast<uintptr_t>(m_Inline)) / sizeof(VariableNode));
    // Every own node before the place in use and none from it on: TakeNode takes exactly that one.
    if (m_InlineUsed != (1u << slot) - 1 || FindOwn(id) != nullptr) return nullptr;
    return Insert(id);
}

VariableNode* CVariableList::TakeNode()
{
    VariableNode* node;
    if (m_InlineUsed != (1u << VARIABLE_INLINE_NODES) - 1) {
        int32_t slot = __builtin_ctz(~m_InlineUsed);
        m_InlineUsed |= 1u << slot;
        node = &m_Inline[slot];
    } else {
        node = TakePooledNode();
    }
    node->next = nullptr;
    node->nextAll = nullptr;
    node->value = ScriptValue{VALUE_REAL, 0, 0.0};
    node->id = 0;
    node->spare = 0;
    return node;
}

// An inline node stays with its list, marked free; any other goes back to the shared pool.
void CVariableList::ReleaseNode(VariableNode* node)
{
    if (InlineOffsetOf(node) != 0) {
        node->id = NO_VARIABLE;
        m_InlineUsed &= ~(1u << (node - m_Inline));
        return;
    }
    node->nextAll = g_pFreeNodes;
    g_pFreeNodes = node;
    ++g_FreeNodeCount;
}

VariableNode* CVariableList::Insert(int32_t id)
{
    if (m_pBuckets == nullptr && m_InlineUsed == (1u << VARIABLE_INLINE_NODES) - 1) MakeHeads();
    VariableNode* node = TakeNode();
    node->id = id;
    int32_t bucket = Variable_Bucket(id);
    if (m_pBuckets != nullptr) {
        node->next = m_pBuckets[bucket];
        m_pBuckets[bucket] = node;
    } else {
        node->next = OwnHead(bucket); // before the node joins the chain of all
    }
    node->nextAll = m_pAll;
    m_pAll = node;
    ++m_Count;
    return node;
}

bool CVariableList::GetVar(int32_t id, int32_t index, ScriptValue* out)
{
    g_ArrayError.flag = 0;
    if (VariableNode* node = Find(id)) return Value_GetArrayElement(out, &node->value, index);
    return Variable_ReadUnset(out);
}

bool Variable_ReadUnset(ScriptValue* out)
{
    if (g_GameOptions.unsetVariableIsError) {
        Value_SetReal(out, VARIABLE_UNSET_VALUE);
        return false;
    }
    Value_SetReal(out, 0.0);
    return true;
}

void CVariableList::SetVar(int32_t id, int32_t index, const ScriptValue* value)
{
    g_ArrayError.flag = 0;
    VariableNode* node = Find(id);
    if (node == nullptr) node = Insert(id);
    Value_SetArrayElement(&node->value, value, index);
}

void CVariableList::SetReal(int32_t id, double real)
{
    g_ArrayError.flag = 0;
    VariableNode* node = Find(id);
    if (node == nullptr)
        node = Insert(id);
    else
        Value_Free(&node->value);
    node->value = ScriptValue{VALUE_REAL, 0, real};
}

bool CVariableList::Has(int32_t id) const { return Find(id) != nullptr; }

void CVariableList::Declare(int32_t id)
{
    if (Find(id) == nullptr) Insert(id);
}

void CVariableList::CopyFrom(const CVariableList& other)
{
    if (&other == this) return; // emptying first would lose what is to be copied
    Clear();
    // Bucket order with head insertion: each chain of the copy runs opposite to the original's.
    for (int32_t bucket = 0; bucket < VARIABLE_BUCKETS; ++bucket) {
        for (VariableNode* from = other.Bucket(bucket); from != nullptr; from = from->next) {
            VariableNode* to = Insert(from->id);
            Value_Copy(&to->value, &from->value);
        }
    }
}

bool CVariableList::Serialise(IBuffer* buffer) const
{
    ScriptValue count = {VALUE_REAL, 0, static_cast<double>(m_Count)};
    bool ok = buffer->Write(eBuffer_S32, &count) == 0;
    for (int32_t bucket = 0; bucket < VARIABLE_BUCKETS; ++bucket) {
        for (VariableNode* node = Bucket(bucket); node != nullptr && ok; node = node->next) {
            ok = buffer->WriteString(Code_Variable_Find_Name(node->id)) == 0 && Value_Serialise(&node->value, buffer);
        }
    }
    return ok;
}

bool CVariableList::LoadFromStream(IBuffer* buffer, bool builtinNames)
{
    Clear();
    ValueStreamReader reader(buffer);
    int32_t count = 0;
    bool ok = reader.ReadInt32(&count) && reader.CanHold(count, SAVED_VARIABLE_MIN_BYTES);
    for (int32_t i = 0; ok && i < count; ++i) {
        char* name = nullptr;
        ScriptValue value = {VALUE_REAL, 0, 0.0};
        ok = reader.ReadText(&name) && reader.ReadValue(&value);
        if (ok) {
            int32_t id = Code_Variable_Lookup(name);
            if (id < 0 && builtinNames) id = Variable_BuiltIn_Find(name);
            if (id >= 0) {
                // A name saved twice keeps its last value in one node: a list holds each variable
                // once, which the interpreter's sites rely on.
                VariableNode* node = Find(id);
                if (node != nullptr)
                    Value_Free(&node->value);
                else
                    node = Insert(id);
                node->value = value; // the node takes the value over
            } else {
                MainConsole->Output("WARNING: Load game failed to find variable \"%s\"\n", Text_Printable(name).c_str());
                Value_Free(&value);
            }
        }
        MemoryManager::Free(name);
    }
    if (!ok) Clear();
    return ok;
}

void CVariableList::DebugDump(tagIConsole* console) const
{
    for (int32_t bucket = 0; bucket < VARIABLE_BUCKETS; ++bucket) {
        for (VariableNode* node = Bucket(bucket); node != nullptr; node = node->next) Variable_DumpNode(console, node);
    }
}

void Variable_DumpNode(tagIConsole* console, const VariableNode* node)
{
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "(%d) = ", node->id);
    std::string line = Text_Printable(Code_Variable_Find_Name(node->id));
    line += prefix;
    DumpWriter writer{line};
    Value_Walk(&node->value, writer, DUMP_LIMIT, DUMP_LIMIT);
    line += '\n';
    console->Output("%s", line.c_str());
}
