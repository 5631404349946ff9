// The buffer of every kind but the fast one: alignment of each value to the stream, and a block
// that stops (fixed and any unknown kind), grows or wraps around at its end.
#pragma once

#include "buffer/Buffer_IBuffer.h"

class Buffer_Standard : public IBuffer {
  public:
    // An empty grow buffer without a block (loading a file, decoding base64).
    Buffer_Standard();
    // A new cleared block; the alignment becomes a power of two from 1 to 1024.
    Buffer_Standard(int32_t size, int32_t kind, int32_t alignment);
    // Over foreign memory, used as it stands with alignment 1; freed on destruction only when owned.
    Buffer_Standard(uint8_t* memory, int32_t size, int32_t kind, bool owns);

    int32_t Write(int32_t type, const ScriptValue* value) override;
    int32_t Read(int32_t type, ScriptValue* value) override;

  private:
    // Rounds the position up so that position plus phase is a multiple of the alignment and brings a
    // wrap buffer's position back into the block. Returns that position; the stored one never passes
    // the end of a block that cannot grow.
    int64_t AlignStep();
    // Doubles the size (from 0: straight to the need) until `needed` bytes fit; false past the limit.
    bool GrowTo(int64_t needed);
    // The position after `length` bytes from `at`, wrapping with the phase in a wrap buffer.
    void Advance(int64_t at, int64_t length);
    void ReadText(int64_t at, ScriptValue* value);
};
