// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fresh_game.h"
#include "piece_helpers.h"

namespace {

GlCall call(const char* name, std::vector<double> args = {}) {
    GlCall result{name, {0, 0, 0, 0}, 0};
    for (double arg : args) {
        result.args[result.argCount++] = arg;
    }
    return result;
}

// One outlined square as the scene draws it: fill, rectangle, line width, then
// a black loop counter-clockwise from the lower-left corner.
void appendSquare(std::vector<GlCall>& calls, float red, float green, float blue, float left,
                  float bottom, float right, float top) {
    calls.push_back(call("glColor3f", {red, green, blue}));
    calls.push_back(call("glRectf", {left, bottom, right, top}));
    calls.push_back(call("glLineWidth", {2.0f}));
    calls.push_back(call("glBegin", {GL_LINE_LOOP}));
    calls.push_back(call("glColor3f", {0.0f, 0.0f, 0.0f}));
    calls.push_back(call("glVertex2f", {left, bottom}));
    calls.push_back(call("glVertex2f", {right, bottom}));
    calls.push_back(call("glVertex2f", {right, top}));
    calls.push_back(call("glVertex2f", {left, top}));
    calls.push_back(call("glEnd"));
}

// Cell (i, j): the index as a float, divided by 10, less 1; the far sides are
// the near ones plus 0.1, all in single precision.
void appendCell(std::vector<GlCall>& calls, int i, int j, float red, float green, float blue) {
    float left = static_cast<float>(j) / 10.0f - 1.0f;
    float bottom = static_cast<float>(i) / 10.0f - 1.0f;
    appendSquare(calls, red, green, blue, left, bottom, left + 0.1f, bottom + 0.1f);
}

void appendBlock(std::vector<GlCall>& calls, float x, float y) {
    appendSquare(calls, 1.0f, 0.0f, 1.0f, x, y, x + 0.1f, y + 0.1f);
}

// A frame starts with a clear and, with order 1, the single background
// triangle (its geometry and colour are the fractal's own business); the rest
// must match `field` call by call.
void expectFrame(const std::vector<GlCall>& field) {
    const auto& actual = recording::calls();
    ASSERT_EQ(actual.size(), 7 + field.size());
    EXPECT_EQ(actual[0], call("glClear", {GL_COLOR_BUFFER_BIT})) << actual[0].text();
    const char* background[] = {"glColor3f",  "glBegin",    "glVertex2f",
                                "glVertex2f", "glVertex2f", "glEnd"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(actual[1 + i].name, background[i]);
    }
    EXPECT_EQ(actual[2], call("glBegin", {GL_POLYGON}));
    EXPECT_EQ(actual[3], call("glVertex2f", {0.0f, -0.8f})) << actual[3].text();
    for (std::size_t i = 0; i < field.size(); ++i) {
        ASSERT_EQ(actual[7 + i], field[i]) << "call " << 7 + i << ": " << actual[7 + i].text()
                                           << " instead of " << field[i].text();
    }
}

class DrawScene : public ::testing::Test {
  protected:
    void SetUp() override {
        startFreshGame();
        fractalOrder = 1;
    }
};

// The piece is drawn at its stored floats, drift included, not at its cells.
TEST_F(DrawScene, FloorOnlyBoardAndTheFallingPieceCallByCall) {
    currentPiece[0][0] = std::nextafter(currentPiece[0][0], 1.0f);
    currentPiece[1][1] = std::nextafter(0.8f, 0.0f);
    currentPiece[3][0] = 0.03f;
    std::vector<GlCall> expected;
    for (int j = 0; j < kFieldSide; ++j) {
        appendCell(expected, 0, j, 0.4f, 0.3f, 1.0f);
    }
    for (int k = 0; k < kBlockCount; ++k) {
        appendBlock(expected, currentPiece[k][0], currentPiece[k][1]);
    }
    expected.push_back(call("glutSwapBuffers"));
    Snapshot before;
    drawScene();
    expectFrame(expected);
    EXPECT_EQ(recording::count("glFlush"), 0u);
    EXPECT_TRUE(before.matchesNow());
}

TEST_F(DrawScene, OnlyExactOnesInsideTheVisibleFieldAreDrawn) {
    board[20][5] = 1;
    board[24][24] = 1;
    board[5][20] = 1;
    board[7][24] = 1;
    board[3][3] = 2;
    board[4][4] = -1;
    board[6][6] = 0;
    board[1][0] = 1;
    board[19][19] = 1;
    board[10][7] = 1;
    pieceLanded = true;
    std::vector<GlCall> expected;
    for (int j = 0; j < kFieldSide; ++j) {
        appendCell(expected, 0, j, 0.4f, 0.3f, 1.0f);
    }
    appendCell(expected, 1, 0, 1.0f, 0.0f, 1.0f);
    appendCell(expected, 10, 7, 1.0f, 0.0f, 1.0f);
    appendSquare(expected, 1.0f, 0.0f, 1.0f, 0.9f, 0.9f, 1.0f, 1.0f);  // cell (19, 19)
    expected.push_back(call("glutSwapBuffers"));
    drawScene();
    expectFrame(expected);
}

}  // namespace
