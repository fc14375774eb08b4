// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "collision.h"

#include "state.h"

bool collides(int checkSides) {
    for (int k = 0; k < kBlockCount; ++k) {
        int column = cellColumn(currentPiece[k][0]);
        int row = cellRow(currentPiece[k][1]);
        if (checkSides == 1 && (column > kFieldSide - 1 || column < 0)) {
            return true;
        }
        // Without the side test a column of -1 reads the last hidden cell of
        // the row below, as the board is laid out in memory.
        int index = boardIndex(row, column);
        if (index < 0 || boardCells()[index] == 1) {
            return true;
        }
    }
    return false;
}
