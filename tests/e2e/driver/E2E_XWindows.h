// What a player sees on the X server the window tests run on (DISPLAY): its named windows, their
// pixels, and the close request a window manager's close button sends. Kept apart from the driver so
// that Xlib's macros stay out of it.
#pragma once

#include <string>
#include <vector>

struct E2E_XWindow {
    unsigned long id = 0;
    std::string name;
    int x = 0, y = 0, width = 0, height = 0; // on the screen
};

// The viewable windows that carry a name (a manager's frames carry none); empty without a server.
std::vector<E2E_XWindow> E2E_XNamedWindows();
// The window's pixel at (x, y) of its own as "r,g,b"; empty when it cannot be read.
std::string E2E_XPixel(unsigned long window, int x, int y);
// Sends WM_DELETE_WINDOW, as a manager's close button does; false without a server.
bool E2E_XRequestClose(unsigned long window);
