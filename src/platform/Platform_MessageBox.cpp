#include "platform/Platform_MessageBox.h"

#include <cctype>
#include <string>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "graphics/Graphics_DeviceAll.h"
#include "platform/Platform_DisplayName.h"
#include "platform/Platform_TestSwitches.h"
#include "platform/sdl/Platform_MessageBoxM.h"

namespace {

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

// The log is the only place a message can go without a display. The caption is the game's display
// name, from the game file; the text is what the game says, and stays its own.
void LogMessage(const char* text, const char* caption)
{
    if (caption[0] != '\0')
        MainConsole->Output("%s: %s\n", Text_Printable(caption).c_str(), text);
    else
        MainConsole->Output("%s\n", text);
}

std::string Lowered(const std::string& text)
{
    std::string out;
    for (char c : text) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Trimmed(const char* text)
{
    std::string out(text);
    size_t first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    size_t last = out.find_last_not_of(" \t\r\n");
    return out.substr(first, last - first + 1);
}

} // namespace

void Platform_ShowMessageBox(const char* text, const char* caption, MessageBoxIcon icon)
{
    text = OrEmpty(text);
    caption = OrEmpty(caption);
    if (TestSwitches_Get().headless || !PlatformSdl_ShowMessageBox(text, caption, icon)) LogMessage(text, caption);
}

void Platform_ShowMessage(const char* text, const char* caption)
{
    Platform_ShowMessageBox(text, caption, MESSAGEBOX_ICON_ERROR);
}

void ShowMessage(const char* text)
{
    GR_D3D_ApplyPendingReset();
    Platform_ShowMessageBox(text, Platform_GetDisplayName(), MESSAGEBOX_ICON_INFORMATION);
}

int32_t Platform_ParseYesNo(const char* answer)
{
    std::string word = Lowered(Trimmed(OrEmpty(answer)));
    for (const char* yes : {"yes", "y", "1", "true", "ok"})
        if (word == yes) return 1;
    for (const char* no : {"no", "n", "0", "false", "cancel"})
        if (word == no) return 0;
    return -1;
}

bool Platform_AskYesNo(const char* text, const char* caption, bool defaultAnswer)
{
    text = OrEmpty(text);
    caption = OrEmpty(caption);
    GR_D3D_ApplyPendingReset();
    bool yes = defaultAnswer;
    if (TestSwitches_Get().headless) {
        std::string answer;
        if (TestSwitches_NextAnswer(answer)) {
            int32_t parsed = Platform_ParseYesNo(answer.c_str());
            if (parsed >= 0) yes = parsed == 1;
        }
    } else if (PlatformSdl_AskYesNo(text, caption, &yes)) {
        return yes;
    }
    std::string line = std::string(text) + " -> " + (yes ? "Yes" : "No");
    LogMessage(line.c_str(), caption);
    return yes;
}
