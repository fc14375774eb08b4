// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The background figure, seen call by call through the recording stand-in.
//
// Expected values are worked out here from the figure's own rules: vertices are
// formed in double from the float parameters and rounded once, a child's side
// is a float third, child x is a float sum, child y comes from double and is
// rounded once, and the colour is float arithmetic on the apex. The apexes and
// colours the figure is known to have at order 2 are also checked to four
// decimals, so a slip in this file's arithmetic and the code's alike would show.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "background.h"
#include "fractal.h"
#include "fresh_game.h"
#include "recording_gl.h"
#include "state.h"

namespace {

const double kRoot3 = std::sqrt(3.0);

// The call drawBackground makes for the orders up to 6, here made at any order.
void drawWholeFractal() {
    drawFractal(1, 1.3f, 1, 0.0f, -0.8f);
}

// Triangles in a frame drawn to `levels` levels: (6^levels - 1) / 5.
long long trianglesUpTo(int levels) {
    long long total = 0;
    long long atLevel = 1;
    for (int level = 1; level <= levels; ++level) {
        total += atLevel;
        atLevel *= 6;
    }
    return total;
}

struct Point {
    double x, y;
};

// One triangle as drawn: its colour and its three vertices in drawing order.
struct Triangle {
    double red, green, blue;
    Point vertex[3];

    Point apex() const { return vertex[0]; }
    bool pointsDown() const { return vertex[1].y > vertex[0].y; }
    double side() const { return std::fabs(vertex[1].x - vertex[2].x); }
    // Twice the signed area; positive when the vertices run counter-clockwise.
    double turn() const {
        return (vertex[1].x - vertex[0].x) * (vertex[2].y - vertex[0].y) -
               (vertex[2].x - vertex[0].x) * (vertex[1].y - vertex[0].y);
    }
    bool operator==(const Triangle& o) const {
        return red == o.red && green == o.green && blue == o.blue &&
               std::equal(vertex, vertex + 3, o.vertex,
                          [](Point a, Point b) { return a.x == b.x && a.y == b.y; });
    }
};

// Reads the recorded calls back as triangles, each of which must be
// glColor3f, glBegin(GL_POLYGON), three glVertex2f and glEnd. Reports the first
// call that breaks the pattern and stops there.
std::vector<Triangle> recordedTriangles() {
    const std::vector<GlCall>& calls = recording::calls();
    std::vector<Triangle> triangles;
    std::size_t i = 0;
    auto expect = [&](const char* name) {
        if (i >= calls.size()) {
            ADD_FAILURE() << "calls end where " << name << " was due, after " << triangles.size()
                          << " triangles";
            return false;
        }
        if (std::string(calls[i].name) != name) {
            ADD_FAILURE() << "call " << i << " is " << calls[i].text() << " where " << name
                          << " was due, after " << triangles.size() << " triangles";
            return false;
        }
        return true;
    };
    while (i < calls.size()) {
        Triangle triangle{};
        if (!expect("glColor3f")) {
            break;
        }
        triangle.red = calls[i].args[0];
        triangle.green = calls[i].args[1];
        triangle.blue = calls[i].args[2];
        ++i;
        if (!expect("glBegin")) {
            break;
        }
        EXPECT_EQ(calls[i].args[0], GL_POLYGON) << "call " << i;
        ++i;
        bool complete = true;
        for (Point& vertex : triangle.vertex) {
            if (!expect("glVertex2f")) {
                complete = false;
                break;
            }
            vertex = {calls[i].args[0], calls[i].args[1]};
            ++i;
        }
        if (!complete || !expect("glEnd")) {
            break;
        }
        ++i;
        // Whether a triangle is flushed is pinned by the call-by-call test
        // alone; the shape tests read past a flush.
        if (i < calls.size() && std::string(calls[i].name) == "glFlush") {
            ++i;
        }
        triangles.push_back(triangle);
    }
    return triangles;
}

GlCall glCall(const char* name, std::initializer_list<double> args) {
    GlCall call{name, {}, 0};
    for (double arg : args) {
        call.args[call.argCount++] = arg;
    }
    return call;
}

// Reads a background drawn from vertex arrays back as triangles: both arrays
// switched on and pointed at packed floats, draws of whole triangles of at
// most 30,000 vertices each, each taking up where the last ended (the
// stand-in follows each with the vertices it draws), and both arrays switched
// off. The three vertices of a triangle must carry one colour. Reads the
// calls from `begin` on; `end` is set to where the drawing ends.
std::vector<Triangle> arrayTriangles(std::size_t begin, std::size_t& end) {
    const std::vector<GlCall>& calls = recording::calls();
    const std::vector<GlCall> opening = {glCall("glEnableClientState", {GL_VERTEX_ARRAY}),
                                         glCall("glEnableClientState", {GL_COLOR_ARRAY}),
                                         glCall("glVertexPointer", {2, GL_FLOAT, 0}),
                                         glCall("glColorPointer", {3, GL_FLOAT, 0})};
    const std::vector<GlCall> closing = {glCall("glDisableClientState", {GL_COLOR_ARRAY}),
                                         glCall("glDisableClientState", {GL_VERTEX_ARRAY})};
    // The drawing ends with the last switch of the arrays.
    end = begin;
    for (std::size_t i = begin; i < calls.size(); ++i) {
        if (calls[i] == closing.back()) {
            end = i + 1 - closing.size();
        }
    }
    if (end < begin + opening.size()) {
        ADD_FAILURE() << "no arrays switched on and off after call " << begin;
        return {};
    }
    for (std::size_t i = 0; i < opening.size(); ++i) {
        EXPECT_EQ(calls[begin + i], opening[i]) << calls[begin + i].text();
    }
    for (std::size_t i = 0; i < closing.size(); ++i) {
        EXPECT_EQ(calls[end + i], closing[i]) << calls[end + i].text();
    }
    std::vector<Triangle> triangles;
    std::size_t i = begin + opening.size();
    int drawn = 0;
    while (i < end) {
        const GlCall& draw = calls[i];
        int count = static_cast<int>(draw.args[2]);
        if (std::string(draw.name) != "glDrawArrays" || draw.args[0] != GL_TRIANGLES ||
            draw.args[1] != drawn || count <= 0 || count > 30000 || count % 3 != 0 ||
            i + 3 + 2 * static_cast<std::size_t>(count) > end) {
            ADD_FAILURE() << "call " << i << " is " << draw.text() << " after " << drawn
                          << " vertices";
            break;
        }
        i += 2;  // the draw and the glBegin that stands for it
        for (int v = 0; v < count; v += 3) {
            Triangle t{};
            for (int k = 0; k < 3; ++k, i += 2) {
                const GlCall& colour = calls[i];
                if (k == 0) {
                    t.red = colour.args[0];
                    t.green = colour.args[1];
                    t.blue = colour.args[2];
                } else if (colour.args[0] != t.red || colour.args[1] != t.green ||
                           colour.args[2] != t.blue) {
                    ADD_FAILURE() << "vertex " << drawn + v + k << " has " << colour.text();
                }
                t.vertex[k] = {calls[i + 1].args[0], calls[i + 1].args[1]};
            }
            triangles.push_back(t);
        }
        ++i;  // glEnd
        drawn += count;
    }
    end += closing.size();
    return triangles;
}

// A rectangle of the viewport's pixels, copied into or drawn from the texture
// `id`.
struct Tile {
    double id, x, y, width, height;
    bool operator==(const Tile& o) const {
        return id == o.id && x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

bool isPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

// Reads the copying of the viewport into tiles from call `i` to the end: per
// tile the texture bound, nearest texels, its size set when it has to change
// (a power of two a side, at most GL's largest, holding the copy) and one copy
// from the window.
std::vector<Tile> copiedTiles(std::size_t i) {
    const std::vector<GlCall>& calls = recording::calls();
    const recording::Gl& gl = recording::gl();
    std::vector<Tile> tiles;
    for (; i < calls.size(); ++i) {
        if (std::string(calls[i].name) == "glGenTextures") {
            continue;
        }
        const GlCall& bind = calls[i];
        const double id = bind.args[1];
        if (std::string(bind.name) != "glBindTexture" || bind.args[0] != GL_TEXTURE_2D ||
            i + 3 >= calls.size() || gl.textureSizes.count(id) == 0) {
            ADD_FAILURE() << "call " << i << " is " << bind.text() << " after " << tiles.size()
                          << " tiles";
            break;
        }
        const int width = gl.textureSizes.at(id).first;
        const int height = gl.textureSizes.at(id).second;
        EXPECT_EQ(calls[++i],
                  glCall("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST}));
        EXPECT_EQ(calls[++i],
                  glCall("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST}));
        if (std::string(calls[++i].name) == "glTexImage2D") {
            EXPECT_EQ(calls[i], glCall("glTexImage2D",
                                       {GL_TEXTURE_2D, 0, GL_RGB, static_cast<double>(width),
                                        static_cast<double>(height), 0, GL_RGB, GL_UNSIGNED_BYTE}));
            ++i;
        }
        EXPECT_TRUE(isPowerOfTwo(width) && isPowerOfTwo(height)) << width << "x" << height;
        EXPECT_LE(std::max(width, height), gl.maxTextureSize);
        const GlCall& copy = calls[std::min(i, calls.size() - 1)];
        EXPECT_EQ(std::string(copy.name), "glCopyTexSubImage2D");
        EXPECT_EQ(std::vector<double>(copy.args, copy.args + 4),
                  (std::vector<double>{GL_TEXTURE_2D, 0, 0, 0}));
        EXPECT_TRUE(copy.args[6] <= width && copy.args[7] <= height) << copy.text();
        tiles.push_back({id, copy.args[4] - gl.viewport[0], copy.args[5] - gl.viewport[1],
                         copy.args[6], copy.args[7]});
    }
    return tiles;
}

// Reads a background drawn from tiles from call `i` on: texturing switched on
// in replace mode, per tile the texture bound and one quad counter-clockwise
// from its lower-left corner, with texture coordinates reaching as far into
// the texture as the tile's pixels do, and texturing switched off, last.
std::vector<Tile> drawnTiles(std::size_t i) {
    const std::vector<GlCall>& calls = recording::calls();
    const recording::Gl& gl = recording::gl();
    const std::size_t end = calls.size() - 1;
    EXPECT_EQ(calls[i++], glCall("glEnable", {GL_TEXTURE_2D}));
    EXPECT_EQ(calls[i++], glCall("glTexEnvi", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE}));
    EXPECT_EQ(calls[end], glCall("glDisable", {GL_TEXTURE_2D}));
    std::vector<Tile> tiles;
    for (; i + 10 < end; i += 11) {
        const double id = calls[i].args[1];
        const GlCall* corner = &calls[i + 2];  // the lower left's texture coordinates
        // Window pixels of the corners, and how far into the texture they are.
        auto pixelX = [&](int k) { return (corner[2 * k + 1].args[0] + 1) * gl.viewport[2] / 2; };
        auto pixelY = [&](int k) { return (corner[2 * k + 1].args[1] + 1) * gl.viewport[3] / 2; };
        Tile tile{id, std::round(pixelX(0)), std::round(pixelY(0)),
                  std::round(pixelX(2)) - std::round(pixelX(0)),
                  std::round(pixelY(2)) - std::round(pixelY(0))};
        const auto [width, height] = gl.textureSizes.at(id);
        const float s = static_cast<float>(tile.width / width);
        const float t = static_cast<float>(tile.height / height);
        const std::vector<GlCall> expected = {
            glCall("glBindTexture", {GL_TEXTURE_2D, id}),
            glCall("glBegin", {GL_QUADS}),
            glCall("glTexCoord2f", {0, 0}),
            glCall("glVertex2f", {corner[1].args[0], corner[1].args[1]}),
            glCall("glTexCoord2f", {s, 0}),
            glCall("glVertex2f", {corner[3].args[0], corner[1].args[1]}),
            glCall("glTexCoord2f", {s, t}),
            glCall("glVertex2f", {corner[3].args[0], corner[5].args[1]}),
            glCall("glTexCoord2f", {0, t}),
            glCall("glVertex2f", {corner[1].args[0], corner[5].args[1]}),
            glCall("glEnd", {})};
        for (std::size_t k = 0; k < expected.size(); ++k) {
            EXPECT_EQ(calls[i + k], expected[k]) << "call " << i + k << ": " << calls[i + k].text();
        }
        for (int k : {0, 2}) {
            EXPECT_NEAR(pixelX(k), std::round(pixelX(k)), 1e-3) << "not on a pixel's edge";
            EXPECT_NEAR(pixelY(k), std::round(pixelY(k)), 1e-3) << "not on a pixel's edge";
        }
        tiles.push_back(tile);
    }
    EXPECT_EQ(i, end) << "calls left over after " << tiles.size() << " tiles";
    return tiles;
}

// The tiles lie inside the viewport and cover every pixel of it once.
::testing::AssertionResult tileTheViewport(const std::vector<Tile>& tiles, const int viewport[4]) {
    double area = 0;
    for (std::size_t a = 0; a < tiles.size(); ++a) {
        const Tile& p = tiles[a];
        if (p.x < 0 || p.y < 0 || p.x + p.width > viewport[2] || p.y + p.height > viewport[3] ||
            p.width <= 0 || p.height <= 0) {
            return ::testing::AssertionFailure() << "tile " << a << " reaches outside";
        }
        for (std::size_t b = 0; b < a; ++b) {
            const Tile& q = tiles[b];
            if (p.x < q.x + q.width && q.x < p.x + p.width && p.y < q.y + q.height &&
                q.y < p.y + p.height) {
                return ::testing::AssertionFailure() << "tiles " << b << " and " << a << " overlap";
            }
        }
        area += p.width * p.height;
    }
    if (area != static_cast<double>(viewport[2]) * viewport[3]) {
        return ::testing::AssertionFailure() << "the tiles cover " << area << " pixels";
    }
    return ::testing::AssertionSuccess();
}

// Rounds a double to float. Kept out of line: GCC 12.2 at -O2 and above, when
// it pairs two such roundings whose results are widened back to double, drops
// the rounding altogether, and the expected values below would then be the
// unrounded doubles.
[[gnu::noinline]] float roundedToFloat(double value) {
    return static_cast<float>(value);
}

// The calls for one triangle, worked out from the rules for a triangle of
// this side, direction and apex.
void appendTriangleCalls(std::vector<GlCall>& calls, float size, bool pointsDown, float apexX,
                         float apexY) {
    double halfSide = static_cast<double>(size) * 0.5;
    double height = (static_cast<double>(size) * kRoot3) / 2;
    float red = apexX - 0.5f;
    float green = apexY + 1.0f;
    float blue = (1.0f + apexX) + apexY;
    calls.push_back({"glColor3f", {red, green, blue, 0}, 3});
    calls.push_back({"glBegin", {GL_POLYGON, 0, 0, 0}, 1});
    calls.push_back({"glVertex2f", {apexX, apexY, 0, 0}, 2});
    if (pointsDown) {
        calls.push_back({"glVertex2f",
                         {roundedToFloat(apexX + halfSide), roundedToFloat(apexY + height), 0, 0},
                         2});
        calls.push_back({"glVertex2f",
                         {roundedToFloat(apexX - halfSide), roundedToFloat(apexY + height), 0, 0},
                         2});
    } else {
        calls.push_back({"glVertex2f",
                         {roundedToFloat(apexX - halfSide), roundedToFloat(apexY - height), 0, 0},
                         2});
        calls.push_back({"glVertex2f",
                         {roundedToFloat(apexX + halfSide), roundedToFloat(apexY - height), 0, 0},
                         2});
    }
    calls.push_back({"glEnd", {0, 0, 0, 0}, 0});
}

class Fractal : public ::testing::Test {
  protected:
    void SetUp() override { startFreshGame(); }
    void TearDown() override { startFreshGame(); }

    // Draws the background at `order` counting calls only, and returns the
    // number of triangles, after checking every triangle was complete.
    long long countTriangles(int order) {
        recording::reset();
        recording::setRecording(false);
        fractalOrder = order;
        drawWholeFractal();
        recording::setRecording(true);
        std::size_t begins = recording::count("glBegin");
        EXPECT_EQ(recording::count("glColor3f"), begins) << "order " << order;
        EXPECT_EQ(recording::count("glEnd"), begins) << "order " << order;
        EXPECT_EQ(recording::count("glVertex2f"), 3 * begins) << "order " << order;
        return static_cast<long long>(begins);
    }

    std::vector<Triangle> drawAndRead(int order) {
        recording::reset();
        fractalOrder = order;
        drawWholeFractal();
        return recordedTriangles();
    }
};

// Order 2, exactly: the first triangle and its six children in their order,
// each with its direction, the exact float vertices and the unclamped colour.
// The frame is presented by the buffer swap, so the figure flushes nothing.
TEST_F(Fractal, OrderTwoIsTheFirstTriangleAndItsSixChildrenCallByCall) {
    const float size = 1.3f;
    const float apexX = 0.0f;
    const float apexY = -0.8f;
    const float third = size / 3;
    const float near = roundedToFloat(apexY + (static_cast<double>(size) * kRoot3) / 3);
    const float far = roundedToFloat(apexY + ((static_cast<double>(size) * kRoot3) * 2) / 3);

    std::vector<GlCall> expected;
    appendTriangleCalls(expected, size, true, apexX, apexY);
    appendTriangleCalls(expected, third, false, apexX, far);
    appendTriangleCalls(expected, third, false, apexX - third, near);
    appendTriangleCalls(expected, third, false, apexX + third, near);
    appendTriangleCalls(expected, third, true, apexX, apexY);
    appendTriangleCalls(expected, third, true, apexX + third, near);
    appendTriangleCalls(expected, third, true, apexX - third, near);

    fractalOrder = 2;
    drawWholeFractal();

    const std::vector<GlCall>& actual = recording::calls();
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i], expected[i])
            << "call " << i << ": " << actual[i].text() << ", expected " << expected[i].text();
    }
}

// The same frame against the figures known for it, to four decimals.
TEST_F(Fractal, OrderTwoHasTheKnownApexesDirectionsAndColours) {
    struct Known {
        double apexX, apexY;
        bool pointsDown;
        double red, green, blue;
    };
    const Known known[7] = {
        {0, -0.8, true, -0.5, 0.2, 0.2},
        {0, 0.7011, false, -0.5, 1.7011, 1.7011},
        {-0.4333, -0.0494, false, -0.9333, 0.9506, 0.5172},
        {0.4333, -0.0494, false, -0.0667, 0.9506, 1.3839},
        {0, -0.8, true, -0.5, 0.2, 0.2},
        {0.4333, -0.0494, true, -0.0667, 0.9506, 1.3839},
        {-0.4333, -0.0494, true, -0.9333, 0.9506, 0.5172},
    };
    const double tolerance = 0.00005;

    std::vector<Triangle> triangles = drawAndRead(2);

    ASSERT_EQ(triangles.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE("triangle " + std::to_string(i));
        const Triangle& t = triangles[i];
        EXPECT_NEAR(t.apex().x, known[i].apexX, tolerance);
        EXPECT_NEAR(t.apex().y, known[i].apexY, tolerance);
        EXPECT_EQ(t.pointsDown(), known[i].pointsDown);
        EXPECT_NEAR(t.red, known[i].red, tolerance);
        EXPECT_NEAR(t.green, known[i].green, tolerance);
        EXPECT_NEAR(t.blue, known[i].blue, tolerance);
        EXPECT_NEAR(t.side(), i == 0 ? 1.3 : 0.4333, tolerance);
    }
    // The first triangle's other two vertices.
    EXPECT_NEAR(triangles[0].vertex[1].x, 0.65, tolerance);
    EXPECT_NEAR(triangles[0].vertex[1].y, 0.3258, tolerance);
    EXPECT_NEAR(triangles[0].vertex[2].x, -0.65, tolerance);
    EXPECT_NEAR(triangles[0].vertex[2].y, 0.3258, tolerance);
}

// Up to the cap, level k adds 6^(k-1) triangles.
TEST_F(Fractal, DrawsEveryLevelUpToTheOrder) {
    for (int order = 1; order <= 6; ++order) {
        EXPECT_EQ(countTriangles(order), trianglesUpTo(order)) << "order " << order;
    }
    EXPECT_EQ(countTriangles(2), 7);
    EXPECT_EQ(countTriangles(3), 43);
    EXPECT_EQ(countTriangles(4), 259);
    EXPECT_EQ(countTriangles(6), 9331);
}

TEST_F(Fractal, OrdersOfOneAndBelowDrawOnlyTheFirstTriangle) {
    for (int order : {1, 0, -1, -6, INT_MIN}) {
        EXPECT_EQ(countTriangles(order), 1) << "order " << order;
    }
    std::vector<Triangle> triangles = drawAndRead(INT_MIN);
    ASSERT_EQ(triangles.size(), 1u);
    EXPECT_EQ(triangles[0].apex().x, 0.0);
    EXPECT_EQ(triangles[0].apex().y, static_cast<double>(-0.8f));
}

// A typed order past the cap draws the capped figure, however large; the
// recursion stops at level kDeepestLevel.
TEST_F(Fractal, OrdersPastTheCapDrawTheCappedFigure) {
    ASSERT_EQ(kDeepestLevel, 7);
    for (int order : {7, 8, 1000, INT_MAX}) {
        EXPECT_EQ(countTriangles(order), trianglesUpTo(kDeepestLevel)) << "order " << order;
    }
}

// Every order past 6 shows the capped figure drawn from vertex arrays on its
// first frame: the triangles drawFractal draws to the cap, float for float and
// in its order. That frame is then copied into tiles, and the next frame
// draws them, over the same pixels, until the viewport changes: then the
// figure is drawn and copied again. Order 6 is still drawn triangle by
// triangle.
TEST_F(Fractal, HigherOrdersDrawTheCappedFigureOnceThenItsCopy) {
    const std::vector<Triangle> capped = drawAndRead(INT_MAX);
    ASSERT_EQ(static_cast<long long>(capped.size()), trianglesUpTo(kDeepestLevel));
    // The window low, then at its first size (so the textures grow in height
    // alone), then larger than the largest texture both ways, and moved.
    const int viewports[3][4] = {{0, 0, 1280, 400}, {0, 0, 1280, 860}, {30, 20, 2100, 1030}};
    for (int order : {7, INT_MAX}) {
        fractalOrder = order;
        // A frame at a viewport of its own, so the first below is a change.
        recording::reset();
        recording::setRecording(false);
        recording::gl().viewport[2] = 64;
        drawBackground();
        for (const int* viewport : viewports) {
            std::vector<Tile> copied;
            for (int frame = 1; frame <= 2; ++frame) {
                SCOPED_TRACE("order " + std::to_string(order) + ", " + std::to_string(viewport[2]) +
                             " wide, frame " + std::to_string(frame));
                recording::reset();
                std::copy(viewport, viewport + 4, recording::gl().viewport);
                drawBackground();
                ASSERT_FALSE(recording::calls().empty());
                EXPECT_EQ(recording::calls()[0], glCall("glGetIntegerv", {GL_VIEWPORT}));
                if (frame == 1) {
                    std::size_t end = 0;
                    std::vector<Triangle> drawn = arrayTriangles(1, end);
                    ASSERT_EQ(drawn.size(), capped.size());
                    auto differ = std::mismatch(drawn.begin(), drawn.end(), capped.begin());
                    EXPECT_TRUE(differ.first == drawn.end())
                        << "first different triangle: " << differ.first - drawn.begin();
                    copied = copiedTiles(end);
                    EXPECT_TRUE(tileTheViewport(copied, viewport));
                    EXPECT_EQ(recording::count("glEnable"), 0u);
                } else {
                    EXPECT_EQ(recording::count("glDrawArrays"), 0u);
                    EXPECT_EQ(recording::count("glCopyTexSubImage2D"), 0u);
                    EXPECT_EQ(drawnTiles(1), copied);
                }
            }
        }
    }
    recording::reset();
    fractalOrder = 6;
    drawBackground();
    EXPECT_EQ(recording::count("glDrawArrays"), 0u);
    EXPECT_EQ(recording::count("glGetIntegerv"), 0u);
    EXPECT_EQ(recordedTriangles().size(), 9331u);
}

// A restored context: the copy is drawn and copied anew at the same viewport,
// every texture given its size again, and tiles fit the new GL's largest.
TEST_F(Fractal, AForgottenCopyIsDrawnAndCopiedAnew) {
    const std::vector<Triangle> capped = drawAndRead(INT_MAX);
    for (int largest : {1024, 512}) {
        SCOPED_TRACE("largest texture " + std::to_string(largest));
        recording::setRecording(false);
        drawBackground();
        forgetBackgroundCopy();
        recording::reset();
        recording::gl().maxTextureSize = largest;
        drawBackground();
        std::size_t end = 0;
        EXPECT_TRUE(arrayTriangles(1, end) == capped);
        ASSERT_LT(end, recording::calls().size());
        EXPECT_EQ(recording::calls()[end], glCall("glGetIntegerv", {GL_MAX_TEXTURE_SIZE}));
        const std::vector<Tile> tiles = copiedTiles(end + 1);
        EXPECT_TRUE(tileTheViewport(tiles, recording::gl().viewport));
        EXPECT_EQ(recording::count("glTexImage2D"), tiles.size());
    }
}

// Room is kept for 64 tiles of at most GL's largest texture. A viewport that
// needs more is drawn whole from the arrays on every frame and never copied;
// one that needs just 64 is still copied. On a GL whose textures stop at 64
// pixels, and at 1024.
TEST_F(Fractal, ViewportsNeedingMoreTilesThanThereIsRoomForAreDrawnWholeEveryFrame) {
    const std::vector<Triangle> capped = drawAndRead(INT_MAX);
    struct Case {
        int largest, width, height;
        std::size_t tiles;  // 0: not copied
    };
    // Tiles needed: 9 by 9, 65 by 1 and 9 by 8 (72) beyond the room; 8 by 8 and
    // 64 by 1 just within it. Tiles stay at 2048 a side on a GL that takes more.
    const Case cases[] = {
        {64, 513, 513, 0},  {64, 4097, 64, 0},      {1024, 8200, 7500, 0},   {64, 512, 512, 64},
        {64, 4096, 64, 64}, {1024, 8192, 8192, 64}, {16384, 8192, 8192, 16},
    };
    for (const Case& c : cases) {
        for (int order : {7, INT_MAX}) {
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " at " +
                         std::to_string(c.largest) + ", order " + std::to_string(order));
            fractalOrder = order;
            // As on a new context: a first frame, small, asks GL again.
            forgetBackgroundCopy();
            recording::reset();
            recording::setRecording(false);
            recording::gl().maxTextureSize = c.largest;
            recording::gl().viewport[2] = 64;
            drawBackground();
            for (int frame = 1; frame <= 2; ++frame) {
                recording::reset();
                recording::gl().maxTextureSize = c.largest;
                recording::gl().viewport[2] = c.width;
                recording::gl().viewport[3] = c.height;
                drawBackground();
                if (c.tiles > 0 && frame == 2) {
                    EXPECT_EQ(drawnTiles(1).size(), c.tiles);
                    continue;
                }
                std::size_t end = 0;
                EXPECT_TRUE(arrayTriangles(1, end) == capped);
                if (c.tiles > 0) {
                    EXPECT_TRUE(tileTheViewport(copiedTiles(end), recording::gl().viewport));
                } else {
                    EXPECT_EQ(end, recording::calls().size());
                }
            }
        }
    }
}

// At the deepest order, level by level: the count on each level, each
// triangle's side 1.3 / 3^(k-1), a horizontal side opposite the apex, a
// counter-clockwise winding, and the box the figure never leaves. Every lower
// order draws a subset of these triangles.
TEST_F(Fractal, EveryTriangleIsCounterClockwiseInsideTheBoxOnItsLevel) {
    std::vector<Triangle> triangles = drawAndRead(INT_MAX);
    ASSERT_EQ(static_cast<long long>(triangles.size()), trianglesUpTo(kDeepestLevel));

    const double slack = 0.00005;  // the box is known to four decimals: its top is 0.70111...
    std::vector<long long> perLevel(kDeepestLevel + 1, 0);
    int outside = 0;
    int clockwise = 0;
    int offLevel = 0;
    int slanted = 0;
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        const Triangle& t = triangles[i];
        if (t.turn() <= 0) {
            if (++clockwise <= 3) {
                ADD_FAILURE() << "triangle " << i << " is not counter-clockwise";
            }
        }
        if (t.vertex[1].y != t.vertex[2].y) {
            if (++slanted <= 3) {
                ADD_FAILURE() << "triangle " << i << " has no horizontal side";
            }
        }
        for (const Point& v : t.vertex) {
            if (v.x < -0.65 - slack || v.x > 0.65 + slack || v.y < -0.8 - slack ||
                v.y > 0.7011 + slack) {
                if (++outside <= 3) {
                    ADD_FAILURE() << "triangle " << i << " has a vertex at (" << v.x << ", " << v.y
                                  << ")";
                }
            }
        }
        int level = 0;
        double side = 1.3;
        for (int k = 1; k <= kDeepestLevel; ++k, side /= 3) {
            if (std::fabs(t.side() - side) <= side * 1e-5) {
                level = k;
                break;
            }
        }
        if (level == 0) {
            if (++offLevel <= 3) {
                ADD_FAILURE() << "triangle " << i << " has side " << t.side();
            }
        } else {
            ++perLevel[level];
        }
    }
    EXPECT_EQ(clockwise, 0);
    EXPECT_EQ(slanted, 0);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(offLevel, 0);
    long long expected = 1;
    for (int level = 1; level <= kDeepestLevel; ++level, expected *= 6) {
        EXPECT_EQ(perLevel[level], expected) << "level " << level;
    }
}

// Order 3: each child is drawn with all six of its own children before the
// next child starts, so the first child's children come second to seventh.
TEST_F(Fractal, ChildrenAreDrawnDepthFirst) {
    std::vector<Triangle> triangles = drawAndRead(3);
    ASSERT_EQ(triangles.size(), 43u);
    const double tolerance = 0.00005;
    const double childSide = 1.3 / 3;
    const double grandchildSide = 1.3 / 9;

    // The first child, on the upper side, points up from (0, 0.7011); its own
    // first child points down from four thirds of the child's height below
    // that apex.
    EXPECT_NEAR(triangles[1].side(), childSide, tolerance);
    EXPECT_NEAR(triangles[1].apex().y, 0.7011, tolerance);
    EXPECT_FALSE(triangles[1].pointsDown());
    for (int i = 2; i <= 7; ++i) {
        EXPECT_NEAR(triangles[i].side(), grandchildSide, tolerance) << "triangle " << i;
    }
    EXPECT_TRUE(triangles[2].pointsDown());
    EXPECT_NEAR(triangles[2].apex().x, 0.0, tolerance);
    EXPECT_NEAR(triangles[2].apex().y, 0.7011 - 2 * childSide * kRoot3 / 3, tolerance);

    // Then the second child, on the left side.
    EXPECT_NEAR(triangles[8].side(), childSide, tolerance);
    EXPECT_FALSE(triangles[8].pointsDown());
    EXPECT_NEAR(triangles[8].apex().x, -0.4333, tolerance);
    EXPECT_NEAR(triangles[8].apex().y, -0.0494, tolerance);
}

// Child 4 sits in its parent's apex corner: same apex, same direction, and so
// exactly the same colour, for the first triangle and for each of its children.
TEST_F(Fractal, FourthChildSharesItsParentsApexAndColour) {
    std::vector<Triangle> triangles = drawAndRead(3);
    ASSERT_EQ(triangles.size(), 43u);
    // Depth-first layout at order 3: the first triangle, then six blocks of a
    // child followed by its six children.
    std::vector<std::pair<int, int>> parentAndFourth = {{0, 1 + 3 * 7}};
    for (int child = 0; child < 6; ++child) {
        int parent = 1 + child * 7;
        parentAndFourth.push_back({parent, parent + 4});
    }
    for (auto [parent, fourth] : parentAndFourth) {
        SCOPED_TRACE("triangle " + std::to_string(parent) + " and " + std::to_string(fourth));
        const Triangle& p = triangles[parent];
        const Triangle& c = triangles[fourth];
        EXPECT_EQ(c.apex().x, p.apex().x);
        EXPECT_EQ(c.apex().y, p.apex().y);
        EXPECT_EQ(c.pointsDown(), p.pointsDown());
        EXPECT_EQ(c.red, p.red);
        EXPECT_EQ(c.green, p.green);
        EXPECT_EQ(c.blue, p.blue);
        EXPECT_NEAR(c.side() * 3, p.side(), p.side() * 1e-5);
    }
}

}  // namespace
