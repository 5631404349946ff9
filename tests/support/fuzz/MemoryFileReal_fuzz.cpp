// Numbers read from a file held in memory, which carries no terminator: the first byte picks a
// sequence of reads and seeks, the rest is the file. No read may leave the data.
#include <cstddef>
#include <cstdint>

#include "support/Support_MemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > (1u << 20)) return 0;
    uint8_t plan = data[0];
    MemoryFile* file = MemoryFile_FromBytes(data + 1, static_cast<int32_t>(size - 1), (plan & 1) != 0);
    for (int step = 0; step < 256 && !MemoryFile_Eof(file); ++step) {
        double value = 0;
        int32_t before = MemoryFile_Tell(file);
        MemoryFile_ReadReal(file, &value);
        if (MemoryFile_Tell(file) < before || MemoryFile_Tell(file) > file->length) return __builtin_trap(), 0;
        if (MemoryFile_Tell(file) == before) MemoryFile_GetChar(file);
        if ((plan & 2) != 0) MemoryFile_Eoln(file);
    }
    // Seeks around and below the start, then reads.
    MemoryFile_Seek(file, static_cast<int8_t>(plan), plan % 3);
    double value = 0;
    MemoryFile_ReadReal(file, &value);
    uint8_t buffer[16];
    MemoryFile_Read(buffer, 1, sizeof buffer, file);
    MemoryFile_Free(file);
    return 0;
}
