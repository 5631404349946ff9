#include "E2E_Screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <functional>

std::string ScreenRect::Text() const
{
    return "(" + std::to_string(left) + "," + std::to_string(top) + ")-(" + std::to_string(right) + "," +
           std::to_string(bottom) + ")";
}

E2EScreen::E2EScreen() : m_Display(XOpenDisplay(nullptr)) {}

E2EScreen::~E2EScreen()
{
    if (m_Display != nullptr) XCloseDisplay(m_Display);
}

ScreenRect E2EScreen::Bounds() const
{
    Screen* screen = DefaultScreenOfDisplay(m_Display);
    return {0, 0, WidthOfScreen(screen), HeightOfScreen(screen)};
}

namespace {

std::vector<Window> Children(Display* display, Window window)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    std::vector<Window> out;
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return out;
    out.assign(children, children + count); // bottom of the stack first
    if (children != nullptr) XFree(children);
    return out;
}

} // namespace

std::vector<ScreenWindow> E2EScreen::Find(const std::string& title) const
{
    XSync(m_Display, False);
    std::vector<ScreenWindow> found;
    std::function<void(Window)> walk = [&](Window window) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(m_Display, window, &name) != 0 && name != nullptr) {
            if (title == name && XGetWindowAttributes(m_Display, window, &attributes) != 0 &&
                attributes.map_state == IsViewable)
                found.push_back(window);
            XFree(name);
        }
        for (Window child : Children(m_Display, window)) walk(child);
    };
    walk(DefaultRootWindow(m_Display));
    return found;
}

ScreenWindow E2EScreen::TopLevel(ScreenWindow window) const
{
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(m_Display, window, &root, &parent, &children, &count) == 0) return window;
        if (children != nullptr) XFree(children);
        if (parent == 0 || parent == root) return window;
        window = parent;
    }
}

ScreenRect E2EScreen::Frame(ScreenWindow window) const
{
    Window root = 0;
    int x = 0, y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    if (XGetGeometry(m_Display, TopLevel(window), &root, &x, &y, &width, &height, &border, &depth) == 0) return {};
    return {x, y, x + int(width + 2 * border), y + int(height + 2 * border)};
}

bool E2EScreen::StackedAbove(ScreenWindow a, ScreenWindow b) const
{
    std::vector<Window> stack = Children(m_Display, DefaultRootWindow(m_Display));
    auto at = [&](ScreenWindow window) { return std::find(stack.begin(), stack.end(), TopLevel(window)) - stack.begin(); };
    return at(a) > at(b);
}

uint32_t E2EScreen::Pixel(int x, int y) const
{
    XImage* image = XGetImage(m_Display, DefaultRootWindow(m_Display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xFFFFFFFFu;
    unsigned long pixel = XGetPixel(image, 0, 0);
    auto channel = [&](unsigned long mask) {
        if (mask == 0) return 0u;
        int shift = 0;
        while (((mask >> shift) & 1) == 0) ++shift;
        return unsigned(((pixel & mask) >> shift) * 255 / (mask >> shift));
    };
    uint32_t rgb = channel(image->red_mask) << 16 | channel(image->green_mask) << 8 | channel(image->blue_mask);
    XDestroyImage(image);
    return rgb;
}

void E2EScreen::PaintBackdrop(uint32_t rgb)
{
    Window root = DefaultRootWindow(m_Display);
    ScreenRect screen = Bounds();
    XSetWindowAttributes attributes;
    attributes.override_redirect = True; // no manager's frame, and no placing of its own
    attributes.background_pixel = rgb;   // the screens of the window tests are 24-bit true colour
    Window backdrop = XCreateWindow(m_Display, root, 0, 0, unsigned(screen.right), unsigned(screen.bottom), 0,
                                    CopyFromParent, InputOutput, CopyFromParent,
                                    CWOverrideRedirect | CWBackPixel, &attributes);
    XMapWindow(m_Display, backdrop);
    XClearWindow(m_Display, backdrop);
    XSync(m_Display, False);
}
