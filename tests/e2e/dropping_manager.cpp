// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// A window manager that drops the first map request it gets, as one still
// starting up may, and maps every later one. It passes configure requests on
// as asked and announces itself on the root window, where the suite looks
// for a running manager. For each window it maps it writes the window's class
// on standard output, as read when the request came, and "ignored" for the
// dropped request. Runs on $DISPLAY until killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <initializer_list>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "dropping_manager: cannot open the display\n");
        return 2;
    }
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureRedirectMask);
    // The check window: the root names it, and it names itself.
    Window check = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    Atom supporting = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    for (Window window : {check, root}) {
        XChangeProperty(display, window, supporting, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&check), 1);
    }
    XSync(display, False);

    bool dropped = false;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ConfigureRequest) {
            const XConfigureRequestEvent& request = event.xconfigurerequest;
            XWindowChanges changes = {
                request.x,     request.y,     request.width, request.height, request.border_width,
                request.above, request.detail};
            XConfigureWindow(display, request.window, request.value_mask, &changes);
        } else if (event.type == MapRequest && !dropped) {
            dropped = true;
            std::printf("ignored\n");
        } else if (event.type == MapRequest) {
            XClassHint hint = {};
            const bool named = XGetClassHint(display, event.xmaprequest.window, &hint);
            std::printf("mapped %s\n", named && hint.res_class ? hint.res_class : "");
            if (named) {
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
            XMapWindow(display, event.xmaprequest.window);
        }
        std::fflush(stdout);
        XFlush(display);
    }
}
