// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "rotation.h"

#include "collision.h"
#include "state.h"

const int orientationCount[kShapeCount] = {2, 1, 4, 2, 2, 4, 4};

namespace {

// A block's new position: the old position of block `source`, moved by whole
// cells. A block that stays is its own source with no displacement.
struct Move {
    int source;
    int dc;  // cells to the right (negative: left)
    int dr;  // cells up (negative: down)
};

// [shape][counter][block]. Shape 1 never turns and has no rows; the unused
// rows of the two-orientation shapes stay zero.
const Move turnTable[kShapeCount][4][kBlockCount] = {
    {{{1, -1, 0}, {1, 0, 0}, {1, 1, 0}, {1, 2, 0}},  // bar: lie down in block 1's row
     {{1, 0, 1}, {1, 0, 0}, {1, 0, -1}, {1, 0, -2}}},
    {},
    {{{0, 0, 0}, {2, 0, 0}, {3, 0, 0}, {2, 0, -1}},  // T
     {{1, -1, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}},
     {{1, 0, 1}, {0, 0, 0}, {1, 0, 0}, {3, 0, 0}},
     {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}}},
    {{{1, 1, 1}, {1, 0, 0}, {1, 1, 0}, {2, 0, 0}},  // Z
     {{1, -1, 0}, {1, 0, 0}, {3, 0, 0}, {3, 1, 0}}},
    {{{0, -1, 1}, {0, -1, 0}, {0, 0, 0}, {0, 0, -1}},  // S
     {{2, 0, 0}, {2, 1, 0}, {1, 0, -1}, {3, 0, 0}}},
    {{{1, 0, 0}, {1, 1, 0}, {1, 2, 0}, {2, 0, 0}},  // L
     {{0, 0, 1}, {1, 0, 1}, {1, 0, 0}, {1, 0, -1}},
     {{2, 1, 0}, {2, -1, -1}, {2, 0, -1}, {2, 1, -1}},
     {{1, 0, 2}, {1, 0, 1}, {1, 0, 0}, {2, 0, 0}}},
    {{{2, -1, 1}, {2, -1, 0}, {2, 0, 0}, {3, 0, 0}},  // J
     {{0, 1, 1}, {3, 0, 2}, {0, 1, 0}, {2, 0, 0}},
     {{0, -1, -1}, {2, 0, 0}, {2, 1, 0}, {3, 1, 0}},
     {{2, 0, 1}, {2, 0, 0}, {3, -1, 0}, {3, 0, 0}}},
};

// One single-precision addition of 0.1 or 0.2 per displacement: two cells are
// one step of 0.2, not two of 0.1, and no displacement is a plain copy.
float displaced(float coordinate, int cells) {
    static const float kOffset[5] = {-0.2f, -0.1f, 0.0f, 0.1f, 0.2f};
    return cells == 0 ? coordinate : coordinate + kOffset[cells + 2];
}

}  // namespace

void rotatePiece() {
    if (orientationCount[pieceType] == 1) {
        return;
    }
    float saved[kBlockCount][2];
    for (int k = 0; k < kBlockCount; ++k) {
        saved[k][0] = currentPiece[k][0];
        saved[k][1] = currentPiece[k][1];
    }
    int& counter = rotationState[pieceType];
    int before = counter;
    const Move* row = turnTable[pieceType][before];
    for (int k = 0; k < kBlockCount; ++k) {
        currentPiece[k][0] = displaced(saved[row[k].source][0], row[k].dc);
        currentPiece[k][1] = displaced(saved[row[k].source][1], row[k].dr);
    }
    counter = (before + 1) % orientationCount[pieceType];
    if (collides(0)) {
        for (int k = 0; k < kBlockCount; ++k) {
            currentPiece[k][0] = saved[k][0];
            currentPiece[k][1] = saved[k][1];
        }
        counter = before;
    }
}
