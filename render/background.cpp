// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
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

// The drawn figure is kept as a grid of textures, each a power of two on
// each side because plain GL 1.1 (Windows' own) takes no other sizes, and
// several of them because that GL caps a texture at 1024 pixels a side.
constexpr int kLargestTile = 2048;  // the game's window fits one of these whole
constexpr int kMostTiles = 64;      // 8 by 8 tiles of 1024: a viewport up to 8192 square

struct Tile {
    int x, y;                         // lower-left corner in the viewport, in pixels
    int width, height;                // pixels of the viewport it holds
    int textureWidth, textureHeight;  // its texture's size, 0 before the first
};

GLuint tileIds[kMostTiles];  // texture names, made as tiles are first needed
int tileIdsMade = 0;
Tile tiles[kMostTiles];
int tileCount = 0;       // tiles holding the current copy
bool copyValid = false;  // tiles hold the figure as drawn at copiedViewport
GLint copiedViewport[4];
GLint largestTile = 0;  // see largestTileSide()

void drawFigureFromArrays() {
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

// The smallest power of two of at least `pixels`, but no more than `limit`.
int powerOfTwoFor(int pixels, int limit) {
    int power = 1;
    while (power < pixels && power < limit) {
        power *= 2;
    }
    return power;
}

// The largest tile side, asked of GL on first use.
int largestTileSide() {
    if (largestTile == 0) {
        GLint most = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
        largestTile = std::min(kLargestTile, std::max(64, most));  // every GL takes 64
    }
    return largestTile;
}

// Splits the viewport into tiles of at most largestTileSide() a side. False
// when it takes more tiles than there is room for.
bool layOutTiles(int width, int height) {
    int stepX = powerOfTwoFor(width, largestTileSide());
    int stepY = powerOfTwoFor(height, largestTileSide());
    int columns = (width + stepX - 1) / stepX;
    int rows = (height + stepY - 1) / stepY;
    if (columns * rows > kMostTiles) {
        return false;
    }
    tileCount = 0;
    for (int y = 0; y < height; y += stepY) {
        for (int x = 0; x < width; x += stepX) {
            Tile& tile = tiles[tileCount++];
            tile.x = x;
            tile.y = y;
            tile.width = std::min(stepX, width - x);
            tile.height = std::min(stepY, height - y);
        }
    }
    return true;
}

// Copies what the viewport shows into the tiles, each texture just large
// enough for its part. Tiles keep their names and sizes from copy to copy.
// GL copies from the back buffer, where the frame is being drawn.
void copyIntoTiles(const GLint viewport[4]) {
    if (tileIdsMade < tileCount) {
        glGenTextures(tileCount - tileIdsMade, tileIds + tileIdsMade);
        tileIdsMade = tileCount;
    }
    for (int k = 0; k < tileCount; ++k) {
        Tile& tile = tiles[k];
        glBindTexture(GL_TEXTURE_2D, tileIds[k]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        int textureWidth = powerOfTwoFor(tile.width, largestTileSide());
        int textureHeight = powerOfTwoFor(tile.height, largestTileSide());
        if (textureWidth != tile.textureWidth || textureHeight != tile.textureHeight) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureWidth, textureHeight, 0, GL_RGB,
                         GL_UNSIGNED_BYTE, nullptr);
            tile.textureWidth = textureWidth;
            tile.textureHeight = textureHeight;
        }
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport[0] + tile.x, viewport[1] + tile.y,
                            tile.width, tile.height);
    }
}

// One textured quad per tile over exactly the pixels it was copied from,
// texel for pixel: nearest texels, taken as they are.
void drawTiles(const GLint viewport[4]) {
    auto clipX = [&](int x) { return static_cast<float>(2.0 * x / viewport[2] - 1.0); };
    auto clipY = [&](int y) { return static_cast<float>(2.0 * y / viewport[3] - 1.0); };
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    for (int k = 0; k < tileCount; ++k) {
        const Tile& tile = tiles[k];
        float left = clipX(tile.x);
        float right = clipX(tile.x + tile.width);
        float bottom = clipY(tile.y);
        float top = clipY(tile.y + tile.height);
        float s = static_cast<float>(tile.width) / static_cast<float>(tile.textureWidth);
        float t = static_cast<float>(tile.height) / static_cast<float>(tile.textureHeight);
        glBindTexture(GL_TEXTURE_2D, tileIds[k]);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(left, bottom);
        glTexCoord2f(s, 0.0f);
        glVertex2f(right, bottom);
        glTexCoord2f(s, t);
        glVertex2f(right, top);
        glTexCoord2f(0.0f, t);
        glVertex2f(left, top);
        glEnd();
    }
    glDisable(GL_TEXTURE_2D);
}

// The figure never changes during a run, so it is drawn from the arrays once
// and copied; later frames draw the copy. There is no reshape callback to say
// the window changed size, so the viewport is compared every frame, and a
// new one means drawing and copying again.
void drawCappedFigure() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (copyValid && std::equal(viewport, viewport + 4, copiedViewport)) {
        drawTiles(viewport);
        return;
    }
    drawFigureFromArrays();
    // A viewport too large for the tiles keeps being drawn from the arrays.
    copyValid = layOutTiles(viewport[2], viewport[3]);
    if (copyValid) {
        copyIntoTiles(viewport);
        std::copy(viewport, viewport + 4, copiedViewport);
    }
}

}  // namespace

void forgetBackgroundCopy() {
    copyValid = false;
    largestTile = 0;  // a new context may take other sizes
    for (Tile& tile : tiles) {
        tile.textureWidth = 0;
        tile.textureHeight = 0;
    }
}

void drawBackground() {
    if (fractalOrder >= kDeepestLevel) {
        drawCappedFigure();
    } else {
        drawFractal(1, kFirstSize, 1, kFirstApexX, kFirstApexY);
    }
}
