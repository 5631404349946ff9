// The headless back end, and the choice between it and the desktop's.
#include "dialog/Dialog_Backend.h"

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "platform/Platform_MessageBox.h"
#include "platform/Platform_TestSwitches.h"

namespace {

DialogBackend* g_pBackend = nullptr;

const char* const KIND_NAMES[] = {"input", "question", "message", "login"};

constexpr char CANCEL_ANSWER[] = "<cancel>";
// An input dialog closed with OK on what it showed (its default).
constexpr char KEEP_ANSWER[] = "<ok>";

// Each dialog and its answer go to the log; a dialog takes the next scripted answer (a message
// takes none), and "<cancel>" or no answer left cancels it. The caption (the game's display name)
// is shown printable; what the game asks and answers stays its own.
class HeadlessDialogs : public DialogBackend {
  public:
    DialogAnswer RunModal(const DialogView& view) override { return Answer(view, "modal"); }
    void OpenAsync(int32_t id, const DialogView& view) override { Dialog_Answer(id, view.kind, Answer(view, "async")); }

  private:
    static DialogAnswer Answer(const DialogView& view, const char* mode)
    {
        if (view.kind == DIALOG_LOGIN)
            MainConsole->Output("Dialog login (%s): user \"%s\"\n", mode, view.text.c_str());
        else
            MainConsole->Output("Dialog %s (%s) \"%s\": \"%s\" [%s]\n", KIND_NAMES[view.kind], mode,
                                Text_Printable(view.caption).c_str(), view.prompt.c_str(), view.text.c_str());
        DialogAnswer answer = Read(view);
        if (!answer.ok) MainConsole->Output("Dialog answer: Cancel\n");
        else if (view.kind == DIALOG_LOGIN) MainConsole->Output("Dialog answer: OK user \"%s\"\n", answer.text.c_str());
        else MainConsole->Output("Dialog answer: OK \"%s\"\n", answer.text.c_str());
        return answer;
    }

    static DialogAnswer Read(const DialogView& view)
    {
        DialogAnswer answer;
        if (view.kind == DIALOG_MESSAGE) {
            answer.ok = true;
            return answer;
        }
        std::string line;
        if (!TestSwitches_NextAnswer(line) || line == CANCEL_ANSWER) return answer;
        switch (view.kind) {
        case DIALOG_QUESTION:
            answer.ok = Platform_ParseYesNo(line.c_str()) == 1;
            break;
        case DIALOG_LOGIN: {
            size_t tab = line.find('\t');
            answer.ok = true;
            answer.text = line.substr(0, tab);
            if (tab != std::string::npos) answer.password = line.substr(tab + 1);
            break;
        }
        default:
            answer.ok = true;
            answer.text = line == KEEP_ANSWER ? view.text : line;
            break;
        }
        return answer;
    }
};

} // namespace

DialogBackend& Dialog_HeadlessBackend()
{
    static HeadlessDialogs backend;
    return backend;
}

DialogBackend& Dialog_Backend()
{
    if (g_pBackend != nullptr) return *g_pBackend;
    return TestSwitches_Get().headless ? Dialog_HeadlessBackend() : Dialog_DesktopBackend();
}

void Dialog_SetBackend(DialogBackend* backend) { g_pBackend = backend; }
