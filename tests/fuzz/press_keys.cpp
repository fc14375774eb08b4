// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Presses one key again and again in the game's window through the XTest
// extension, the way a player holding it down would, until the window is
// gone (the game has ended) or a time limit passes.
//
//   press_keys KEY INTERVAL_MS LIMIT_SECONDS     (DISPLAY names the server)
//
// Exit status: 0 once the window has gone, 2 when the window never appeared,
// 3 when it was still there at the limit, 1 on bad arguments or no server.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kTitle[] = "Zembrat Quillory";

// Windows vanish under our feet at the end of the game; a request that names
// one then fails, which is expected and must not end this program.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

Window findWindow(Display* display, Window parent) {
    char* name = nullptr;
    if (XFetchName(display, parent, &name) && name) {
        bool match = std::strcmp(name, kTitle) == 0;
        XFree(name);
        if (match) {
            return parent;
        }
    }
    Window root, ancestor, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, parent, &root, &ancestor, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
            found = findWindow(display, children[i]);
        }
        if (children) {
            XFree(children);
        }
    }
    return found;
}

bool viewable(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::strlen(argv[1]) != 1) {
        std::fprintf(stderr, "usage: press_keys KEY INTERVAL_MS LIMIT_SECONDS\n");
        return 1;
    }
    const char key[2] = {argv[1][0], 0};
    const long interval = std::atol(argv[2]);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[3]));
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "press_keys: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    int event, error, major, minor;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "press_keys: the server has no XTest extension\n");
        return 1;
    }
    KeyCode code = XKeysymToKeycode(display, XStringToKeysym(key));

    Window window = 0;
    while (!(window && viewable(display, window))) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "press_keys: no window titled \"%s\" appeared\n", kTitle);
            return 2;
        }
        usleep(50000);
        window = findWindow(display, DefaultRootWindow(display));
    }

    long presses = 0;
    while (viewable(display, window)) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "press_keys: the window was still open after %ld presses\n",
                         presses);
            return 3;
        }
        // No window manager runs here: give the window the focus ourselves.
        XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
        XSync(display, False);
        ++presses;
        usleep(static_cast<useconds_t>(interval * 1000));
    }
    std::printf("press_keys: %ld presses until the window closed\n", presses);
    XCloseDisplay(display);
    return 0;
}
