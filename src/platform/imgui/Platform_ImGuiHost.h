// A Dear ImGui surface of its own: an SDL window with its own OpenGL and ImGui contexts, fed only
// that window's events. Each frame makes its contexts current and gives the caller's back after,
// so the game's drawing never sees the dialog's state.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <vector>

// What a window drawn with Dear ImGui offers the code that draws in it. ImGuiHost is the SDL one;
// tests put a window of their own in its place.
class ImGuiSurface {
  public:
    virtual ~ImGuiSurface() = default;
    virtual bool Open(const char* title, int32_t width, int32_t height) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The SDL window; null while closed, and for a window that has none.
    virtual SDL_Window* Window() const = 0;
    // Takes the event when it belongs to this window; true if taken.
    virtual bool Feed(const SDL_Event& event) = 0;
    // The window's close button was pressed since it opened.
    virtual bool CloseRequested() const = 0;
    // One ImGui frame: `draw` issues the widgets, then the frame is presented.
    virtual void Frame(const std::function<void()>& draw) = 0;
};

class ImGuiHost : public ImGuiSurface {
  public:
    ImGuiHost() = default;
    ImGuiHost(const ImGuiHost&) = delete;
    ImGuiHost& operator=(const ImGuiHost&) = delete;
    ~ImGuiHost() override { ImGuiHost::Close(); }

    // False (with a console line) when SDL video, the window or its GL context cannot be had.
    bool Open(const char* title, int32_t width, int32_t height) override;
    void Close() override;
    bool IsOpen() const override { return m_Window != nullptr; }
    SDL_Window* Window() const override { return m_Window; }
    bool Feed(const SDL_Event& event) override;
    // Removes every waiting event, feeding this window's; the others are returned.
    void PumpEvents(std::vector<SDL_Event>& others);
    bool CloseRequested() const override { return m_CloseRequested; }
    void Frame(const std::function<void()>& draw) override;
    // Raises the open window and gives it the keyboard: a dialog takes the player's typing from
    // the moment it opens.
    void TakeKeyboard();
    // The windows opened after this open centred on `owner` while that is shown (null: on the screen).
    void CentreOn(SDL_Window* owner) { m_Owner = owner; }

  private:
    SDL_Window* m_Window = nullptr;
    SDL_Window* m_Owner = nullptr;
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
