// Dialogs with a display: the modal message and question are SDL message boxes; text and login
// dialogs, and the asynchronous message and question, are ImGui windows of their own. Where SDL has
// no display a text dialog is the desktop's entry dialog (zenity, else kdialog) and a message or
// question a message box. A modal one waits for its answer; an asynchronous one stays open while
// the frames go on, and its answer is taken at the first frame after it closed.
#include "base/Base_Console.h"
#include "dialog/Dialog_Backend.h"
#include "dialog/imgui/Dialog_ImGuiM.h"
#include "graphics/Graphics_Device.h"
#include "platform/Platform_MessageBox.h"
#include "platform/posix/Platform_ChildProcess.h"
#include "run/sdl/Run_WindowM.h"

namespace {

std::vector<std::vector<std::string>> TextPrograms(const DialogView& view)
{
    if (view.kind == DIALOG_LOGIN) return {{"zenity", "--password", "--username", "--title=" + view.caption}};
    return {{"zenity", "--entry", "--title=" + view.caption, "--text=" + view.prompt, "--entry-text=" + view.text},
            {"kdialog", "--title", view.caption, "--inputbox", view.prompt, view.text}};
}

// What an entry dialog printed; zenity prints a login as "name|password".
DialogAnswer AnswerOf(DialogKind kind, ChildResult result, const std::string& output)
{
    DialogAnswer answer;
    answer.ok = result == ChildResult::Succeeded;
    if (!answer.ok) return answer;
    std::string line = Platform_FirstLine(output);
    size_t bar = kind == DIALOG_LOGIN ? line.find('|') : std::string::npos;
    answer.text = line.substr(0, bar);
    if (bar != std::string::npos) answer.password = line.substr(bar + 1);
    return answer;
}

void NoProgram() { MainConsole->Output("No dialog program (zenity or kdialog) could be started\n"); }

// Whatever way a modal dialog ends, the game's window takes the keyboard and mouse back.
struct TakeBackInputOnClose {
    TakeBackInputOnClose() = default;
    TakeBackInputOnClose(const TakeBackInputOnClose&) = delete;
    TakeBackInputOnClose& operator=(const TakeBackInputOnClose&) = delete;
    ~TakeBackInputOnClose() { MainWindow_TakeBackInput(); }
};

// The open asynchronous text dialog: its request and the program showing it.
struct OpenDialog {
    int32_t id = -1;
    DialogView view;
    size_t program = 0;
    ChildProcess child;
};

class DesktopDialogs : public DialogBackend {
  public:
    DialogAnswer RunModal(const DialogView& view) override
    {
        TakeBackInputOnClose takeBack;
        DialogAnswer answer;
        if (view.kind == DIALOG_MESSAGE) {
            Platform_ShowMessageBox(view.prompt.c_str(), view.caption.c_str(), MESSAGEBOX_ICON_INFORMATION);
            answer.ok = true;
            return answer;
        }
        if (view.kind == DIALOG_QUESTION) {
            answer.ok = Platform_AskYesNo(view.prompt.c_str(), view.caption.c_str(), false);
            return answer;
        }
        if (DialogImGui_Available() && DialogImGui_RunModal(view, answer)) return answer;
        for (const std::vector<std::string>& program : TextPrograms(view)) {
            std::string output;
            ChildResult result = Platform_RunAndRead(program, output);
            if (result != ChildResult::NotStarted) return AnswerOf(view.kind, result, output);
        }
        NoProgram();
        return answer;
    }

    void OpenAsync(int32_t id, const DialogView& view) override
    {
        GR_D3D_FinishPresent();
        m_Open = OpenDialog{id, view, 0, {}};
        if (DialogImGui_Available() && DialogImGui_OpenModeless(view)) return;
        if (view.kind == DIALOG_MESSAGE || view.kind == DIALOG_QUESTION) {
            // No window of our own: the message box waits, as the modal form does.
            m_Open = OpenDialog{};
            Dialog_Answer(id, view.kind, RunModal(view));
            return;
        }
        StartNextProgram();
    }

    void Poll() override
    {
        if (m_Open.id < 0) return;
        DialogAnswer answer;
        if (DialogImGui_ModelessOpen()) {
            if (DialogImGui_ServeModeless(answer)) Finish(answer);
            return;
        }
        ChildResult result = ChildResult::Failed;
        if (!Platform_PollChild(m_Open.child, result)) return;
        if (result == ChildResult::NotStarted) {
            ++m_Open.program;
            StartNextProgram();
            return;
        }
        Finish(AnswerOf(m_Open.view.kind, result, m_Open.child.output));
    }

  private:
    // Starts the open dialog's next program; none left cancels it.
    void StartNextProgram()
    {
        std::vector<std::vector<std::string>> programs = TextPrograms(m_Open.view);
        for (; m_Open.program < programs.size(); ++m_Open.program)
            if (Platform_StartChild(programs[m_Open.program], m_Open.child)) return;
        NoProgram();
        Finish(DialogAnswer{});
    }

    // Closed before it is answered: the next queued dialog opens once this one's event has run.
    void Finish(const DialogAnswer& answer)
    {
        OpenDialog done = m_Open;
        m_Open = OpenDialog{};
        MainWindow_TakeBackInput();
        Dialog_Answer(done.id, done.view.kind, answer);
    }

    OpenDialog m_Open;
};

} // namespace

DialogBackend& Dialog_DesktopBackend()
{
    static DesktopDialogs backend;
    return backend;
}
