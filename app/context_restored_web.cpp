// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The browser may take the page's GL context away (a phone short of memory,
// or the page sent to the background) and give it back empty. The web GL
// layer (web/glut_window.js) makes its own objects again and then calls this,
// before it asks for a frame that draws everything anew.
#include "background.h"

extern "C" void contextRestored() {
    forgetBackgroundCopy();
}
