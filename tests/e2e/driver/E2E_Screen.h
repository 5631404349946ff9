// What a window test sees on its X server: the windows by title, where their frames really are,
// their stacking, the pixels on the screen, and the close request a manager's close button sends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An X window id; Xlib stays out of this header, whose macros (None, Above ...) would reach the
// drivers.
using ScreenWindow = unsigned long;

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    std::string Text() const;
};

// A named window as the player sees it: its own rectangle on the screen, inside any manager's frame.
struct ScreenNamedWindow {
    ScreenWindow id = 0;
    std::string name;
    int x = 0, y = 0, width = 0, height = 0;
};

class E2EScreen {
  public:
    E2EScreen();
    ~E2EScreen();
    E2EScreen(const E2EScreen&) = delete;
    E2EScreen& operator=(const E2EScreen&) = delete;

    bool Open() const { return m_Display != nullptr; }
    ScreenRect Bounds() const;
    // The viewable windows that carry a name (a manager's frames carry none), bottom of the stack first.
    std::vector<ScreenNamedWindow> Named() const;
    // The viewable windows named `title`.
    std::vector<ScreenWindow> Find(const std::string& title) const;
    // The window's outer rectangle: the window manager's frame holding it, or itself without one.
    ScreenRect Frame(ScreenWindow window) const;
    // Whether a's frame is stacked above b's.
    bool StackedAbove(ScreenWindow a, ScreenWindow b) const;
    // The colour on the screen at (x, y) as 0xRRGGBB.
    uint32_t Pixel(int x, int y) const;
    // A window of one colour over the whole screen, beneath whatever maps after it.
    void PaintBackdrop(uint32_t rgb);
    // The window that has the keyboard (0 for none, 1 for the one under the pointer).
    ScreenWindow Focused() const;
    // Sends WM_DELETE_WINDOW, as a manager's close button does.
    void RequestClose(ScreenWindow window) const;

  private:
    ScreenWindow TopLevel(ScreenWindow window) const;
    struct _XDisplay* m_Display;
};
