#include "platform/imgui/Platform_ImGuiHost.h"

#include <epoxy/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <vector>

#include "base/Base_Console.h"
#include "platform/Platform_Headroom.h"
#include "platform/sdl/Platform_WindowFrameM.h"

namespace {

ImGuiHostFrameObserver g_FrameObserver = nullptr;

// The window an input or window event names; 0 for events of no window.
Uint32 EventWindowId(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_TEXTINPUT:
        return event.text.windowID;
    case SDL_TEXTEDITING:
        return event.edit.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID;
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    default:
        return 0;
    }
}

// Whatever GL and ImGui contexts the caller had, put back when this goes.
class ContextSwap {
  public:
    ContextSwap(SDL_Window* window, SDL_GLContext gl, ImGuiContext* context)
        : m_Window(SDL_GL_GetCurrentWindow()), m_GL(SDL_GL_GetCurrentContext()),
          m_Context(ImGui::GetCurrentContext())
    {
        SDL_GL_MakeCurrent(window, gl);
        ImGui::SetCurrentContext(context);
    }
    ~ContextSwap()
    {
        SDL_GL_MakeCurrent(m_Window, m_GL);
        ImGui::SetCurrentContext(m_Context);
    }
    ContextSwap(const ContextSwap&) = delete;
    ContextSwap& operator=(const ContextSwap&) = delete;

  private:
    SDL_Window* m_Window;
    SDL_GLContext m_GL;
    ImGuiContext* m_Context;
};

// Where a window of that size lies centred on the owner's inside; the screen's centre without one.
SDL_Point CentredOn(SDL_Window* owner, int32_t width, int32_t height)
{
    PlatformWindowFrame frame;
    if (owner == nullptr || (SDL_GetWindowFlags(owner) & SDL_WINDOW_SHOWN) == 0 ||
        !PlatformSdl_GetWindowFrame(owner, frame))
        return {int(SDL_WINDOWPOS_CENTERED), int(SDL_WINDOWPOS_CENTERED)};
    int ownerWidth = 0, ownerHeight = 0;
    SDL_GetWindowSize(owner, &ownerWidth, &ownerHeight);
    return {frame.inside.x + (ownerWidth - width) / 2, frame.inside.y + (ownerHeight - height) / 2};
}

} // namespace

void ImGuiHost_SetFrameObserver(ImGuiHostFrameObserver observer)
{
    g_FrameObserver = observer;
}

bool ImGuiHost::Open(const char* title, int32_t width, int32_t height)
{
    Close();
    // A context of its own starts the renderer's threads again.
    std::string lacking = Headroom_Lacking("its graphics context", Headroom_GraphicsContext());
    if (!lacking.empty()) {
        MainConsole->Output("Dialog window could not be made: %s\n", lacking.c_str());
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        MainConsole->Output("Dialog window: SDL video could not start: %s\n", SDL_GetError());
        return false;
    }
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousGL = SDL_GL_GetCurrentContext();
    SDL_Point at = CentredOn(m_Owner, width, height);
    m_Window = SDL_CreateWindow(title, at.x, at.y, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    m_GL = m_Window != nullptr ? SDL_GL_CreateContext(m_Window) : nullptr;
    if (m_GL == nullptr) {
        MainConsole->Output("Dialog window could not be made: %s\n", SDL_GetError());
        SDL_GL_MakeCurrent(previousWindow, previousGL);
        Close();
        return false;
    }
    m_WindowId = SDL_GetWindowID(m_Window);
    m_CloseRequested = false;
    ImGuiContext* previousContext = ImGui::GetCurrentContext();
    m_Context = ImGui::CreateContext();
    ImGui::SetCurrentContext(m_Context);
    ImGui::GetIO().IniFilename = nullptr; // dialogs keep no layout file
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForOpenGL(m_Window, m_GL);
    ImGui_ImplOpenGL3_Init("#version 330 core");
    ImGui::SetCurrentContext(previousContext);
    SDL_GL_MakeCurrent(previousWindow, previousGL);
    return true;
}

void ImGuiHost::TakeKeyboard()
{
    if (m_Window == nullptr) return;
    SDL_RaiseWindow(m_Window);
    SDL_SetWindowInputFocus(m_Window);
}

void ImGuiHost::Close()
{
    if (m_Context != nullptr) {
        ContextSwap swap(m_Window, m_GL, m_Context);
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplSDL2_Shutdown();
    }
    if (m_Context != nullptr) ImGui::DestroyContext(m_Context);
    m_Context = nullptr;
    if (m_GL != nullptr) SDL_GL_DeleteContext(m_GL);
    m_GL = nullptr;
    if (m_Window == nullptr) return;
    SDL_DestroyWindow(m_Window);
    m_Window = nullptr;
    m_WindowId = 0;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool ImGuiHost::Feed(const SDL_Event& event)
{
    if (m_Window == nullptr || EventWindowId(event) != m_WindowId) return false;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) m_CloseRequested = true;
    if (event.type == SDL_MOUSEMOTION) {
        m_PointerX = static_cast<float>(event.motion.x), m_PointerY = static_cast<float>(event.motion.y);
        m_HasPointer = true;
    }
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_LEAVE) m_HasPointer = false;
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(m_Context);
    ImGui_ImplSDL2_ProcessEvent(&event);
    ImGui::SetCurrentContext(previous);
    return true;
}

void ImGuiHost::PumpEvents(std::vector<SDL_Event>& others)
{
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
        if (!Feed(event)) others.push_back(event);
}

void ImGuiHost::Frame(const std::function<void()>& draw)
{
    if (m_Window == nullptr) return;
    if (g_FrameObserver != nullptr) g_FrameObserver(m_Window);
    ContextSwap swap(m_Window, m_GL, m_Context);
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // The back end reads the desktop's pointer less the window's position, which is stale once the
    // window was moved without a window manager, and nowhere without mouse focus; the window's own
    // motion events always know where the pointer is in it.
    if (m_HasPointer) ImGui::GetIO().MousePos = ImVec2(m_PointerX, m_PointerY);
    ImGui::NewFrame();
    draw();
    ImGui::Render();
    int32_t width = 0;
    int32_t height = 0;
    SDL_GL_GetDrawableSize(m_Window, &width, &height);
    glViewport(0, 0, width, height);
    glClearColor(0.1f, 0.1f, 0.12f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(m_Window);
}
