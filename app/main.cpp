// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Start-up: ask for the order of the background figure, open the window, lay
// out the board and hand control to GLUT, whose loop never returns. From then
// on the game runs in the display, timer and keyboard callbacks.
#include <GL/glut.h>

#include "console.h"
#include "display.h"
#include "gravity.h"
#include "keyboard.h"
#include "state.h"
#include "window_fit.h"
#include "window_identity.h"

int main(int argc, char** argv) {
    fractalOrder = askForOrder(fractalOrder);

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    const ScreenRect place = windowPlace();  // 1280 x 860 at (400, 100) where it fits
    glutInitWindowPosition(place.x, place.y);
    glutInitWindowSize(place.width, place.height);
    initBoard();  // no GL call, so it may come before the window
    glutCreateWindow("Zembrat Quillory");
    setWindowIdentity();
    glutDisplayFunc(display);
    glutTimerFunc(kGravityMillis, onTimer, kGravityValue);
    glutKeyboardFunc(onKeyboard);
    glClearColor(1, 1, 1, 1);
    glutMainLoop();
    return 0;
}
