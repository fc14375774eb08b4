// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// How quickly the game answers and how little it does while waiting. Times
// are printed, not asserted: machines are shared. What is asserted holds on a
// busy CPU: an answer at all, and little CPU time used while idle.
#include <iostream>
#include <thread>

#include "game_fixture.h"

namespace e2e {
namespace {

class LargeOrderTest : public GameTest, public ::testing::WithParamInterface<const char*> {};

// However large the order, the figure is bounded and a shift shows quickly.
TEST_P(LargeOrderTest, AnswersAKeyPromptly) {
    start(std::string(GetParam()) + "\n");
    for (char key : std::string("dad")) {
        Cells before = blockCells(grab());
        int target = leftmostCol(before) + (key == 'd' ? 1 : -1);
        auto pressed = Clock::now();
        press(std::string(1, key));
        auto frame = waitForFrame(
            [&](const Frame& f) {
                Cells now = blockCells(f);
                return normalised(now) == normalised(before) && leftmostCol(now) == target;
            },
            Millis(30000));
        ASSERT_TRUE(frame) << "no answer to '" << key << "' within 30 s";
        double latency = secondsSince(pressed);
        std::cout << "order " << GetParam() << ": '" << key << "' shown after " << latency * 1000
                  << " ms\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, LargeOrderTest, ::testing::Values("7", "1000", "2147483647"),
                         [](const auto& info) { return std::string("Order") + info.param; });

using IdleTest = GameTest;

TEST_F(IdleTest, UsesAlmostNoCpuBetweenEvents) {
    start("2\n");
    std::this_thread::sleep_for(Millis(500));
    double before = game_->cpuSeconds();
    auto from = Clock::now();
    std::this_thread::sleep_for(Millis(3000));
    double used = game_->cpuSeconds() - before;
    double share = used / secondsSince(from);
    std::cout << "idle CPU: " << used << " s in 3 s (" << share * 100 << "% of one core)\n";
    // A loop that polls instead of waiting would take a whole core, or on a
    // busy one its share of it: far more than a fifth either way. Time spent
    // waiting for the CPU counts for nothing here.
    EXPECT_LT(share, 0.2);
    EXPECT_TRUE(game_->running());
}

}  // namespace
}  // namespace e2e
