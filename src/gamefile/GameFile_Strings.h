// The string table of the "STRG" chunk, read by the pre-pass: bytecode string operands are indices
// into it. Each entry leads to a record (u32 length, the UTF-8 characters, a NUL); elsewhere a string
// is named by the file offset of its characters.
#pragma once

#include <cstdint>

class GameFile;

// Checks every record of the chunk (inside the chunk, terminated where its length says) and keeps
// the table. False, with a log line, when a record is malformed; the table is then empty.
bool StringTable_Load(const GameFile& file, uint32_t body, uint32_t length);
void StringTable_Clear();

int32_t StringTable_Count();
// File offset of the characters of string `index` (0 for an empty entry or an index out of range).
uint32_t StringTable_Offset(int32_t index);
// The characters of string `index` in `file`, or null for an empty entry or an index out of range.
const char* StringTable_Get(const GameFile& file, int32_t index);
