// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#pragma once

// The one judge of every move: true when a block of the falling piece lies on
// an occupied cell or, with checkSides exactly 1, outside columns 0 to 19.
// Movers change currentPiece first, ask, and undo on true. A position whose
// cell would lie outside the board counts as occupied.
bool collides(int checkSides);
