// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "state.h"

#include <cstdlib>
#include <ctime>

int fractalOrder = 6;
int pieceType = 2;
float currentPiece[5][3] = {};
int rotationState[kShapeCount] = {};
bool pieceLanded = false;
int board[kBoardSide][kBoardSide] = {};

// Block 0 comes first: it is the block the end-of-game test looks at, and the
// turn table names blocks by number. Block 4 and every z stay 0.
const float pieceTemplates[kShapeCount][5][3] = {
    {{0.0f, 0.9f, 0}, {0.0f, 0.8f, 0}, {0.0f, 0.7f, 0}, {0.0f, 0.6f, 0}, {}},     // bar
    {{-0.1f, 0.9f, 0}, {0.0f, 0.9f, 0}, {-0.1f, 0.8f, 0}, {0.0f, 0.8f, 0}, {}},   // square
    {{-0.1f, 0.9f, 0}, {-0.2f, 0.8f, 0}, {-0.1f, 0.8f, 0}, {0.0f, 0.8f, 0}, {}},  // T
    {{-0.1f, 0.9f, 0}, {0.0f, 0.9f, 0}, {0.0f, 0.8f, 0}, {0.1f, 0.8f, 0}, {}},    // Z
    {{-0.1f, 0.9f, 0}, {0.0f, 0.9f, 0}, {-0.2f, 0.8f, 0}, {-0.1f, 0.8f, 0}, {}},  // S
    {{-0.1f, 0.9f, 0}, {-0.1f, 0.8f, 0}, {-0.1f, 0.7f, 0}, {0.0f, 0.7f, 0}, {}},  // L
    {{0.0f, 0.9f, 0}, {0.0f, 0.8f, 0}, {-0.1f, 0.7f, 0}, {0.0f, 0.7f, 0}, {}},    // J
};

static void placeTemplate() {
    for (int k = 0; k < kBlockCount; ++k) {
        currentPiece[k][0] = pieceTemplates[pieceType][k][0];
        currentPiece[k][1] = pieceTemplates[pieceType][k][1];
    }
}

void initBoard() {
    for (auto& row : board) {
        for (int& cell : row) {
            cell = 0;
        }
    }
    for (int& cell : board[0]) {
        cell = 1;
    }
    placeTemplate();
}

void spawnPiece() {
    // Seeded at every spawn: pieces placed within the same clock second share
    // their shape.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    pieceType = std::rand() % kShapeCount;
    for (int& counter : rotationState) {
        counter = 0;
    }
    placeTemplate();
    pieceLanded = false;
}

// Both conversions scale in single precision, as the positions were made, and
// only then widen: the rounding below decides half a cell from a grid point,
// far beyond the last-bit drift that repeated moves leave behind.
static double scaled(float coordinate) {
    float v = coordinate + 1.0f;
    v = v * 10.0f;
    return v;
}

int cellColumn(float x) {
    double v = scaled(x);
    double w = v > 0 ? v + 0.5 : v - 0.5;
    return static_cast<int>(w);
}

int cellRow(float y) {
    return static_cast<int>(scaled(y) + 0.5);
}

int boardIndex(int row, int column) {
    // A negative column names a hidden cell of the row below, as the board is
    // one run of cells; only an element outside the run is refused.
    long long index = static_cast<long long>(row) * kBoardSide + column;
    return index >= 0 && index < kBoardSide * kBoardSide ? static_cast<int>(index) : -1;
}
