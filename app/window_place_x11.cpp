// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The X11 side of fitting the window: the work area is the root window's
// _NET_WORKAREA for the current desktop, which a window manager keeps (the
// screen less the docks' struts), or the whole screen with no manager. The
// frame is the manager's _NET_FRAME_EXTENTS: before the window is mapped it
// is asked for with _NET_REQUEST_FRAME_EXTENTS, and once the window is
// mapped the manager has set it anyway.
//
// freeglut creates the window at the place and size main asked for, so the
// window's own geometry is what is wanted. A window that has to shrink is
// resized before it is shown; freeglut hears of the new size as of any other
// and sets the viewport to it, so the field stretches to the window.
#include "window_place_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "window_fit.h"

namespace {

// A property of 32-bit cardinals (or window ids); empty when it is unset.
std::vector<long> cardinals(Display* display, Window window, const char* name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, type,
                           &actualType, &format, &count, &after, &data) == Success &&
        data && format == 32) {
        // Xlib hands out format-32 items as longs, whatever a long's size.
        const long* items = reinterpret_cast<const long*>(data);
        values.assign(items, items + count);
    }
    if (data) {
        XFree(data);
    }
    return values;
}

// True when a manager that follows the EWMH runs: the root window names a
// check window, and that window names itself.
bool managerRuns(Display* display, Window root) {
    auto check = cardinals(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (check.empty()) {
        return false;
    }
    auto self =
        cardinals(display, static_cast<Window>(check[0]), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return !self.empty() && self[0] == check[0];
}

// True when the running manager says it answers `atom`'s requests.
bool managerSupports(Display* display, Window root, const char* atom) {
    const long wanted = static_cast<long>(XInternAtom(display, atom, False));
    for (long supported : cardinals(display, root, "_NET_SUPPORTED", XA_ATOM)) {
        if (supported == wanted) {
            return true;
        }
    }
    return false;
}

ScreenRect workArea(Display* display, Window root) {
    XWindowAttributes screen;
    XGetWindowAttributes(display, root, &screen);
    const ScreenRect whole = {0, 0, screen.width, screen.height};
    if (!managerRuns(display, root)) {
        return whole;  // what a manager that has gone left behind holds no more
    }
    auto area = cardinals(display, root, "_NET_WORKAREA", XA_CARDINAL);
    auto desktop = cardinals(display, root, "_NET_CURRENT_DESKTOP", XA_CARDINAL);
    const size_t at = desktop.empty() || desktop[0] < 0 ? 0 : 4 * static_cast<size_t>(desktop[0]);
    if (area.size() < at + 4 || area[at + 2] <= 0 || area[at + 3] <= 0) {
        return whole;
    }
    // Never more than the screen, whatever the property says.
    const long left = std::max(0L, area[at]), top = std::max(0L, area[at + 1]);
    const long right = std::min<long>(whole.width, area[at] + area[at + 2]);
    const long bottom = std::min<long>(whole.height, area[at + 1] + area[at + 3]);
    if (right <= left || bottom <= top) {
        return whole;
    }
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

std::vector<long> frameProperty(Display* display, Window window) {
    return cardinals(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
}

FrameExtents toExtents(const std::vector<long>& values) {
    if (values.size() < 4) {
        return {0, 0, 0, 0};
    }
    return {static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
            static_cast<int>(values[3])};
}

// The frame the manager will give the window, asked for before it is
// mapped; nullopt when no manager runs that answers such a request. One
// that does not answer within two seconds (a stopped or a slow one) is taken
// to give none; fitAfterMapping then mends it.
std::optional<FrameExtents> frameToCome(Display* display, Window root, Window window) {
    if (!managerRuns(display, root) ||
        !managerSupports(display, root, "_NET_REQUEST_FRAME_EXTENTS")) {
        return std::nullopt;
    }
    XEvent request = {};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    request.xclient.format = 32;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    for (int tick = 0; tick < 200; ++tick) {
        auto values = frameProperty(display, window);  // a round trip each time
        if (values.size() >= 4) {
            return toExtents(values);
        }
        usleep(10000);
    }
    return FrameExtents{0, 0, 0, 0};
}

struct Placed {
    Window root;
    ScreenRect rect;  // the window's corner and size, relative to the root
};

Placed placeOf(Display* display, Window window) {
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth);
    // A window in a frame of the manager's: its place on the screen is the
    // frame's corner.
    XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
    return {root, {x, y, static_cast<int>(width), static_cast<int>(height)}};
}

void moveResize(Display* display, Window window, const ScreenRect& rect) {
    // Managers that read the size hints see the new place and size there too.
    XSizeHints hints = {};
    long supplied = 0;
    XGetWMNormalHints(display, window, &hints, &supplied);
    hints.x = rect.x;
    hints.y = rect.y;
    hints.width = rect.width;
    hints.height = rect.height;
    XSetWMNormalHints(display, window, &hints);
    XMoveResizeWindow(display, window, rect.x, rect.y, static_cast<unsigned>(rect.width),
                      static_cast<unsigned>(rect.height));
}

}  // namespace

ScreenRect fitBeforeMapping(Display* display, Window window) {
    const Placed placed = placeOf(display, window);
    const ScreenRect area = workArea(display, placed.root);
    const auto frame = frameToCome(display, placed.root, window);
    const ScreenRect fitted =
        fitWindow(placed.rect, area, frame.value_or(FrameExtents{0, 0, 0, 0}));
    if (!(fitted == placed.rect)) {
        moveResize(display, window, fitted);
    }
    return placed.rect;
}

void fitAfterMapping(Display* display, Window window, const ScreenRect& created) {
    const FrameExtents frame = toExtents(frameProperty(display, window));
    Placed placed = placeOf(display, window);
    // The frame's corner, from the client area's place inside it.
    placed.rect.x -= frame.left;
    placed.rect.y -= frame.top;
    const ScreenRect fitted = fitWindow(created, workArea(display, placed.root), frame);
    if (!(fitted == placed.rect)) {
        moveResize(display, window, fitted);
    }
}

ScreenRect windowPlace() {
    return kWindowPlace;
}
