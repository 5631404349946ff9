// Dialog requests: asking the player for a text, a yes/no answer, a login or an acknowledgement,
// modally (the call waits for the answer) or asynchronously (the call returns a request id, and
// the answer arrives as an asynchronous dialog event, subtype 63, with a map in async_load).
// Asynchronous requests queue so that one dialog is open at a time, oldest first. Each request
// keeps its own answer; a modal dialog completes no request.
#pragma once

#include <cstdint>
#include <string>

#include "http/Http_Request.h"

enum DialogKind : int32_t {
    DIALOG_INPUT = 0,
    DIALOG_QUESTION = 1,
    DIALOG_MESSAGE = 2,
    DIALOG_LOGIN = 3,
};

constexpr int32_t DIALOG_EVENT = 63;
// A default longer than DIALOG_DEFAULT_LONG characters is cut to DIALOG_DEFAULT_CUT; typed text and
// each login field keep at most DIALOG_FIELD_LIMIT characters.
constexpr size_t DIALOG_DEFAULT_LONG = 2050;
constexpr size_t DIALOG_DEFAULT_CUT = 2049;
constexpr size_t DIALOG_FIELD_LIMIT = 1024;

struct DIALOG_REQ_CONTEXT : HTTP_REQ_CONTEXT {
    // Joins the request list (next id) and takes copies of the texts; `third` null for none.
    DIALOG_REQ_CONTEXT(DialogKind kind, const char* first, const char* second, const char* third);
    ~DIALOG_REQ_CONTEXT() override;

    std::string m_First;  // the caption, or the user name of a login
    std::string m_Second; // the prompt or message, or the password of a login
    std::string m_Third;  // the default answer of an input dialog
    bool m_HasThird = false;
    DialogKind m_Kind;
    DIALOG_REQ_CONTEXT* m_pNextDialog = nullptr; // the dialog queue, newest first
};

// What one dialog shows, and what the player answered.
struct DialogView {
    DialogKind kind = DIALOG_INPUT;
    std::string caption;
    std::string prompt;
    std::string text;     // the answer field: the default of an input, the user name of a login
    std::string password; // a login's
};
struct DialogAnswer {
    bool ok = false;
    std::string text;
    std::string password;
};

// The modal forms. InputQuery: true when closed with OK, `out` then holds the text typed.
bool InputQuery(const char* caption, const char* prompt, const char* defaultText, std::string& out);
bool ShowQuestion(const char* caption, const char* text);

// The asynchronous forms; each returns the new request's id.
int32_t GetStringAsync(const char* caption, const char* prompt, const char* defaultText);
int32_t ShowQuestionAsync(const char* caption, const char* text);
int32_t ShowMessageAsync(const char* caption, const char* text);
int32_t GetLoginAsync(const char* userName, const char* password);

// The answer of the open asynchronous dialog. Nothing happens when no request has the id.
void DialogRequest_Complete(int32_t id, int32_t status, const char* text);
void DialogRequest_CompleteLogin(int32_t id, bool ok, const char* userName, const char* password);
// The open dialog's view, the fields cut as the dialog cuts them.
DialogView Dialog_ViewOf(const DIALOG_REQ_CONTEXT& request);
// An answer to a dialog of that kind, the way the dialog's buttons turn it into a completion.
void Dialog_Answer(int32_t id, DialogKind kind, const DialogAnswer& answer);
// Lets the back end serve an open modeless dialog; the frame's asynchronous stage calls it.
void Dialog_Poll();
// Requests queued, the open one included (tests).
int32_t Dialog_QueuedCount();
