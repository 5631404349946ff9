// The ImGui text dialogs on SDL's offscreen driver, not headless: keys and text are pushed to the
// dialog's own window a frame at a time, as a player would type them.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "../TestSupport_Requests.h"
#include "dialog/Dialog_Backend.h"
#include "platform/Platform_TestSwitches.h"
#include "platform/imgui/Platform_ImGuiHost.h"
#include "run/Run_Window.h"

using testsupport::CallBuiltin;
using testsupport::TestArg;

namespace {

// What the player does at a frame of the dialog: types a text, or presses or lets go of a key.
struct Step {
    int32_t frame;
    Uint32 type; // SDL_TEXTINPUT, SDL_KEYDOWN or SDL_KEYUP
    const char* text;
    SDL_Scancode key;
};

std::vector<Step> g_Script;
int32_t g_Frame = 0;

void PlayScript(SDL_Window* window)
{
    for (const Step& step : g_Script) {
        if (step.frame != g_Frame) continue;
        SDL_Event event;
        SDL_zero(event);
        event.type = step.type;
        if (step.type == SDL_TEXTINPUT) {
            event.text.windowID = SDL_GetWindowID(window);
            std::strncpy(event.text.text, step.text, sizeof(event.text.text) - 1);
        } else {
            event.key.windowID = SDL_GetWindowID(window);
            event.key.state = step.type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.scancode = step.key;
            event.key.keysym.sym = SDL_GetKeyFromScancode(step.key);
        }
        SDL_PushEvent(&event);
    }
    ++g_Frame;
}

std::vector<Step> Typed(const char* text)
{
    return {{3, SDL_TEXTINPUT, text, SDL_SCANCODE_UNKNOWN},
            {5, SDL_KEYDOWN, nullptr, SDL_SCANCODE_RETURN},
            {6, SDL_KEYUP, nullptr, SDL_SCANCODE_RETURN}};
}

const std::vector<Step> ESCAPE = {{3, SDL_KEYDOWN, nullptr, SDL_SCANCODE_ESCAPE},
                                  {4, SDL_KEYUP, nullptr, SDL_SCANCODE_ESCAPE}};

class ImGuiDialogs : public testing::Test {
  protected:
    void SetUp() override
    {
        unsetenv("KELVARO_HEADLESS");
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        TestSwitches_Reload();
        testsupport::RegisterBuiltins();
        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO)) << SDL_GetError();
        ImGuiHost_SetFrameObserver(PlayScript);
        // The game's own window and context, which every dialog frame must give back.
        m_GameWindow = SDL_CreateWindow("game", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(nullptr, m_GameWindow) << SDL_GetError();
        m_GameGL = SDL_GL_CreateContext(m_GameWindow);
        ASSERT_NE(nullptr, m_GameGL) << SDL_GetError();
    }
    void TearDown() override
    {
        ImGuiHost_SetFrameObserver(nullptr);
        if (m_GameGL != nullptr) SDL_GL_DeleteContext(m_GameGL);
        if (m_GameWindow != nullptr) SDL_DestroyWindow(m_GameWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    static void Script(std::vector<Step> steps)
    {
        g_Script = std::move(steps);
        g_Frame = 0;
    }
    bool GameContextCurrent() const
    {
        return SDL_GL_GetCurrentContext() == m_GameGL && SDL_GL_GetCurrentWindow() == m_GameWindow;
    }
    SDL_Window* m_GameWindow = nullptr;
    SDL_GLContext m_GameGL = nullptr;
};

TEST_F(ImGuiDialogs, ModalInputDialogsAnswerOrCancel)
{
    ASSERT_EQ(&Dialog_DesktopBackend(), &Dialog_Backend());
    struct Case {
        const char* name;
        TestArg fallback;
        std::vector<Step> steps;
        TestArg expected;
    };
    const Case cases[] = {
        {"get_integer", 5, Typed("7.5"), 7.5},
        {"get_integer", 5, ESCAPE, 5},
        {"get_string", "Ann", Typed("Bob"), "Bob"},
        {"get_string", "Ann", {{5, SDL_KEYDOWN, nullptr, SDL_SCANCODE_RETURN}}, "Ann"},
        {"get_string", "Ann", ESCAPE, ""},
    };
    for (const Case& c : cases) {
        Script(c.steps);
        testsupport::BuiltinResult got = CallBuiltin(c.name, {"prompt", c.fallback});
        EXPECT_EQ(c.expected.isText ? c.expected.text : "", got.text) << c.name;
        EXPECT_EQ(c.expected.isText ? 0.0 : c.expected.real, got.real) << c.name;
        EXPECT_LT(g_Frame, 20) << c.name << ": the dialog closed once answered";
        EXPECT_TRUE(GameContextCurrent()) << c.name;
    }
}

HTTP_REQ_CONTEXT* Request(int32_t id)
{
    for (HTTP_REQ_CONTEXT* request = g_pHttpRequests; request != nullptr; request = request->m_pNext)
        if (request->m_Id == id) return request;
    return nullptr;
}

TEST_F(ImGuiDialogs, ModelessDialogLetsFramesRunUntilAnswered)
{
    for (auto [steps, status, text] : {std::tuple{Typed("42"), 1, "42"}, std::tuple{ESCAPE, 0, ""}}) {
        Script(steps);
        int32_t id = GetStringAsync("Game", "Number?", "1");
        ASSERT_NE(nullptr, Request(id));
        int32_t frames = 0;
        for (; frames < 100 && Request(id)->m_State != HTTP_STATE_FINISHED; ++frames) {
            ProcessMessages(); // the dialog's events reach it through the message pump
            Dialog_Poll();
            ASSERT_TRUE(GameContextCurrent()) << "frame " << frames;
        }
        EXPECT_GE(frames, 5) << "the game's frames ran while the dialog was open";
        HTTP_REQ_CONTEXT* request = Request(id);
        const std::string answer = reinterpret_cast<const char*>(request->m_pData);
        EXPECT_EQ(std::make_tuple(HTTP_STATE_FINISHED, status, std::string(text)),
                  std::make_tuple(request->m_State, request->m_HttpStatus, answer));
        HTTP_Unlink(request);
        delete request;
    }
    EXPECT_EQ(0, Dialog_QueuedCount());
}

TEST_F(ImGuiDialogs, AsyncMessageAndQuestionAreModelessAndAnsweredInRequestOrder)
{
    // Enter on the message; Escape on the question, which opens only once the message's event ran.
    Script({{4, SDL_KEYDOWN, nullptr, SDL_SCANCODE_RETURN},
            {5, SDL_KEYUP, nullptr, SDL_SCANCODE_RETURN},
            {14, SDL_KEYDOWN, nullptr, SDL_SCANCODE_ESCAPE},
            {15, SDL_KEYUP, nullptr, SDL_SCANCODE_ESCAPE}});
    int32_t message = ShowMessageAsync("Game", "Saved.");
    int32_t question = ShowQuestionAsync("Game", "Again?");
    ASSERT_NE(nullptr, Request(message));
    ASSERT_NE(nullptr, Request(question));
    EXPECT_NE(HTTP_STATE_FINISHED, Request(message)->m_State) << "the call returned before any answer";
    EXPECT_EQ(2, Dialog_QueuedCount());
    std::vector<std::string> events;
    int32_t framesOpen = 0;
    for (int32_t frame = 0; frame < 100 && events.size() < 2; ++frame) {
        ProcessMessages();
        Dialog_Poll();
        ASSERT_TRUE(GameContextCurrent()) << "frame " << frame;
        for (const testsupport::FinishedRequest& done : testsupport::FinishReady()) {
            EXPECT_EQ(DIALOG_EVENT, done.subtype);
            std::map<std::string, std::string> map = done.map;
            events.push_back(map["id"] + " status " + map["status"] + " result \"" + map["result"] + "\"");
        }
        if (events.empty()) ++framesOpen;
    }
    EXPECT_GE(framesOpen, 4) << "the game's frames ran while the message was open";
    EXPECT_EQ(events, (std::vector<std::string>{std::to_string(message) + " status 1 result \"\"",
                                                std::to_string(question) + " status 0 result \"\""}));
    EXPECT_EQ(0, Dialog_QueuedCount());
}

} // namespace
