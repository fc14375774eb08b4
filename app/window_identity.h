// Tells the desktop whose window this is, so that docks, task bars and window
// switchers show it as the game's, with its icon, and match it to its menu
// entry.
//
// Platform code: the build takes window_identity_x11.cpp on X11 desktops and
// window_identity_none.cpp where nothing is to be done at run time.
#pragma once

// Called once by main, right after glutCreateWindow, while the new window and
// its GL context are current. Does nothing when there is no X display behind
// the context.
void setWindowIdentity();
