// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Run through Wine by WindowsBuild: opens a GLUT window with the game's window
// code and writes whether it has an input context at its first frame. Only its
// own process can ask; ImmGetContext answers NULL for another's window and for
// none, so the probe finds its window apart from the game's code, and checks.
#include <windows.h>

#include <GL/glut.h>
#include <imm.h>

#include <cstdio>
#include <cstdlib>

#include "window_identity.h"

static void report() {
    HWND window = FindWindowA("FREEGLUT", "Input context probe");
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    std::puts(process != GetCurrentProcessId() ? "no window of its own"
              : ImmGetContext(window)          ? "input context: yes"
                                               : "input context: none");
    std::exit(0);
}

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutCreateWindow("Input context probe");
    setWindowIdentity();
    glutDisplayFunc(report);
    glutMainLoop();
}
