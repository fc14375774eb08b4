// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Where the window opens, and how large. The game asks for a client area of
// 1280 x 860 with the frame's corner at (400, 100), and gets exactly that
// wherever it fits the screen's work area (the screen less its panels and
// task bar), frame included. On a smaller screen it gets the largest client
// area of the same shape that fits, as near that corner as it still fits, so
// that the whole field, floor included, is on the screen.
//
// fitWindow is the arithmetic, the same everywhere. Where the work area and
// the frame are read is platform code: window_place_windows.cpp reads them
// before the window exists, and scales the window by the monitor's scale
// too; window_place_x11.cpp only once the window exists, just before it is
// first shown, since an X11 frame can be asked for only of a window; in a
// browser, window_place_none.cpp, the page fits its canvas itself.
#pragma once

// A rectangle on the screen, in pixels: its top left corner and its size.
struct ScreenRect {
    int x, y, width, height;
    bool operator==(const ScreenRect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// The frame a window manager puts round the client area, in pixels a side.
struct FrameExtents {
    int left, right, top, bottom;
};

// The window the game asks for: x and y are the top left corner of its frame
// (where GLUT's window position puts it), width and height its client area.
constexpr ScreenRect kWindowPlace = {400, 100, 1280, 860};

// `wanted` as it is when its window, frame included, lies wholly inside
// `workArea`. Otherwise the largest client area of wanted's shape whose
// window fits inside the work area (its height within a pixel of the shape,
// never above it), placed on each axis as near wanted's corner as it fits. At
// least 1 x 1, however small the area.
ScreenRect fitWindow(ScreenRect wanted, ScreenRect workArea, FrameExtents frame);

// What main asks GLUT for: the window's corner and client size. On Windows
// the fitted, scaled place; elsewhere kWindowPlace, which X11 fits later.
ScreenRect windowPlace();
