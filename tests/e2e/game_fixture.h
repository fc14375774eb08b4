// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// What the end-to-end tests know about the game's window: where cells are,
// which colours mean what, and a fixture that runs the real game on its own
// virtual screen.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "harness.h"

namespace e2e {

constexpr char kTitle[] = "Zembrat Quillory";
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 860;
constexpr int kFieldSide = 20;  // columns and rows of the visible field

// The console prompt, "请输入阶数。" and a newline, in GBK: what a console
// whose locale says nothing else gets, and all it ever gets.
inline const std::string kPromptGbk = "\xC7\xEB\xCA\xE4\xC8\xEB\xBD\xD7\xCA\xFD\xA1\xA3\n";

// True when the game under test is the Windows build (an .exe, run through
// Wine).
bool testsTheWindowsBuild();

// The prompt line as the game under test writes it to a pipe: GBK, ended by
// the newline of its platform's text mode (CR LF for the Windows build).
std::string pipedPrompt();

constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kFloorColour = {102, 77, 255};  // (0.4, 0.3, 1.0)
constexpr Rgb kBlockColour = {255, 0, 255};   // falling piece and landed blocks

// A field cell; row 0 is the floor at the bottom, column 0 the left edge.
struct Cell {
    int row, col;
    bool operator<(const Cell& o) const { return row != o.row ? row < o.row : col < o.col; }
    bool operator==(const Cell& o) const { return row == o.row && col == o.col; }
};
std::ostream& operator<<(std::ostream& out, const Cell& cell);
using Cells = std::set<Cell>;
std::string describe(const Cells& cells);

Cells shifted(const Cells& cells, int rows, int cols);
Cells normalised(const Cells& cells);  // lowest row and leftmost column moved to 0
int lowestRow(const Cells& cells);
int highestRow(const Cells& cells);
int leftmostCol(const Cells& cells);
int rightmostCol(const Cells& cells);

// The first piece, a T with its stem up, as it is placed.
const Cells kFirstPiece = {{19, 9}, {18, 8}, {18, 9}, {18, 10}};

// Clip coordinates (x and y from -1 to 1, y upward) fill the window whatever
// its size.
Rgb clipPixel(const Frame& frame, double x, double y);
Rgb cellCentre(const Frame& frame, Cell cell);

// Every pixel outside the blocks of either frame (whose fall depends on
// timing) is the same in both, to `tolerance` in each colour.
::testing::AssertionResult sameBackground(const Frame& a, const Frame& b, int tolerance = 0);

// The window, frame included, lies wholly inside `area`, and its client area
// has the game's 1280:860 shape to within a pixel of height.
::testing::AssertionResult fitsInto(const Geometry& window, const Geometry& client,
                                    const Geometry& area);

// True when the cell is filled with `fill` and outlined in black; otherwise
// false with the reason in `why`.
bool isOutlinedCell(const Frame& frame, Cell cell, Rgb fill, std::string* why);

// Cells whose centre shows the block colour: the falling piece and every
// landed block.
Cells blockCells(const Frame& frame);

// The command that starts the game: the program built with the tests, or the
// one named by ZQ_GAME_PATH (an installed or packaged copy, say), run through
// ZQ_GAME_LAUNCHER when that is set (wine, for the Windows build).
std::vector<std::string> gameCommand();

// The game built natively with the tests, whatever the suite runs.
inline const std::vector<std::string> kNativeGame = {ZQ_GAME_PATH};

// Runs the real game on a private virtual screen; everything started is
// stopped when the test ends, whatever its outcome.
class GameTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the game without touching its console. `env` adds to or
    // overrides a locale-free environment (LC_ALL=C unless given).
    std::unique_ptr<ChildProcess> launch(const EnvChanges& env = {},
                                         const std::vector<std::string>& command = gameCommand());

    // Starts the game, types `input` (or nothing) and closes its console
    // input, then waits for the window and its first frame. Fails the test
    // when they do not come.
    void start(const std::optional<std::string>& input = std::string("2\n"),
               const EnvChanges& env = {}, const std::vector<std::string>& command = gameCommand());

    // Waits for the game's window and a first frame on it (the floor drawn).
    ::testing::AssertionResult awaitWindow(Millis timeout = Millis(60000));

    // The current picture; throws when the window is gone.
    Frame grab();

    // A picture that two reads in a row agree on, so that it cannot be
    // caught half presented; for comparing pixel by pixel.
    Frame grabSettled();

    // Polls the window until `accept` takes a frame or the time is up.
    std::optional<Frame> waitForFrame(const std::function<bool(const Frame&)>& accept,
                                      Millis timeout);

    // Types the characters in order: lower and upper case letters (upper case
    // with Shift), ' ' for the space bar and '\x1b' for Escape.
    void press(const std::string& keys);

    struct Step {
        Cells cells;  // the falling piece right after the step
        Clock::time_point seen;
    };
    // Waits, without any key, for the blocks on screen to change (a gravity
    // step); `before` is what they were.
    std::optional<Step> waitForChange(const Cells& before, Millis timeout);

    // Waits for a gravity step and runs `act` on the piece as it stands right
    // after it; `stepSeen_` is when the step was seen.
    ::testing::AssertionResult afterGravityStep(
        const std::function<::testing::AssertionResult(const Cells& piece)>& act);

    // The rows gravity may have added since the step `afterGravityStep` saw:
    // one a second, its timer never being early, and two more for steps that
    // may come before the second is out, when the step was seen up to two
    // seconds late on a busy machine.
    int gravityRowsSinceStep() const;
    Clock::time_point stepSeen_;

    // Drops every piece straight down with `s` until the game has ended, or
    // after far more presses than a full stack needs; returns the height of
    // the tallest stack seen, and the presses it took in `presses`.
    int stackToTheTop(int* presses);

    // Replaces the test's virtual screen with one of this size, with
    // nothing on it yet.
    void useScreen(int width, int height);

    // The last picture read back, saved next to the test binary when a test
    // fails.
    std::optional<Frame> lastFrame_;

    std::unique_ptr<VirtualScreen> screen_;
    std::unique_ptr<XSession> x_;
    std::unique_ptr<ChildProcess> game_;
    Window window_ = 0;
};

}  // namespace e2e
