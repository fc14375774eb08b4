// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fresh_game.h"
#include "piece_helpers.h"

namespace {

struct TurnCycle {
    int shape;
    std::vector<Cells> orientations;  // cells of blocks 0 to 3, from the spawn position
};

// Each shape turned at its spawn position on an empty field, orientation by
// orientation; the counter after a turn names the orientation reached.
const TurnCycle kCycles[] = {
    {0, {{{{10, 19}, {10, 18}, {10, 17}, {10, 16}}}, {{{9, 18}, {10, 18}, {11, 18}, {12, 18}}}}},
    {1, {{{{9, 19}, {10, 19}, {9, 18}, {10, 18}}}}},
    {2,
     {{{{9, 19}, {8, 18}, {9, 18}, {10, 18}}},
      {{{9, 19}, {9, 18}, {10, 18}, {9, 17}}},
      {{{8, 18}, {9, 18}, {10, 18}, {9, 17}}},
      {{{9, 19}, {8, 18}, {9, 18}, {9, 17}}}}},
    {3, {{{{9, 19}, {10, 19}, {10, 18}, {11, 18}}}, {{{11, 20}, {10, 19}, {11, 19}, {10, 18}}}}},
    {4, {{{{9, 19}, {10, 19}, {8, 18}, {9, 18}}}, {{{8, 20}, {8, 19}, {9, 19}, {9, 18}}}}},
    {5,
     {{{{9, 19}, {9, 18}, {9, 17}, {10, 17}}},
      {{{9, 18}, {10, 18}, {11, 18}, {9, 17}}},
      {{{9, 19}, {10, 19}, {10, 18}, {10, 17}}},
      {{{11, 18}, {9, 17}, {10, 17}, {11, 17}}}}},
    {6,
     {{{{10, 19}, {10, 18}, {9, 17}, {10, 17}}},
      {{{8, 18}, {8, 17}, {9, 17}, {10, 17}}},
      {{{9, 19}, {10, 19}, {9, 18}, {9, 17}}},
      {{{8, 18}, {9, 18}, {10, 18}, {10, 17}}}}},
};

TEST(RotatePiece, EveryShapeRunsThroughItsOrientationsAndBack) {
    for (const TurnCycle& cycle : kCycles) {
        startFreshGame();
        placeShapeAtSpawn(cycle.shape);
        const int count = static_cast<int>(cycle.orientations.size());
        ASSERT_EQ(orientationCount[cycle.shape], count);
        ASSERT_EQ(pieceCells(), cycle.orientations[0]);
        // Two full cycles: the second starts from the drifted floats of the first.
        for (int turn = 1; turn <= 2 * count; ++turn) {
            SCOPED_TRACE(::testing::Message() << "shape " << cycle.shape << ", turn " << turn);
            rotatePiece();
            EXPECT_EQ(pieceCells(), cycle.orientations[turn % count]);
            for (int shape = 0; shape < kShapeCount; ++shape) {
                EXPECT_EQ(rotationState[shape], shape == cycle.shape ? turn % count : 0);
            }
        }
    }
}

TEST(RotatePiece, ExactFloatsNearTheTop) {
    startFreshGame();
    placeShapeAtSpawn(3);
    rotatePiece();
    EXPECT_EQ(currentPiece[0][1], 1.0f);  // 0.9 + 0.1 rounds to 1 exactly

    placeShapeAtSpawn(0);
    rotatePiece();
    rotatePiece();
    // Block 0 comes back as 0.8 + 0.1, the float just above 0.9; block 3 as
    // 0.8 - 0.2 in one step, which is the template's 0.6 again.
    EXPECT_EQ(currentPiece[0][1], std::nextafter(0.9f, 2.0f));
    EXPECT_EQ(currentPiece[3][1], 0.6f);
    rotatePiece();
    rotatePiece();
    EXPECT_EQ(currentPiece[0][1], std::nextafter(0.9f, 2.0f));
    EXPECT_EQ(currentPiece[3][1], 0.6f);

    // A refused turn puts the drifted value back untouched.
    board[18][12] = 1;
    Snapshot before;
    rotatePiece();
    EXPECT_TRUE(before.matchesNow());
}

// A refused turn leaves every bit as it was; the next turn that stands goes
// on from the orientation on screen.
TEST(RotatePiece, RefusedTurnChangesNothingAndTheNextOneGoesOn) {
    startFreshGame();  // the T at its spawn position
    board[17][9] = 1;
    Snapshot before;
    rotatePiece();
    rotatePiece();
    EXPECT_TRUE(before.matchesNow());
    board[17][9] = 0;
    rotatePiece();
    EXPECT_EQ(pieceCells(), kCycles[2].orientations[1]);
    EXPECT_EQ(rotationState[2], 1);

    board[18][8] = 1;  // where block 0 goes next
    Snapshot turnedOnce;
    rotatePiece();
    EXPECT_TRUE(turnedOnce.matchesNow());
    board[18][8] = 0;
    rotatePiece();
    EXPECT_EQ(pieceCells(), kCycles[2].orientations[2]);
    EXPECT_EQ(rotationState[2], 2);
}

TEST(RotatePiece, TheSquareNeverTurns) {
    startFreshGame();
    placePiece(1, {{{0, 2}, {1, 2}, {0, 1}, {1, 1}}});
    board[3][0] = board[3][1] = board[2][2] = 1;
    Snapshot before;
    for (int turn = 0; turn < 3; ++turn) {
        rotatePiece();
        EXPECT_TRUE(before.matchesNow());
    }
}

TEST(RotatePiece, TurnsIntoTheFloorAreRefused) {
    startFreshGame();
    placePiece(0, {{{4, 1}, {5, 1}, {6, 1}, {7, 1}}});  // lying bar, block 2 would go to row 0
    rotationState[0] = 1;
    Snapshot lyingBar;
    rotatePiece();
    EXPECT_TRUE(lyingBar.matchesNow());

    placePiece(2, {{{5, 2}, {4, 1}, {5, 1}, {6, 1}}});  // T, block 3 would go to row 0
    rotationState[0] = 0;
    Snapshot tee;
    rotatePiece();
    EXPECT_TRUE(tee.matchesNow());
}

// No side-wall test: an upright bar at a wall lies down one or two columns
// beyond it when the cells there are free.
TEST(RotatePiece, BarAtTheLeftWallLiesIntoColumnMinusOne) {
    startFreshGame();
    const Cells upright = {{{0, 11}, {0, 10}, {0, 9}, {0, 8}}};
    placePiece(0, upright);
    rotatePiece();
    EXPECT_EQ(pieceCells(), (Cells{{{-1, 10}, {0, 10}, {1, 10}, {2, 10}}}));
    EXPECT_EQ(rotationState[0], 1);
    rotatePiece();
    EXPECT_EQ(pieceCells(), upright);
    EXPECT_EQ(rotationState[0], 0);

    board[9][24] = 1;  // column -1 of row 10 is this hidden cell of row 9
    Snapshot blocked;
    rotatePiece();
    EXPECT_TRUE(blocked.matchesNow());
}

TEST(RotatePiece, BarAtTheRightWallLiesIntoHiddenColumns) {
    startFreshGame();
    placePiece(0, {{{19, 6}, {19, 5}, {19, 4}, {19, 3}}});
    board[5][21] = 1;
    Snapshot blocked;
    rotatePiece();
    EXPECT_TRUE(blocked.matchesNow());
    board[5][21] = 0;
    rotatePiece();
    EXPECT_EQ(pieceCells(), (Cells{{{18, 5}, {19, 5}, {20, 5}, {21, 5}}}));
    EXPECT_EQ(rotationState[0], 1);
}

}  // namespace
