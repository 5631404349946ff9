// Binary buffers as the rest of the engine sees them: a block of bytes with a read/write position
// into which typed values are written little-endian and from which they are read back, with an
// alignment for every value, three behaviours at the end of the block (stop, grow, wrap around) and
// whole-region operations (files, base64, digests, copy, fill, resize).
//
// Buffer_Standard (Buffer_Standard.h) is every kind but the fast one; Buffer_Fast (Buffer_Fast.h)
// holds unsigned bytes only. Scripts name buffers through the buffer table (Buffer_Table.h).
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

// Buffer kinds: what happens at the end of the block. Any other code behaves as fixed.
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
    eBuffer_F16 = 7, // never written; a read skips two bytes
    eBuffer_F32 = 8,
    eBuffer_F64 = 9,
    eBuffer_Bool = 10,
    eBuffer_String = 11,
};

// Results of the typed operations.
enum : int32_t {
    BUFFER_BAD_TYPE = -1,
    BUFFER_NO_ROOM = -2,
    BUFFER_PAST_END = -3, // the value a read past the end gives
    BUFFER_FAST_TYPE = -4,
};

constexpr int32_t BUFFER_MAX_ALIGNMENT = 1024;
// The block holds the size plus the alignment in a signed 32-bit count, so no buffer grows further.
constexpr int32_t BUFFER_MAX_SIZE = INT32_MAX - BUFFER_MAX_ALIGNMENT;

// The one-byte string that stands for "no text" in a buffer.
constexpr char BUFFER_NO_TEXT_MARK = '\x04';

// Bytes of a type: 1 for 1, 2, 10; 2 for 3, 4, 7; 4 for 5, 6, 8; 8 for 9; 0 for strings and any
// other code.
inline int32_t Buffer_TypeSize(int32_t type)
{
    static constexpr int8_t SIZES[] = {0, 1, 1, 2, 2, 4, 4, 2, 4, 8, 1, 0};
    return type >= 0 && type < int32_t(sizeof SIZES) ? SIZES[type] : 0;
}

class IBuffer {
  public:
    IBuffer() = default;
    IBuffer(const IBuffer&) = delete;
    IBuffer& operator=(const IBuffer&) = delete;
    virtual ~IBuffer();

    // 0 on success; BUFFER_BAD_TYPE, BUFFER_NO_ROOM, or BUFFER_FAST_TYPE from a fast buffer.
    virtual int32_t Write(int32_t type, const ScriptValue* value) = 0;
    // 0 or BUFFER_BAD_TYPE (a fast buffer also BUFFER_NO_ROOM and BUFFER_FAST_TYPE); the value is
    // always set, to real BUFFER_PAST_END for a read past the end.
    virtual int32_t Read(int32_t type, ScriptValue* value) = 0;
    // Base 0 from the start, 1 relative, 2 from the end; returns the new position.
    virtual int32_t Seek(int32_t base, int32_t offset);
    // At an absolute offset, without the position or alignment; out of range gives real 0.
    virtual void Peek(int32_t offset, int32_t type, ScriptValue* value);
    // At an absolute offset; never grows, out of range does nothing.
    virtual void Poke(int32_t offset, int32_t type, const ScriptValue* value);
    // The region as the whole content of a save-area file; false when it cannot be written.
    virtual bool Save(const char* name, int32_t offset, int32_t size);
    // A file of the save area (else of the game's folder) into the buffer at destinationOffset.
    virtual bool Load(const char* name, int32_t sourceOffset, int32_t size, int32_t destinationOffset);
    virtual void Base64Encode(ScriptValue* out, int32_t offset, int32_t size);
    virtual bool Base64Decode(const char* text, int32_t offset, int32_t size);
    // Lower-case hexadecimal digests of a region; a wrap buffer's region wraps.
    virtual void Md5(ScriptValue* out, int32_t offset, int32_t size);
    virtual void Sha1(ScriptValue* out, int32_t offset, int32_t size);
    // A negative size, or one above BUFFER_MAX_SIZE, is refused.
    virtual void Resize(int32_t newSize);
    // A copy into the buffer itself is refused.
    virtual void CopyTo(int32_t sourceOffset, int32_t size, IBuffer* destination, int32_t destinationOffset);
    // Copies of the value over a region: every `stride` bytes, or at multiples of the alignment
    // when the stride is below 1; the gaps zeroed when asked.
    virtual void Fill(int32_t offset, int32_t size, int32_t type, const ScriptValue* value, int32_t stride,
                      bool zeroGaps);

    // Writes text as a type-11 string; null is written as the one-byte string 0x04.
    int32_t WriteString(const char* text);
    // Reads a type-11 string: a new memory-manager block owned by the caller, or null for the
    // one-byte string 0x04 (and when no string could be read).
    char* ReadString();
    // The length with the terminator as unsigned 32-bit, then the string (null as the empty text);
    // the first failing write's result, else 0.
    int32_t WriteSizedString(const char* text);
    // One number written as the type; Write's result.
    int32_t WriteNumber(int32_t type, double number);
    // One number read as the type: false when the read failed, did not move (but in a wrap buffer)
    // or gave no real.
    bool ReadNumber(int32_t type, double* out);

    // Copies a region of source bytes into the destination buffer, growing it when `grow` is set
    // (never past BUFFER_MAX_SIZE), else clipping or wrapping at its end; either side may wrap
    // around. False when nothing could be done.
    static bool WriteRegion(IBuffer* destination, const uint8_t* source, int32_t sourceSize,
                            int32_t sourceOffset, int32_t size, int32_t destinationOffset, bool grow,
                            bool wrapDestination, bool wrapSource);

    uint8_t* m_pRawBlock = nullptr; // the allocation, or foreign memory
    int32_t m_AllocSize = 0;        // size plus alignment
    uint8_t* m_pData = nullptr;     // first byte: the raw block rounded up to the alignment
    int32_t m_Size = 0;             // usable bytes
    int32_t m_Alignment = 1;        // a power of two, 1 to 1024
    int32_t m_Kind = eBuffer_Grow;
    int32_t m_Position = 0;
    int32_t m_WrapPhase = 0; // stream bytes of earlier passes over a wrap buffer, modulo the alignment
    ScriptValue m_Scratch{}; // hands strings to and from the typed operations
    uint8_t m_OwnsMemory = 1;

  protected:
    bool Wraps() const { return m_Kind == eBuffer_Wrap; }
    // A new block of size plus alignment (alignment rounded up to a power of two), cleared when asked.
    void AllocateBlock(int32_t size, int32_t alignment, bool clear = true);
    // Copies in or out at an offset inside the block, continuing from the start at the end.
    void CopyInWrapping(int64_t at, const uint8_t* from, int64_t length);
    void CopyOutWrapping(int64_t at, uint8_t* to, int64_t length) const;
    // The phase after `turns` passes over the whole block.
    int32_t PhaseAfterTurns(int64_t turns) const;
};
