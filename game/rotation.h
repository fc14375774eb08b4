// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#pragma once

// Orientations each shape passes through before it is back as spawned.
extern const int orientationCount[7];

// Called by onKeyboard for `w` while a piece is falling: moves the blocks to
// the next orientation of the turn table, or leaves positions and counter
// exactly as they were when the turned piece would lie on an occupied cell.
// Side walls are not tested, so blocks may reach columns -1 and 21.
void rotatePiece();
