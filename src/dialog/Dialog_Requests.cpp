#include "dialog/Dialog_Requests.h"

#include <cstdlib>
#include <cstring>

#include "base/Base_Numbers.h"
#include "datastructure/DataStructure_Map.h"
#include "dialog/Dialog_Backend.h"
#include "graphics/Graphics_Device.h"

namespace {

// Newest first; the tail is the open dialog's request.
DIALOG_REQ_CONTEXT* g_pDialogQueue = nullptr;

// The first `limit` characters (UTF-8 sequences are never split).
std::string Cut(const std::string& text, size_t limit)
{
    size_t characters = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        bool starts = (static_cast<unsigned char>(text[at]) & 0xC0u) != 0x80u;
        if (starts && characters++ == limit) return text.substr(0, at);
    }
    return text;
}

std::string CutDefault(const std::string& text)
{
    return Cut(text, DIALOG_DEFAULT_LONG).size() < text.size() ? Cut(text, DIALOG_DEFAULT_CUT) : text;
}

DIALOG_REQ_CONTEXT* Oldest()
{
    DIALOG_REQ_CONTEXT* request = g_pDialogQueue;
    while (request != nullptr && request->m_pNextDialog != nullptr) request = request->m_pNextDialog;
    return request;
}

void RemoveFromQueue(DIALOG_REQ_CONTEXT* request)
{
    for (DIALOG_REQ_CONTEXT** link = &g_pDialogQueue; *link != nullptr; link = &(*link)->m_pNextDialog) {
        if (*link == request) {
            *link = request->m_pNextDialog;
            request->m_pNextDialog = nullptr;
            return;
        }
    }
}

void OpenNext()
{
    DIALOG_REQ_CONTEXT* request = Oldest();
    if (request != nullptr) Dialog_Backend().OpenAsync(request->m_Id, Dialog_ViewOf(*request));
}

const char* ResultText(const HTTP_REQ_CONTEXT* request)
{
    return request->m_pData != nullptr ? reinterpret_cast<const char*>(request->m_pData) : "";
}

// The map a finished request hands to the dialog event; the next queued dialog opens.
int32_t Completed(HTTP_REQ_CONTEXT* base, void*, int32_t* mapId)
{
    auto* request = static_cast<DIALOG_REQ_CONTEXT*>(base);
    const char* none = nullptr;
    double id = request->m_Id;
    double status = request->m_HttpStatus;
    const char* text = ResultText(request);
    switch (request->m_Kind) {
    case DIALOG_INPUT:
        *mapId = DS_MapCreate(4, "id", id, none, "result", 0.0, text, "value", Numbers_ParseReal(text), none,
                              "status", status, none);
        break;
    case DIALOG_QUESTION:
        *mapId = DS_MapCreate(4, "id", id, none, "result", 0.0, text, "value", status, none, "status", status, none);
        break;
    case DIALOG_LOGIN: {
        // The user name, a zero byte, the password.
        const char* password = request->m_pData != nullptr ? text + request->m_DataLength + 1 : "";
        *mapId = DS_MapCreate(4, "id", id, none, "username", 0.0, text, "password", 0.0, password, "status",
                              status, none);
        break;
    }
    case DIALOG_MESSAGE:
        *mapId = DS_MapCreate(2, "id", id, none, "status", status, none);
        break;
    }
    RemoveFromQueue(request);
    OpenNext();
    return DIALOG_EVENT;
}

DIALOG_REQ_CONTEXT* FindRequest(int32_t id)
{
    for (HTTP_REQ_CONTEXT* request = g_pHttpRequests; request != nullptr; request = request->m_pNext)
        if (request->m_Id == id && request->m_pCompletion == Completed) return static_cast<DIALOG_REQ_CONTEXT*>(request);
    return nullptr;
}

// The request's result: `length` bytes and a terminator; its length as given.
void Finish(DIALOG_REQ_CONTEXT* request, int32_t status, const std::string& bytes, int32_t length)
{
    std::free(request->m_pData);
    request->m_pData = static_cast<uint8_t*>(std::malloc(bytes.size() + 1));
    if (request->m_pData != nullptr) std::memcpy(request->m_pData, bytes.c_str(), bytes.size() + 1);
    request->m_DataSize = static_cast<int32_t>(bytes.size() + 1);
    request->m_DataLength = length;
    request->m_HttpStatus = status;
    request->m_State = HTTP_STATE_FINISHED;
}

int32_t Start(DialogKind kind, const char* first, const char* second, const char* third)
{
    GR_D3D_ApplyPendingReset();
    auto* request = new DIALOG_REQ_CONTEXT(kind, first, second, third);
    int32_t id = request->m_Id;
    request->m_pNextDialog = g_pDialogQueue;
    g_pDialogQueue = request;
    // The back end may answer at once; the request stays listed until the frame hands it over.
    if (request->m_pNextDialog == nullptr) OpenNext();
    return id;
}

} // namespace

DIALOG_REQ_CONTEXT::DIALOG_REQ_CONTEXT(DialogKind kind, const char* first, const char* second, const char* third)
    : HTTP_REQ_CONTEXT(nullptr, 0, Completed, nullptr, nullptr), m_First(first != nullptr ? first : ""),
      m_Second(second != nullptr ? second : ""), m_Third(third != nullptr ? third : ""), m_HasThird(third != nullptr),
      m_Kind(kind)
{
}

// A request freed before its completion ran (shut-down) leaves the queue with it.
DIALOG_REQ_CONTEXT::~DIALOG_REQ_CONTEXT() { RemoveFromQueue(this); }

DialogView Dialog_ViewOf(const DIALOG_REQ_CONTEXT& request)
{
    DialogView view;
    view.kind = request.m_Kind;
    if (request.m_Kind == DIALOG_LOGIN) {
        view.caption = "Login";
        view.text = Cut(request.m_First, DIALOG_FIELD_LIMIT);
        view.password = Cut(request.m_Second, DIALOG_FIELD_LIMIT);
        return view;
    }
    view.caption = request.m_First;
    view.prompt = request.m_Second;
    if (request.m_HasThird) view.text = CutDefault(request.m_Third);
    return view;
}

void DialogRequest_Complete(int32_t id, int32_t status, const char* text)
{
    DIALOG_REQ_CONTEXT* request = FindRequest(id);
    if (request == nullptr) return;
    std::string bytes = text != nullptr ? text : "";
    Finish(request, status, bytes, static_cast<int32_t>(bytes.size() + 1));
}

void DialogRequest_CompleteLogin(int32_t id, bool ok, const char* userName, const char* password)
{
    DIALOG_REQ_CONTEXT* request = FindRequest(id);
    if (request == nullptr) return;
    std::string user = ok && userName != nullptr ? userName : "";
    std::string bytes = user + '\0' + (ok && password != nullptr ? password : "");
    Finish(request, ok ? 1 : 0, bytes, static_cast<int32_t>(user.size()));
}

void Dialog_Answer(int32_t id, DialogKind kind, const DialogAnswer& answer)
{
    switch (kind) {
    case DIALOG_INPUT:
        DialogRequest_Complete(id, answer.ok ? 1 : 0, answer.ok ? Cut(answer.text, DIALOG_FIELD_LIMIT).c_str() : "");
        break;
    case DIALOG_QUESTION:
        DialogRequest_Complete(id, answer.ok ? 1 : 0, answer.ok ? "1" : "");
        break;
    case DIALOG_MESSAGE:
        DialogRequest_Complete(id, 1, "OK");
        break;
    case DIALOG_LOGIN:
        DialogRequest_CompleteLogin(id, answer.ok, Cut(answer.text, DIALOG_FIELD_LIMIT).c_str(),
                                    Cut(answer.password, DIALOG_FIELD_LIMIT).c_str());
        break;
    }
}

bool InputQuery(const char* caption, const char* prompt, const char* defaultText, std::string& out)
{
    GR_D3D_ApplyPendingReset();
    DialogView view;
    view.caption = caption != nullptr ? caption : "";
    view.prompt = prompt != nullptr ? prompt : "";
    view.text = CutDefault(defaultText != nullptr ? defaultText : "");
    DialogAnswer answer = Dialog_Backend().RunModal(view);
    out = answer.ok ? Cut(answer.text, DIALOG_FIELD_LIMIT) : "";
    return answer.ok;
}

bool ShowQuestion(const char* caption, const char* text)
{
    GR_D3D_ApplyPendingReset();
    DialogView view;
    view.kind = DIALOG_QUESTION;
    view.caption = caption != nullptr ? caption : "";
    view.prompt = text != nullptr ? text : "";
    return Dialog_Backend().RunModal(view).ok;
}

int32_t GetStringAsync(const char* caption, const char* prompt, const char* defaultText)
{
    return Start(DIALOG_INPUT, caption, prompt, defaultText != nullptr ? defaultText : "");
}

int32_t ShowQuestionAsync(const char* caption, const char* text) { return Start(DIALOG_QUESTION, caption, text, nullptr); }

int32_t ShowMessageAsync(const char* caption, const char* text) { return Start(DIALOG_MESSAGE, caption, text, nullptr); }

int32_t GetLoginAsync(const char* userName, const char* password)
{
    return Start(DIALOG_LOGIN, userName, password, nullptr);
}

void Dialog_Poll()
{
    if (g_pDialogQueue != nullptr) Dialog_Backend().Poll();
}

int32_t Dialog_QueuedCount()
{
    int32_t count = 0;
    for (DIALOG_REQ_CONTEXT* request = g_pDialogQueue; request != nullptr; request = request->m_pNextDialog) ++count;
    return count;
}
