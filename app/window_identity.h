// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Tells the desktop whose window this is, so that docks, task bars and window
// switchers show it as the game's, with its icon, and match it to its menu
// entry. On Windows, whose .exe carries its icon, it keeps input methods away
// from the window instead, so that letters reach it as keys.
//
// Platform code: the build takes window_identity_x11.cpp on X11 desktops,
// window_identity_windows.cpp on Windows and window_identity_none.cpp in a
// browser, where nothing is to be done at run time.
#pragma once

// Called once by main, right after glutCreateWindow, while the new window and
// its GL context are current. Does nothing when no window of the platform's
// own stands behind the context.
void setWindowIdentity();
