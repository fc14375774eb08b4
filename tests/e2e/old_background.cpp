// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Linked into a copy of the game in place of render/'s drawBackground: every
// order drawn triangle by triangle, as the game drew them before the capped
// figure came from vertex arrays. Its frames are what the game's own must
// match to the pixel.
#include "background.h"
#include "fractal.h"

void drawBackground() {
    drawFractal(1, 1.3f, 1, 0.0f, -0.8f);
}
