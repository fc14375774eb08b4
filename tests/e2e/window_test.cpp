// The window itself and what its first frame shows, before any key.
#include <sys/wait.h>

#include "game_fixture.h"

namespace e2e {
namespace {

using WindowTest = GameTest;

// Every pixel of the rectangle [x0, x1) x [y0, y1) is white.
::testing::AssertionResult allWhite(const Frame& frame, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (frame.at(x, y) != kWhite) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << "," << y << ") is " << frame.at(x, y);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

TEST_F(WindowTest, SmokeFloorAndFirstPieceAreDrawn) {
    start("2\n");
    Frame frame = grab();
    EXPECT_TRUE(cellCentre(frame, {0, 0}).near(kFloorColour, 2));
    EXPECT_TRUE(cellCentre(frame, {0, 19}).near(kFloorColour, 2));
    Cells blocks = blockCells(frame);
    // Gravity may already have taken one step.
    EXPECT_TRUE(blocks == kFirstPiece || blocks == shifted(kFirstPiece, -1, 0)) << describe(blocks);
}

TEST_F(WindowTest, HasItsTitleSizeAndPosition) {
    start("2\n");
    EXPECT_EQ(x_->title(window_), kTitle);
    auto geometry = x_->geometry(window_);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->width, kWindowWidth);
    EXPECT_EQ(geometry->height, kWindowHeight);
    // Wine's frame round the client area moves it a little; the native game
    // is placed to the pixel.
    const int slack = testsTheWindowsBuild() ? 40 : 0;
    EXPECT_NEAR(geometry->x, 400, slack);
    EXPECT_NEAR(geometry->y, 100, slack);
}

TEST_F(WindowTest, FirstFrameShowsFloorPieceAndFigureOnWhite) {
    start("2\n");
    // The first frame, taken before the piece has fallen far enough to cover
    // any of the points looked at below.
    Frame frame = grab();
    Cells blocks = blockCells(frame);
    ASSERT_GE(lowestRow(blocks), 17) << "too late for the first frame: " << describe(blocks);

    std::string why;
    for (int col = 0; col < kFieldSide; ++col) {
        EXPECT_TRUE(isOutlinedCell(frame, {0, col}, kFloorColour, &why)) << why;
    }

    // The T, wherever gravity has put it by now, and nothing else.
    int drop = 18 - lowestRow(blocks);
    Cells piece = shifted(kFirstPiece, -drop, 0);
    EXPECT_EQ(blocks, piece) << describe(blocks);
    for (const Cell& cell : piece) {
        EXPECT_TRUE(isOutlinedCell(frame, cell, kBlockColour, &why)) << why;
    }

    // The figure of order 2, a six-pointed star: the small triangle at its
    // top and the big one it grows from have the colours of their apexes.
    EXPECT_TRUE(clipPixel(frame, 0.0, 0.5).near({0, 255, 255}, 1)) << clipPixel(frame, 0.0, 0.5);
    EXPECT_TRUE(clipPixel(frame, 0.0, 0.0).near({0, 51, 51}, 1)) << clipPixel(frame, 0.0, 0.0);
    // The star's side points, each the colour of its own small triangle.
    EXPECT_TRUE(clipPixel(frame, -0.45, -0.2).near({0, 242, 132}, 1))
        << clipPixel(frame, -0.45, -0.2);
    EXPECT_TRUE(clipPixel(frame, 0.45, -0.2).near({0, 242, 255}, 1))
        << clipPixel(frame, 0.45, -0.2);

    // White where nothing is drawn: the strips left and right of the figure
    // above the floor, and the corners at the top.
    int floorTop = kWindowHeight - 43;
    EXPECT_TRUE(allWhite(frame, 0, 0, 3 * 64 - 3, floorTop - 3));
    EXPECT_TRUE(allWhite(frame, 17 * 64 + 3, 0, kWindowWidth, floorTop - 3));
    EXPECT_TRUE(allWhite(frame, 0, 0, 7 * 64, 100));
    EXPECT_TRUE(allWhite(frame, 12 * 64, 0, kWindowWidth, 100));
}

// Orders past 6 draw the capped figure from vertex arrays. Their first frames
// are, outside the piece (whose fall depends on timing), the one a copy of the
// game that draws every triangle on its own shows at order 7.
TEST_F(WindowTest, HighOrdersShowTheFigureDrawnTriangleByTriangle) {
    start("7\n", {}, {ZQ_OLD_BACKGROUND_GAME_PATH});
    Frame reference = grabSettled();
    game_.reset();
    for (const char* order : {"7\n", "2147483647\n"}) {
        SCOPED_TRACE(order);
        start(order);
        EXPECT_TRUE(sameBackground(grabSettled(), reference));
        game_.reset();
    }
}

TEST_F(WindowTest, FigureFollowsTheTypedOrder) {
    // Order 1 is the bare first triangle: no star point above it.
    start("1\n");
    Frame frame = grab();
    EXPECT_EQ(clipPixel(frame, 0.0, 0.5), kWhite);
    EXPECT_TRUE(clipPixel(frame, 0.0, 0.0).near({0, 51, 51}, 1)) << clipPixel(frame, 0.0, 0.0);
    EXPECT_EQ(clipPixel(frame, -0.45, -0.2), kWhite);
}

TEST_F(WindowTest, ResizingStretchesFieldAndFigure) {
    start("2\n");
    for (auto [width, height] : {std::pair{640, 430}, std::pair{1500, 1000}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        x_->resize(window_, width, height);
        // Redrawn at the new size: floor along the whole bottom, figure in
        // the same clip-space places.
        auto frame = waitForFrame(
            [&](const Frame& f) {
                return f.width() == width && f.height() == height &&
                       cellCentre(f, {0, 0}).near(kFloorColour, 2) &&
                       cellCentre(f, {0, 19}).near(kFloorColour, 2) &&
                       clipPixel(f, 0.0, 0.0).near({0, 51, 51}, 1);
            },
            Millis(5000));
        ASSERT_TRUE(frame) << "no frame at the new size";
        std::string why;
        for (int col = 0; col < kFieldSide; ++col) {
            EXPECT_TRUE(isOutlinedCell(*frame, {0, col}, kFloorColour, &why)) << why;
        }
        EXPECT_TRUE(clipPixel(*frame, 0.0, -0.6).near({0, 51, 51}, 1));
        EXPECT_EQ(clipPixel(*frame, -0.9, 0.5), kWhite);
        // The piece keeps its cells, now a twentieth of the new size.
        Cells blocks = blockCells(*frame);
        ASSERT_EQ(blocks.size(), 4u) << describe(blocks);
        EXPECT_EQ(normalised(blocks), normalised(kFirstPiece)) << describe(blocks);
        EXPECT_EQ(leftmostCol(blocks), 8);
        for (const Cell& cell : blocks) {
            EXPECT_TRUE(isOutlinedCell(*frame, cell, kBlockColour, &why)) << why;
        }
    }
}

TEST_F(WindowTest, ClosingTheWindowEndsTheGame) {
    start("2\n");
    x_->requestClose(window_);
    auto status = game_->waitForExit(Millis(5000));
    ASSERT_TRUE(status) << "the game still runs after its window was closed";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << describeWaitStatus(*status);
    EXPECT_FALSE(x_->windowExists(window_));
}

}  // namespace
}  // namespace e2e
