// The debug-information file beside the game file (its name with the extension ".qzdebug"): a chunk
// container whose "DBGI" chunk holds a line table and whose "SCPT" chunk holds the source text of
// every code entry, index for index with the code chunk.
#pragma once

#include <cstdint>

class GameFile;

// The debug-information file, held for the whole run once read.
extern GameFile g_DebugFile;

// Reads the tables of a debug-information file (held by `file`, which must outlive them). Malformed
// chunks are logged and left out. Always true.
bool LoadDebugInfo(GameFile& file);
void DebugInfo_Clear();

// The source text of code entry `codeIndex`, or null when there is none.
const char* DebugInfo_Source(int32_t codeIndex);
// The number of (u32, u32) pairs in the line table of code entry `codeIndex` (0 when none), and
// pair `pair` of it.
uint32_t DebugInfo_LinePairCount(int32_t codeIndex);
bool DebugInfo_LinePair(int32_t codeIndex, uint32_t pair, uint32_t& first, uint32_t& second);
