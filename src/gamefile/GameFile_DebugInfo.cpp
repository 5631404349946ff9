#include "gamefile/GameFile_DebugInfo.h"

#include <cstring>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_View.h"

GameFile g_DebugFile;

namespace {

// The tables of the last file read, and the file they lie in.
const GameFile* g_pTablesFile = nullptr;
GameFileCountTable g_LineTable;
GameFileCountTable g_SourceTable;

// Every line table entry (u32 count, then count pairs) lies inside the file.
bool LineTablesFit(const GameFile& file, const GameFileCountTable& table)
{
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t entry = table.Entry(file, i);
        uint32_t pairs = 0;
        if (entry == 0) continue;
        if (!file.U32(entry, pairs) || pairs > (file.Size() - entry - 4) / 8) return false;
    }
    return true;
}

// The first word of every source entry names a terminated text.
bool SourcesFit(const GameFile& file, const GameFileCountTable& table)
{
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t entry = table.Entry(file, i);
        uint32_t text = 0;
        const char* source;
        if (entry == 0) continue;
        if (!file.U32(entry, text) || !file.String(text, source)) return false;
    }
    return true;
}

void LogSkipped(const GameFileChunk& chunk)
{
    MainConsole->Output("Debug information: chunk %s is malformed and was skipped\n", chunk.Name().c_str());
}

bool ReadTable(const GameFile& file, const GameFileChunk& chunk, GameFileCountTable& table)
{
    return GameFile_ReadCountTable(file, chunk.body, chunk.length, table);
}

} // namespace

bool LoadDebugInfo(GameFile& file)
{
    DebugInfo_Clear();
    g_pTablesFile = &file;
    GameFileChunkWalk walk(file);
    if (!walk.Start()) return true;
    GameFileChunk chunk;
    while (walk.Next(chunk)) {
        MainConsole->Output("Process Chunk: %s   %d\n", chunk.Name().c_str(), static_cast<int32_t>(chunk.length));
        if (chunk.length == 0) continue;
        GameFileCountTable table;
        if (std::memcmp(chunk.tag, "STRG", 4) == 0) {
            if (!ReadTable(file, chunk, table)) LogSkipped(chunk);
        } else if (std::memcmp(chunk.tag, "DBGI", 4) == 0) {
            if (ReadTable(file, chunk, table) && LineTablesFit(file, table)) g_LineTable = table;
            else LogSkipped(chunk);
            // The code objects take their line tables from here (a count of words, two per pair).
            DebugInfo_LoadLines(file, chunk.body, chunk.length);
        } else if (std::memcmp(chunk.tag, "SCPT", 4) == 0) {
            if (ReadTable(file, chunk, table) && SourcesFit(file, table)) g_SourceTable = table;
            else LogSkipped(chunk);
            DebugInfo_LoadSources(file, chunk.body, chunk.length);
        }
    }
    if (walk.Broken()) LogSkipped(walk.BrokenChunk());
    return true;
}

void DebugInfo_Clear()
{
    // The code objects' tables point into the debug file, which goes with them.
    Code_ClearDebugInfo();
    g_pTablesFile = nullptr;
    g_LineTable = GameFileCountTable();
    g_SourceTable = GameFileCountTable();
}

const char* DebugInfo_Source(int32_t codeIndex)
{
    if (g_pTablesFile == nullptr || codeIndex < 0) return nullptr;
    uint32_t entry = g_SourceTable.Entry(*g_pTablesFile, static_cast<uint32_t>(codeIndex));
    uint32_t text = 0;
    const char* source = nullptr;
    if (entry == 0 || !g_pTablesFile->U32(entry, text) || !g_pTablesFile->String(text, source)) return nullptr;
    return source;
}

uint32_t DebugInfo_LinePairCount(int32_t codeIndex)
{
    if (g_pTablesFile == nullptr || codeIndex < 0) return 0;
    uint32_t entry = g_LineTable.Entry(*g_pTablesFile, static_cast<uint32_t>(codeIndex));
    uint32_t pairs = 0;
    if (entry != 0) g_pTablesFile->U32(entry, pairs);
    return pairs;
}

bool DebugInfo_LinePair(int32_t codeIndex, uint32_t pair, uint32_t& first, uint32_t& second)
{
    if (pair >= DebugInfo_LinePairCount(codeIndex)) return false;
    uint32_t at = g_LineTable.Entry(*g_pTablesFile, static_cast<uint32_t>(codeIndex)) + 4 + 8 * pair;
    return g_pTablesFile->U32(at, first) && g_pTablesFile->U32(at + 4, second);
}
