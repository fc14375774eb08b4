// The X11 window's identity: its class (WM_CLASS, which the desktop entry's
// StartupWMClass names), the process that owns it (_NET_WM_PID) and its icon
// at 16, 32, 48 and 64 pixels (_NET_WM_ICON). freeglut hands out no X
// handles, but the GL context it has just made current is bound to the window.
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
    char instance[] = "zembrat-quillory";
    char windowClass[] = "Zembrat-quillory";
    XClassHint hint = {instance, windowClass};
    XSetClassHint(display, window, &hint);

    const unsigned long pid = static_cast<unsigned long>(getpid());
    setCardinals(display, window, "_NET_WM_PID", &pid, 1);
    setCardinals(display, window, "_NET_WM_ICON", kWindowIcon,
                 static_cast<int>(sizeof kWindowIcon / sizeof kWindowIcon[0]));
    XFlush(display);
}
