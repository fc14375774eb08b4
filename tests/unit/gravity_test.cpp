// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "gravity.h"

#include <gtest/gtest.h>

#include "fresh_game.h"
#include "piece_helpers.h"
#include "rotation.h"

namespace {

const Cells kTeeAtSpawn = {{{9, 19}, {8, 18}, {9, 18}, {10, 18}}};

Cells lowered(int rows) {
    Cells cells = kTeeAtSpawn;
    for (Cell& cell : cells) {
        cell.row -= rows;
    }
    return cells;
}

// Every call, moving, landing or idle, asks for one redisplay and then arms
// the next step with the same period and value.
void expectOneRedisplayThenRearmed(int calls) {
    const auto& glut = recording::glut();
    EXPECT_EQ(glut.redisplays, calls);
    EXPECT_EQ(glut.timersArmed, calls);
    EXPECT_EQ(glut.timer, &onTimer);
    EXPECT_EQ(glut.timerMillis, 1000u);
    EXPECT_EQ(glut.timerValue, 1);
    const auto& log = recording::calls();
    ASSERT_GE(log.size(), 2u);
    EXPECT_STREQ(log[log.size() - 2].name, "glutPostRedisplay");
    EXPECT_STREQ(log.back().name, "glutTimerFunc");
}

TEST(OnTimer, FallsOneRowPerCallAndLandsOnTheFloor) {
    startFreshGame();
    const auto floorOnly = occupied();
    for (int call = 1; call <= 17; ++call) {
        onTimer(1);
        ASSERT_EQ(pieceCells(), lowered(call)) << "call " << call;
        ASSERT_FALSE(pieceLanded);
        ASSERT_EQ(occupied(), floorOnly);
        expectOneRedisplayThenRearmed(call);
    }
    onTimer(1);
    EXPECT_TRUE(pieceLanded);
    EXPECT_EQ(pieceCells(), lowered(17));
    auto expected = floorOnly;
    expected.insert({{2, 9}, {1, 8}, {1, 9}, {1, 10}});
    EXPECT_EQ(occupied(), expected);
    expectOneRedisplayThenRearmed(18);
}

TEST(OnTimer, IdlesWhileALandedPieceWaits) {
    startFreshGame();
    placePiece(2, {{{5, 2}, {4, 1}, {5, 1}, {6, 1}}});
    pieceLanded = true;
    Snapshot before;
    for (int call = 1; call <= 3; ++call) {
        onTimer(1);
        EXPECT_TRUE(before.matchesNow());
    }
    expectOneRedisplayThenRearmed(3);
}

TEST(OnTimer, ANewPieceOverOccupiedCellsKeepsFalling) {
    startFreshGame();
    // Every spawn cell but (9, 18), which block 0 steps into.
    board[19][9] = board[18][8] = board[18][10] = 1;
    onTimer(1);
    EXPECT_FALSE(pieceLanded);
    EXPECT_EQ(pieceCells(), lowered(1));
}

TEST(OnTimer, LyingBarBlockedInRowEighteenLandsWithoutEndingTheGame) {
    startFreshGame();
    placeShapeAtSpawn(0);
    rotatePiece();
    ASSERT_EQ(pieceCells(), (Cells{{{9, 18}, {10, 18}, {11, 18}, {12, 18}}}));
    board[17][11] = 1;
    onTimer(1);
    EXPECT_TRUE(pieceLanded);
    for (int column = 9; column <= 12; ++column) {
        EXPECT_EQ(board[18][column], 1) << column;
    }
}

using OnTimerDeathTest = ::testing::Test;

TEST_F(OnTimerDeathTest, FirstStepBlockedEndsTheGameForEveryShape) {
    for (int shape = 0; shape < kShapeCount; ++shape) {
        SCOPED_TRACE(shape);
        startFreshGame();
        placeShapeAtSpawn(shape);
        for (int column = 0; column < kFieldSide; ++column) {
            board[15][column] = 1;
            board[16][column] = 1;
            board[17][column] = 1;
        }
        EXPECT_EXIT(onTimer(1), ::testing::ExitedWithCode(1), "");
    }
}

// Shape 3 turned at spawn has block 0 in row 20; one step brings it to row 19,
// still the top, so a blocked step there ends the game.
TEST_F(OnTimerDeathTest, TurnedZBlockedInTheTopRowEndsTheGame) {
    startFreshGame();
    placeShapeAtSpawn(3);
    rotatePiece();
    ASSERT_EQ(currentPiece[0][1], 1.0f);
    board[16][10] = 1;
    onTimer(1);
    ASSERT_FALSE(pieceLanded);
    ASSERT_EQ(pieceCells(), (Cells{{{11, 19}, {10, 18}, {11, 18}, {10, 17}}}));
    EXPECT_EXIT(onTimer(1), ::testing::ExitedWithCode(1), "");
}

}  // namespace
