// A Dear ImGui surface of its own: an SDL window with its own OpenGL and ImGui contexts, fed only
// that window's events. Each frame makes its contexts current and gives the caller's back after,
// so the game's drawing never sees the dialog's state.
#pragma once

#include <SDL.h>

#include <functional>
#include <vector>

class ImGuiHost {
  public:
    ImGuiHost() = default;
    ImGuiHost(const ImGuiHost&) = delete;
    ImGuiHost& operator=(const ImGuiHost&) = delete;
    ~ImGuiHost() { Close(); }

    // False (with a console line) when SDL video, the window or its GL context cannot be had.
    bool Open(const char* title, int32_t width, int32_t height);
    void Close();
    bool IsOpen() const { return m_Window != nullptr; }
    SDL_Window* Window() const { return m_Window; }

    // Takes the event when it belongs to this window; true if taken.
    bool Feed(const SDL_Event& event);
    // Removes every waiting event, feeding this window's; the others are returned.
    void PumpEvents(std::vector<SDL_Event>& others);
    // The window's close button was pressed since it opened.
    bool CloseRequested() const { return m_CloseRequested; }

    // One ImGui frame: `draw` issues the widgets, then the frame is presented.
    void Frame(const std::function<void()>& draw);

  private:
    SDL_Window* m_Window = nullptr;
    SDL_GLContext m_GL = nullptr;
    struct ImGuiContext* m_Context = nullptr;
    Uint32 m_WindowId = 0;
    bool m_CloseRequested = false;
    // The pointer as this window's motion events gave it, for drivers that report no mouse focus.
    float m_PointerX = 0, m_PointerY = 0;
    bool m_HasPointer = false;
};

// Sees each host's window as a frame begins; events it pushes reach the next frame (tests type
// into dialogs through it).
using ImGuiHostFrameObserver = void (*)(SDL_Window* window);
void ImGuiHost_SetFrameObserver(ImGuiHostFrameObserver observer);
