// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "display.h"

#include <GL/glut.h>

#include "scene.h"
#include "state.h"

void display() {
    drawScene();
    if (pieceLanded) {
        spawnPiece();
        glutPostRedisplay();
    }
}
