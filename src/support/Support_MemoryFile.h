// A whole file held in memory for reading: what the text and binary file functions read from.
// The data carry no terminator; a position below 0 or at or past the length reads as the end.
#pragma once

#include <cstdint>

struct MemoryFile {
    uint8_t* data; // memory-manager block, owned
    int32_t length;
    int32_t position; // may run past the length
};

// Loads the name from the bundle, else from the save area; null when neither loads. With a "t" in
// the mode a leading UTF-8 byte-order mark is skipped.
MemoryFile* MemoryFile_Open(const char* name, const char* mode);
// A memory file over a copy of `length` bytes (text mode skips a byte-order mark as above).
MemoryFile* MemoryFile_FromBytes(const uint8_t* bytes, int32_t length, bool textMode);
// A memory file that takes ownership of a memory-manager block.
MemoryFile* MemoryFile_Adopt(uint8_t* data, int32_t length, bool textMode);
void MemoryFile_Free(MemoryFile* file);

int32_t MemoryFile_Tell(const MemoryFile* file);
// Origin 0 from the start, 1 from the position, 2 back from the end; others change nothing. The
// position saturates at the int32 range.
void MemoryFile_Seek(MemoryFile* file, int32_t offset, int32_t origin);
bool MemoryFile_Eof(const MemoryFile* file);
// At the end, or on a CR or LF.
bool MemoryFile_Eoln(const MemoryFile* file);
// The byte at the position (0..255), or -1 at the end; the position moves on in both cases.
int32_t MemoryFile_GetChar(MemoryFile* file);
// Skips white space, then reads a decimal number, never past the data's end. Without a number the
// value is 0 and the position stays after the white space.
void MemoryFile_ReadReal(MemoryFile* file, double* value);
// Copies up to size * count bytes from the position; returns the number copied.
int32_t MemoryFile_Read(void* buffer, int32_t size, int32_t count, MemoryFile* file);
