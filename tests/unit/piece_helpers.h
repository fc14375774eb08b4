// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Small helpers for the game-logic tests: put blocks on cells, read cells back,
// and take a bit-exact copy of the game state to compare against later.
#pragma once

#include <array>
#include <cstring>
#include <ostream>
#include <set>
#include <utility>

#include "state.h"

struct Cell {
    int column;
    int row;
};

inline bool operator==(Cell a, Cell b) {
    return a.column == b.column && a.row == b.row;
}

inline std::ostream& operator<<(std::ostream& out, Cell cell) {
    return out << '(' << cell.column << ", " << cell.row << ')';
}

using Cells = std::array<Cell, kBlockCount>;

// Lower-left corner of a cell, the way a position one cell from the grid
// origin looks in single precision.
inline float cellLeft(int column) {
    return static_cast<float>(column) * 0.1f - 1.0f;
}
inline float cellBottom(int row) {
    return static_cast<float>(row) * 0.1f - 1.0f;
}

inline void placeBlock(int block, Cell cell) {
    currentPiece[block][0] = cellLeft(cell.column);
    currentPiece[block][1] = cellBottom(cell.row);
}

inline void placePiece(int shape, const Cells& cells) {
    pieceType = shape;
    for (int k = 0; k < kBlockCount; ++k) {
        placeBlock(k, cells[k]);
    }
}

// The shape as a new piece stands: its template copied block by block.
inline void placeShapeAtSpawn(int shape) {
    pieceType = shape;
    for (int k = 0; k < kBlockCount; ++k) {
        currentPiece[k][0] = pieceTemplates[shape][k][0];
        currentPiece[k][1] = pieceTemplates[shape][k][1];
    }
}

inline Cell cellOf(int block) {
    return {cellColumn(currentPiece[block][0]), cellRow(currentPiece[block][1])};
}

inline Cells pieceCells() {
    return {cellOf(0), cellOf(1), cellOf(2), cellOf(3)};
}

// Every board element holding exactly 1, as (row, column).
inline std::set<std::pair<int, int>> occupied() {
    std::set<std::pair<int, int>> cells;
    for (int row = 0; row < kBoardSide; ++row) {
        for (int column = 0; column < kBoardSide; ++column) {
            if (board[row][column] == 1) {
                cells.insert({row, column});
            }
        }
    }
    return cells;
}

// The whole game state, bit for bit.
struct Snapshot {
    int type = pieceType;
    bool landed = pieceLanded;
    float piece[5][3];
    int turns[kShapeCount];
    int cells[kBoardSide][kBoardSide];

    Snapshot() {
        std::memcpy(piece, currentPiece, sizeof piece);
        std::memcpy(turns, rotationState, sizeof turns);
        std::memcpy(cells, board, sizeof cells);
    }
    bool matchesNow() const {
        return type == pieceType && landed == pieceLanded &&
               std::memcmp(piece, currentPiece, sizeof piece) == 0 &&
               std::memcmp(turns, rotationState, sizeof turns) == 0 &&
               std::memcmp(cells, board, sizeof cells) == 0;
    }
};
