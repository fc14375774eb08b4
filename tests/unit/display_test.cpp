// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "display.h"

#include <gtest/gtest.h>

#include <string>

#include "fresh_game.h"
#include "gravity.h"
#include "piece_helpers.h"

namespace {

// Filled squares drawn in the last frame: 20 floor cells, the other occupied
// visible cells, and the falling piece's blocks.
std::size_t squaresDrawn() {
    return recording::count("glRectf");
}

// The last four squares of the frame, by lower-left corner.
bool frameEndsWithThePiece() {
    const auto& log = recording::calls();
    int k = kBlockCount;
    for (auto call = log.rbegin(); call != log.rend() && k > 0; ++call) {
        if (std::string(call->name) != "glRectf") {
            continue;
        }
        --k;
        if (call->args[0] != currentPiece[k][0] || call->args[1] != currentPiece[k][1]) {
            return false;
        }
    }
    return k == 0;
}

TEST(Display, FirstFrameShowsTheFloorAndTheT) {
    startFreshGame();
    fractalOrder = 1;
    Snapshot before;
    display();
    EXPECT_TRUE(before.matchesNow());
    EXPECT_EQ(squaresDrawn(), 20u + kBlockCount);
    EXPECT_TRUE(frameEndsWithThePiece());
    EXPECT_EQ(recording::glut().swaps, 1);
    EXPECT_EQ(recording::glut().redisplays, 0);
}

// The frame after a landing shows the board with the piece in it and no
// falling piece; display then places the next piece and asks for the frame
// that shows it.
TEST(Display, ALandingCostsTwoFrames) {
    startFreshGame();
    fractalOrder = 1;
    for (int call = 0; call < 18; ++call) {
        onTimer(1);
    }
    ASSERT_TRUE(pieceLanded);

    recording::reset();
    display();
    EXPECT_EQ(squaresDrawn(), 20u + 4u);  // floor and the locked T, nothing falling
    EXPECT_EQ(recording::glut().swaps, 1);
    EXPECT_EQ(recording::glut().redisplays, 1);
    EXPECT_FALSE(pieceLanded);
    for (int k = 0; k < kBlockCount; ++k) {
        EXPECT_EQ(currentPiece[k][1], pieceTemplates[pieceType][k][1]);
    }

    recording::reset();
    Snapshot spawned;
    display();
    EXPECT_TRUE(spawned.matchesNow());
    EXPECT_EQ(squaresDrawn(), 20u + 4u + kBlockCount);
    EXPECT_TRUE(frameEndsWithThePiece());
    EXPECT_EQ(recording::glut().redisplays, 0);
}

}  // namespace
