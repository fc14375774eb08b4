// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#pragma once

// What lockPiece found in each of rows 1 to 19 (columns 0 to 19 only).
constexpr int kRowEmpty = -1;
constexpr int kRowPartial = 0;
constexpr int kRowFull = 1;

// Called by onKeyboard and onTimer, once per landed piece, right after they set
// pieceLanded: writes the four blocks into the board and removes full rows.
void lockPiece();

// Called by lockPiece when some row is full: pulls the partial rows down over
// the full and empty ones, keeping their order, and clears what is left above.
void compactRows(int (&rowState)[25]);
