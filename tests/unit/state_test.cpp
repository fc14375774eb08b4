// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "fresh_game.h"
#include "piece_helpers.h"
#include "state.h"

namespace {

// Cells of blocks 0 to 3 of every shape as it is placed, (column, row).
const Cells kSpawnCells[kShapeCount] = {
    {{{10, 19}, {10, 18}, {10, 17}, {10, 16}}},  // bar
    {{{9, 19}, {10, 19}, {9, 18}, {10, 18}}},    // square
    {{{9, 19}, {8, 18}, {9, 18}, {10, 18}}},     // T
    {{{9, 19}, {10, 19}, {10, 18}, {11, 18}}},   // Z
    {{{9, 19}, {10, 19}, {8, 18}, {9, 18}}},     // S
    {{{9, 19}, {9, 18}, {9, 17}, {10, 17}}},     // L
    {{{10, 19}, {10, 18}, {9, 17}, {10, 17}}},   // J
};

TEST(ShapeTable, EveryTemplateStandsInItsSpawnCells) {
    for (int shape = 0; shape < kShapeCount; ++shape) {
        SCOPED_TRACE(shape);
        placeShapeAtSpawn(shape);
        EXPECT_EQ(pieceCells(), kSpawnCells[shape]);
        // Block 0 is the end-of-game reference and must be the float 0.9 itself.
        EXPECT_EQ(pieceTemplates[shape][0][1], 0.9f);
    }
}

TEST(InitBoard, LaysOnlyTheFloorAndPlacesTheT) {
    startFreshGame();
    board[7][7] = 1;  // left over from an earlier layout
    board[24][3] = 5;
    initBoard();
    for (int row = 0; row < kBoardSide; ++row) {
        for (int column = 0; column < kBoardSide; ++column) {
            EXPECT_EQ(board[row][column], row == 0 ? 1 : 0) << row << ", " << column;
        }
    }
    EXPECT_EQ(pieceType, 2);
    EXPECT_EQ(pieceCells(), kSpawnCells[2]);
    EXPECT_FALSE(pieceLanded);
}

TEST(SpawnPiece, ResetsEveryCounterAndPlacesTheTemplate) {
    startFreshGame();
    for (int shape = 0; shape < kShapeCount; ++shape) {
        rotationState[shape] = shape % 4 + 1;
    }
    pieceLanded = true;
    currentPiece[0][0] = 0.55f;
    spawnPiece();
    ASSERT_GE(pieceType, 0);
    ASSERT_LT(pieceType, kShapeCount);
    for (int shape = 0; shape < kShapeCount; ++shape) {
        EXPECT_EQ(rotationState[shape], 0) << "shape " << shape;
    }
    EXPECT_FALSE(pieceLanded);
    for (int k = 0; k < kBlockCount; ++k) {
        EXPECT_EQ(currentPiece[k][0], pieceTemplates[pieceType][k][0]);
        EXPECT_EQ(currentPiece[k][1], pieceTemplates[pieceType][k][1]);
    }
}

// The clock spawnPiece seeds from, as the tests below drive it: the unit-test
// binary is linked with --wrap=time. Undriven, it is the real clock.
std::time_t drivenTime = -1;

}  // namespace

extern "C" std::time_t __real_time(std::time_t* out);
extern "C" std::time_t __wrap_time(std::time_t* out) {
    if (drivenTime < 0) {
        return __real_time(out);
    }
    if (out) {
        *out = drivenTime;
    }
    return drivenTime;
}

namespace {

// The generator is seeded from the clock second at every spawn and only its
// first number is used, so spawns within one second agree; over the seconds,
// every shape comes.
TEST(SpawnPiece, ShapeFollowsTheClockSecond) {
    startFreshGame();
    bool seen[kShapeCount] = {};
    for (std::time_t second = 1700000000; second < 1700000100; ++second) {
        drivenTime = second;
        spawnPiece();
        const int first = pieceType;
        spawnPiece();
        std::srand(static_cast<unsigned>(second));
        EXPECT_EQ(first, std::rand() % kShapeCount) << "second " << second;
        EXPECT_EQ(pieceType, first) << "second " << second;
        seen[first >= 0 && first < kShapeCount ? first : 0] = true;
    }
    drivenTime = -1;
    EXPECT_EQ(std::count(seen, seen + kShapeCount, true), kShapeCount);
}

TEST(CellConversion, EdgesOfTheField) {
    struct Case {
        float coordinate;
        int column;
        int row;
    };
    // Halves go away from zero for columns; rows always add one half and
    // truncate, so below the floor they fold to row 0.
    const Case cases[] = {
        {-1.0f, 0, 0},   {-1.1f, -1, 0},  {1.0f, 20, 20},  {-1.049f, 0, 0}, {-1.051f, -1, 0},
        {-0.549f, 5, 5}, {-0.451f, 5, 5}, {-0.449f, 6, 6}, {0.9f, 19, 19},  {-0.949f, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.coordinate);
        EXPECT_EQ(cellColumn(c.coordinate), c.column);
        EXPECT_EQ(cellRow(c.coordinate), c.row);
    }
}

TEST(CellConversion, EveryGridLineNamesItsCell) {
    for (int n = -1; n < kBoardSide; ++n) {
        EXPECT_EQ(cellColumn(cellLeft(n)), n);
        if (n >= 0) {
            EXPECT_EQ(cellRow(cellBottom(n)), n);
        }
    }
}

}  // namespace
