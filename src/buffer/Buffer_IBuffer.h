// Binary buffers as the rest of the engine sees them: a block of bytes with a read/write position
// into which typed values are written and from which they are read back.
//
// PLACEHOLDER until binary buffers exist: only the part that value and variable-list streams need is
// here (the fields, typed Write/Read and the string helpers). The whole class replaces this
// header when binary buffers are built (seek, peek, poke, save, load, digests, ...) and its two
// implementations.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

// Buffer kinds: what happens at the end of the block.
enum : int32_t {
    eBuffer_Fixed = 0,
    eBuffer_Grow = 1,
    eBuffer_Wrap = 2,
    eBuffer_Fast = 3,
};

// Data types of the typed operations (the codes scripts pass).
enum : int32_t {
    eBuffer_U8 = 1,
    eBuffer_S8 = 2,
    eBuffer_U16 = 3,
    eBuffer_S16 = 4,
    eBuffer_U32 = 5,
    eBuffer_S32 = 6,
    eBuffer_F16 = 7,
    eBuffer_F32 = 8,
    eBuffer_F64 = 9,
    eBuffer_Bool = 10,
    eBuffer_String = 11,
};

// The one-byte string that stands for "no text" in a buffer.
constexpr char BUFFER_NO_TEXT_MARK = '\x04';

class IBuffer {
public:
    IBuffer() = default;
    IBuffer(const IBuffer&) = delete;
    IBuffer& operator=(const IBuffer&) = delete;
    virtual ~IBuffer();

    // 0 on success; -1 for a type that cannot be written, -2 when a fixed buffer has no room.
    virtual int32_t Write(int32_t type, const ScriptValue* value) = 0;
    // 0 or -1; the value is always set. A read past the end gives real -3 and 0.
    virtual int32_t Read(int32_t type, ScriptValue* value) = 0;

    // Writes text as a type-11 string; null is written as the one-byte string 0x04.
    int32_t WriteString(const char* text);
    // Reads a type-11 string: a new memory-manager block owned by the caller, or null for the
    // one-byte string 0x04 (and when no string could be read).
    char* ReadString();

    uint8_t* m_pRawBlock = nullptr; // the allocation, or foreign memory
    int32_t m_AllocSize = 0;        // size plus alignment
    uint8_t* m_pData = nullptr;     // first byte: the raw block rounded up to the alignment
    int32_t m_Size = 0;             // usable bytes
    int32_t m_Alignment = 1;        // a power of two, 1 to 1024
    int32_t m_Kind = eBuffer_Grow;
    int32_t m_Position = 0;
    int32_t m_WrapPhase = 0;
    ScriptValue m_Scratch{};        // hands strings to and from the typed operations
    uint8_t m_OwnsMemory = 1;
};
