// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The shared game state: seven globals that live for the whole run, the shape
// table, and the conversions from a block position to a board cell.
//
// Positions are clip-space coordinates (x and y from -1 to 1); a block's
// position is the lower-left corner of its cell, and a cell is 0.1 on a side.
// Row 0 is the floor; the visible field is rows and columns 0 to 19, and the
// board's rows and columns 20 to 24 are hidden cells that are never drawn.
#pragma once

constexpr int kBoardSide = 25;  // rows and columns of `board`, hidden ones included
constexpr int kFieldSide = 20;  // rows and columns that are drawn and scanned
constexpr int kShapeCount = 7;
constexpr int kBlockCount = 4;  // blocks of a piece that are ever used
constexpr float kCell = 0.1f;   // one cell, in clip units

//----------------------------------------------------------------------------
// Globals
//----------------------------------------------------------------------------
extern int fractalOrder;  // depth limit of the background figure; 6 until read
extern int pieceType;     // shape of the falling piece, 0 to 6
extern const float pieceTemplates[kShapeCount][5][3];  // spawn positions, (x, y, z) per block
extern float currentPiece[5][3];                       // falling piece; blocks 0 to 3, x and y used
extern int rotationState[kShapeCount];     // orientation counter per shape; 0 = as spawned
extern bool pieceLanded;                   // piece is in the board and awaits its successor
extern int board[kBoardSide][kBoardSide];  // [row][column]; exactly 1 means occupied

//----------------------------------------------------------------------------
// Set-up and spawning
//----------------------------------------------------------------------------

// Called once by main before the window exists: empties the board, lays the
// floor row (all 25 cells) and places the first piece, a T.
void initBoard();

// Called by display once a piece has landed: draws a new shape from a freshly
// seeded generator, resets every orientation counter and clears pieceLanded.
void spawnPiece();

//----------------------------------------------------------------------------
// Cell conversions
//----------------------------------------------------------------------------

// (x + 1) * 10 in single precision, rounded to the nearest column with halves
// away from zero: -1 left of the field, 20 right of it.
int cellColumn(float x);

// (y + 1) * 10 in single precision, plus one half, truncated toward zero; below
// the floor this folds to row 0. Locking uses this rule for columns as well.
int cellRow(float y);

// Element row * 25 + column of the 625-cell board, or -1 when that element lies
// outside it. Every board access by position goes through this guard.
int boardIndex(int row, int column);

// The board as the one run of 625 cells that positions index into.
inline int* boardCells() {
    return &board[0][0];
}
