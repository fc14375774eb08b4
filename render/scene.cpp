// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "scene.h"

#include <GL/glut.h>

#include "background.h"
#include "state.h"

namespace {

struct Colour {
    float red, green, blue;
};

const Colour kFloorColour = {0.4f, 0.3f, 1.0f};
const Colour kBlockColour = {1.0f, 0.0f, 1.0f};  // locked cells and the falling piece

// A filled square with a 2-pixel black outline, counter-clockwise from its
// lower-left corner. No flush: the buffer swap presents the whole frame, and a
// flush per square would make a full board visibly slow on a software renderer.
void drawSquare(Colour fill, float left, float bottom, float right, float top) {
    glColor3f(fill.red, fill.green, fill.blue);
    glRectf(left, bottom, right, top);
    glLineWidth(2.0f);
    glBegin(GL_LINE_LOOP);
    glColor3f(0.0f, 0.0f, 0.0f);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
}

void drawBoard() {
    for (int i = 0; i < kFieldSide; ++i) {
        for (int j = 0; j < kFieldSide; ++j) {
            if (board[i][j] != 1) {
                continue;
            }
            // Single precision in this order; the right and top sides are the
            // cell's own left and bottom plus one cell.
            float left = static_cast<float>(j) / 10.0f - 1.0f;
            float bottom = static_cast<float>(i) / 10.0f - 1.0f;
            drawSquare(i == 0 ? kFloorColour : kBlockColour, left, bottom, left + kCell,
                       bottom + kCell);
        }
    }
}

// Drawn where its floats put it, not snapped to the grid.
void drawPiece() {
    for (int k = 0; k < kBlockCount; ++k) {
        float x = currentPiece[k][0];
        float y = currentPiece[k][1];
        drawSquare(kBlockColour, x, y, x + kCell, y + kCell);
    }
}

}  // namespace

void drawScene() {
    glClear(GL_COLOR_BUFFER_BIT);
    drawBackground();
    drawBoard();
    if (!pieceLanded) {
        drawPiece();
    }
    glutSwapBuffers();
}
