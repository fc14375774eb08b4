// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Linked into the start-up probe: the real main with the recording stand-in.
// When main reaches the event loop, this prints on standard error what
// start-up did, one GL or GLUT call a line, then the order read and which
// callbacks GLUT holds, and lets main return.
#include <cstdio>

#include "display.h"
#include "gravity.h"
#include "keyboard.h"
#include "recording_gl.h"
#include "state.h"

namespace {

void reportStartup() {
    for (const GlCall& call : recording::calls()) {
        std::fprintf(stderr, "%s\n", call.text().c_str());
    }
    const recording::Glut& glut = recording::glut();
    std::fprintf(stderr, "title %s\n", glut.title.c_str());
    std::fprintf(stderr, "order %d\n", fractalOrder);
    std::fprintf(stderr, "callbacks %d %d %d\n", glut.display == display, glut.timer == onTimer,
                 glut.keyboard == onKeyboard);
}

struct Installer {
    Installer() { recording::mainLoopHook = reportStartup; }
} installer;

}  // namespace
