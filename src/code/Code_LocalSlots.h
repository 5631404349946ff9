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

struct VMLocalSlots {
    int32_t count = -1; // -1: not found yet
    int32_t ids[VM_LOCAL_SLOT_LIMIT] = {};
};

// The buffer's slot table, found on first use and kept for the buffer's life (a level running the
// buffer relies on it not changing).
const VMLocalSlots& VM_FindLocalSlots(const VMBuffer* code);

// The slot of a local variable id in the table, or -1.
inline int32_t VM_LocalSlotOf(const VMLocalSlots& slots, int32_t id)
{
    for (int32_t i = 0; i < slots.count; ++i)
        if (slots.ids[i] == id) return i;
    return -1;
}
