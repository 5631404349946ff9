// The debug form's main window driven through its view, on hosts that draw with Dear ImGui but open
// no window: the pointer is moved and pressed over the buttons a frame at a time, and the game is
// played by the main loop's ticks.
#include "../run/RunFrameTestSupport.h"

#include <gtest/gtest.h>

#include <imgui.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../TestSupport_SaveArea.h"
#include "app/App_CommandLine.h"
#include "debug/Debug_Form.h"
#include "debug/Debug_FormView.h"
#include "platform/imgui/Platform_ImGuiHost.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"

using namespace frametest;

namespace {

// Where the pointer is and whether its button is down, for one frame.
struct Pointer {
    float x, y;
    bool down;
};

// An ImGui window without a display: each frame takes the next scripted pointer state.
class FakeHost : public ImGuiSurface {
  public:
    static std::vector<FakeHost*>& All()
    {
        static std::vector<FakeHost*> hosts;
        return hosts;
    }
    FakeHost() { All().push_back(this); }
    ~FakeHost() override
    {
        FakeHost::Close();
        std::erase(All(), this);
    }

    bool Open(const char* title, int32_t width, int32_t height) override
    {
        Close();
        m_Title = title;
        m_Context = ImGui::CreateContext();
        ImGuiContext* previous = ImGui::GetCurrentContext();
        ImGui::SetCurrentContext(m_Context);
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
        io.DeltaTime = 1.0f / 60;
        io.Fonts->Build();
        ImGui::SetCurrentContext(previous);
        return true;
    }
    void Close() override
    {
        if (m_Context != nullptr) ImGui::DestroyContext(m_Context);
        m_Context = nullptr;
    }
    bool IsOpen() const override { return m_Context != nullptr; }
    SDL_Window* Window() const override { return nullptr; }
    bool Feed(const SDL_Event&) override { return false; }
    bool CloseRequested() const override { return closeRequested; }
    void Frame(const std::function<void()>& draw) override
    {
        ImGuiContext* previous = ImGui::GetCurrentContext();
        ImGui::SetCurrentContext(m_Context);
        ImGuiIO& io = ImGui::GetIO();
        if (!script.empty()) {
            io.MousePos = ImVec2(script.front().x, script.front().y);
            io.MouseDown[0] = script.front().down;
            script.erase(script.begin());
        }
        ImGui::NewFrame();
        draw();
        ImGui::Render();
        ++frames;
        ImGui::SetCurrentContext(previous);
    }

    std::string m_Title;
    std::vector<Pointer> script;
    int32_t frames = 0;
    bool closeRequested = false;

  private:
    ImGuiContext* m_Context = nullptr;
};

std::unique_ptr<ImGuiSurface> MakeFake() { return std::make_unique<FakeHost>(); }

FakeHost* MainHost()
{
    for (FakeHost* host : FakeHost::All())
        if (host->IsOpen() && host->m_Title == "Kelvaro Debugger") return host;
    return nullptr;
}

class DebugFormMainWindow : public FrameTest {
  protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        m_Area = std::make_unique<testsupport::ScopedSaveArea>("debugformview");
        DebugFormView_SetHostMaker(MakeFake);
        g_DebugMode = 1;
        AddSquareSprite();
        gamebuild::GameDesc game = OneRoomGame({ObjectWith("obj_a", {}, 0)}, {Placed(0, 0, 0)});
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        ASSERT_NE(g_pDebugForm, nullptr);
        ASSERT_NE(MainHost(), nullptr);
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        g_DebugMode = 0;
        g_Paused = 0;
        DebugFormView_SetHostMaker(nullptr);
        m_Area.reset();
    }

    // Moves onto the button, presses and lets go: the view sees the click at its third frame, and
    // the tick that drew it carries the command out.
    static void Click(const char* label)
    {
        float x = 0, y = 0;
        ASSERT_TRUE(DebugFormView_ButtonCentre(label, &x, &y)) << label;
        MainHost()->script = {{x, y, false}, {x, y, true}, {x, y, false}};
        for (int32_t tick = 0; tick < 10 && !MainHost()->script.empty() && g_RunState == 1; ++tick) Tick();
        ASSERT_TRUE(MainHost() == nullptr || MainHost()->script.empty()) << label << " was not clicked";
    }
    static int32_t Frames() { return g_RoomFrameCounter; }

    std::unique_ptr<testsupport::ScopedSaveArea> m_Area;
};

TEST_F(DebugFormMainWindow, RunStepAndStopActWhilePaused)
{
    Tick(3);
    Click("Pause");
    ASSERT_EQ(g_Paused, 1);
    int32_t frames = Frames();
    int32_t served = MainHost()->frames;
    Tick(5);
    EXPECT_EQ(Frames(), frames) << "no frame runs while paused";
    EXPECT_GE(MainHost()->frames - served, 5) << "every paused tick serves the form";

    struct Case {
        const char* button;
        uint8_t paused;
        int32_t framesRun; // by the three ticks of the click and two more
    };
    const Case cases[] = {
        {"Step", 1, 1},
        {"Step", 1, 1},
        {"Run", 0, 2},
        {"Pause", 1, 3},
    };
    for (const Case& c : cases) {
        frames = Frames();
        Click(c.button);
        Tick(2);
        EXPECT_EQ(g_Paused, c.paused) << c.button;
        EXPECT_EQ(Frames() - frames, c.framesRun) << c.button;
    }
    Click("Stop");
    EXPECT_EQ(g_RunState, 0) << "Stop ends a paused game";
}

TEST_F(DebugFormMainWindow, ClosingTheMainWindowWhilePausedResumesSavesAndFrees)
{
    DebugForm_AddWatch(g_pDebugForm, "1/4");
    Click("Pause");
    ASSERT_EQ(g_Paused, 1);
    int32_t frames = Frames();
    MainHost()->closeRequested = true;
    Tick();
    EXPECT_EQ(g_pDebugForm, nullptr) << "the form is freed";
    EXPECT_TRUE(FakeHost::All().empty()) << "every window closed";
    EXPECT_EQ(g_Paused, 0);
    Tick(2);
    EXPECT_GE(Frames() - frames, 2) << "the game runs on";
    std::ifstream file(m_Area->Path("Debug.ini"));
    ASSERT_TRUE(file.good()) << "Debug.ini written";
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("Watch0=1/4"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("NumWatches=1"), std::string::npos) << text.str();
}

TEST_F(DebugFormMainWindow, RestartWhilePausedStartsTheGameAgain)
{
    Click("Pause");
    Click("Restart");
    EXPECT_EQ(g_Paused, 0);
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_RESTART);
    Tick();
    EXPECT_EQ(g_RunState, 1);
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_NONE);
    EXPECT_LE(Frames(), 1) << "the room counts from the restart";
}

} // namespace
