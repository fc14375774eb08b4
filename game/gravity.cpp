// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "gravity.h"

#include <GL/glut.h>

#include <cstdlib>

#include "collision.h"
#include "keyboard.h"
#include "rows.h"
#include "state.h"

void onTimer(int) {
    if (!pieceLanded) {
        stepPiece(-kCell);
        if (collides(0)) {
            stepPiece(kCell);
            // Compared as floats on purpose: 0.9 - 0.1 + 0.1 rounds back to the
            // template's 0.9 exactly, and a piece turned near the top holds 0.9
            // or just above it in row 19 and 1 in row 20; every lower row is
            // below. So this is "block 0 is in row 19 or higher".
            if (currentPiece[0][1] >= pieceTemplates[pieceType][0][1]) {
                std::exit(1);
            }
            pieceLanded = true;
            lockPiece();
        }
    }
    glutPostRedisplay();
    glutTimerFunc(kGravityMillis, onTimer, kGravityValue);
}
