// CRC-32 over the reflected polynomial 0xEDB88320, starting from 0xFFFFFFFF with no final
// inversion: the result is the complement of the usual CRC-32. Strings and buffers are hashed
// with it, so the values are part of what games see.
#pragma once

#include <cstdint>

extern uint32_t g_Crc32Table[256];

namespace Crc32 {

// Builds the table (done at start-up; the hashing routines also build it on first use).
void BuildTable();
// Recomputes the table and answers whether it equals the stored one.
bool CheckTable();

// The CRC of a zero-terminated string; an empty or null string gives 0xFFFFFFFF.
uint32_t String(const char* text);
// The CRC of a buffer; a length below 1 gives 0xFFFFFFFF.
uint32_t Buffer(const void* data, int64_t length);
// The same, continued from a given value (returned unchanged when there is nothing to add).
uint32_t StringFrom(const char* text, uint32_t crc);
uint32_t BufferFrom(const void* data, int64_t length, uint32_t crc);

} // namespace Crc32
