// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The Windows build, run through Wine (label windows): what is its own on
// Windows. That it draws what the native game draws (cross_build_test.cpp),
// the keys, gravity and the end of the game are checked by the rest of the
// suite, which runs against it as well.
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <thread>
#include <vector>

#include "game_fixture.h"

namespace e2e {
namespace {

using WindowsBuild = GameTest;

// On a pipe there is no console code page to convert to: the prompt is GBK,
// and text mode ends its line with CR LF. Nothing else is ever written.
TEST_F(WindowsBuild, PromptOnAPipeIsGbkEndedByCrLf) {
    game_ = launch();
    const std::string expected = kPromptGbk.substr(0, kPromptGbk.size() - 1) + "\r\n";
    EXPECT_EQ(game_->readOutput(expected.size(), Millis(60000)), expected);
    game_->writeInput("2\r\n");
    game_->closeInput();
    ASSERT_TRUE(awaitWindow());
    x_->requestClose(window_);
    auto status = game_->waitForExit(Millis(30000));
    ASSERT_TRUE(status) << "the game still runs after its window was closed";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << describeWaitStatus(*status);
    EXPECT_EQ(game_->output(), expected);
}

// The window has the icon the .exe carries under GLUT_ICON, which freeglut
// loads for it: Wine hands that icon to X, and each of its images is the
// native game's icon image of that size, pixel for pixel.
TEST_F(WindowsBuild, WindowHasTheGamesIcon) {
    // Square images by size, from _NET_WM_ICON's width, height, pixels...
    auto images = [](const std::vector<uint32_t>& icon) {
        std::map<uint32_t, std::vector<uint32_t>> bySize;
        for (size_t at = 0; at + 2 <= icon.size() && icon[at] == icon[at + 1];) {
            size_t end = std::min(icon.size(), at + 2 + size_t{icon[at]} * icon[at]);
            bySize[icon[at]].assign(icon.begin() + at + 2, icon.begin() + end);
            at = end;
        }
        return bySize;
    };
    // Wine may give the window its icon only after the first frame is shown.
    auto icon = [this] {
        auto deadline = Clock::now() + Millis(60000);
        std::vector<uint32_t> icon = x_->cardinals(window_, "_NET_WM_ICON");
        for (; icon.empty() && Clock::now() < deadline;
             icon = x_->cardinals(window_, "_NET_WM_ICON")) {
            std::this_thread::sleep_for(Millis(20));
        }
        return icon;
    };
    start("2\n");
    auto windows = images(icon());
    game_.reset();
    start("2\n", {}, kNativeGame);
    auto native = images(icon());
    ASSERT_FALSE(windows.empty()) << "the window has no icon";
    for (const auto& [size, pixels] : windows) {
        ASSERT_EQ(native.count(size), 1u) << "the native icon has no " << size << "-px image";
        EXPECT_TRUE(pixels == native[size]) << "the " << size << "-px images differ";
    }
}

// Where an input method is on, as on Chinese Windows, a window with an input
// context gets letters as the start of a composition, not as keys.
TEST_F(WindowsBuild, WindowHasNoInputContext) {
    const char* probe = std::getenv("ZQ_WINDOWS_PROBE");
    ASSERT_TRUE(probe) << "ZQ_WINDOWS_PROBE names no probe to run";
    auto command = gameCommand();
    command.back() = probe;
    game_ = launch({}, command);
    ASSERT_TRUE(game_->waitForExit(Millis(60000))) << "the probe never ended";
    EXPECT_EQ(game_->output(), "input context: none\r\n");
}

}  // namespace
}  // namespace e2e
