// The error form: a modal window showing a script error with the buttons Copy, Clear, Abort and
// (when the error lets the game go on) Ignore. Headless runs write it to the log and take the
// scripted answers instead, so that no test ever blocks on it.
#include <cctype>
#include <chrono>
#include <string>
#include <thread>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "code/Code_Error.h"
#include "code/sdl/Code_ErrorFormM.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Window.h"

namespace {

enum class FormButton { Copy, Clear, Abort, Ignore, None };

FormButton ParseButton(const std::string& answer)
{
    std::string word;
    for (char c : answer)
        if (!std::isspace(static_cast<unsigned char>(c))) word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (word == "copy") return FormButton::Copy;
    if (word == "clear") return FormButton::Clear;
    if (word == "abort") return FormButton::Abort;
    if (word == "ignore") return FormButton::Ignore;
    return FormButton::None;
}

// Without a display the answers file plays the player; with no answer left the form takes the way
// out it offers (Ignore when allowed, else Abort). The report quotes names, source lines and
// values: the log shows it printable, its CR LF line ends as LF.
int32_t ScriptedForm(ErrorFormRecord& record)
{
    MainConsole->Output("Code Error...%s\n", Text_PrintableLines(record.message).c_str());
    int32_t chosen = record.ignoreAllowed ? 0 : 1;
    std::string answer;
    while (TestSwitches_NextAnswer(answer)) {
        FormButton button = ParseButton(answer);
        if (button == FormButton::Abort) {
            chosen = 1;
            break;
        }
        if (button == FormButton::Ignore && record.ignoreAllowed) {
            chosen = 0;
            break;
        }
        // No clipboard without a display: Copy changes nothing.
        if (button == FormButton::Clear) record.message.clear();
    }
    MainConsole->Output("Code Error... -> %s\n", chosen == 1 ? "Abort" : "Ignore");
    return chosen;
}

} // namespace

int32_t ErrorForm_Show()
{
    if (!TestSwitches_Get().headless) {
        // Lets the main window settle (and leave full screen) before the modal box takes over.
        for (int i = 0; i < 2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ProcessMessages();
        }
        int32_t chosen = CodeSdl_ShowErrorForm(&g_ErrorForm);
        if (chosen >= 0) return chosen;
    }
    return ScriptedForm(g_ErrorForm);
}
