#include "code/Code_Emitter.h"

#include <cstring>

#include "code/Code_Translate.h"
#include "platform/Platform_MemoryManager.h"

VMBuffer::~VMBuffer()
{
    VM_FreeTranslation(m_pTranslation);
    if (m_OwnsWords) MemoryManager::Free(m_pWords);
}

void VMBuffer::DropTranslation()
{
    VM_FreeTranslation(m_pTranslation);
    m_pTranslation = nullptr;
}

VMWriteBuffer::VMWriteBuffer(int32_t capacity)
{
    m_Capacity = capacity > 0 ? capacity : 0;
    m_pWords = static_cast<uint8_t*>(MEM_ALLOC(static_cast<size_t>(m_Capacity), false));
    m_OwnsWords = true;
}

void VMWriteBuffer::EnsureSpace(int32_t bytes)
{
    if (bytes <= m_Capacity - m_Written) return;
    // Doubling from nothing would never grow; start from one word.
    int64_t capacity = m_Capacity > 0 ? m_Capacity : 4;
    while (capacity - m_Written < bytes) capacity *= 2;
    if (capacity > INT32_MAX) MemoryManager::OutOfMemory();
    uint8_t* storage = static_cast<uint8_t*>(MEM_ALLOC(static_cast<size_t>(capacity), false));
    if (m_Written > 0) std::memcpy(storage, m_pWords, static_cast<size_t>(m_Written));
    MemoryManager::Free(m_pWords);
    m_pWords = storage;
    m_Capacity = static_cast<int32_t>(capacity);
}

void VMWriteBuffer::WriteWords(int32_t count, const uint32_t* words)
{
    if (count <= 0) return;
    DropTranslation();
    EnsureSpace(count * 4);
    std::memcpy(m_pWords + m_Written, words, static_cast<size_t>(count) * 4);
    m_Written += count * 4;
}

void VMWriteBuffer::WriteInt64(int64_t value)
{
    uint64_t bits = static_cast<uint64_t>(value);
    uint32_t words[2] = {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)};
    WriteWords(2, words);
}

void VMWriteBuffer::WriteDouble(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteInt64(static_cast<int64_t>(bits));
}

void VMWriteBuffer::PatchWord(int32_t position, uint32_t word)
{
    if (position < 0 || position > m_Written - 4) return;
    DropTranslation();
    VM_WriteWord(m_pWords, static_cast<uint32_t>(position), word);
}
