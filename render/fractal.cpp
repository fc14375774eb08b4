// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "fractal.h"

#include <GL/gl.h>

#include <cmath>

#include "state.h"

namespace {

const double kRoot3 = std::sqrt(3.0);

// Each vertex coordinate is formed in double from the float parameters and
// rounded to float once.
float offset(float from, double by) {
    return static_cast<float>(from + by);
}

// One triangle as it is handed to GL: a colour that follows the apex alone
// (values outside 0 to 1 are kept as they are; GL clamps them) and three
// vertices, counter-clockwise either way.
struct Triangle {
    float colour[3];
    float x[3], y[3];
};

Triangle triangleAt(float size, bool pointsDown, float apexX, float apexY) {
    double halfSide = static_cast<double>(size) * 0.5;
    double height = static_cast<double>(size) * kRoot3 / 2;
    double sign = pointsDown ? 1.0 : -1.0;
    // The upper right vertex first when the apex is at the bottom, the lower
    // left first when it is at the top.
    return {{apexX - 0.5f, apexY + 1.0f, (1.0f + apexX) + apexY},
            {apexX, offset(apexX, sign * halfSide), offset(apexX, -sign * halfSide)},
            {apexY, offset(apexY, sign * height), offset(apexY, sign * height)}};
}

// Hands `visit` one triangle and then, while depth stays below `levels` and
// the cap, its six children, depth first.
template <typename Visit>
void walkFractal(int depth, float size, int pointsDown, float apexX, float apexY, int levels,
                 Visit& visit) {
    visit(triangleAt(size, pointsDown != 0, apexX, apexY));
    if (depth >= levels || depth >= kDeepestLevel) {
        return;
    }
    // Children of a downward triangle sit above its apex; those of an upward
    // one mirror them below.
    float sign = pointsDown ? 1.0f : -1.0f;
    float third = size / 3;
    float secondX = pointsDown ? apexX - third : apexX + third;  // x of children 2 and 6
    float thirdX = pointsDown ? apexX + third : apexX - third;   // x of children 3 and 5
    float nearY = offset(apexY, sign * (static_cast<double>(size) * kRoot3 / 3));
    float farY = offset(apexY, sign * (static_cast<double>(size) * kRoot3 * 2 / 3));
    int outward = pointsDown ? 0 : 1;
    int inward = pointsDown ? 1 : 0;
    walkFractal(depth + 1, third, outward, apexX, farY, levels, visit);
    walkFractal(depth + 1, third, outward, secondX, nearY, levels, visit);
    walkFractal(depth + 1, third, outward, thirdX, nearY, levels, visit);
    walkFractal(depth + 1, third, inward, apexX, apexY, levels, visit);
    walkFractal(depth + 1, third, inward, thirdX, nearY, levels, visit);
    walkFractal(depth + 1, third, inward, secondX, nearY, levels, visit);
}

}  // namespace

void drawFractal(int depth, float size, int pointsDown, float apexX, float apexY) {
    auto draw = [](const Triangle& t) {
        glColor3f(t.colour[0], t.colour[1], t.colour[2]);
        glBegin(GL_POLYGON);
        for (int k = 0; k < 3; ++k) {
            glVertex2f(t.x[k], t.y[k]);
        }
        glEnd();
    };
    walkFractal(depth, size, pointsDown, apexX, apexY, fractalOrder, draw);
}

std::size_t storeFractal(int depth, float size, int pointsDown, float apexX, float apexY,
                         int levels, float* vertices, float* colours) {
    std::size_t stored = 0;
    auto store = [&](const Triangle& t) {
        for (int k = 0; k < 3; ++k, ++stored) {
            vertices[2 * stored] = t.x[k];
            vertices[2 * stored + 1] = t.y[k];
            for (int c = 0; c < 3; ++c) {
                colours[3 * stored + c] = t.colour[c];
            }
        }
    };
    walkFractal(depth, size, pointsDown, apexX, apexY, levels, store);
    return stored;
}
