// Little-endian values in byte arrays: the game file, streams and texture files all store them so.
// The caller has checked that the bytes are there.
#pragma once

#include <cstdint>

inline uint16_t Bytes_GetLE16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

inline uint32_t Bytes_GetLE32(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

inline void Bytes_PutLE32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
