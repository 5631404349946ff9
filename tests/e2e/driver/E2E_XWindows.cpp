#include "E2E_XWindows.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// Windows come and go while they are read: an error (a window gone meanwhile) fails that read
// alone instead of ending the driver, as Xlib's own handler would.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

// One connection for the driver's whole run.
Display* Connection()
{
    static Display* display = [] {
        XSetErrorHandler(IgnoreError);
        return XOpenDisplay(nullptr);
    }();
    return display;
}

// The window's own name as its bytes (of whatever encoding the window gave it), or empty.
std::string NameOf(Display* display, Window window)
{
    XTextProperty name{};
    if (XGetWMName(display, window, &name) == 0 || name.value == nullptr) return "";
    std::string out(reinterpret_cast<const char*>(name.value), name.nitems);
    XFree(name.value);
    return out;
}

// Named viewable windows among the children of `parent`, down to the clients a manager's frames hold.
void Collect(Display* display, Window parent, int depth, std::vector<E2E_XWindow>& out)
{
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) return;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) == 0 || attributes.map_state != IsViewable) continue;
        std::string name = NameOf(display, children[i]);
        if (!name.empty()) {
            E2E_XWindow found{children[i], name, 0, 0, attributes.width, attributes.height};
            Window child = 0;
            XTranslateCoordinates(display, children[i], root, 0, 0, &found.x, &found.y, &child);
            out.push_back(found);
        } else if (depth < 3) {
            Collect(display, children[i], depth + 1, out);
        }
    }
    if (children != nullptr) XFree(children);
}

// The colour bits of a channel as 0 to 255.
int Channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    unsigned long top = mask >> shift;
    return int(((pixel & mask) >> shift) * 255u / top);
}

} // namespace

std::vector<E2E_XWindow> E2E_XNamedWindows()
{
    std::vector<E2E_XWindow> out;
    Display* display = Connection();
    if (display == nullptr) return out;
    XSync(display, False);
    Collect(display, DefaultRootWindow(display), 0, out);
    return out;
}

std::string E2E_XPixel(unsigned long window, int x, int y)
{
    Display* display = Connection();
    if (display == nullptr) return "";
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) return "";
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return "";
    unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    const Visual* visual = attributes.visual;
    return std::to_string(Channel(pixel, visual->red_mask)) + "," + std::to_string(Channel(pixel, visual->green_mask)) +
           "," + std::to_string(Channel(pixel, visual->blue_mask));
}

bool E2E_XRequestClose(unsigned long window)
{
    Display* display = Connection();
    if (display == nullptr) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return true;
}
