#include "dialog/imgui/Dialog_ImGuiM.h"

#include <imgui.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/Platform_TestSwitches.h"
#include "platform/posix/Platform_Termination.h"
#include "platform/imgui/Platform_ImGuiHost.h"
#include "run/sdl/Run_WindowM.h"

namespace {

constexpr int32_t DIALOG_WIDTH = 420;
constexpr int32_t DIALOG_HEIGHT = 170;
// Room for a full field of four-byte characters, or a longer default.
constexpr size_t FIELD_BYTES = 4 * DIALOG_FIELD_LIMIT + 1;

enum class DialogState { Open, Accepted, Cancelled };

// One dialog's fields and the widgets that edit them.
class TextDialog {
  public:
    explicit TextDialog(const DialogView& view)
        : m_View(view), m_Text(Field(view.text)), m_Password(Field(view.password))
    {
    }

    DialogState Draw(bool closeRequested)
    {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
        ImGui::Begin("##dialog", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoSavedSettings);
        if (!m_View.prompt.empty()) ImGui::TextWrapped("%s", m_View.prompt.c_str());
        DialogState state = m_View.kind == DIALOG_MESSAGE || m_View.kind == DIALOG_QUESTION ? DrawButtons(closeRequested)
                                                                                            : DrawText(closeRequested);
        m_FirstFrame = false;
        ImGui::End();
        return state;
    }

    DialogAnswer Answer(DialogState state) const
    {
        DialogAnswer answer;
        answer.ok = state == DialogState::Accepted;
        if (!answer.ok) return answer;
        answer.text = m_Text.data();
        answer.password = m_Password.data();
        return answer;
    }

  private:
    static std::vector<char> Field(const std::string& text)
    {
        std::vector<char> field(std::max(FIELD_BYTES, text.size() + 1), '\0');
        std::copy(text.begin(), text.end(), field.begin());
        return field;
    }

    // True when Enter was pressed in the field. The first field has the keyboard from the start,
    // its text selected so that typing replaces the default.
    bool DrawField(const char* label, std::vector<char>& field, ImGuiInputTextFlags flags)
    {
        if (m_FirstFrame && &field == &m_Text) ImGui::SetKeyboardFocusHere();
        ImGui::SetNextItemWidth(-1.0f);
        flags |= ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll;
        return ImGui::InputText(label, field.data(), field.size(), flags);
    }

    bool DrawLogin()
    {
        ImGui::TextUnformatted("User name");
        bool accepted = DrawField("##user", m_Text, 0);
        ImGui::TextUnformatted("Password");
        accepted |= DrawField("##password", m_Password, ImGuiInputTextFlags_Password);
        return accepted;
    }

    static bool KeyPressed(ImGuiKey_ key) { return ImGui::IsKeyPressed(ImGui::GetKeyIndex(key), false); }

    DialogState DrawText(bool closeRequested)
    {
        bool accepted = m_View.kind == DIALOG_LOGIN ? DrawLogin() : DrawField("##text", m_Text, 0);
        accepted |= ImGui::Button("OK");
        ImGui::SameLine();
        bool cancelled = ImGui::Button("Cancel") || closeRequested || KeyPressed(ImGuiKey_Escape);
        if (cancelled) return DialogState::Cancelled;
        return accepted ? DialogState::Accepted : DialogState::Open;
    }

    // A message has only OK, which also answers its close box and Escape; a question's Yes is its
    // default button (Enter), and closing it answers No.
    DialogState DrawButtons(bool closeRequested)
    {
        bool message = m_View.kind == DIALOG_MESSAGE;
        bool accepted = ImGui::Button(message ? "OK" : "Yes") || KeyPressed(ImGuiKey_Enter);
        bool cancelled = closeRequested || KeyPressed(ImGuiKey_Escape);
        if (!message) {
            ImGui::SameLine();
            cancelled |= ImGui::Button("No");
        }
        if (accepted || (message && cancelled)) return DialogState::Accepted;
        return cancelled ? DialogState::Cancelled : DialogState::Open;
    }

    DialogView m_View;
    std::vector<char> m_Text;
    std::vector<char> m_Password;
    bool m_FirstFrame = true;
};

// The open modeless dialog and its window. Never destroyed: a dialog still open at exit must not
// be closed after SDL has shut down.
struct Modeless {
    ImGuiHost host;
    TextDialog* dialog = nullptr;
};
Modeless& g_Modeless = *new Modeless;

bool FeedModeless(const SDL_Event& event)
{
    return g_Modeless.host.Feed(event);
}

void CloseModeless()
{
    MainWindow_SetDialogFilter(nullptr);
    delete g_Modeless.dialog;
    g_Modeless.dialog = nullptr;
    g_Modeless.host.Close();
}

const char* TitleOf(const DialogView& view)
{
    return view.caption.empty() ? " " : view.caption.c_str();
}

} // namespace

bool DialogImGui_Available()
{
    if (TestSwitches_Get().headless) return false;
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') return true;
    }
    return false;
}

bool DialogImGui_RunModal(const DialogView& view, DialogAnswer& answer)
{
    ImGuiHost host;
    host.CentreOn(MainWindow_Handle());
    if (!host.Open(TitleOf(view), DIALOG_WIDTH, DIALOG_HEIGHT)) return false;
    host.TakeKeyboard();
    TextDialog dialog(view);
    DialogState state = DialogState::Open;
    bool quit = false;
    std::vector<SDL_Event> closes;
    while (state == DialogState::Open) {
        // The game waits for the dialog and its input is dropped; a quit cancels the dialog and is
        // posted again for the game. A close request of the game's windows leaves the dialog open and
        // goes back to the queue for the game's pump, as it waits behind a message box.
        std::vector<SDL_Event> others;
        host.PumpEvents(others);
        for (const SDL_Event& event : others) {
            quit |= event.type == SDL_QUIT;
            if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) closes.push_back(event);
        }
        quit |= Platform_TerminationRequested();
        host.Frame([&] { state = dialog.Draw(host.CloseRequested() || quit); });
        SDL_Delay(10);
    }
    host.Close();
    for (SDL_Event& close : closes) SDL_PushEvent(&close);
    if (quit) {
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_QUIT;
        SDL_PushEvent(&event);
    }
    answer = dialog.Answer(state);
    return true;
}

bool DialogImGui_OpenModeless(const DialogView& view)
{
    CloseModeless();
    g_Modeless.host.CentreOn(MainWindow_Handle());
    if (!g_Modeless.host.Open(TitleOf(view), DIALOG_WIDTH, DIALOG_HEIGHT)) return false;
    g_Modeless.host.TakeKeyboard();
    g_Modeless.dialog = new TextDialog(view);
    MainWindow_SetDialogFilter(FeedModeless);
    return true;
}

bool DialogImGui_ModelessOpen()
{
    return g_Modeless.dialog != nullptr;
}

bool DialogImGui_ServeModeless(DialogAnswer& answer)
{
    if (g_Modeless.dialog == nullptr) return false;
    DialogState state = DialogState::Open;
    g_Modeless.host.Frame([&] { state = g_Modeless.dialog->Draw(g_Modeless.host.CloseRequested()); });
    if (state == DialogState::Open) return false;
    answer = g_Modeless.dialog->Answer(state);
    CloseModeless();
    return true;
}
