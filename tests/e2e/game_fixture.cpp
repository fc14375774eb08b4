// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "game_fixture.h"

#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {

std::ostream& operator<<(std::ostream& out, const Cell& cell) {
    return out << "(row " << cell.row << ", col " << cell.col << ")";
}

std::string describe(const Cells& cells) {
    std::ostringstream out;
    out << "{";
    for (const Cell& cell : cells) {
        out << " " << cell.row << ":" << cell.col;
    }
    out << " } (row:col)";
    return out.str();
}

Cells shifted(const Cells& cells, int rows, int cols) {
    Cells result;
    for (const Cell& cell : cells) {
        result.insert({cell.row + rows, cell.col + cols});
    }
    return result;
}

namespace {

struct Bounds {
    int lowRow = kFieldSide, highRow = -1, leftCol = kFieldSide, rightCol = -1;
};

Bounds boundsOf(const Cells& cells) {
    Bounds b;
    for (const Cell& cell : cells) {
        b.lowRow = std::min(b.lowRow, cell.row);
        b.highRow = std::max(b.highRow, cell.row);
        b.leftCol = std::min(b.leftCol, cell.col);
        b.rightCol = std::max(b.rightCol, cell.col);
    }
    return b;
}

}  // namespace

int lowestRow(const Cells& cells) {
    return boundsOf(cells).lowRow;
}
int highestRow(const Cells& cells) {
    return boundsOf(cells).highRow;
}
int leftmostCol(const Cells& cells) {
    return boundsOf(cells).leftCol;
}
int rightmostCol(const Cells& cells) {
    return boundsOf(cells).rightCol;
}

Cells normalised(const Cells& cells) {
    return shifted(cells, -lowestRow(cells), -leftmostCol(cells));
}

namespace {

// Pixel column of clip x, and pixel row (from the top) of clip y.
int pixelX(const Frame& frame, double x) {
    int px = static_cast<int>(std::floor((x + 1) / 2 * frame.width()));
    return std::clamp(px, 0, frame.width() - 1);
}

int pixelY(const Frame& frame, double y) {
    int fromBottom = static_cast<int>(std::floor((y + 1) / 2 * frame.height()));
    return std::clamp(frame.height() - 1 - fromBottom, 0, frame.height() - 1);
}

// Pixel edges of a cell: [left, right) and [top, bottom) from the top left.
struct Box {
    int left, right, top, bottom;
};

Box cellBox(const Frame& frame, Cell cell) {
    double w = frame.width() / static_cast<double>(kFieldSide);
    double h = frame.height() / static_cast<double>(kFieldSide);
    Box box;
    box.left = static_cast<int>(std::lround(cell.col * w));
    box.right = static_cast<int>(std::lround((cell.col + 1) * w));
    box.bottom = frame.height() - static_cast<int>(std::lround(cell.row * h));
    box.top = frame.height() - static_cast<int>(std::lround((cell.row + 1) * h));
    return box;
}

// A 2-pixel line along a pixel edge covers the pixels on both sides of it.
bool blackNear(const Frame& frame, int x, int y, bool vertical) {
    for (int d = -2; d <= 1; ++d) {
        int px = vertical ? x + d : x;
        int py = vertical ? y : y + d;
        if (px < 0 || py < 0 || px >= frame.width() || py >= frame.height()) {
            continue;
        }
        if (frame.at(px, py).near(kBlack, 8)) {
            return true;
        }
    }
    return false;
}

}  // namespace

Rgb clipPixel(const Frame& frame, double x, double y) {
    return frame.at(pixelX(frame, x), pixelY(frame, y));
}

Rgb cellCentre(const Frame& frame, Cell cell) {
    return clipPixel(frame, cell.col * 0.1 - 0.95, cell.row * 0.1 - 0.95);
}

::testing::AssertionResult fitsInto(const Geometry& window, const Geometry& client,
                                    const Geometry& area) {
    if (window.x < area.x || window.y < area.y || window.x + window.width > area.x + area.width ||
        window.y + window.height > area.y + area.height) {
        return ::testing::AssertionFailure() << "the window, " << window << ", leaves " << area;
    }
    if (std::abs(client.height - client.width * double(kWindowHeight) / kWindowWidth) > 1.0) {
        return ::testing::AssertionFailure() << "a client area of " << client << " is not 1280:860";
    }
    return ::testing::AssertionSuccess();
}

bool isOutlinedCell(const Frame& frame, Cell cell, Rgb fill, std::string* why) {
    std::ostringstream reason;
    Box box = cellBox(frame, cell);
    // Inside the outline the fill is plain.
    for (int y = box.top + 3; y < box.bottom - 3; ++y) {
        for (int x = box.left + 3; x < box.right - 3; ++x) {
            if (!frame.at(x, y).near(fill, 2)) {
                reason << cell << " pixel (" << x << "," << y << ") is " << frame.at(x, y)
                       << ", fill should be " << fill;
                *why = reason.str();
                return false;
            }
        }
    }
    // Each side has its black line, sampled at a quarter, half and three
    // quarters of its length.
    for (int k = 1; k <= 3; ++k) {
        int x = box.left + (box.right - box.left) * k / 4;
        int y = box.top + (box.bottom - box.top) * k / 4;
        struct {
            const char* name;
            int x, y;
            bool vertical;
        } sides[] = {{"left", box.left, y, true},
                     {"right", box.right, y, true},
                     {"top", x, box.top, false},
                     {"bottom", x, box.bottom, false}};
        for (const auto& side : sides) {
            if (!blackNear(frame, side.x, side.y, side.vertical)) {
                reason << cell << " has no black outline on its " << side.name << " side near ("
                       << side.x << "," << side.y << ")";
                *why = reason.str();
                return false;
            }
        }
    }
    return true;
}

::testing::AssertionResult sameBackground(const Frame& a, const Frame& b, int tolerance) {
    std::vector<bool> masked(static_cast<size_t>(a.width()) * a.height(), false);
    double w = a.width() / static_cast<double>(kFieldSide);
    double h = a.height() / static_cast<double>(kFieldSide);
    for (const Cells& blocks : {blockCells(a), blockCells(b)}) {
        for (const Cell& cell : blocks) {
            int left = static_cast<int>(cell.col * w) - 2;
            int right = static_cast<int>((cell.col + 1) * w) + 2;
            int top = a.height() - static_cast<int>((cell.row + 1) * h) - 2;
            int bottom = a.height() - static_cast<int>(cell.row * h) + 2;
            for (int y = std::max(top, 0); y < std::min(bottom, a.height()); ++y) {
                for (int x = std::max(left, 0); x < std::min(right, a.width()); ++x) {
                    masked[static_cast<size_t>(y) * a.width() + x] = true;
                }
            }
        }
    }
    int differing = 0;
    std::ostringstream first;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!masked[static_cast<size_t>(y) * a.width() + x] &&
                !a.at(x, y).near(b.at(x, y), tolerance)) {
                if (differing++ == 0) {
                    first << "first at (" << x << "," << y << "): " << a.at(x, y) << " vs "
                          << b.at(x, y);
                }
            }
        }
    }
    if (differing) {
        return ::testing::AssertionFailure() << differing << " pixels differ, " << first.str();
    }
    return ::testing::AssertionSuccess();
}

Cells blockCells(const Frame& frame) {
    Cells cells;
    for (int row = 0; row < kFieldSide; ++row) {
        for (int col = 0; col < kFieldSide; ++col) {
            if (cellCentre(frame, {row, col}).near(kBlockColour, 2)) {
                cells.insert({row, col});
            }
        }
    }
    return cells;
}

//----------------------------------------------------------------------------
// GameTest
//----------------------------------------------------------------------------

void GameTest::SetUp() {
    if (testsTheWindowsBuild()) {
        // Wine's server stays a few seconds after the last game has gone,
        // tied to that game's screen, which is gone too; a game started
        // meanwhile would join it and have no screen. Waits for it to end
        // (at once when none runs).
        ChildProcess server({"wineserver", "-w"}, {});
        server.closeInput();
        server.waitForExit(Millis(60000));
    }
    screen_ = std::make_unique<VirtualScreen>(1920, 1200);
    x_ = std::make_unique<XSession>(screen_->name());
}

void GameTest::useScreen(int width, int height) {
    game_.reset();
    x_.reset();
    screen_ = std::make_unique<VirtualScreen>(width, height);
    x_ = std::make_unique<XSession>(screen_->name());
}

int GameTest::stackToTheTop(int* presses) {
    // The next blocked gravity step once the stack reaches the top ends the
    // game. Each piece rests on the one below, so the rows from the floor up
    // are all occupied as far as the stack goes. Far more presses than the
    // stack needs (some 400) are allowed, however slowly they come.
    int tallest = 0;
    *presses = 0;
    while (game_->running() && *presses < 1500) {
        press("s");
        ++*presses;
        if (auto frame = x_->grab(window_)) {
            Cells blocks = blockCells(*frame);
            int height = 0;
            while (height + 1 < kFieldSide &&
                   std::any_of(blocks.begin(), blocks.end(),
                               [&](const Cell& c) { return c.row == height + 1; })) {
                ++height;
            }
            tallest = std::max(tallest, height);
        }
        std::this_thread::sleep_for(Millis(5));
    }
    return tallest;
}

void GameTest::TearDown() {
    if (HasFailure() && lastFrame_) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string path = std::string(info->test_suite_name()) + "." + info->name() + ".ppm";
        std::replace(path.begin(), path.end(), '/', '_');
        if (lastFrame_->savePpm(path)) {
            std::cout << "last frame seen: " << path << "\n";
        }
    }
    game_.reset();
    x_.reset();
    screen_.reset();
}

std::vector<std::string> gameCommand() {
    std::vector<std::string> command;
    const char* launcher = std::getenv("ZQ_GAME_LAUNCHER");
    if (launcher && *launcher) {
        command.push_back(launcher);
    }
    const char* path = std::getenv("ZQ_GAME_PATH");
    command.push_back(path && *path ? path : ZQ_GAME_PATH);
    return command;
}

bool testsTheWindowsBuild() {
    const std::string program = gameCommand().back();
    return program.size() > 4 && program.compare(program.size() - 4, 4, ".exe") == 0;
}

std::string pipedPrompt() {
    return kPromptGbk.substr(0, kPromptGbk.size() - 1) + (testsTheWindowsBuild() ? "\r\n" : "\n");
}

std::unique_ptr<ChildProcess> GameTest::launch(const EnvChanges& env,
                                               const std::vector<std::string>& command) {
    EnvChanges all = {{"LC_ALL", std::string("C")}};
    for (const auto& [name, value] : env) {
        all[name] = value;
    }
    all["DISPLAY"] = screen_->name();
    return std::make_unique<ChildProcess>(command, all);
}

void GameTest::start(const std::optional<std::string>& input, const EnvChanges& env,
                     const std::vector<std::string>& command) {
    game_ = launch(env, command);
    if (input) {
        game_->writeInput(*input);
    }
    game_->closeInput();
    ASSERT_TRUE(awaitWindow());
}

::testing::AssertionResult GameTest::awaitWindow(Millis timeout) {
    auto deadline = Clock::now() + timeout;
    auto window = x_->waitForWindow(kTitle, timeout);
    if (!window) {
        return ::testing::AssertionFailure() << "no window titled \"" << kTitle
                                             << "\" appeared within " << timeout.count() << " ms";
    }
    window_ = *window;
    auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
    auto drawn = waitForFrame(
        [](const Frame& f) {
            return cellCentre(f, {0, 10}).near(kFloorColour, 2);
        },
        std::max(left, Millis(1000)));
    if (!drawn) {
        return ::testing::AssertionFailure() << "the window never showed the floor row";
    }
    return ::testing::AssertionSuccess();
}

Frame GameTest::grab() {
    auto frame = x_->grab(window_);
    if (!frame) {
        throw std::runtime_error("the game's window is gone");
    }
    lastFrame_ = frame;
    return *frame;
}

Frame GameTest::grabSettled() {
    Frame previous = grab();
    for (int attempt = 0; attempt < 50; ++attempt) {
        Frame next = grab();
        if (next == previous) {
            return next;
        }
        previous = next;
    }
    throw std::runtime_error("the picture never held still for two reads");
}

std::optional<Frame> GameTest::waitForFrame(const std::function<bool(const Frame&)>& accept,
                                            Millis timeout) {
    auto deadline = Clock::now() + timeout;
    for (;;) {
        auto frame = x_->grab(window_);
        if (frame) {
            lastFrame_ = frame;
            if (accept(*frame)) {
                return frame;
            }
        }
        if (Clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(Millis(5));
    }
}

void GameTest::press(const std::string& keys) {
    for (char c : keys) {
        if (c >= 'a' && c <= 'z') {
            x_->tap(window_, XK_a + (c - 'a'));
        } else if (c >= 'A' && c <= 'Z') {
            x_->tap(window_, XK_a + (c - 'A'), true);
        } else if (c == ' ') {
            x_->tap(window_, XK_space);
        } else if (c == '\x1b') {
            x_->tap(window_, XK_Escape);
        } else {
            throw std::invalid_argument(std::string("no key for '") + c + "'");
        }
    }
}

std::optional<GameTest::Step> GameTest::waitForChange(const Cells& before, Millis timeout) {
    Cells now;
    auto frame = waitForFrame(
        [&](const Frame& f) {
            now = blockCells(f);
            return now != before;
        },
        timeout);
    if (!frame) {
        return std::nullopt;
    }
    return Step{now, Clock::now()};
}

::testing::AssertionResult GameTest::afterGravityStep(
    const std::function<::testing::AssertionResult(const Cells& piece)>& act) {
    auto step = waitForChange(blockCells(grab()), Millis(10000));
    if (!step) {
        return ::testing::AssertionFailure() << "no gravity step within 10 s";
    }
    stepSeen_ = step->seen;
    return act(step->cells);
}

int GameTest::gravityRowsSinceStep() const {
    return 2 + static_cast<int>(secondsSince(stepSeen_));
}

}  // namespace e2e
