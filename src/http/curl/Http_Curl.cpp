// HTTP transfers over libcurl's multi interface, driven from the main thread: starting a request
// and polling once a frame move every transfer on without blocking, so no thread, lock or join is
// needed. At most 8 transfers run at once (the transfer table); the others wait in state 9 (GET) or
// 8 (POST) and the oldest starts when one ends while all 8 ran.
#include <curl/curl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "http/Http_Request.h"
#include "http/Http_Url.h"

namespace {

constexpr size_t MAX_TRANSFERS = 8;
constexpr long CONNECT_TIMEOUT_SECONDS = 30;
// A server that sends less than a byte a second for a minute frees its slot.
constexpr long LOW_SPEED_BYTES = 1;
constexpr long LOW_SPEED_SECONDS = 60;
constexpr long MAX_REDIRECTS = 10;

struct HttpTransfer : HTTP_REQ_CONTEXT {
    HttpTransfer(const char* url, const char* body, HttpCompletion completion, HttpCleanup cleanup, void* user);
    ~HttpTransfer() override;

    bool m_Post = false;
    std::string m_Body; // the whole POST body, sent from here
    CURL* m_pEasy = nullptr;
    curl_slist* m_pHeaders = nullptr;
    bool m_Attached = false;  // in the multi handle
    bool m_Ended = false;     // the transfer is over; polling finishes the record
    bool m_Failed = false;    // it ended before a reply came
    bool m_Full = false;      // the reply area was full, which ends the reading normally
    bool m_LimitKnown = false;
    int64_t m_Limit = 0;      // the size the reply area may grow to
    std::string m_ErrorText;  // "operation: message\n"
    char m_ErrorBuffer[CURL_ERROR_SIZE] = {};
};

CURLM* g_Multi = nullptr;
std::vector<HttpTransfer*> g_Transfers; // the running ones, in table order

HttpTransfer::HttpTransfer(const char* url, const char* body, HttpCompletion completion, HttpCleanup cleanup,
                           void* user)
    : HTTP_REQ_CONTEXT(url, HTTP_DATA_SIZE, completion, cleanup, user)
{
    if (body != nullptr) {
        m_Post = true;
        m_Body = body;
    }
}

HttpTransfer::~HttpTransfer()
{
    g_Transfers.erase(std::remove(g_Transfers.begin(), g_Transfers.end(), this), g_Transfers.end());
    if (m_Attached) curl_multi_remove_handle(g_Multi, m_pEasy);
    if (m_pEasy != nullptr) curl_easy_cleanup(m_pEasy);
    curl_slist_free_all(m_pHeaders);
}

// The "session": libcurl set up once, and the multi handle all transfers run in.
bool OpenSession()
{
    static bool initialised = false;
    if (!initialised) {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            MainConsole->Output("InternetOpen: the transfer library could not be set up\n");
            return false;
        }
        initialised = true;
    }
    if (g_Multi == nullptr) g_Multi = curl_multi_init();
    if (g_Multi == nullptr) MainConsole->Output("InternetOpen: the transfer library could not be set up\n");
    return g_Multi != nullptr;
}

// Grows the reply area as bytes arrive, never past the limit, new bytes 0xFF as at the start.
bool Reserve(HttpTransfer* t, int64_t needed)
{
    if (needed <= t->m_DataSize) return true;
    int64_t size = std::min(std::max(needed, int64_t(t->m_DataSize) * 2), t->m_Limit);
    auto* data = static_cast<uint8_t*>(std::realloc(t->m_pData, size_t(size)));
    if (data == nullptr) return false;
    std::memset(data + t->m_DataSize, 0xFF, size_t(size - t->m_DataSize));
    t->m_pData = data;
    t->m_DataSize = int32_t(size);
    return true;
}

// The reply body keeps at most the area's size less one byte: 131072 bytes, or the announced length
// plus one when that is larger (the area grows only as far as bytes arrive).
size_t OnBody(char* bytes, size_t size, size_t count, void* user)
{
    auto* t = static_cast<HttpTransfer*>(user);
    size_t n = size * count;
    if (!t->m_LimitKnown) {
        curl_off_t announced = -1;
        curl_easy_getinfo(t->m_pEasy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        t->m_Limit = announced >= t->m_DataSize ? std::min<int64_t>(int64_t(announced) + 1, INT32_MAX) : t->m_DataSize;
        t->m_LimitKnown = true;
    }
    int64_t room = std::max<int64_t>(t->m_Limit - 1 - t->m_DataLength, 0);
    size_t take = size_t(std::min<int64_t>(int64_t(n), room));
    if (t->m_pData == nullptr || !Reserve(t, int64_t(t->m_DataLength) + int64_t(take) + 1)) take = 0;
    if (take > 0) std::memcpy(t->m_pData + t->m_DataLength, bytes, take);
    t->m_DataLength += int32_t(take);
    if (take < n) t->m_Full = true;
    return take;
}

bool SetOptions(HttpTransfer* t, const HttpUrl& parts)
{
    CURL* e = t->m_pEasy;
    std::string target = HttpUrl_Target(parts, t->m_Post);
    bool ok = curl_easy_setopt(e, CURLOPT_URL, target.c_str()) == CURLE_OK;
    curl_easy_setopt(e, CURLOPT_PRIVATE, t);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t->m_ErrorBuffer);
    curl_easy_setopt(e, CURLOPT_USERAGENT, "Kelvaro HTTP");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, MAX_REDIRECTS);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, CONNECT_TIMEOUT_SECONDS);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, LOW_SPEED_BYTES);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, LOW_SPEED_SECONDS);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, t);
    if (!parts.user.empty()) {
        curl_easy_setopt(e, CURLOPT_USERNAME, parts.user.c_str());
        curl_easy_setopt(e, CURLOPT_PASSWORD, parts.password.c_str());
    }
    if (!t->m_Post) return ok && curl_easy_setopt(e, CURLOPT_HTTPGET, 1L) == CURLE_OK;
    for (const char* header : {"Content-Type: application/x-www-form-urlencoded", "Accept: */*", "Expect:"})
        t->m_pHeaders = curl_slist_append(t->m_pHeaders, header);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, t->m_pHeaders);
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(t->m_Body.size()));
    return ok && t->m_pHeaders != nullptr && curl_easy_setopt(e, CURLOPT_POSTFIELDS, t->m_Body.data()) == CURLE_OK;
}

// An address that cannot be taken apart fails as a connection to nowhere would.
void EndUnreachable(HttpTransfer* t)
{
    MainConsole->Output("InternetCanonicalizeUrl: the address %s cannot be used\n", t->m_pUrl ? t->m_pUrl : "");
    t->m_ErrorText = "InternetConnect: no server at this address\n";
    t->m_Ended = true;
    t->m_Failed = true;
}

// Starts the transfer and takes a table entry; false (with the log line) when it cannot run.
bool Start(HttpTransfer* t)
{
    HttpUrl parts;
    if (!HttpUrl_Split(t->m_pUrl, parts)) {
        EndUnreachable(t);
        g_Transfers.push_back(t);
        return true;
    }
    t->m_pEasy = curl_easy_init();
    if (t->m_pEasy == nullptr || !SetOptions(t, parts) || curl_multi_add_handle(g_Multi, t->m_pEasy) != CURLM_OK) {
        MainConsole->Output("Create Http Thread: the transfer could not be started\n");
        return false;
    }
    t->m_Attached = true;
    t->m_State = HTTP_STATE_SENDING;
    g_Transfers.push_back(t);
    int running = 0;
    curl_multi_perform(g_Multi, &running);
    return true;
}

// A record that could not start is dropped; its owner still gets its cleanup.
void Drop(HttpTransfer* t)
{
    HTTP_Unlink(t);
    if (t->m_pCleanup != nullptr) t->m_pCleanup(t);
    delete t;
}

bool ConnectionError(CURLcode code)
{
    return code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_RESOLVE_PROXY ||
           code == CURLE_COULDNT_CONNECT || code == CURLE_URL_MALFORMAT || code == CURLE_UNSUPPORTED_PROTOCOL ||
           code == CURLE_SSL_CONNECT_ERROR || code == CURLE_PEER_FAILED_VERIFICATION;
}

// Records how the transfer ended: a reply status; an error text for a failure, which before any
// reply means nothing was received at all.
void MarkEnded(HttpTransfer* t, CURLcode code)
{
    t->m_Ended = true;
    curl_multi_remove_handle(g_Multi, t->m_pEasy);
    t->m_Attached = false;
    long status = 0;
    curl_easy_getinfo(t->m_pEasy, CURLINFO_RESPONSE_CODE, &status);
    t->m_HttpStatus = int32_t(status);
    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && t->m_Full)) return;
    std::string message = t->m_ErrorBuffer[0] != '\0' ? t->m_ErrorBuffer : curl_easy_strerror(code);
    const char* operation = status != 0 ? "InternetReadFile" : ConnectionError(code) ? "InternetConnect" : "HttpSendRequest";
    t->m_ErrorText = std::string(operation) + ": " + message + "\n";
    t->m_DataLength = 0;
    t->m_Failed = status == 0;
}

void CollectEnded()
{
    int running = 0;
    curl_multi_perform(g_Multi, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(g_Multi, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        char* owner = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
        if (owner != nullptr) MarkEnded(reinterpret_cast<HttpTransfer*>(owner), message->data.result);
    }
}

// The oldest active record waiting for a table entry (the last such in the list).
HttpTransfer* OldestWaiting()
{
    HttpTransfer* oldest = nullptr;
    for (HTTP_REQ_CONTEXT* r = g_pHttpRequests; r != nullptr; r = r->m_pNext) {
        auto* t = dynamic_cast<HttpTransfer*>(r);
        bool waiting = r->m_State == HTTP_STATE_POST_WAITING || r->m_State == HTTP_STATE_GET_WAITING;
        if (t != nullptr && (r->m_Active & 0xFF) != 0 && waiting) oldest = t;
    }
    return oldest;
}

void StartWaiting()
{
    HttpTransfer* t = OldestWaiting();
    if (t == nullptr) return;
    t->m_State = HTTP_STATE_STARTED;
    if (!Start(t)) Drop(t);
}

// A failure before any reply finishes the request with no status and no data, so that its owner
// hears of it.
void Finish(HttpTransfer* t)
{
    if (!t->m_ErrorText.empty()) MainConsole->Output("HttpError:%s\n", t->m_ErrorText.c_str());
    if (t->m_Failed) {
        t->m_HttpStatus = 0;
        t->m_DataLength = 0;
    }
    if (t->m_pData != nullptr) t->m_pData[t->m_DataLength] = 0;
    t->m_State = HTTP_STATE_FINISHED;
}

bool Request(const char* url, const char* body, HttpCompletion completion, HttpCleanup cleanup, void* user)
{
    if (!OpenSession()) return true;
    auto* t = new HttpTransfer(url, body, completion, cleanup, user);
    if (g_Transfers.size() >= MAX_TRANSFERS) {
        t->m_State = body != nullptr ? HTTP_STATE_POST_WAITING : HTTP_STATE_GET_WAITING;
        return false;
    }
    if (!Start(t)) Drop(t);
    return true;
}

} // namespace

bool HTTP_Get(const char* url, int32_t, HttpCompletion completion, HttpCleanup cleanup, void* user)
{
    return Request(url, nullptr, completion, cleanup, user);
}

bool HTTP_Post(const char* url, const char* body, HttpCompletion completion, HttpCleanup cleanup, void* user)
{
    return Request(url, body != nullptr ? body : "", completion, cleanup, user);
}

void HTTP_PollRequests()
{
    if (g_Multi == nullptr) return;
    CollectEnded();
    for (size_t i = 0; i < g_Transfers.size(); ++i) {
        HttpTransfer* t = g_Transfers[i];
        if (!t->m_Ended) continue;
        Finish(t);
        bool wasFull = g_Transfers.size() == MAX_TRANSFERS;
        // The last entry takes this place and is looked at in the next frame.
        g_Transfers[i] = g_Transfers.back();
        g_Transfers.pop_back();
        if (wasFull) StartWaiting();
    }
}
