// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "keyboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fresh_game.h"
#include "piece_helpers.h"

namespace {

const Cells kTeeAtSpawn = {{{9, 19}, {8, 18}, {9, 18}, {10, 18}}};

Cells moved(const Cells& cells, int columns, int rows) {
    Cells result = cells;
    for (Cell& cell : result) {
        cell.column += columns;
        cell.row += rows;
    }
    return result;
}

void press(char key) {
    onKeyboard(static_cast<unsigned char>(key), 0, 0);
}

// Only the lower-case w, s, d and a act; every key, acted on or not, asks for
// exactly one redisplay.
TEST(OnKeyboard, EveryKeyRequestsExactlyOneRedisplay) {
    for (int key = 0; key < 256; ++key) {
        SCOPED_TRACE(key);
        startFreshGame();
        Snapshot before;
        onKeyboard(static_cast<unsigned char>(key), 123, 45);
        EXPECT_EQ(recording::glut().redisplays, 1);
        EXPECT_EQ(recording::glut().timersArmed, 0);
        EXPECT_FALSE(pieceLanded);
        switch (key) {
            case 'a':
                EXPECT_EQ(pieceCells(), moved(kTeeAtSpawn, -1, 0));
                break;
            case 'd':
                EXPECT_EQ(pieceCells(), moved(kTeeAtSpawn, 1, 0));
                break;
            case 's':
                EXPECT_EQ(pieceCells(), moved(kTeeAtSpawn, 0, -1));
                break;
            case 'w':
                EXPECT_EQ(pieceCells(), (Cells{{{9, 19}, {9, 18}, {10, 18}, {9, 17}}}));
                break;
            default:
                EXPECT_TRUE(before.matchesNow());
        }
    }
}

TEST(OnKeyboard, NothingMovesOrLocksWhileALandedPieceWaits) {
    for (int key = 0; key < 256; ++key) {
        SCOPED_TRACE(key);
        startFreshGame();
        placePiece(2, {{{5, 2}, {4, 1}, {5, 1}, {6, 1}}});  // its step down is blocked
        pieceLanded = true;
        Snapshot before;
        onKeyboard(static_cast<unsigned char>(key), 0, 0);
        EXPECT_TRUE(before.matchesNow());
        EXPECT_EQ(recording::glut().redisplays, 1);
    }
}

TEST(OnKeyboard, ShiftIntoAWallOrAnOccupiedCellIsUndone) {
    startFreshGame();
    for (int step = 1; step <= 8; ++step) {
        press('a');
    }
    EXPECT_EQ(pieceCells(), moved(kTeeAtSpawn, -8, 0));
    press('a');
    EXPECT_EQ(pieceCells(), moved(kTeeAtSpawn, -8, 0));

    startFreshGame();
    for (int step = 1; step <= 10; ++step) {
        press('d');
    }
    EXPECT_EQ(pieceCells(), moved(kTeeAtSpawn, 9, 0));

    startFreshGame();
    board[18][11] = 1;
    press('d');
    EXPECT_EQ(pieceCells(), kTeeAtSpawn);
    board[18][7] = 1;
    press('a');
    EXPECT_EQ(pieceCells(), kTeeAtSpawn);
    EXPECT_FALSE(pieceLanded);
}

// Positions are never snapped, yet after any run of one-cell moves every block
// converts to the cell reached by counting the moves.
TEST(OnKeyboard, CellsFollowTheCountedMoves) {
    startFreshGame();
    const std::string keys =
        "aaaaaaaaaasdddsdddddddddddddsssaasdadadadsdddaaaaaaaaaaaaaaasssdsdsdsdddddddsss"
        "aadadadadaaddddddddddddddddds";
    int columns = 0;
    int rows = 0;
    for (char key : keys) {
        press(key);
        if (key == 'a' || key == 'd') {
            columns = std::clamp(columns + (key == 'd' ? 1 : -1), -8, 9);
        } else {
            --rows;
        }
        ASSERT_EQ(pieceCells(), moved(kTeeAtSpawn, columns, rows)) << "after " << key;
    }
    ASSERT_GE(rows, -17);
    EXPECT_FALSE(pieceLanded);
}

TEST(OnKeyboard, BlockedStepLandsAndLocksAtOnce) {
    startFreshGame();
    board[17][8] = board[17][9] = board[17][10] = 1;
    auto before = occupied();
    press('s');
    EXPECT_TRUE(pieceLanded);
    // Down 0.1 and back up 0.1 is the template's 0.9 again, exactly.
    EXPECT_EQ(currentPiece[0][1], 0.9f);
    before.insert({{19, 9}, {18, 8}, {18, 9}, {18, 10}});
    EXPECT_EQ(occupied(), before);
    EXPECT_EQ(recording::glut().redisplays, 1);

    // Landing at the very top is no game over; a second `s` locks nothing.
    Snapshot landed;
    press('s');
    EXPECT_TRUE(landed.matchesNow());
}

}  // namespace
