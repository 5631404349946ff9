#include "base/Base_Crc.h"

uint32_t g_Crc32Table[256];

namespace {

bool g_TableBuilt = false;

void ComputeTable(uint32_t* table)
{
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
}

void EnsureTable()
{
    if (!g_TableBuilt) Crc32::BuildTable();
}

uint32_t Step(uint32_t crc, unsigned char byte) { return (crc >> 8) ^ g_Crc32Table[(crc ^ byte) & 0xFF]; }

} // namespace

namespace Crc32 {

void BuildTable()
{
    ComputeTable(g_Crc32Table);
    g_TableBuilt = true;
}

bool CheckTable()
{
    uint32_t fresh[256];
    ComputeTable(fresh);
    for (int i = 0; i < 256; ++i) {
        if (fresh[i] != g_Crc32Table[i]) return false;
    }
    return true;
}

uint32_t StringFrom(const char* text, uint32_t crc)
{
    EnsureTable();
    for (const char* p = text ? text : ""; *p != '\0'; ++p) crc = Step(crc, static_cast<unsigned char>(*p));
    return crc;
}

uint32_t BufferFrom(const void* data, int64_t length, uint32_t crc)
{
    EnsureTable();
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (int64_t i = 0; i < length; ++i) crc = Step(crc, bytes[i]);
    return crc;
}

uint32_t String(const char* text) { return StringFrom(text, 0xFFFFFFFFu); }
uint32_t Buffer(const void* data, int64_t length) { return BufferFrom(data, length, 0xFFFFFFFFu); }

} // namespace Crc32
