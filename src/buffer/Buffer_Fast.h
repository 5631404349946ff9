// The fast buffer: unsigned bytes only, written and read at the position with no alignment, no
// growth and no wrapping. Every other operation is the common one of IBuffer.
#pragma once

#include "buffer/Buffer_IBuffer.h"

class Buffer_Fast : public IBuffer {
  public:
    Buffer_Fast(int32_t size, int32_t alignment);

    // Any type but unsigned 8-bit gives BUFFER_FAST_TYPE; the end gives BUFFER_NO_ROOM.
    int32_t Write(int32_t type, const ScriptValue* value) override;
    int32_t Read(int32_t type, ScriptValue* value) override;
    void Peek(int32_t offset, int32_t type, ScriptValue* value) override;
    void Poke(int32_t offset, int32_t type, const ScriptValue* value) override;
};
