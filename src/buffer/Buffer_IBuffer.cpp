// The operations both buffer kinds share: the block, seeking, peeking and poking, resizing, copying
// regions and filling, and the string helpers the rest of the engine uses.
#include "buffer/Buffer_IBuffer.h"

#include <algorithm>
#include <cstring>

#include "buffer/Buffer_Values.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

// The remainder in 0 .. modulus - 1, also for negative numbers.
int64_t Modulo(int64_t value, int64_t modulus)
{
    int64_t rest = value % modulus;
    return rest < 0 ? rest + modulus : rest;
}

int32_t RoundAlignment(int32_t requested)
{
    int32_t alignment = 1;
    while (alignment < requested && alignment < BUFFER_MAX_ALIGNMENT)
        alignment *= 2;
    return alignment;
}

uint8_t* AlignPointer(uint8_t* block, int32_t alignment)
{
    auto address = reinterpret_cast<uintptr_t>(block);
    uintptr_t mask = static_cast<uintptr_t>(alignment) - 1;
    return block + (((address + mask) & ~mask) - address);
}

// Copies `length` bytes between two blocks that each may wrap at their end, in pieces as long as the
// shortest of what remains and the room to either end.
void CopyPieces(uint8_t* to, int64_t toSize, int64_t toAt, const uint8_t* from, int64_t fromSize,
                int64_t fromAt, int64_t length)
{
    while (length > 0) {
        int64_t piece = std::min({length, toSize - toAt, fromSize - fromAt});
        std::memmove(to + toAt, from + fromAt, static_cast<size_t>(piece));
        length -= piece;
        toAt = (toAt + piece) % toSize;
        fromAt = (fromAt + piece) % fromSize;
    }
}

} // namespace

IBuffer::~IBuffer()
{
    Value_Free(&m_Scratch);
    if (m_OwnsMemory != 0) MemoryManager::Free(m_pRawBlock);
    m_pRawBlock = nullptr;
    m_pData = nullptr;
}

void IBuffer::AllocateBlock(int32_t size, int32_t alignment, bool clear)
{
    m_Alignment = RoundAlignment(alignment);
    m_Size = std::clamp(size, 0, BUFFER_MAX_SIZE);
    m_AllocSize = m_Size + m_Alignment;
    m_pRawBlock = static_cast<uint8_t*>(MEM_ALLOC(static_cast<size_t>(m_AllocSize), clear));
    m_pData = AlignPointer(m_pRawBlock, m_Alignment);
    m_OwnsMemory = 1;
}

void IBuffer::CopyInWrapping(int64_t at, const uint8_t* from, int64_t length)
{
    // Of bytes that go round the block more than once only the last pass stays.
    if (length > m_Size) {
        int64_t skipped = length - m_Size;
        from += skipped;
        at = (at + skipped) % m_Size;
        length = m_Size;
    }
    CopyPieces(m_pData, m_Size, at, from, length, 0, length);
}

void IBuffer::CopyOutWrapping(int64_t at, uint8_t* to, int64_t length) const
{
    CopyPieces(to, length, 0, m_pData, m_Size, at, length);
}

int32_t IBuffer::PhaseAfterTurns(int64_t turns) const
{
    int64_t alignment = m_Alignment;
    // Each pass adds the size; going back a pass adds alignment - (size mod alignment).
    int64_t step = Modulo(m_Size, alignment);
    return static_cast<int32_t>(Modulo(m_WrapPhase + Modulo(turns, alignment) * step, alignment));
}

int32_t IBuffer::Seek(int32_t base, int32_t offset)
{
    if (m_Size <= 0) return m_Position;
    int64_t last = int64_t(m_Size) - 1;
    switch (base) {
    case 0:
        m_Position = static_cast<int32_t>(std::clamp<int64_t>(offset, 0, last));
        m_WrapPhase = 0;
        break;
    case 1: {
        int64_t target = int64_t(m_Position) + offset;
        if (!Wraps()) {
            m_Position = static_cast<int32_t>(std::clamp<int64_t>(target, 0, last));
            break;
        }
        // Whole passes over the block at once: a turn back counts as -1.
        int64_t turns = target >= 0 ? target / m_Size : -((-target + last) / m_Size);
        m_Position = static_cast<int32_t>(target - turns * m_Size);
        m_WrapPhase = PhaseAfterTurns(turns);
        break;
    }
    case 2: {
        // Raised to 0 first, then cut: a one-byte buffer ends at position 1.
        int64_t back = std::min<int64_t>(std::max(offset, 0), int64_t(m_Size) - 2);
        m_Position = static_cast<int32_t>(last - back);
        m_WrapPhase = 0;
        break;
    }
    default:
        break;
    }
    return m_Position;
}

void IBuffer::Peek(int32_t offset, int32_t type, ScriptValue* value)
{
    Buffer_ClearValue(value);
    int64_t length = Buffer_TypeSize(type);
    if (offset < 0 || m_Size <= 0 || length == 0 || type == eBuffer_F16) return;
    uint8_t bytes[8];
    if (Wraps()) {
        CopyOutWrapping(offset % m_Size, bytes, length);
    } else {
        if (offset + length > m_Size) return;
        std::memcpy(bytes, m_pData + offset, static_cast<size_t>(length));
    }
    Buffer_Decode(type, bytes, value);
}

void IBuffer::Poke(int32_t offset, int32_t type, const ScriptValue* value)
{
    BufferBytes bytes;
    if (offset < 0 || m_Size <= 0 || !Buffer_Encode(type, value, &bytes)) return;
    if (Wraps()) {
        CopyInWrapping(offset % m_Size, bytes.Data(), bytes.length);
    } else if (offset + bytes.length <= m_Size) {
        std::memcpy(m_pData + offset, bytes.Data(), static_cast<size_t>(bytes.length));
    }
}

void IBuffer::Resize(int32_t newSize)
{
    if (newSize < 0 || newSize > BUFFER_MAX_SIZE) return;
    uint8_t* oldRaw = m_pRawBlock;
    uint8_t* oldData = m_pData;
    int32_t oldSize = m_Size;
    bool owned = m_OwnsMemory != 0;
    // Only the bytes the old block does not cover need clearing.
    AllocateBlock(newSize, m_Alignment, false);
    int32_t kept = oldData != nullptr ? std::min(oldSize, newSize) : 0;
    if (kept > 0) std::memcpy(m_pData, oldData, static_cast<size_t>(kept));
    std::memset(m_pData + kept, 0, static_cast<size_t>(newSize - kept));
    if (owned) MemoryManager::Free(oldRaw);
    if (m_Position >= m_Size) {
        m_Position = 0;
        m_WrapPhase = 0;
    }
}

void IBuffer::CopyTo(int32_t sourceOffset, int32_t size, IBuffer* destination, int32_t destinationOffset)
{
    // Growing the destination would free the very bytes being copied.
    if (destination == nullptr || destination == this) return;
    bool grow = destination->m_Kind == eBuffer_Grow || destination->m_Size == 0;
    WriteRegion(destination, m_pData, m_Size, sourceOffset, size, destinationOffset, grow,
                destination->Wraps(), Wraps());
}

bool IBuffer::WriteRegion(IBuffer* destination, const uint8_t* source, int32_t sourceSize,
                          int32_t sourceOffset, int32_t size, int32_t destinationOffset, bool grow,
                          bool wrapDestination, bool wrapSource)
{
    if (destination == nullptr || source == nullptr || sourceSize < 1) return false;
    int64_t length = size < 0 ? sourceSize : size;
    int64_t from = sourceOffset;
    if (wrapSource) {
        from = Modulo(from, sourceSize);
    } else {
        from = std::clamp<int64_t>(from, 0, sourceSize - 1);
        length = std::min<int64_t>(length, sourceSize - from);
    }
    int64_t to = destinationOffset;
    if (grow) {
        to = std::max<int64_t>(to, 0);
        if (to + length > BUFFER_MAX_SIZE) return false;
        if (destination->m_Size < to + length) destination->Resize(static_cast<int32_t>(to + length));
    } else {
        int64_t room = destination->m_Size;
        if (room <= 0) return false;
        if (wrapDestination) {
            to = Modulo(to, room);
        } else if (to >= room) {
            to = room - 1;
            length = std::min<int64_t>(length, 1);
        } else {
            to = std::max<int64_t>(to, 0);
            length = std::min<int64_t>(length, room - to);
        }
    }
    CopyPieces(destination->m_pData, destination->m_Size, to, source, sourceSize, from, length);
    return true;
}

void IBuffer::Fill(int32_t offset, int32_t size, int32_t type, const ScriptValue* value, int32_t stride,
                   bool zeroGaps)
{
    BufferBytes bytes;
    if (m_Size <= 0 || !Buffer_Encode(type, value, &bytes)) return;
    int64_t start = offset;
    int64_t end = size < 0 ? m_Size : size; // the range's length, walked from 0
    if (Wraps()) {
        start = Modulo(start, m_Size);
    } else {
        if (start < 0 || start >= m_Size) return;
        end = std::min<int64_t>(end, m_Size - start);
    }
    bool strided = stride >= 1;
    int64_t copyLength = strided ? std::min<int64_t>(bytes.length, stride) : bytes.length;
    int64_t mask = int64_t(m_Alignment) - 1;
    auto address = [&](int64_t walked) { return (start + walked) % m_Size; };
    // Aligned mode: the next multiple of the alignment in the block, or the block's start past its end.
    auto alignedFrom = [&](int64_t walked) {
        int64_t at = address(walked);
        return walked + std::min((at + mask) & ~mask, int64_t(m_Size)) - at;
    };
    auto zero = [&](int64_t from, int64_t to) {
        for (int64_t walked = from; zeroGaps && walked < to;) {
            int64_t at = address(walked);
            int64_t piece = std::min(to - walked, m_Size - at);
            std::memset(m_pData + at, 0, static_cast<size_t>(piece));
            walked += piece;
        }
    };
    int64_t walked = strided ? 0 : alignedFrom(0);
    zero(0, std::min(walked, end));
    while (walked < end) {
        int64_t written = copyLength <= end - walked ? copyLength : 0;
        if (written > 0) CopyInWrapping(address(walked), bytes.Data(), written);
        int64_t next = strided ? walked + stride : alignedFrom(walked + copyLength);
        zero(walked + written, std::min(next, end));
        walked = next;
    }
}

int32_t IBuffer::WriteString(const char* text)
{
    static const char noText[2] = {BUFFER_NO_TEXT_MARK, '\0'};
    Value_SetText(&m_Scratch, text != nullptr ? text : noText);
    int32_t result = Write(eBuffer_String, &m_Scratch);
    Value_Free(&m_Scratch);
    m_Scratch = ScriptValue{};
    return result;
}

char* IBuffer::ReadString()
{
    Value_Free(&m_Scratch);
    m_Scratch = ScriptValue{};
    Read(eBuffer_String, &m_Scratch);
    char* text = nullptr;
    if (Value_GetKind(&m_Scratch) == VALUE_STRING) {
        // The scratch value's block becomes the caller's.
        text = ScriptHeap_Get<char>(m_Scratch.ref);
        m_Scratch.ref = 0;
        if (text != nullptr && text[0] == BUFFER_NO_TEXT_MARK && text[1] == '\0') {
            MemoryManager::Free(text);
            text = nullptr;
        }
    }
    Value_Free(&m_Scratch);
    m_Scratch = ScriptValue{};
    return text;
}

int32_t IBuffer::WriteNumber(int32_t type, double number)
{
    ScriptValue item = {VALUE_REAL, 0, number};
    return Write(type, &item);
}

bool IBuffer::ReadNumber(int32_t type, double* out)
{
    ScriptValue item = {VALUE_REAL, 0, 0.0};
    int32_t before = m_Position;
    int32_t result = Read(type, &item);
    bool moved = m_Kind == eBuffer_Wrap || m_Position != before;
    bool ok = result == 0 && moved && Value_GetKind(&item) == VALUE_REAL;
    *out = item.real;
    Value_Free(&item);
    return ok;
}

int32_t IBuffer::WriteSizedString(const char* text)
{
    if (text == nullptr) text = "";
    int32_t result = WriteNumber(eBuffer_U32, static_cast<double>(std::strlen(text) + 1));
    if (result != 0) return result;
    return WriteString(text);
}
