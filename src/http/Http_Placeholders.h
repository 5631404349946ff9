// The HTTP request list that the frame's asynchronous stage walks, standing in until HTTP requests run.
#pragma once

#include <cstdint>

// A finished request's completion routine: (request, user value, address of the map id) → the
// event subtype to raise; it may create a map and store its id.
struct HTTP_REQ_CONTEXT;
typedef int32_t (*HttpCompletion)(HTTP_REQ_CONTEXT* request, void* user, int32_t* mapId);
typedef void (*HttpCleanup)(HTTP_REQ_CONTEXT* request);

constexpr int32_t HTTP_STATE_FINISHED = 7;

struct HTTP_REQ_CONTEXT {
    virtual ~HTTP_REQ_CONTEXT() = default;
    HTTP_REQ_CONTEXT* m_pNext = nullptr;
    uint8_t m_Completed = 0;
    int32_t m_State = 0;
    HttpCompletion m_pCompletion = nullptr;
    HttpCleanup m_pCleanup = nullptr;
    void* m_pUser = nullptr;
};

// The head of the request list (null when empty).
extern HTTP_REQ_CONTEXT* g_pHttpRequests;

// Checks the request threads; finished requests are marked completed with state 7.
void HTTP_PollRequests();
