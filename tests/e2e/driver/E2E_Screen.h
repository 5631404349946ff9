// What a window test sees on its X server: the windows by title, where their frames really are,
// their stacking, and the pixels on the screen.
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

class E2EScreen {
  public:
    E2EScreen();
    ~E2EScreen();
    E2EScreen(const E2EScreen&) = delete;
    E2EScreen& operator=(const E2EScreen&) = delete;

    bool Open() const { return m_Display != nullptr; }
    ScreenRect Bounds() const;
    // The mapped windows named `title`, at any depth under the root.
    std::vector<ScreenWindow> Find(const std::string& title) const;
    // The window's outer rectangle: the window manager's frame holding it, or itself without one.
    ScreenRect Frame(ScreenWindow window) const;
    // Whether a's frame is stacked above b's.
    bool StackedAbove(ScreenWindow a, ScreenWindow b) const;
    // The colour on the screen at (x, y) as 0xRRGGBB.
    uint32_t Pixel(int x, int y) const;
    // A window of one colour over the whole screen, beneath whatever maps after it.
    void PaintBackdrop(uint32_t rgb);

  private:
    ScreenWindow TopLevel(ScreenWindow window) const;
    struct _XDisplay* m_Display;
};
