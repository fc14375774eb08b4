// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#pragma once

// Draws the figure behind the field for the typed order. Orders up to 6 are
// drawn triangle by triangle as drawFractal(1, 1.3, 1, 0.0, -0.8) draws them.
// Every higher order shows the same figure, capped at kDeepestLevel: it is
// worked out once into arrays fixed at start-up and drawn from them with
// client vertex arrays, the same triangles in the same order, on the first
// frame and whenever the viewport has changed; that frame is then copied into
// textures, and the frames after it draw the copy, the same pixels at a
// fraction of the cost. Called by drawScene.
void drawBackground();

// Drops the copy of the figure: the next frame asks GL for its largest
// texture again, draws the figure from the arrays and copies it into textures
// given their size anew, as on the first frame. For a GL that lost its
// textures and gave back empty ones under the same names (a browser's WebGL
// context, lost and restored); the desktop's GL keeps them for the whole run
// and never needs it.
void forgetBackgroundCopy();
