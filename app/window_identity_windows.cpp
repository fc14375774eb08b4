// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The Windows window. Its icon and version come with the .exe, as resources
// (zembrat-quillory.rc.in), and freeglut gives its windows the icon named
// GLUT_ICON by itself. What is left to do at run time is to keep input
// methods away from the window.
//
// On a Chinese Windows an input method is on by default, in Chinese mode: a
// letter typed into a window with an input context starts a composition and
// reaches the window only when the player commits it, so a, d, s and w would
// do nothing. The window is given no input context: every key reaches it as
// itself. The order is typed in the console, which keeps its own.
#include <windows.h>

#include <imm.h>

#include "window_identity.h"

void setWindowIdentity() {
    // freeglut hands out no window handle, but the GL context it has just
    // made current draws on the window's own device context.
    HDC device = wglGetCurrentDC();
    HWND window = device ? WindowFromDC(device) : nullptr;
    if (window) {
        ImmAssociateContextEx(window, nullptr, 0);
    }
}
