#include "http/Http_Request.h"

#include <cstdlib>
#include <cstring>

#include "base/Base_Text.h"
#include "platform/Platform_MemoryManager.h"

HTTP_REQ_CONTEXT* g_pHttpRequests = nullptr;
int32_t g_HttpRequestCounter = 0;

HTTP_REQ_CONTEXT::HTTP_REQ_CONTEXT(const char* url, int32_t dataSize, HttpCompletion completion, HttpCleanup cleanup,
                                   void* user)
    : m_pCompletion(completion), m_pCleanup(cleanup), m_pUser(user)
{
    if (url != nullptr) m_pUrl = String_Copy(url);
    m_Id = g_HttpRequestCounter++;
    if (dataSize > 0) {
        m_pData = static_cast<uint8_t*>(std::malloc(size_t(dataSize)));
        if (m_pData != nullptr) {
            std::memset(m_pData, 0xFF, size_t(dataSize));
            m_DataSize = dataSize;
        }
    }
    m_pNext = g_pHttpRequests;
    g_pHttpRequests = this;
}

HTTP_REQ_CONTEXT::~HTTP_REQ_CONTEXT()
{
    std::free(m_pData);
    MemoryManager::Free(m_pUrl);
}

void HTTP_Unlink(HTTP_REQ_CONTEXT* request)
{
    for (HTTP_REQ_CONTEXT** link = &g_pHttpRequests; *link != nullptr; link = &(*link)->m_pNext) {
        if (*link == request) {
            *link = request->m_pNext;
            request->m_pNext = nullptr;
            return;
        }
    }
}
