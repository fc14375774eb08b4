// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "collision.h"

#include <gtest/gtest.h>

#include "fresh_game.h"
#include "piece_helpers.h"

namespace {

// A free spot in the middle of a floor-only board for the blocks a case does
// not care about.
const Cells kOpenCells = {{{5, 10}, {6, 10}, {5, 9}, {6, 9}}};

class Collides : public ::testing::Test {
  protected:
    void SetUp() override {
        startFreshGame();
        placePiece(0, kOpenCells);
    }
    // Puts block `block` at (x, y) and asks with the given checkSides.
    bool blockAt(int block, float x, float y, int checkSides) {
        currentPiece[block][0] = x;
        currentPiece[block][1] = y;
        return collides(checkSides);
    }
};

TEST_F(Collides, FloorOnlyBoardLetsAPieceStandAnywhereInTheField) {
    for (int row = 1; row < kFieldSide; ++row) {
        for (int column = 0; column < kFieldSide; ++column) {
            placeBlock(0, {column, row});
            placeBlock(1, {kFieldSide - 1 - column, row});
            ASSERT_FALSE(collides(0)) << column << ", " << row;
            ASSERT_FALSE(collides(1)) << column << ", " << row;
        }
    }
    placeBlock(2, {4, 0});
    EXPECT_TRUE(collides(0));
    EXPECT_TRUE(collides(1));
}

TEST_F(Collides, AnOccupiedCellUnderAnyBlock) {
    for (int k = 0; k < kBlockCount; ++k) {
        SCOPED_TRACE(k);
        placePiece(0, kOpenCells);
        EXPECT_FALSE(blockAt(k, cellLeft(12), cellBottom(12), 0));
        board[12][12] = 1;
        EXPECT_TRUE(collides(0));
        EXPECT_TRUE(collides(1));
        board[12][12] = 0;
    }
}

TEST_F(Collides, OnlyTheExactValueOneIsOccupied) {
    placeBlock(0, {12, 12});
    for (int value : {0, 2, -1, 1000}) {
        board[12][12] = value;
        EXPECT_FALSE(collides(0)) << value;
    }
}

TEST_F(Collides, SideWallsOnlyWhenCheckSidesIsExactlyOne) {
    struct Case {
        int column;
        int row;
        bool withSides;  // checkSides 1
        bool boardOnly;  // checkSides 0, 2 or -1
    };
    const Case cases[] = {{20, 5, true, false}, {21, 5, true, false}, {20, 0, true, true},
                          {21, 0, true, true},  {-1, 1, true, true},  {-1, 2, true, false},
                          {0, 5, false, false}, {19, 5, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "column " << c.column << ", row " << c.row);
        placeBlock(2, {c.column, c.row});
        EXPECT_EQ(collides(1), c.withSides);
        EXPECT_EQ(collides(0), c.boardOnly);
        EXPECT_EQ(collides(2), c.boardOnly);
        EXPECT_EQ(collides(-1), c.boardOnly);
    }
}

// Elements outside the 625 cells are never read; they count as occupied.
// A row below the floor folds into row 0.
TEST_F(Collides, PositionsOutsideTheBoardCountAsOccupied) {
    struct Case {
        float x;
        float y;
        bool expected;
    };
    const Case cases[] = {
        {cellLeft(24), cellBottom(24), false},  // element 624, the last one
        {cellLeft(-1), cellBottom(0), true},    // column -1 of row 0: element -1
        {cellLeft(0), cellBottom(25), true},    // element 625
        {cellLeft(10), cellBottom(40), true},   //
        {cellLeft(10), -10.0f, true},           // row -89
        {cellLeft(-30), cellBottom(1), true},   //
        {cellLeft(3), -1.1f, true},             // row 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
        EXPECT_EQ(blockAt(3, c.x, c.y, 0), c.expected);
    }
}

TEST_F(Collides, NeverChangesTheState) {
    board[9][6] = 1;
    board[3][3] = 7;
    currentPiece[2][0] = -1.1f;
    currentPiece[1][1] = 1.6f;
    rotationState[0] = 1;
    Snapshot before;
    for (int checkSides : {0, 1, 2}) {
        collides(checkSides);
        EXPECT_TRUE(before.matchesNow()) << checkSides;
    }
}

}  // namespace
