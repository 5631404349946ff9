#include "datastructure/DataStructure_Map.h"

#include <cstdarg>
#include <cstring>

#include "base/Base_Crc.h"
#include "datastructure/DataStructure_Tables.h"
#include "datastructure/DataStructure_Text.h"
#include "platform/Platform_MemoryManager.h"

int32_t async_load = -1;

namespace {

// Exact key equality of find-next and find-previous: kinds alike, texts byte for byte, reals equal.
bool SameKey(const ScriptValue* stored, const ScriptValue* key)
{
    if (Value_GetKind(stored) != Value_GetKind(key)) return false;
    if (Value_GetKind(key) != VALUE_STRING) return stored->real == key->real;
    const char* a = Value_GetText(stored);
    const char* b = Value_GetText(key);
    return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "") == 0;
}

void AppendField(std::string* out, const ScriptValue* value)
{
    if (value->kind != VALUE_STRING) {
        DS_AppendMapReal(out, value->real);
        return;
    }
    if (const char* text = Value_GetText(value))
        DS_AppendHexBytes(out, reinterpret_cast<const uint8_t*>(text), std::strlen(text));
}

} // namespace

CDS_Map::CDS_Map(int32_t buckets)
{
    m_BucketCount = static_cast<uint32_t>(buckets >= 1 ? buckets : DEFAULT_BUCKETS);
    m_Mask = m_BucketCount - 1;
    m_Buckets = static_cast<Bucket*>(MEM_ALLOC(m_BucketCount * sizeof(Bucket), true));
}

CDS_Map::~CDS_Map()
{
    Destroy();
}

uint32_t CDS_Map::Hash(const ScriptValue* key)
{
    if (key->kind == VALUE_STRING) return Crc32::String(Value_GetText(key));
    return Crc32::Buffer(&key->real, sizeof key->real);
}

CDS_MapNode* CDS_Map::Find(const ScriptValue* key) const
{
    auto found = m_Index.find(Hash(key));
    return found != m_Index.end() ? found->second.first : nullptr;
}

bool CDS_Map::Add(const ScriptValue* key, const ScriptValue* value)
{
    uint32_t hash = Hash(key);
    if (m_Index.count(hash) != 0) return false;
    Append(hash, key, value, false);
    return true;
}

bool CDS_Map::Replace(const ScriptValue* key, const ScriptValue* value)
{
    if (CDS_MapNode* node = Find(key)) {
        Value_Copy(&node->value, value);
        return true;
    }
    Append(Hash(key), key, value, false);
    return false;
}

bool CDS_Map::Delete(const ScriptValue* key)
{
    auto found = m_Index.find(Hash(key));
    if (found == m_Index.end()) return false;
    CDS_MapNode* node = found->second.first;
    if (node->sameHash != nullptr) found->second.first = node->sameHash;
    else m_Index.erase(found);
    Bucket& bucket = m_Buckets[node->hash & m_Mask];
    (node->prev != nullptr ? node->prev->next : bucket.first) = node->next;
    (node->next != nullptr ? node->next->prev : bucket.last) = node->prev;
    Value_Free(&node->key);
    Value_Free(&node->value);
    delete node;
    --m_Count;
    return true;
}

void CDS_Map::Append(uint32_t hash, const ScriptValue* key, const ScriptValue* value, bool unmark)
{
    auto* node = new CDS_MapNode();
    node->hash = hash;
    Value_Copy(&node->key, key);
    Value_Copy(&node->value, value);
    if (unmark) {
        node->key.kind &= VALUE_KIND_MASK;
        node->value.kind &= VALUE_KIND_MASK;
    }
    Bucket& bucket = m_Buckets[hash & m_Mask];
    node->prev = bucket.last;
    (bucket.last != nullptr ? bucket.last->next : bucket.first) = node;
    bucket.last = node;
    auto chain = m_Index.try_emplace(hash, HashChain{node, node});
    if (!chain.second) {
        chain.first->second.last->sameHash = node;
        chain.first->second.last = node;
    }
    ++m_Count;
}

CDS_MapNode* CDS_Map::FindFirst() const
{
    for (uint32_t b = 0; b < m_BucketCount; ++b)
        if (m_Buckets[b].first != nullptr) return m_Buckets[b].first;
    return nullptr;
}

CDS_MapNode* CDS_Map::FindLast() const
{
    for (uint32_t b = m_BucketCount; b-- > 0;)
        if (m_Buckets[b].last != nullptr) return m_Buckets[b].last;
    return nullptr;
}

CDS_MapNode* CDS_Map::After(const CDS_MapNode* node) const
{
    if (node->next != nullptr) return node->next;
    for (uint32_t b = (node->hash & m_Mask) + 1; b < m_BucketCount; ++b)
        if (m_Buckets[b].first != nullptr) return m_Buckets[b].first;
    return nullptr;
}

CDS_MapNode* CDS_Map::Before(const CDS_MapNode* node) const
{
    if (node->prev != nullptr) return node->prev;
    for (uint32_t b = node->hash & m_Mask; b-- > 0;)
        if (m_Buckets[b].last != nullptr) return m_Buckets[b].last;
    return nullptr;
}

// The first entry in walking order whose key equals the given one exactly. Equal keys share a hash,
// so only that hash's entries are looked at; a real zero equals its negative, whose bytes hash apart,
// so it walks the whole map.
CDS_MapNode* CDS_Map::FindExact(const ScriptValue* key) const
{
    if (Value_GetKind(key) != VALUE_STRING && key->real == 0) {
        for (CDS_MapNode* node = FindFirst(); node != nullptr; node = After(node))
            if (SameKey(&node->key, key)) return node;
        return nullptr;
    }
    auto found = m_Index.find(Hash(key));
    if (found == m_Index.end()) return nullptr;
    for (CDS_MapNode* node = found->second.first; node != nullptr; node = node->sameHash)
        if (SameKey(&node->key, key)) return node;
    return nullptr;
}

CDS_MapNode* CDS_Map::FindNext(const ScriptValue* key) const
{
    CDS_MapNode* node = FindExact(key);
    return node != nullptr ? After(node) : nullptr;
}

CDS_MapNode* CDS_Map::FindPrevious(const ScriptValue* key) const
{
    CDS_MapNode* node = FindExact(key);
    return node != nullptr ? Before(node) : nullptr;
}

void CDS_Map::ReleaseEntries()
{
    for (uint32_t b = m_BucketCount; b-- > 0;) {
        CDS_MapNode* node = m_Buckets[b].first;
        while (node != nullptr) {
            CDS_MapNode* next = node->next;
            Value_Free(&node->key);
            Value_Free(&node->value);
            delete node;
            node = next;
        }
        m_Buckets[b] = Bucket{nullptr, nullptr};
    }
    m_Index.clear();
    m_Count = 0;
}

void CDS_Map::Clear()
{
    for (CDS_MapNode* node = FindFirst(); node != nullptr; node = After(node)) DS_DestroyNested(&node->value);
    ReleaseEntries();
}

void CDS_Map::Destroy()
{
    if (m_Buckets == nullptr) return;
    Clear();
    MemoryManager::Free(m_Buckets);
    m_Buckets = nullptr;
    m_BucketCount = 0;
}

void CDS_Map::CollectNested(std::vector<DS_Nested>& out) const
{
    DS_Nested nested;
    for (CDS_MapNode* node = FindFirst(); node != nullptr; node = After(node))
        if (DS_NestedOf(&node->value, nested)) out.push_back(nested);
}

void CDS_Map::Copy(const CDS_Map* source)
{
    // Copying a map onto itself would empty it first and then find nothing to copy.
    if (source == this) return;
    ReleaseEntries();
    if (source == nullptr) return;
    for (CDS_MapNode* node = source->FindFirst(); node != nullptr; node = source->After(node))
        Append(node->hash, &node->key, &node->value, true);
}

std::string CDS_Map::WriteToString() const
{
    std::string text;
    for (CDS_MapNode* node = FindFirst(); node != nullptr; node = After(node)) {
        if (!text.empty()) text.push_back(',');
        int kinds = (node->key.kind == VALUE_STRING ? 1 : 0) + (node->value.kind == VALUE_STRING ? 2 : 0);
        text.push_back(static_cast<char>('0' + kinds));
        text.push_back(':');
        AppendField(&text, &node->key);
        text.push_back(':');
        AppendField(&text, &node->value);
    }
    return text;
}

bool CDS_Map::ReadFromString(const char* text)
{
    ReleaseEntries();
    if (text == nullptr) return true;
    const char* at = text;
    // An entry never starts at the end of the text, even after a trailing ",".
    while (*at != '\0') {
        int32_t kinds = *at - '0';
        ++at;
        if (*at != '\0') ++at; // the ":" after the kinds digit
        ScriptValue key = {VALUE_REAL, 0, 0.0};
        ScriptValue value = {VALUE_REAL, 0, 0.0};
        DS_ReadMapField(&at, (kinds & 1) != 0, &key);
        if (*at != '\0') ++at;
        DS_ReadMapField(&at, (kinds & 2) != 0, &value);
        // Appended as read: a repeated key makes a second entry that lookups never reach.
        Append(Hash(&key), &key, &value, false);
        Value_Free(&key);
        Value_Free(&value);
        if (*at != '\0') ++at;
    }
    return true;
}

// ---- services of the map table ---------------------------------------------------------------------

void CDS_Map_Destroy(int32_t index)
{
    delete g_DSMaps.Take(index);
}

int32_t DS_MapCreate(int32_t n, ...)
{
    auto* map = new CDS_Map();
    va_list args;
    va_start(args, n);
    for (int32_t i = 0; i < n; ++i) {
        const char* keyText = va_arg(args, const char*);
        double real = va_arg(args, double);
        const char* text = va_arg(args, const char*);
        ScriptValue key = {VALUE_REAL, 0, 0.0};
        Value_SetText(&key, keyText);
        ScriptValue value = {VALUE_REAL, 0, real};
        if (text != nullptr) Value_SetText(&value, text);
        map->Add(&key, &value);
        Value_Free(&key);
        Value_Free(&value);
    }
    va_end(args);
    return g_DSMaps.Add(map);
}

namespace {

void AddEntry(int32_t index, const char* keyText, ScriptValue* value)
{
    if (CDS_Map* map = g_DSMaps.Get(index)) {
        ScriptValue key = {VALUE_REAL, 0, 0.0};
        Value_SetText(&key, keyText);
        map->Add(&key, value);
        Value_Free(&key);
    }
    Value_Free(value);
}

} // namespace

void DS_MapAddEntry(int32_t index, const char* key, double real)
{
    ScriptValue value = {VALUE_REAL, 0, real};
    AddEntry(index, key, &value);
}

void DS_MapReplaceEntry(int32_t index, const char* key, const char* text)
{
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    Value_SetText(&value, text);
    AddEntry(index, key, &value);
}
