// The user variables of one instance, of the global scope or of a run's locals: a 64-way hash on the
// identifier whose chains take new variables at their head. Saved games write variables bucket by
// bucket, each chain from its head, so that order is part of the saved form. The first few nodes
// live inside the list itself: an instance's variables then sit in one block instead of one
// allocation each, and instances of one object that set their variables in the same order hold each
// at the same place in their lists, which code sites remember. A list that holds only those needs
// no table of chain heads (a search looks at its own nodes, a chain's head is its newest node of the
// bucket): the table is made when the first node from the shared pool joins, so that an instance
// made and destroyed with a few variables allocates nothing for them.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

class IBuffer;
struct tagIConsole;

constexpr int32_t VARIABLE_BUCKETS = 64;
// The nodes each list holds inside itself before it takes nodes from the shared pool.
constexpr int32_t VARIABLE_INLINE_NODES = 4;

// The bucket of an identifier (identifiers are never negative).
inline int32_t Variable_Bucket(int32_t id) { return static_cast<int32_t>(static_cast<uint32_t>(id) % VARIABLE_BUCKETS); }

// The value an unset variable reads as when the game treats reading one as an error.
constexpr double VARIABLE_UNSET_VALUE = 12345678.9;

struct VariableNode {
    VariableNode* next;    // next in its bucket
    VariableNode* nextAll; // next in the list's chain of every node; links the free list too
    ScriptValue value;
    int32_t id;
    int32_t spare; // a script level's local: the order in which the level set it, from 1
};

class CVariableList {
public:
    CVariableList();
    CVariableList(const CVariableList&) = delete;
    CVariableList& operator=(const CVariableList&) = delete;
    virtual ~CVariableList(); // empties the list
    // Lists come and go with instances, a room's many a frame: freed lists' memory is taken again
    // first (see Variable_List.cpp).
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size);

    // Frees every value and gives every node back to the shared free list.
    void Clear();
    // Clears the array error flag, then reads the variable (element). An unset variable reads as real
    // 0 and succeeds, or, when the game's option says so, as 12345678.9 and fails.
    bool GetVar(int32_t id, int32_t index, ScriptValue* out);
    // Clears the array error flag, then writes the variable (element), adding it when missing.
    void SetVar(int32_t id, int32_t index, const ScriptValue* value);
    // SetVar of a real to the whole variable, without the copy a value in general takes.
    void SetReal(int32_t id, double real);
    bool Has(int32_t id) const;
    // Adds the variable as real 0 unless it exists.
    void Declare(int32_t id);
    // Empties this list and refills it with copies of the other's variables, in bucket order.
    void CopyFrom(const CVariableList& other);

    // Count, then per variable its name and its value.
    bool Serialise(IBuffer* buffer) const;
    // Empties the list and reads one back. Names no longer known are skipped with a warning; a
    // malformed stream is refused and leaves the list empty. `builtinNames`: a name may also be a
    // built-in variable's, as in the global list, where global.score is kept under score's row.
    bool LoadFromStream(IBuffer* buffer, bool builtinNames = false);
    // Each variable as "name(id) = value" on the console.
    void DebugDump(tagIConsole* console) const;

    VariableNode* Find(int32_t id) const
    {
        if (m_pBuckets == nullptr) return FindOwn(id);
        for (VariableNode* node = m_pBuckets[Variable_Bucket(id)]; node != nullptr; node = node->next) {
            if (node->id == id) return node;
        }
        return nullptr;
    }
    // Where a node lies inside this list, in bytes from the list's start, or 0 when it lies elsewhere
    // (the shared pool's, another list's). Valid for every list: they all hold their own nodes at the
    // same places.
    int32_t InlineOffsetOf(const VariableNode* node) const;
    // The variable at a place (not 0) InlineOffsetOf answered, when this list holds `id` there; else null.
    // A place not in use holds no identifier, so the one comparison is the whole test.
    VariableNode* AtInlineOffset(int32_t offset, int32_t id) const
    {
        VariableNode* node = reinterpret_cast<VariableNode*>(reinterpret_cast<uintptr_t>(this) + static_cast<uint32_t>(offset));
        return node->id == id ? node : nullptr;
    }
    // The node of `id` added, as SetVar adds it, at a place (not 0) InlineOffsetOf answered, when that
    // is where adding it puts it: the list holds no `id`, no table of heads, and that place is the
    // first of its own nodes free (a new instance's create event setting its variables in the order
    // the last instance set them). Null, with nothing added, otherwise.
    VariableNode* AddAtInlineOffset(int32_t offset, int32_t id);
    int32_t Count() const { return m_Count; }
    // The chain of a bucket, from its head.
    VariableNode* Bucket(int32_t bucket) const { return m_pBuckets != nullptr ? m_pBuckets[bucket] : OwnHead(bucket); }

private:
    VariableNode* Insert(int32_t id);
    VariableNode* TakeNode();
    void ReleaseNode(VariableNode* node);
    // Without a table of heads: the list's own node of the identifier, and a bucket's newest node.
    VariableNode* FindOwn(int32_t id) const
    {
        for (uint32_t used = m_InlineUsed; used != 0; used &= used - 1) {
            const VariableNode& node = m_Inline[__builtin_ctz(used)];
            if (node.id == id) return const_cast<VariableNode*>(&node);
        }
        return nullptr;
    }
    VariableNode* OwnHead(int32_t bucket) const;
    // The table of heads for the nodes held so far, each bucket's newest node at its head.
    void MakeHeads();

    // First in the object: the commonest variables share the cache lines the list is reached by.
    // The chains' heads lie apart, made when the list outgrows its own nodes (null until then): a
    // room of many instances keeps only the small part it reads close together.
    VariableNode m_Inline[VARIABLE_INLINE_NODES];
    uint32_t m_InlineUsed; // a bit per inline node
    int32_t m_Count;
    VariableNode** m_pBuckets;
    VariableNode* m_pAll; // every node, the newest first
};

// Moves on whenever a node leaves a list (a clear, a load, a list's end) and whenever which names
// are globalvars changes: a (list, generation) pair remembered with a node finds that node in that
// list while the generation has not moved.
extern uint64_t g_VariableGeneration;

// What reading a variable that was never set gives: real 0 (true), or, when the game's option says
// so, 12345678.9 (false).
bool Variable_ReadUnset(ScriptValue* out);

// One variable as the debug dump writes it: "name(id) = value".
void Variable_DumpNode(tagIConsole* console, const VariableNode* node);

// Nodes waiting on the shared free list (for tests and the memory report).
int32_t Variable_FreeNodeCount();
