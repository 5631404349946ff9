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

namespace {

// Windows come and go while they are read: an error (a window gone meanwhile) fails that read alone
// instead of ending the driver, as Xlib's own handler would.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

} // namespace

E2EScreen::E2EScreen() : m_Display((XSetErrorHandler(IgnoreError), XOpenDisplay(nullptr))) {}

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

std::vector<ScreenNamedWindow> E2EScreen::Named() const
{
    XSync(m_Display, False);
    Window root = DefaultRootWindow(m_Display);
    std::vector<ScreenNamedWindow> found;
    std::function<void(Window)> walk = [&](Window window) {
        for (Window child : Children(m_Display, window)) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(m_Display, child, &attributes) == 0 || attributes.map_state != IsViewable) continue;
            XTextProperty name{};
            if (XGetWMName(m_Display, child, &name) == 0 || name.value == nullptr || name.nitems == 0) {
                walk(child);
                continue;
            }
            ScreenNamedWindow named{child, std::string(reinterpret_cast<const char*>(name.value), name.nitems), 0, 0,
                                    attributes.width, attributes.height};
            XFree(name.value);
            Window under = 0;
            XTranslateCoordinates(m_Display, child, root, 0, 0, &named.x, &named.y, &under);
            found.push_back(named);
        }
    };
    walk(root);
    return found;
}

std::vector<ScreenWindow> E2EScreen::Find(const std::string& title) const
{
    std::vector<ScreenWindow> found;
    for (const ScreenNamedWindow& window : Named())
        if (window.name == title) found.push_back(window.id);
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

ScreenWindow E2EScreen::Focused() const
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(m_Display, &focus, &revert);
    return focus;
}

void E2EScreen::RequestClose(ScreenWindow window) const
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_Display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(m_Display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_Display, window, False, NoEventMask, &event);
    XSync(m_Display, False);
}
