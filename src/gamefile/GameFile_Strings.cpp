#include "gamefile/GameFile_Strings.h"

#include <vector>

#include "base/Base_Console.h"
#include "gamefile/GameFile_View.h"

namespace {

// File offsets of the characters, checked once when the table is read.
std::vector<uint32_t> g_StringOffsets;

bool RecordFits(const GameFile& file, uint32_t body, uint32_t length, uint32_t record, uint32_t& characters)
{
    uint32_t size = 0;
    if (!GameFile_ChunkHolds(body, length, record, 4) || !file.U32(record, size)) return false;
    characters = record + 4;
    // The characters and their terminator lie inside the chunk, the terminator where the length says.
    if (!GameFile_ChunkHolds(body, length, characters, size) || size == UINT32_MAX) return false;
    uint8_t terminator = 1;
    return GameFile_ChunkHolds(body, length, characters + size, 1) && file.U8(characters + size, terminator) &&
           terminator == 0;
}

} // namespace

bool StringTable_Load(const GameFile& file, uint32_t body, uint32_t length)
{
    StringTable_Clear();
    GameFileCountTable table;
    if (!GameFile_ReadCountTable(file, body, length, table)) {
        MainConsole->Output("Strings: the count table does not fit the chunk\n");
        return false;
    }
    std::vector<uint32_t> offsets(table.count, 0);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t record = table.Entry(file, i);
        if (record == 0) continue;
        if (!RecordFits(file, body, length, record, offsets[i])) {
            MainConsole->Output("Strings: string %u (record at file offset %u) runs past the chunk or has no "
                                "terminator\n",
                                i, record);
            return false;
        }
    }
    g_StringOffsets.swap(offsets);
    return true;
}

void StringTable_Clear() { g_StringOffsets.clear(); }

int32_t StringTable_Count() { return static_cast<int32_t>(g_StringOffsets.size()); }

uint32_t StringTable_Offset(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_StringOffsets.size()) return 0;
    return g_StringOffsets[static_cast<size_t>(index)];
}

const char* StringTable_Get(const GameFile& file, int32_t index)
{
    const char* text = nullptr;
    uint32_t offset = StringTable_Offset(index);
    if (offset == 0 || !file.String(offset, text)) return nullptr;
    return text;
}
