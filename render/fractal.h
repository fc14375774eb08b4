// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

// Deepest level the background figure is drawn to, whatever order was typed.
// Level 7 triangles are about a pixel wide at the initial window size, so a
// deeper level adds nothing visible, while a full level 8 costs about 160 ms a
// frame on a software renderer, enough to make every key feel late. The cap
// also bounds the recursion, and with it the stack, for any order.
constexpr int kDeepestLevel = 7;

// Draws one filled equilateral triangle with a horizontal side, coloured by its
// apex, and then, while depth stays below fractalOrder (and the cap), its six
// children of a third of its side, depth first. pointsDown nonzero: the apex is
// the lowest vertex. Called by drawBackground as drawFractal(1, 1.3, 1, 0.0, -0.8).
void drawFractal(int depth, float size, int pointsDown, float apexX, float apexY);

// Writes the triangles drawFractal would draw from the same arguments with
// `levels` in place of fractalOrder, in the same order and with the same
// floats: per vertex, x and y into `vertices` and the triangle's unclamped
// colour into `colours`. Returns the number of vertices written, three per
// triangle; the arrays must have room for them all.
std::size_t storeFractal(int depth, float size, int pointsDown, float apexX, float apexY,
                         int levels, float* vertices, float* colours);
