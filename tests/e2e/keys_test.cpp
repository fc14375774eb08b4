// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Steering the first piece, the T, with the keyboard, as seen in the window.
// Gravity moves the piece a row every second, so checks either look at
// columns and shape only, or act right after a gravity step and take the
// piece as far lower as gravity can have taken it since, however slow the
// machine.
#include "game_fixture.h"

namespace e2e {
namespace {

class KeysTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        start("2\n");
    }

    // Waits for the piece to show this shape with its left edge in `col`,
    // in whatever row gravity has taken it to.
    ::testing::AssertionResult pieceReaches(const Cells& shape, int col,
                                            Millis timeout = Millis(10000)) {
        Cells seen;
        auto frame = waitForFrame(
            [&](const Frame& f) {
                seen = blockCells(f);
                return normalised(seen) == shape && leftmostCol(seen) == col;
            },
            timeout);
        if (frame) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "expected " << describe(shape) << " from column "
                                             << col << ", last seen " << describe(seen);
    }

    // Waits for exactly these cells on screen, or for them as many rows lower
    // as gravity can have added since the step the test began with.
    ::testing::AssertionResult showsCells(const Cells& expected, Millis timeout = Millis(10000)) {
        Cells seen;
        auto frame = waitForFrame(
            [&](const Frame& f) {
                seen = blockCells(f);
                for (int rows = 0; rows <= gravityRowsSinceStep(); ++rows) {
                    if (seen == shifted(expected, -rows, 0)) {
                        return true;
                    }
                }
                return false;
            },
            timeout);
        if (frame) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << "expected " << describe(expected) << ", last seen " << describe(seen);
    }
};

// The T as placed, then turned once, twice and three times where it was
// placed; four turns bring it back.
const Cells kTurnedOnce = {{19, 9}, {18, 9}, {18, 10}, {17, 9}};
const Cells kTurnedTwice = {{18, 8}, {18, 9}, {18, 10}, {17, 9}};
const Cells kTurnedThrice = {{19, 9}, {18, 8}, {18, 9}, {17, 9}};

// How far the T has fallen, given it has not been turned.
int fallOf(const Cells& piece) {
    return 18 - lowestRow(piece);
}

TEST_F(KeysTest, DAndAShiftByOneColumn) {
    const Cells t = normalised(kFirstPiece);
    press("d");
    EXPECT_TRUE(pieceReaches(t, 9));
    press("aa");
    EXPECT_TRUE(pieceReaches(t, 7));
}

TEST_F(KeysTest, SideWallsStopTheShift) {
    // Far more presses than there are columns; the turn afterwards marks
    // that all of them have been handled, and where the piece then stood.
    const Cells turned = normalised(kTurnedOnce);
    press(std::string(12, 'a'));
    press("w");
    EXPECT_TRUE(pieceReaches(turned, 1)) << "after pushing into the left wall";
    press("www" + std::string(20, 'd'));
    press("w");
    EXPECT_TRUE(pieceReaches(turned, 18)) << "after pushing into the right wall";
}

TEST_F(KeysTest, SDropsOneRowPerPress) {
    EXPECT_TRUE(afterGravityStep([&](const Cells& piece) {
        press("sss");
        return showsCells(shifted(piece, -3, 0));
    }));
}

TEST_F(KeysTest, WTurnsTheTClockwiseAndBack) {
    EXPECT_TRUE(afterGravityStep([&](const Cells& piece) {
        int fall = fallOf(piece);
        for (const Cells* expected : {&kTurnedOnce, &kTurnedTwice, &kTurnedThrice, &kFirstPiece}) {
            press("w");
            // Each turn shows a shape the one before does not have, so a
            // frame from before the turn cannot pass for it.
            auto shown = showsCells(shifted(*expected, -fall, 0));
            if (!shown) {
                return shown;
            }
        }
        return ::testing::AssertionSuccess();
    }));
}

TEST_F(KeysTest, OtherKeysChangeNothing) {
    EXPECT_TRUE(afterGravityStep([&](const Cells& piece) {
        // Upper case, space and Escape first; the one `d` after them shows
        // they have all been handled. Four S, so that their drop, were they
        // taken for s, would be more than gravity can have added.
        press("ASSSSDW \x1b");
        press("d");
        return showsCells(shifted(piece, 0, 1));
    }));
    EXPECT_TRUE(game_->running());
}

}  // namespace
}  // namespace e2e
