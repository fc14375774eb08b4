#include "background.h"

#include <GL/gl.h>

#include <algorithm>

#include "fractal.h"
#include "state.h"

namespace {

// The first triangle, from which the whole figure grows.
constexpr float kFirstSize = 1.3f;
constexpr float kFirstApexX = 0.0f;
constexpr float kFirstApexY = -0.8f;

// Triangles in a figure of `levels` levels: (6^levels - 1) / 5.
constexpr int trianglesUpTo(int levels) {
    int total = 0;
    for (int level = 1, atLevel = 1; level <= levels; ++level, atLevel *= 6) {
        total += atLevel;
    }
    return total;
}

constexpr int kCappedVertices = 3 * trianglesUpTo(kDeepestLevel);

// At most this many vertices a draw call; a multiple of three, so no call
// splits a triangle.
constexpr int kVerticesPerDraw = 30000;
static_assert(kVerticesPerDraw % 3 == 0);

// The capped figure, one entry per vertex: x and y, and the triangle's
// unclamped colour. Filled once, on the first frame of a high order.
float cappedVertices[2 * kCappedVertices];
float cappedColours[3 * kCappedVertices];
bool cappedStored = false;

void drawCappedFigure() {
    if (!cappedStored) {
        storeFractal(1, kFirstSize, 1, kFirstApexX, kFirstApexY, kDeepestLevel, cappedVertices,
                     cappedColours);
        cappedStored = true;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, cappedVertices);
    glColorPointer(3, GL_FLOAT, 0, cappedColours);
    for (int first = 0; first < kCappedVertices; first += kVerticesPerDraw) {
        glDrawArrays(GL_TRIANGLES, first, std::min(kVerticesPerDraw, kCappedVertices - first));
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

void drawBackground() {
    if (fractalOrder >= kDeepestLevel) {
        drawCappedFigure();
    } else {
        drawFractal(1, kFirstSize, 1, kFirstApexX, kFirstApexY);
    }
}
