#include "gamefile/GameFile_Strings.h"

#include <string>
#include <vector>

#include "gamefile/GameFile_View.h"

namespace {

// File offsets of the characters, checked once when the table is read.
std::vector<uint32_t> g_StringOffsets;

// The record's length word, its characters and their terminator lie inside the chunk, the
// terminator where the length says.
bool RecordFits(const GameFileEntry& record, uint32_t body, uint32_t length, uint32_t& characters)
{
    const GameFile& file = record.File();
    uint32_t size = 0;
    if (!record.Within("its length word", record.At(), 4, body, length)) return false;
    file.U32(record.At(), size);
    characters = record.At() + 4;
    if (!record.Within("its text", characters, uint64_t{size} + 1, body, length)) return false;
    uint8_t terminator = 1;
    file.U8(characters + size, terminator);
    if (terminator == 0) return true;
    return record.Refuse("its text at file offset " + std::to_string(characters) +
                         " has no terminator after its " + std::to_string(size) + " bytes");
}

} // namespace

bool StringTable_Load(const GameFile& file, uint32_t body, uint32_t length)
{
    StringTable_Clear();
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "STRG", body, length, table)) return false;
    std::vector<uint32_t> offsets(table.count, 0);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t record = table.Entry(file, i);
        GameFileEntry entry(file, "STRG", "string " + std::to_string(i), record);
        if (record != 0 && !RecordFits(entry, body, length, offsets[i])) return false;
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
