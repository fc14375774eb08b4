// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Fitting the X11 window to the work area (window_fit.h), done by the map
// request of window_identity_x11.cpp, which every top-level map passes.
#pragma once

#include <X11/Xlib.h>

// Called right before the window's first map request: moves and resizes the
// window to what fits the work area with the frame the window manager will
// give it. Leaves a window that fits as it is.
void fitBeforeMapping(Display* display, Window window);

// Called once the window is shown: fits it again should the frame it got be
// larger than the one it was fitted for.
void fitAfterMapping(Display* display, Window window);
