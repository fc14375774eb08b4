// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "rows.h"

#include "state.h"

static int classifyRow(int row) {
    int count = 0;
    for (int column = 0; column < kFieldSide; ++column) {
        count += board[row][column] == 1;
    }
    if (count == kFieldSide) {
        return kRowFull;
    }
    return count > 0 ? kRowPartial : kRowEmpty;
}

void lockPiece() {
    int rowState[kBoardSide];
    bool anyFull = false;
    for (int& state : rowState) {
        state = kRowEmpty;
    }
    for (int k = 0; k < kBlockCount; ++k) {
        // The column takes the row's rounding, so a block one column left of
        // the field is written into column 0 of its row.
        int index = boardIndex(cellRow(currentPiece[k][1]), cellRow(currentPiece[k][0]));
        if (index >= 0) {
            boardCells()[index] = 1;
        }
    }
    for (int row = 1; row < kFieldSide; ++row) {
        rowState[row] = classifyRow(row);
        anyFull = anyFull || rowState[row] == kRowFull;
    }
    if (anyFull) {
        compactRows(rowState);
    }
}

// Lowest row from `from` to 19 whose state differs from `skip`, or 0 if none.
static int lowestRowNot(const int (&rowState)[25], int from, int skip) {
    for (int row = from; row < kFieldSide; ++row) {
        if (rowState[row] != skip) {
            return row;
        }
    }
    return 0;
}

void compactRows(int (&rowState)[25]) {
    for (;;) {
        int target = lowestRowNot(rowState, 1, kRowPartial);  // empty or full
        if (target == 0) {
            break;
        }
        int source = lowestRowNot(rowState, target + 1, kRowEmpty);  // partial or full
        if (source == 0) {
            break;
        }
        for (int column = 0; column < kFieldSide; ++column) {
            board[target][column] = board[source][column];
        }
        rowState[target] = rowState[source];
        rowState[source] = kRowEmpty;
    }
    for (int row = 1; row < kFieldSide; ++row) {
        if (rowState[row] != kRowPartial) {
            for (int column = 0; column < kFieldSide; ++column) {
                board[row][column] = 0;
            }
        }
    }
}
