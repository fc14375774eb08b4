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

// The colour follows the apex alone; values outside 0 to 1 are handed to GL as
// they are and clamped there.
void drawTriangle(float size, bool pointsDown, float apexX, float apexY) {
    double halfSide = static_cast<double>(size) * 0.5;
    double height = static_cast<double>(size) * kRoot3 / 2;
    double sign = pointsDown ? 1.0 : -1.0;
    glColor3f(apexX - 0.5f, apexY + 1.0f, (1.0f + apexX) + apexY);
    glBegin(GL_POLYGON);
    glVertex2f(apexX, apexY);
    // Counter-clockwise either way: the upper right vertex first when the
    // apex is at the bottom, the lower left first when it is at the top.
    glVertex2f(offset(apexX, sign * halfSide), offset(apexY, sign * height));
    glVertex2f(offset(apexX, -sign * halfSide), offset(apexY, sign * height));
    glEnd();
}

}  // namespace

void drawFractal(int depth, float size, int pointsDown, float apexX, float apexY) {
    drawTriangle(size, pointsDown != 0, apexX, apexY);
    if (depth >= fractalOrder || depth >= kDeepestLevel) {
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
    drawFractal(depth + 1, third, outward, apexX, farY);
    drawFractal(depth + 1, third, outward, secondX, nearY);
    drawFractal(depth + 1, third, outward, thirdX, nearY);
    drawFractal(depth + 1, third, inward, apexX, apexY);
    drawFractal(depth + 1, third, inward, thirdX, nearY);
    drawFractal(depth + 1, third, inward, secondX, nearY);
}
