// The X11 window's identity: its class (WM_CLASS, which the desktop entry's
// StartupWMClass names), the process that owns it (_NET_WM_PID) and its icon
// at 16, 32, 48 and 64 pixels (_NET_WM_ICON). freeglut hands out no X
// handles, but the GL context it has just made current is bound to the window.
//
// freeglut has already asked for the window to be mapped, and a window
// manager reads the class once, when it takes a window on. So the window is
// withdrawn first, as the window manager's conventions say a client does
// before it changes what the manager goes by, given its properties, and
// mapped again: the manager then takes it on anew, class and all, at the
// position freeglut asked for.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include "window_icon_pixels.h"  // made at build time from the SVG icon
#include "window_identity.h"

namespace {

// Sets a property of 32-bit cardinals, which Xlib takes as longs.
void setCardinals(Display* display, Window window, const char* name, const unsigned long* values,
                  int count) {
    XChangeProperty(display, window, XInternAtom(display, name, False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(values), count);
}

// True while a window manager holds the window: it has given it a WM_STATE
// other than withdrawn (0), or has it in a frame of its own.
bool managed(Display* display, Window window) {
    Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool held = false;
    if (XGetWindowProperty(display, window, wmState, 0, 1, False, wmState, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        held = count == 1 && format == 32 && *reinterpret_cast<unsigned long*>(data) != 0;
        XFree(data);
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &childCount)) {
        if (children) {
            XFree(children);
        }
        held = held || parent != root;
    }
    return held;
}

// Withdraws the window and waits, a second at most, for a window manager
// that held it to let it go.
void withdraw(Display* display, Window window) {
    XWithdrawWindow(display, window, DefaultScreen(display));
    for (int wait = 0; wait < 200 && managed(display, window); ++wait) {
        usleep(5000);
    }
}

}  // namespace

void setWindowIdentity() {
    Display* display = glXGetCurrentDisplay();
    if (!display) {
        return;
    }
    Window window = glXGetCurrentDrawable();
    if (!window) {
        return;
    }
    withdraw(display, window);

    char instance[] = "zembrat-quillory";
    char windowClass[] = "Zembrat-quillory";
    XClassHint hint = {instance, windowClass};
    XSetClassHint(display, window, &hint);

    const unsigned long pid = static_cast<unsigned long>(getpid());
    setCardinals(display, window, "_NET_WM_PID", &pid, 1);
    setCardinals(display, window, "_NET_WM_ICON", kWindowIcon,
                 static_cast<int>(sizeof kWindowIcon / sizeof kWindowIcon[0]));

    // Back where freeglut asked for it, in case the manager moved it on
    // letting it go (freeglut keeps the place in the size hints' old fields).
    XSizeHints hints = {};
    long supplied = 0;
    if (XGetWMNormalHints(display, window, &hints, &supplied) &&
        (hints.flags & (USPosition | PPosition))) {
        XMoveWindow(display, window, hints.x, hints.y);
    }
    XMapWindow(display, window);
    XFlush(display);
}
