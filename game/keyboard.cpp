// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "keyboard.h"

#include <GL/glut.h>

#include "collision.h"
#include "rotation.h"
#include "rows.h"
#include "state.h"

void shiftPiece(float dx) {
    for (int k = 0; k < kBlockCount; ++k) {
        currentPiece[k][0] += dx;
    }
}

void stepPiece(float dy) {
    for (int k = 0; k < kBlockCount; ++k) {
        currentPiece[k][1] += dy;
    }
}

// A shift is made first and taken back by the opposite shift when it hits a
// side wall or an occupied cell.
static void tryShift(float dx) {
    shiftPiece(dx);
    if (collides(1)) {
        shiftPiece(-dx);
    }
}

// A blocked step down lands the piece; it never ends the game.
static void dropOneRow() {
    stepPiece(-kCell);
    if (collides(0)) {
        stepPiece(kCell);
        pieceLanded = true;
        lockPiece();
    }
}

void onKeyboard(unsigned char key, int, int) {
    if (!pieceLanded) {
        switch (key) {
            case 'w':
                rotatePiece();
                break;
            case 's':
                dropOneRow();
                break;
            case 'd':
                tryShift(kCell);
                break;
            case 'a':
                tryShift(-kCell);
                break;
            default:
                break;
        }
    }
    glutPostRedisplay();
}
