// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The X11 window's identity: its class (WM_CLASS, which the desktop entry's
// StartupWMClass names), the process that owns it (_NET_WM_PID) and its icon
// at 16, 32, 48 and 64 pixels (_NET_WM_ICON).
//
// A window manager reads the class once, when the window's first map request
// reaches it, and freeglut makes that request inside glutCreateWindow, then
// waits there until the manager has shown the window. So the identity has to
// be on the window before freeglut maps it. freeglut hands out no X handles
// and takes no class, but it maps through Xlib's XMapWindow, and a program's
// own definition of a shared library's function comes first for the dynamic
// linker: the XMapWindow below gives a top-level window its identity, then
// passes the call on to Xlib's. The window is never withdrawn.
//
// A manager that is still starting can drop a map request that reaches it
// then (openbox does, now and then: the window stays unmapped, unmanaged,
// and freeglut waits for it forever). So the top-level window is asked for
// again, once a second, until it is shown or a manager has taken it on (and
// keeps it iconic, say). Asking again for a window a manager holds does
// nothing. Without a manager the window is shown at once.
//
// On a screen too small for it, the window is fitted to the work area on the
// way (window_place_x11.cpp): before the map request, and once more when it
// is shown, should its frame have come larger than the manager said.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <string_view>

#include "window_icon_pixels.h"  // made at build time from the SVG icon
#include "window_identity.h"
#include "window_place_x11.h"

namespace {

constexpr char kInstance[] = "zembrat-quillory";
constexpr char kClass[] = "Zembrat-quillory";

// Sets a property of 32-bit cardinals, which Xlib takes as longs.
void setCardinals(Display* display, Window window, const char* name, const unsigned long* values,
                  int count) {
    XChangeProperty(display, window, XInternAtom(display, name, False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(values), count);
}

bool carriesIdentity(Display* display, Window window) {
    XClassHint hint = {};
    if (!XGetClassHint(display, window, &hint)) {
        return false;
    }
    const bool ours = hint.res_class && std::string_view(hint.res_class) == kClass;
    XFree(hint.res_name);
    XFree(hint.res_class);
    return ours;
}

void giveIdentity(Display* display, Window window) {
    char instance[sizeof kInstance];
    char windowClass[sizeof kClass];
    std::copy(std::begin(kInstance), std::end(kInstance), instance);
    std::copy(std::begin(kClass), std::end(kClass), windowClass);
    XClassHint hint = {instance, windowClass};
    XSetClassHint(display, window, &hint);

    const unsigned long pid = static_cast<unsigned long>(getpid());
    setCardinals(display, window, "_NET_WM_PID", &pid, 1);
    setCardinals(display, window, "_NET_WM_ICON", kWindowIcon,
                 static_cast<int>(sizeof kWindowIcon / sizeof kWindowIcon[0]));
}

bool isShown(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state != IsUnmapped;
}

bool isTopLevel(Display* display, Window window) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) {
        return false;
    }
    if (children) {
        XFree(children);
    }
    return parent == root;
}

// True once a window manager holds the window: it has given it a WM_STATE or
// put it in a frame of its own.
bool isManaged(Display* display, Window window) {
    Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, wmState, 0, 1, False, wmState, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        XFree(data);
    }
    return count > 0 || !isTopLevel(display, window);
}

}  // namespace

// Every XMapWindow of the process, freeglut's among them, comes here first.
extern "C" int XMapWindow(Display* display, Window window) {
    using MapWindow = int (*)(Display*, Window);
    static const auto xlibMapWindow = reinterpret_cast<MapWindow>(dlsym(RTLD_NEXT, "XMapWindow"));
    static bool done = false;
    if (!xlibMapWindow || done || !isTopLevel(display, window)) {
        return xlibMapWindow ? xlibMapWindow(display, window) : 0;
    }
    done = true;  // the game has one window
    giveIdentity(display, window);
    const ScreenRect created = fitBeforeMapping(display, window);
    const int result = xlibMapWindow(display, window);
    for (int tick = 1; !isShown(display, window) && !isManaged(display, window); ++tick) {
        usleep(10000);
        if (tick % 100 == 0) {
            xlibMapWindow(display, window);
        }
    }
    fitAfterMapping(display, window, created);
    return result;
}

// Should the window have been mapped past the definition above, it still gets
// its identity, late: a manager may then have missed the class, but the window
// stays as it is, on the screen.
void setWindowIdentity() {
    Display* display = glXGetCurrentDisplay();
    if (!display) {
        return;
    }
    Window window = glXGetCurrentDrawable();
    if (!window || carriesIdentity(display, window)) {
        return;
    }
    giveIdentity(display, window);
    XFlush(display);
}
