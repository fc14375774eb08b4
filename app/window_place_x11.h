// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Fitting the X11 window to the work area (window_fit.h), done by the map
// request of window_identity_x11.cpp, which every top-level map passes.
#pragma once

#include <X11/Xlib.h>

#include "window_fit.h"

// Called right before the window's first map request: moves and resizes the
// window to what fits the work area with the frame the window manager says it
// will give it. Leaves a window that fits as it is. Returns the place and
// size the window was created with.
ScreenRect fitBeforeMapping(Display* display, Window window);

// Called once the window is shown: puts it where it fits with the frame it
// did get, should that be larger than the one it was fitted for, or should the
// manager have put the window elsewhere (openbox moves it to (0, 0) while it
// works out the frame, when a rule of its names the window's class).
void fitAfterMapping(Display* display, Window window, const ScreenRect& created);
