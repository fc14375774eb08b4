#include <gtest/gtest.h>

#include "state.h"

TEST(InitBoard, LaysTheFloorAndTheFirstT) {
    initBoard();
    for (int column = 0; column < kBoardSide; ++column) {
        EXPECT_EQ(board[0][column], 1);
    }
    EXPECT_EQ(cellColumn(currentPiece[0][0]), 9);
    EXPECT_EQ(cellRow(currentPiece[0][1]), 19);
}
