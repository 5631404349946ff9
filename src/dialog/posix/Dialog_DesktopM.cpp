// Dialogs with a display: messages and questions are SDL message boxes; text and login dialogs run
// the desktop's entry dialog (zenity, else kdialog) and wait for it, so an asynchronous one holds
// the frame until it is answered.
#include "base/Base_Console.h"
#include "dialog/Dialog_Backend.h"
#include "platform/Platform_MessageBox.h"
#include "platform/posix/Platform_ChildProcess.h"

namespace {

// The first program that starts; its output's first line when it ended with OK.
bool RunFirst(const std::vector<std::vector<std::string>>& programs, std::string& line)
{
    for (const std::vector<std::string>& program : programs) {
        std::string output;
        ChildResult result = Platform_RunAndRead(program, output);
        if (result == ChildResult::NotStarted) continue;
        line = Platform_FirstLine(output);
        return result == ChildResult::Succeeded;
    }
    MainConsole->Output("No dialog program (zenity or kdialog) could be started\n");
    return false;
}

DialogAnswer AskText(const DialogView& view)
{
    DialogAnswer answer;
    answer.ok = RunFirst({{"zenity", "--entry", "--title=" + view.caption, "--text=" + view.prompt,
                           "--entry-text=" + view.text},
                          {"kdialog", "--title", view.caption, "--inputbox", view.prompt, view.text}},
                         answer.text);
    return answer;
}

DialogAnswer AskLogin(const DialogView& view)
{
    DialogAnswer answer;
    std::string line;
    // zenity prints "name|password".
    answer.ok = RunFirst({{"zenity", "--password", "--username", "--title=" + view.caption}}, line);
    if (!answer.ok) return answer;
    size_t bar = line.find('|');
    answer.text = line.substr(0, bar);
    if (bar != std::string::npos) answer.password = line.substr(bar + 1);
    return answer;
}

class DesktopDialogs : public DialogBackend {
  public:
    DialogAnswer RunModal(const DialogView& view) override
    {
        DialogAnswer answer;
        switch (view.kind) {
        case DIALOG_MESSAGE:
            Platform_ShowMessageBox(view.prompt.c_str(), view.caption.c_str(), MESSAGEBOX_ICON_INFORMATION);
            answer.ok = true;
            break;
        case DIALOG_QUESTION:
            answer.ok = Platform_AskYesNo(view.prompt.c_str(), view.caption.c_str(), false);
            break;
        case DIALOG_LOGIN:
            answer = AskLogin(view);
            break;
        case DIALOG_INPUT:
            answer = AskText(view);
            break;
        }
        return answer;
    }
    void OpenAsync(int32_t id, const DialogView& view) override { Dialog_Answer(id, view.kind, RunModal(view)); }
};

} // namespace

DialogBackend& Dialog_DesktopBackend()
{
    static DesktopDialogs backend;
    return backend;
}
