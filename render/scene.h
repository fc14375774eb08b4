// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#pragma once

// Called by display at every redisplay: clears to white, draws the background
// figure, every occupied visible cell, the falling piece unless it has landed,
// and swaps the buffers. Reads the game state and changes none of it.
void drawScene();
