// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The window on the screens players have: laptops, small panels and a
// Raspberry Pi's touchscreen, on which 1280 x 860 at (400, 100) does not fit.
// There the window, frame included, lies wholly on the screen's work area,
// keeps the game's shape, shows the whole floor row and plays to the end;
// where it fits, it is exactly as asked.
#include <sys/wait.h>

#include <iostream>
#include <memory>
#include <thread>

#include "game_fixture.h"

namespace e2e {
namespace {

struct Screen {
    const char* name;
    int width, height;
    bool manager;  // openbox, with its own frame round the window
    int panel;     // the height of a panel along the bottom, or 0
};

std::ostream& operator<<(std::ostream& out, const Screen& screen) {
    return out << screen.name;
}

class SmallScreen : public GameTest, public ::testing::WithParamInterface<Screen> {};

TEST_P(SmallScreen, ShowsTheWholeFieldAndPlaysToTheEnd) {
    const Screen& screen = GetParam();
    useScreen(screen.width, screen.height);
    std::unique_ptr<ChildProcess> manager;
    if (screen.manager) {
        // openbox as a player has it: its own settings, which frame every
        // window (none of the suite's openbox.xml).
        manager = std::make_unique<ChildProcess>(
            std::vector<std::string>{"openbox"},
            EnvChanges{{"DISPLAY", screen_->name()}, {"XDG_CONFIG_HOME", "/nonexistent"}});
        ASSERT_TRUE(x_->waitForWindowManager(Millis(60000))) << "openbox did not start";
    }
    Geometry area = {0, 0, screen.width, screen.height};
    if (screen.panel) {
        // The work area's height, once the manager has set one.
        auto workAreaHeight = [&](int wanted) {
            for (auto deadline = Clock::now() + Millis(60000); Clock::now() < deadline;) {
                auto workArea = x_->cardinals(x_->root(), "_NET_WORKAREA");
                if (workArea.size() >= 4 && static_cast<int>(workArea[3]) == wanted) {
                    return wanted;
                }
                std::this_thread::sleep_for(Millis(20));
            }
            auto workArea = x_->cardinals(x_->root(), "_NET_WORKAREA");
            return workArea.size() >= 4 ? static_cast<int>(workArea[3]) : -1;
        };
        // The panel comes once the manager has its screen set up, as a
        // desktop's panel comes after its manager.
        ASSERT_EQ(workAreaHeight(area.height), area.height) << "openbox set no work area";
        area.height -= screen.panel;
        x_->addBottomPanel(screen.panel);
        ASSERT_EQ(workAreaHeight(area.height), area.height) << "the panel is not kept free";
    }

    start("2\n");
    auto client = x_->geometry(window_);
    ASSERT_TRUE(client);
    std::vector<uint32_t> extents = x_->cardinals(window_, "_NET_FRAME_EXTENTS");
    extents.resize(4, 0);  // no manager, no frame
    const Geometry window = {client->x - static_cast<int>(extents[0]),
                             client->y - static_cast<int>(extents[2]),
                             client->width + static_cast<int>(extents[0] + extents[1]),
                             client->height + static_cast<int>(extents[2] + extents[3])};
    std::cout << screen.name << ": window " << window << ", client area " << *client << "\n";
    EXPECT_TRUE(fitsInto(window, *client, area));
    const bool roomEnough = 400 + window.width - client->width + kWindowWidth <= area.width &&
                            100 + window.height - client->height + kWindowHeight <= area.height;
    if (roomEnough) {
        EXPECT_EQ((std::vector<int>{window.x, window.y, client->width, client->height}),
                  (std::vector<int>{400, 100, kWindowWidth, kWindowHeight}));
    } else {
        EXPECT_LT(client->width, kWindowWidth);
    }

    // The floor row as the screen shows it, not as the window holds it.
    auto shown = x_->grabScreen(*client);
    ASSERT_TRUE(shown) << "the window is not wholly on the screen";
    lastFrame_ = shown;
    std::string why;
    for (int col = 0; col < kFieldSide; ++col) {
        EXPECT_TRUE(isOutlinedCell(*shown, {0, col}, kFloorColour, &why)) << why;
    }

    // Keys, gravity and the end of the game, as on any screen.
    const int column = leftmostCol(blockCells(grab()));
    press("a");
    EXPECT_TRUE(waitForFrame(
        [&](const Frame& f) { return leftmostCol(blockCells(f)) == column - 1; }, Millis(10000)))
        << "a did not move the piece";
    EXPECT_TRUE(waitForChange(blockCells(grab()), Millis(10000))) << "no gravity step";
    int presses = 0;
    const int tallest = stackToTheTop(&presses);
    auto status = game_->waitForExit(Millis(10000));
    ASSERT_TRUE(status) << "the game still runs after " << presses << " presses of s";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << describeWaitStatus(*status);
    EXPECT_GE(tallest, 15);
    game_.reset();  // before the window manager goes
}

// The Raspberry Pi touchscreen comes first: the arm64 suite runs it.
INSTANTIATE_TEST_SUITE_P(
    Screens, SmallScreen,
    ::testing::Values(Screen{"RaspberryPiTouchscreen800x480", 800, 480, true, 0},
                      Screen{"Panel1024x600", 1024, 600, true, 0},
                      Screen{"Panel1280x720", 1280, 720, true, 0},
                      Screen{"Laptop1366x768", 1366, 768, true, 0},
                      Screen{"Laptop1366x768WithoutManager", 1366, 768, false, 0},
                      Screen{"Laptop1366x768WithPanel", 1366, 768, true, 48},
                      Screen{"Desktop1920x1200", 1920, 1200, true, 0}),
    [](const ::testing::TestParamInfo<Screen>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
