// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The window itself and what its first frame shows, before any key.
#include <sys/wait.h>

#include <csignal>

#include <algorithm>
#include <fstream>
#include <future>
#include <iterator>
#include <thread>

#include "game_fixture.h"

namespace e2e {
namespace {

using WindowTest = GameTest;

// Stops the window manager at a moment when it holds no server grab: stopped
// inside one, it would leave the X server answering no other client, the
// game and this test among them, until it went on, which it never would. A
// round trip on a connection of its own tells: when it is not answered in
// time the manager goes on and is stopped again, with longer to answer each
// time, so that a slow server is told from a grabbed one.
void stopOutsideAGrab(pid_t manager, const std::string& display) {
    for (Millis limit(500);; limit *= 2) {
        Display* probe = XOpenDisplay(display.c_str());
        ASSERT_NE(probe, nullptr) << "cannot connect to " << display;
        kill(manager, SIGSTOP);
        auto answered = std::async(std::launch::async, [probe] { XSync(probe, False); });
        const bool idle = answered.wait_for(limit) == std::future_status::ready;
        if (!idle) {
            kill(manager, SIGCONT);
        }
        answered.wait();
        XCloseDisplay(probe);
        if (idle) {
            return;
        }
    }
}

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
    // The T, however far gravity has taken it by now.
    Cells blocks = blockCells(frame);
    EXPECT_EQ(blocks, shifted(kFirstPiece, lowestRow(blocks) - 18, 0)) << describe(blocks);
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

// What the desktop goes by: the class, which the desktop entry's
// StartupWMClass names, the owning process, and the icon at four sizes, the
// 48-pixel one exactly the SVG icon as the build rendered it.
TEST_F(WindowTest, TellsTheDesktopItsClassProcessAndIcon) {
    start("2\n");
    EXPECT_EQ(x_->windowClass(window_),
              (std::vector<std::string>{"zembrat-quillory", "Zembrat-quillory"}));
    EXPECT_EQ(x_->cardinals(window_, "_NET_WM_PID"),
              std::vector<uint32_t>{static_cast<uint32_t>(game_->pid())});

    std::ifstream file(ZQ_ICON_48_PIXELS, std::ios::binary);
    std::vector<unsigned char> rgba{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(rgba.size(), 48u * 48u * 4u) << ZQ_ICON_48_PIXELS;
    std::vector<uint32_t> expected;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        expected.push_back(uint32_t{rgba[i + 3]} << 24 | uint32_t{rgba[i]} << 16 |
                           uint32_t{rgba[i + 1]} << 8 | rgba[i + 2]);
    }
    // Image after image: width, height, then the pixels as 0xAARRGGBB.
    std::vector<uint32_t> icon = x_->cardinals(window_, "_NET_WM_ICON");
    std::vector<uint32_t> sizes;
    bool matches = false;
    for (size_t at = 0; at + 2 <= icon.size();) {
        size_t end = at + 2 + size_t{icon[at]} * icon[at + 1];
        ASSERT_LE(end, icon.size()) << icon[at] << "x" << icon[at + 1] << " image cut short";
        EXPECT_EQ(icon[at], icon[at + 1]);
        sizes.push_back(icon[at]);
        if (icon[at] == 48 && icon[at + 1] == 48) {
            matches = std::equal(expected.begin(), expected.end(), icon.begin() + at + 2);
        }
        at = end;
    }
    EXPECT_EQ(sizes, (std::vector<uint32_t>{16, 32, 48, 64}));
    EXPECT_TRUE(matches) << "the 48-pixel image differs from " << ZQ_ICON_48_PIXELS;
}

// A window manager reads the class when it takes the window on, and a rule
// for the class applies: here the one in openbox.xml, which takes away the
// frame, so that the window stands exactly where and as large as it asked.
// It takes keys at once. So it is too when the manager is slow: stopped for
// two seconds from before the game's window is made until after it, the
// manager takes the window on when it goes on, and it must come, class and
// all, however long that took.
TEST_F(WindowTest, AWindowManagerTakesItOnByItsClass) {
    for (bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "manager stopped during start-up" : "manager running");
        if (stopped) {
            // A screen of its own: the first manager, killed, left its marks
            // on the root window, which freeglut would take for a live one.
            x_.reset();
            screen_ = std::make_unique<VirtualScreen>(1920, 1200);
            x_ = std::make_unique<XSession>(screen_->name());
        }
        ChildProcess manager({"openbox", "--config-file", ZQ_OPENBOX_CONFIG},
                             {{"DISPLAY", screen_->name()}});
        ASSERT_TRUE(x_->waitForWindowManager(Millis(60000))) << "openbox did not start";
        if (stopped) {
            stopOutsideAGrab(manager.pid(), screen_->name());
            game_ = launch();
            game_->writeInput("2\n");
            game_->closeInput();
            for (int wait = 0; wait < 3000 && !x_->findWindow(kTitle, false); ++wait) {
                std::this_thread::sleep_for(Millis(20));
            }
            EXPECT_TRUE(x_->findWindow(kTitle, false)) << "the game made no window";
            std::this_thread::sleep_for(Millis(2000));
            EXPECT_FALSE(x_->findWindow(kTitle)) << "shown with the manager stopped";
            kill(manager.pid(), SIGCONT);
            ASSERT_TRUE(awaitWindow());
        } else {
            start("2\n");
        }
        EXPECT_EQ(x_->text(window_, "_OB_APP_CLASS"), "Zembrat-quillory");
        EXPECT_EQ(x_->cardinals(window_, "_NET_FRAME_EXTENTS"),
                  (std::vector<uint32_t>{0, 0, 0, 0}));
        auto geometry = x_->geometry(window_);
        ASSERT_TRUE(geometry);
        EXPECT_EQ((std::vector<int>{geometry->x, geometry->y, geometry->width, geometry->height}),
                  (std::vector<int>{400, 100, kWindowWidth, kWindowHeight}));
        const int column = leftmostCol(blockCells(grab()));
        press("a");
        EXPECT_TRUE(
            waitForFrame([&](const Frame& f) { return leftmostCol(blockCells(f)) == column - 1; },
                         Millis(10000)))
            << "a did not move the piece";
        game_.reset();  // before the window manager goes
    }
}

// A manager that is still starting may drop a map request. Under one that
// always drops the first, the game asks again, and its window comes with its
// class, as the manager read it from the request it took.
TEST_F(WindowTest, AManagerThatDropsTheFirstMapRequestGetsTheNext) {
    ChildProcess manager({ZQ_DROPPING_MANAGER_PATH}, {{"DISPLAY", screen_->name()}});
    ASSERT_TRUE(x_->waitForWindowManager(Millis(60000))) << "the manager did not start";
    ASSERT_NO_FATAL_FAILURE(start("2\n"));
    EXPECT_EQ(x_->windowClass(window_),
              (std::vector<std::string>{"zembrat-quillory", "Zembrat-quillory"}));
    const std::string told = "ignored\nmapped Zembrat-quillory\n";
    EXPECT_EQ(manager.readOutput(told.size(), Millis(10000)), told);
    game_.reset();  // before the window manager goes
}

TEST_F(WindowTest, FirstFrameShowsFloorPieceAndFigureOnWhite) {
    start("2\n");
    // The first frame, or a later one on a slow machine: the points of the
    // figure looked at below are left out where the piece has fallen over them.
    Frame frame = grab();
    Cells blocks = blockCells(frame);
    auto covered = [&](int row) {
        return std::any_of(blocks.begin(), blocks.end(),
                           [&](const Cell& c) { return std::abs(c.row - row) <= 1; });
    };

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
    EXPECT_TRUE(covered(15) || clipPixel(frame, 0.0, 0.5).near({0, 255, 255}, 1))
        << clipPixel(frame, 0.0, 0.5);
    EXPECT_TRUE(covered(10) || clipPixel(frame, 0.0, 0.0).near({0, 51, 51}, 1))
        << clipPixel(frame, 0.0, 0.0);
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

// Orders past 6 draw the capped figure from vertex arrays on the first frame
// at a window size, and from a copy of it in textures on the frames after it.
// Both are, outside the piece (whose fall depends on timing), the frame a copy
// of the game that draws every triangle on its own shows at order 7, and so
// are both again at a new size, to a step in colour: at 1500x1000 llvmpipe
// fills some of its 64-pixel blocks inside the first triangle with (0, 51, 51)
// when the figure comes from arrays and (0, 50, 50) when it is drawn triangle
// by triangle. Wine is not resized: its frame round the window takes the size
// in its own time.
TEST_F(WindowTest, HighOrdersShowTheFigureDrawnTriangleByTriangle) {
    const bool resizes = !testsTheWindowsBuild();
    const int width = 1500;
    const int height = 1000;
    auto resized = [&] {
        x_->resize(window_, width, height);
        return waitForFrame([&](const Frame& f) { return f.width() == width; }, Millis(10000));
    };
    // A frame drawn later than the one on screen: a key that moves nothing
    // asks for one, and a gravity step shows one has come.
    auto later = [&] {
        press("x");
        EXPECT_TRUE(waitForChange(blockCells(grab()), Millis(10000))) << "no gravity step";
        return grabSettled();
    };
    start("7\n", {}, {ZQ_OLD_BACKGROUND_GAME_PATH});
    Frame reference = grabSettled();
    std::optional<Frame> resizedReference;
    if (resizes) {
        ASSERT_TRUE(resized()) << "no frame at the new size";
        resizedReference = later();
    }
    game_.reset();
    for (const char* order : {"7\n", "2147483647\n"}) {
        SCOPED_TRACE(order);
        start(order);
        EXPECT_TRUE(sameBackground(grabSettled(), reference)) << "the first frame";
        EXPECT_TRUE(sameBackground(later(), reference)) << "a later frame";
        if (resizes) {
            ASSERT_TRUE(resized()) << "no frame at the new size";
            later();  // past the first frame at the new size, drawn from the arrays
            EXPECT_TRUE(sameBackground(later(), *resizedReference, 1)) << "after the resize";
        }
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
            Millis(10000));
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
    auto status = game_->waitForExit(Millis(10000));
    ASSERT_TRUE(status) << "the game still runs after its window was closed";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << describeWaitStatus(*status);
    EXPECT_FALSE(x_->windowExists(window_));
}

}  // namespace
}  // namespace e2e
