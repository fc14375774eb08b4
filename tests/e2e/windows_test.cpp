// The Windows build, run through Wine (label windows): what is its own on
// Windows, and that it draws what the native game draws. The keys, gravity
// and the end of the game are checked by the rest of the suite, which runs
// against it as well.
#include <sys/wait.h>

#include <iostream>

#include "game_fixture.h"

namespace e2e {
namespace {

using WindowsBuild = GameTest;

// On a pipe there is no console code page to convert to: the prompt is GBK,
// and text mode ends its line with CR LF. Nothing else is ever written.
TEST_F(WindowsBuild, PromptOnAPipeIsGbkEndedByCrLf) {
    game_ = launch();
    const std::string expected = kPromptGbk.substr(0, kPromptGbk.size() - 1) + "\r\n";
    EXPECT_EQ(game_->readOutput(expected.size(), Millis(20000)), expected);
    game_->writeInput("2\r\n");
    game_->closeInput();
    ASSERT_TRUE(awaitWindow());
    x_->requestClose(window_);
    auto status = game_->waitForExit(Millis(10000));
    ASSERT_TRUE(status) << "the game still runs after its window was closed";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << describeWaitStatus(*status);
    EXPECT_EQ(game_->output(), expected);
}

TEST_F(WindowsBuild, FirstFrameMatchesTheNativeGame) {
    start("2\n");
    Frame windows = grabSettled();
    game_.reset();
    start("2\n", {}, kNativeGame);
    Frame native = grabSettled();
    // The piece may have fallen further in one of them; everything else is
    // the same to the pixel, and the piece is the same T, drawn the same.
    EXPECT_TRUE(sameBackground(windows, native));
    Cells blocks = blockCells(windows);
    EXPECT_EQ(normalised(blocks), normalised(kFirstPiece)) << describe(blocks);
    EXPECT_EQ(leftmostCol(blocks), leftmostCol(kFirstPiece));
    std::string why;
    for (const Cell& cell : blocks) {
        EXPECT_TRUE(isOutlinedCell(windows, cell, kBlockColour, &why)) << why;
    }
    std::cout << "whole frames " << (windows == native ? "identical" : "differ in the piece")
              << "\n";
}

}  // namespace
}  // namespace e2e
