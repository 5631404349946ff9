// Asynchronous requests: the base record that every kind of request shares (HTTP transfers, image
// loads from a URL, dialogs), the one list of pending records, newest first, and the id counter they
// all draw from. The frame's asynchronous stage hands each finished record (active, state 7) to its
// completion routine, raises the event subtype it answers, then runs its cleanup and deletes it.
#pragma once

#include <cstdint>

// A finished request's completion routine: (request, user value, address of the map id) → the
// event subtype to raise; it may create a map and store its id.
struct HTTP_REQ_CONTEXT;
typedef int32_t (*HttpCompletion)(HTTP_REQ_CONTEXT* request, void* user, int32_t* mapId);
typedef void (*HttpCleanup)(HTTP_REQ_CONTEXT* request);

enum : int32_t {
    HTTP_STATE_STARTED = 1,
    HTTP_STATE_SENDING = 5,
    HTTP_STATE_FINISHED = 7,
    HTTP_STATE_POST_WAITING = 8,
    HTTP_STATE_GET_WAITING = 9,
};

// The size of the reply area every HTTP request starts with.
constexpr int32_t HTTP_DATA_SIZE = 131072;

struct HTTP_REQ_CONTEXT {
    // Joins the head of the list and takes the next id. The URL is copied (none when null); the data
    // area of `dataSize` bytes is filled with 0xFF (none when 0).
    HTTP_REQ_CONTEXT(const char* url, int32_t dataSize, HttpCompletion completion, HttpCleanup cleanup, void* user);
    virtual ~HTTP_REQ_CONTEXT();
    HTTP_REQ_CONTEXT(const HTTP_REQ_CONTEXT&) = delete;
    HTTP_REQ_CONTEXT& operator=(const HTTP_REQ_CONTEXT&) = delete;

    HTTP_REQ_CONTEXT* m_pNext = nullptr;
    uint32_t m_Active = 1; // the stage and the restart of waiting requests look only at active records
    int32_t m_State = HTTP_STATE_STARTED;
    HttpCompletion m_pCompletion = nullptr;
    HttpCleanup m_pCleanup = nullptr;
    void* m_pUser = nullptr;
    char* m_pUrl = nullptr; // memory-manager copy
    int32_t m_Id = 0;
    int32_t m_HttpStatus = 200;
    uint8_t* m_pData = nullptr; // C heap
    int32_t m_DataSize = 0;
    int32_t m_DataLength = 0;
};

// The head of the request list (null when empty) and the id the next request takes.
extern HTTP_REQ_CONTEXT* g_pHttpRequests;
extern int32_t g_HttpRequestCounter;

// Takes the record out of the list; nothing when it is not there.
void HTTP_Unlink(HTTP_REQ_CONTEXT* request);

// Starts a GET of the URL; `unused` is ignored. The request's id is the counter's value before the
// call. False when every transfer slot was busy and the request waits (state 9); true otherwise,
// also when the request could not be made at all (a log line says why, and no event follows).
bool HTTP_Get(const char* url, int32_t unused, HttpCompletion completion, HttpCleanup cleanup, void* user);
// The same for a POST of the text as a form-encoded body; a waiting POST has state 8.
bool HTTP_Post(const char* url, const char* body, HttpCompletion completion, HttpCleanup cleanup, void* user);
// Moves the transfers on without blocking and marks those that ended finished (state 7); called once
// a frame by the asynchronous stage before it walks the list.
void HTTP_PollRequests();
