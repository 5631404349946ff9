// The script map: key/value entries over a hash of buckets (4096 unless made otherwise), keys being
// reals or strings identified by their CRC-32 alone. Maps also carry every asynchronous result into
// the event stage, where scripts read the map whose index is async_load.
//
// Walking order (first, next, previous, last, the text form, copying) is by bucket, then by insertion
// within a bucket. Beside the chains an index by full hash keeps lookups O(1) however full the map.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "datastructure/DataStructure_Values.h"

struct CDS_MapNode : public DS_Object {
    CDS_MapNode* prev = nullptr;
    CDS_MapNode* next = nullptr;
    CDS_MapNode* sameHash = nullptr; // the next node of this hash, in chain order
    uint32_t hash = 0;
    ScriptValue key = {VALUE_REAL, 0, 0.0};
    ScriptValue value = {VALUE_REAL, 0, 0.0};
};

class CDS_Map : public DS_Object {
public:
    static constexpr int32_t DEFAULT_BUCKETS = 4096;

    // A count below 1 gets the default.
    explicit CDS_Map(int32_t buckets = DEFAULT_BUCKETS);
    ~CDS_Map();
    CDS_Map(const CDS_Map&) = delete;
    CDS_Map& operator=(const CDS_Map&) = delete;

    // A string key hashes its text, any other key the eight bytes of its real.
    static uint32_t Hash(const ScriptValue* key);

    // The first entry with the key's hash, or null.
    CDS_MapNode* Find(const ScriptValue* key) const;
    // False, changing nothing, when the key is present.
    bool Add(const ScriptValue* key, const ScriptValue* value);
    // True when an existing value was replaced; false when the pair had to be added.
    bool Replace(const ScriptValue* key, const ScriptValue* value);
    // Removes the first entry with the key's hash; a nested structure it owns is left alone.
    bool Delete(const ScriptValue* key);
    bool Exists(const ScriptValue* key) const { return Find(key) != nullptr; }
    int32_t Size() const { return m_Count; }
    bool Empty() const { return m_Count == 0; }

    CDS_MapNode* FindFirst() const;
    CDS_MapNode* FindLast() const;
    // The entry after / before the one whose key equals the given key exactly; null at the ends or
    // when the key is absent.
    CDS_MapNode* FindNext(const ScriptValue* key) const;
    CDS_MapNode* FindPrevious(const ScriptValue* key) const;

    // Destroys the structures that marked values own, then releases every entry.
    void Clear();
    // Clear, and the buckets are freed; the map is then only fit for deleting.
    void Destroy();
    // Appends the structures that marked values own, in walking order.
    void CollectNested(std::vector<DS_Nested>& out) const;
    // Entries copied in the source's walking order with their kinds unmarked; this map's own entries
    // are released first (their nested structures are left alone).
    void Copy(const CDS_Map* source);
    std::string WriteToString() const;
    // Replaces the entries with those of a map text; always true.
    bool ReadFromString(const char* text);

private:
    struct Bucket {
        CDS_MapNode* first;
        CDS_MapNode* last;
    };
    struct HashChain {
        CDS_MapNode* first;
        CDS_MapNode* last;
    };

    void Append(uint32_t hash, const ScriptValue* key, const ScriptValue* value, bool unmark);
    void ReleaseEntries();
    CDS_MapNode* FindExact(const ScriptValue* key) const;
    CDS_MapNode* After(const CDS_MapNode* node) const;
    CDS_MapNode* Before(const CDS_MapNode* node) const;

    Bucket* m_Buckets = nullptr;
    uint32_t m_BucketCount = 0;
    uint32_t m_Mask = 0;
    int32_t m_Count = 0;
    std::unordered_map<uint32_t, HashChain> m_Index;
};

// The index of the map of the asynchronous event being performed (-1 outside one).
extern int32_t async_load;

// Destroys the map of that index and empties its slot; nothing for an unknown index.
void CDS_Map_Destroy(int32_t index);

// A new map of n entries given as triples (const char* key, double real, const char* text): a
// string key, and the text as the value when it is not null, else the real. A repeated key keeps its
// first value. Returns the map's index.
int32_t DS_MapCreate(int32_t n, ...);
// Add a string key with a real or a text value to the map of that index (a present key is kept);
// nothing for an unknown index.
void DS_MapAddEntry(int32_t index, const char* key, double real);
void DS_MapReplaceEntry(int32_t index, const char* key, const char* text);
