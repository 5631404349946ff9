// PLACEHOLDER until binary buffers exist: the string helpers of IBuffer (see Buffer_IBuffer.h).
#include "buffer/Buffer_IBuffer.h"

#include <cstring>

#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"

IBuffer::~IBuffer()
{
    Value_Free(&m_Scratch);
    if (m_OwnsMemory != 0) MemoryManager::Free(m_pRawBlock);
    m_pRawBlock = nullptr;
    m_pData = nullptr;
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
