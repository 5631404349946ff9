// The `var` locals of a code buffer that get a slot in each level's frame instead of a named list.
// The ids are found once from the words (every access through the local instance), in the order
// the code first reaches them; a level's slots lie just below its frame header, zeroed on entry.
// A local without a slot (past the limit, or reached in a way the words did not show) goes to the
// level's own list as before, so the table only decides what is fast, never what is right.
#pragma once

#include <cstdint>

class VMBuffer;

// At most this many slots a level: the frame, its slots and the guard below them stay within the
// headroom that every level keeps below its stack.
constexpr int32_t VM_LOCAL_SLOT_LIMIT = 12;

// The slots' ids, and by the low six bits of an id the first slot whose id has them (-1: none),
// so that finding an id's slot by its number mostly takes one look.
constexpr int32_t VM_LOCAL_SLOT_HASH = 64;
struct VMLocalSlots {
    int32_t count = -1; // -1: not found yet
    int32_t ids[VM_LOCAL_SLOT_LIMIT] = {};
    int8_t first[VM_LOCAL_SLOT_HASH] = {};
};

// The buffer's slot table, found on first use and kept for the buffer's life (a level running the
// buffer relies on it not changing).
const VMLocalSlots& VM_FindLocalSlots(const VMBuffer* code);

// The slot of a local variable id in the table, or -1.
int32_t VM_SearchLocalSlot(const VMLocalSlots& slots, int32_t id);
inline int32_t VM_LocalSlotOf(const VMLocalSlots& slots, int32_t id)
{
    int32_t slot = slots.first[static_cast<uint32_t>(id) % VM_LOCAL_SLOT_HASH];
    return slot >= 0 && slots.ids[slot] == id ? slot : VM_SearchLocalSlot(slots, id);
}
