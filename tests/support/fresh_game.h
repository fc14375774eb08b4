// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Puts every global back to its value at process start, lays the board as
// main does, and forgets all recorded GL and GLUT calls, and the background's
// copy and GL's largest texture size, as a restored context would.
#pragma once

#include <cstring>

#include "background.h"
#include "recording_gl.h"
#include "state.h"

inline void startFreshGame() {
    fractalOrder = 6;
    pieceType = 2;
    std::memset(currentPiece, 0, sizeof currentPiece);
    std::memset(rotationState, 0, sizeof rotationState);
    pieceLanded = false;
    initBoard();
    recording::reset();
    forgetBackgroundCopy();
}
