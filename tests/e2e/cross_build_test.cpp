// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// A build for another platform, run through its launcher (the Windows .exe
// through Wine, the arm64 program through qemu), draws what the native game
// draws. The native suite skips this: it would compare the game with itself.
#include <iostream>

#include "game_fixture.h"

namespace e2e {
namespace {

using CrossBuild = GameTest;

// At order 2 and at the default order 6, everything but the piece (which may
// have fallen further in one of them) is the same to the pixel, and the piece
// is the same T, drawn the same.
TEST_F(CrossBuild, FirstFramesMatchTheNativeGame) {
    for (const char* order : {"2\n", "6\n"}) {
        SCOPED_TRACE(order);
        start(order);
        Frame other = grabSettled();
        game_.reset();
        start(order, {}, kNativeGame);
        Frame native = grabSettled();
        game_.reset();
        EXPECT_TRUE(sameBackground(other, native));
        Cells blocks = blockCells(other);
        EXPECT_EQ(normalised(blocks), normalised(kFirstPiece)) << describe(blocks);
        EXPECT_EQ(leftmostCol(blocks), leftmostCol(kFirstPiece));
        std::string why;
        for (const Cell& cell : blocks) {
            EXPECT_TRUE(isOutlinedCell(other, cell, kBlockColour, &why)) << why;
        }
        std::cout << "order " << order[0] << ": whole frames "
                  << (other == native ? "identical" : "differ in the piece") << "\n";
    }
}

}  // namespace
}  // namespace e2e
