// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Playing the game: gravity, landing, full rows, and the end of the game.
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <iostream>
#include <thread>

#include "game_fixture.h"

namespace e2e {
namespace {

using PlayTest = GameTest;

// Every shape as it is placed at the top of the field.
const std::array<Cells, 7> kSpawnLayouts = {{
    {{19, 10}, {18, 10}, {17, 10}, {16, 10}},  // bar
    {{19, 9}, {19, 10}, {18, 9}, {18, 10}},    // square
    {{19, 9}, {18, 8}, {18, 9}, {18, 10}},     // T
    {{19, 9}, {19, 10}, {18, 10}, {18, 11}},   // Z
    {{19, 9}, {19, 10}, {18, 8}, {18, 9}},     // S
    {{19, 9}, {18, 9}, {17, 9}, {17, 10}},     // L
    {{19, 10}, {18, 10}, {17, 9}, {17, 10}},   // J
}};

// A freshly placed piece, possibly one gravity step down already.
bool isNewPiece(const Cells& cells) {
    for (const Cells& layout : kSpawnLayouts) {
        if (cells == layout || cells == shifted(layout, -1, 0)) {
            return true;
        }
    }
    return false;
}

Cells unite(const Cells& a, const Cells& b) {
    Cells result = a;
    result.insert(b.begin(), b.end());
    return result;
}

Cells without(const Cells& a, const Cells& b) {
    Cells result;
    for (const Cell& cell : a) {
        if (!b.count(cell)) {
            result.insert(cell);
        }
    }
    return result;
}

bool contains(const Cells& a, const Cells& b) {
    return without(b, a).empty();
}

TEST_F(PlayTest, GravityLowersThePieceOneRowEachSecond) {
    start("2\n");
    // Row by row, three steps after the first one seen. A busy machine may
    // run the timer late, never early: only the moment the first step was
    // seen can be late, and it would take a second and a half late to make
    // the three look quicker than half a second each.
    Cells piece = blockCells(grab());
    auto first = waitForChange(piece, Millis(10000));
    ASSERT_TRUE(first) << "the piece did not fall";
    EXPECT_EQ(first->cells, shifted(piece, -1, 0)) << describe(first->cells);
    Step last = *first;
    for (int step = 0; step < 3; ++step) {
        auto next = waitForChange(last.cells, Millis(10000));
        ASSERT_TRUE(next) << "the piece stopped falling";
        EXPECT_EQ(next->cells, shifted(last.cells, -1, 0)) << describe(next->cells);
        last = *next;
    }
    double period = std::chrono::duration<double>(last.seen - first->seen).count() / 3;
    std::cout << "gravity steps seen " << period << " s apart\n";
    EXPECT_GT(period, 0.5);
}

TEST_F(PlayTest, LandedPieceStaysAndTheNextAppearsAtTheTop) {
    start("2\n");
    // Steer the T one column left, bring it near the floor with `s`, and let
    // gravity land it.
    Cells piece = blockCells(grab());
    press("a");
    press(std::string(lowestRow(piece) - 2, 's'));
    const Cells landed = {{2, 8}, {1, 7}, {1, 8}, {1, 9}};
    Cells seen;
    auto frame = waitForFrame(
        [&](const Frame& f) {
            seen = blockCells(f);
            return contains(seen, landed) && without(seen, landed).size() == 4;
        },
        Millis(10000));
    ASSERT_TRUE(frame) << "no landing with a next piece; last seen " << describe(seen);
    Cells next = without(seen, landed);
    EXPECT_TRUE(isNewPiece(next)) << "next piece " << describe(next);
    std::string why;
    for (const Cell& cell : landed) {
        EXPECT_TRUE(isOutlinedCell(*frame, cell, kBlockColour, &why)) << why;
    }

    // The landed T stays while the next piece falls and is steered.
    auto step = waitForChange(seen, Millis(10000));
    ASSERT_TRUE(step);
    EXPECT_TRUE(contains(step->cells, landed)) << describe(step->cells);
    EXPECT_EQ(without(step->cells, landed), shifted(next, -1, 0));
    press("dd");
    auto moved = waitForChange(step->cells, Millis(10000));
    ASSERT_TRUE(moved);
    EXPECT_TRUE(contains(moved->cells, landed)) << describe(moved->cells);
}

//----------------------------------------------------------------------------
// Clearing rows: a small player that reads the board off the screen, learns
// each piece's turns by trying them, and places it where the stack stays
// flat, until a full row has gone.
//----------------------------------------------------------------------------

// Full rows (1 to 19) removed, the rows above them moved down.
Cells withFullRowsRemoved(const Cells& board, int* removed) {
    Cells result;
    *removed = 0;
    int drop = 0;
    for (int row = 1; row < kFieldSide; ++row) {
        int count = 0;
        for (const Cell& cell : board) {
            count += cell.row == row;
        }
        if (count == kFieldSide) {
            ++drop;
            continue;
        }
        for (const Cell& cell : board) {
            if (cell.row == row) {
                result.insert({row - drop, cell.col});
            }
        }
    }
    *removed = drop;
    return result;
}

// Where a piece of this (normalised) shape comes to rest when dropped
// straight down in these columns; empty when it does not fit at the top.
Cells restingPlace(const Cells& board, const Cells& shape, int col) {
    auto fits = [&](int row) {
        for (const Cell& cell : shape) {
            if (cell.row + row < 1 || board.count({cell.row + row, cell.col + col})) {
                return false;
            }
        }
        return true;
    };
    int row = kFieldSide - 1 - highestRow(shape);
    if (!fits(row)) {
        return {};
    }
    while (fits(row - 1)) {
        --row;
    }
    return shifted(shape, row, col);
}

// Higher is better: the piece as low as it goes, no holes left under it, a
// flat top, and rows cleared. Filling the lowest rows first brings the first
// full row after about ten pieces, and rarely more than forty.
double placementScore(const Cells& boardAfter, int rowsCleared, const Cells& piece) {
    std::array<int, kFieldSide> heights{};
    for (const Cell& cell : boardAfter) {
        heights[cell.col] = std::max(heights[cell.col], cell.row);
    }
    int holes = 0, bumps = 0, pieceHeight = 0;
    for (int col = 0; col < kFieldSide; ++col) {
        for (int row = 1; row < heights[col]; ++row) {
            holes += boardAfter.count({row, col}) == 0;
        }
        if (col > 0) {
            bumps += std::abs(heights[col] - heights[col - 1]);
        }
    }
    for (const Cell& cell : piece) {
        pieceHeight += cell.row;
    }
    return 5.0 * rowsCleared - 8.0 * holes - 0.5 * bumps - pieceHeight;
}

class ClearingTest : public GameTest {
  protected:
    Cells board_;  // landed blocks, as last seen

    // The falling piece: the blocks on screen that are not in the board.
    ::testing::AssertionResult currentPiece(Cells* piece) {
        Cells seen = blockCells(grab());
        *piece = without(seen, board_);
        if (!contains(seen, board_) || piece->size() != 4) {
            return ::testing::AssertionFailure()
                   << "cannot tell the piece from the board: seen " << describe(seen) << ", board "
                   << describe(board_);
        }
        return ::testing::AssertionSuccess();
    }

    // Waits until the falling piece satisfies `accept`.
    std::optional<Cells> waitForPiece(const std::function<bool(const Cells&)>& accept,
                                      Millis timeout) {
        Cells piece;
        auto frame = waitForFrame(
            [&](const Frame& f) {
                Cells seen = blockCells(f);
                piece = without(seen, board_);
                return contains(seen, board_) && piece.size() == 4 && accept(piece);
            },
            timeout);
        return frame ? std::optional<Cells>(piece) : std::nullopt;
    }

    // Plays one piece. Returns the number of rows it cleared through
    // `rowsCleared`, and whether any block stood above a cleared row (so
    // that the drop of the rows above was seen).
    void playOnePiece(int* rowsCleared, bool* rowsDropped) {
        std::time_t seenIn = std::time(nullptr);
        Cells piece;
        ASSERT_TRUE(currentPiece(&piece));
        ASSERT_LT(highestRow(board_), 12) << "the stack grew too high to steer";

        // Room above for the turns.
        if (highestRow(piece) > 17) {
            press(std::string(highestRow(piece) - 17, 's'));
            auto lowered =
                waitForPiece([](const Cells& p) { return highestRow(p) <= 17; }, Millis(10000));
            ASSERT_TRUE(lowered) << "the piece did not come down";
            piece = *lowered;
        }

        // Learn the turns: turn until the first shape comes back. The square
        // is not turned: a turn changes nothing there, and nothing can show
        // that a turn has been handled.
        std::vector<Cells> shapes = {normalised(piece)};
        int current = 0;
        const Cells square = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
        for (int turn = 1; turn <= 4 && shapes.front() != square; ++turn) {
            press("w");
            Cells before = shapes.back();
            auto turned = waitForPiece([&](const Cells& p) { return normalised(p) != before; },
                                       Millis(10000));
            ASSERT_TRUE(turned) << "the piece did not turn from " << describe(before);
            if (normalised(*turned) == shapes.front()) {
                current = 0;
                break;
            }
            shapes.push_back(normalised(*turned));
            current = static_cast<int>(shapes.size()) - 1;
        }
        int orientations = static_cast<int>(shapes.size());

        // Pick the best place for any shape that can be reached.
        double bestScore = -1e9;
        int bestShape = -1, bestCol = 0;
        for (int s = 0; s < orientations; ++s) {
            for (int col = 0; col + rightmostCol(shapes[s]) < kFieldSide; ++col) {
                Cells rest = restingPlace(board_, shapes[s], col);
                if (rest.empty()) {
                    continue;
                }
                int cleared = 0;
                double score = placementScore(withFullRowsRemoved(unite(board_, rest), &cleared),
                                              cleared, rest);
                if (score > bestScore) {
                    bestScore = score;
                    bestShape = s;
                    bestCol = col;
                }
            }
        }
        ASSERT_GE(bestShape, 0) << "no place for the piece";

        // Shapes are drawn from a generator seeded with the clock second, so
        // pieces placed within one second share their shape, and a quick
        // player would get runs of one awkward shape. Landing only in a later
        // second gives every piece a draw of its own.
        while (std::time(nullptr) <= seenIn) {
            std::this_thread::sleep_for(Millis(10));
        }

        press(std::string((bestShape - current + orientations) % orientations, 'w'));
        auto turned = waitForPiece(
            [&](const Cells& p) { return normalised(p) == shapes[bestShape]; }, Millis(10000));
        ASSERT_TRUE(turned) << "the piece did not turn to " << describe(shapes[bestShape]);
        int shift = bestCol - leftmostCol(*turned);
        press(std::string(std::abs(shift), shift < 0 ? 'a' : 'd'));
        auto placed = waitForPiece(
            [&](const Cells& p) {
                return normalised(p) == shapes[bestShape] && leftmostCol(p) == bestCol;
            },
            Millis(10000));
        ASSERT_TRUE(placed) << "the piece did not reach column " << bestCol;

        // Drop it with `s`: all but the last step at once, so that a gravity
        // step on the way cannot make the burst land it and run on into the
        // next piece; then one press at a time, each after its effect is seen.
        Cells rest = restingPlace(board_, shapes[bestShape], bestCol);
        int cleared = 0;
        Cells expected = withFullRowsRemoved(unite(board_, rest), &cleared);
        int above = lowestRow(*placed) - lowestRow(rest);
        if (above > 1) {
            press(std::string(above - 1, 's'));
            above = 1;
        }
        // Landed: the expected board and a new piece at the top.
        Cells seen;
        auto hasLanded = [&](const Frame& f) {
            seen = blockCells(f);
            Cells next = without(seen, expected);
            return contains(seen, expected) && next.size() == 4 && lowestRow(next) >= 14;
        };
        auto risingBy = [&](const Frame& f, int rows) {
            return blockCells(f) == unite(board_, shifted(rest, rows, 0));
        };
        for (;;) {
            auto frame = waitForFrame(
                [&](const Frame& f) {
                    return hasLanded(f) || risingBy(f, 0) || (above == 1 && risingBy(f, 1));
                },
                Millis(10000));
            ASSERT_TRUE(frame) << "the piece never came down to " << describe(rest)
                               << "; last seen " << describe(seen);
            if (hasLanded(*frame)) {
                break;
            }
            press("s");
            if (risingBy(*frame, 1)) {
                above = 0;
                continue;
            }
            auto landed = waitForFrame(hasLanded, Millis(10000));
            ASSERT_TRUE(landed) << "after landing at " << describe(rest) << " expected board "
                                << describe(expected) << " and a new piece; last seen "
                                << describe(seen);
            break;
        }
        std::string why;
        for (const Cell& cell : expected) {
            ASSERT_TRUE(isOutlinedCell(*lastFrame_, cell, kBlockColour, &why)) << why;
        }

        *rowsCleared = cleared;
        *rowsDropped = false;
        if (cleared) {
            int lowestFull = kFieldSide;
            Cells all = unite(board_, rest);
            for (int row = 1; row < kFieldSide; ++row) {
                int count = 0;
                for (const Cell& cell : all)
                    count += cell.row == row;
                if (count == kFieldSide) {
                    lowestFull = std::min(lowestFull, row);
                }
            }
            *rowsDropped = highestRow(expected) >= lowestFull;
        }
        board_ = expected;
    }
};

TEST_F(ClearingTest, FullRowVanishesAndTheRowsAboveDrop) {
    start("2\n");
    auto deadline = Clock::now() + std::chrono::seconds(90);
    int pieces = 0, clears = 0;
    bool droppedSeen = false;
    while (!droppedSeen && Clock::now() < deadline && pieces < 60) {
        int cleared = 0;
        bool dropped = false;
        ASSERT_NO_FATAL_FAILURE(playOnePiece(&cleared, &dropped)) << "piece " << pieces + 1;
        ++pieces;
        clears += cleared;
        droppedSeen = dropped;
    }
    std::cout << "played " << pieces << " pieces, " << clears << " rows cleared\n";
    EXPECT_TRUE(droppedSeen) << "no row was cleared under other blocks";
}

//----------------------------------------------------------------------------
// End of the game
//----------------------------------------------------------------------------

TEST_F(PlayTest, StackReachingTheTopEndsTheGameWithStatusOne) {
    start("2\n");
    int presses = 0;
    const int tallest = stackToTheTop(&presses);
    auto status = game_->waitForExit(Millis(10000));
    ASSERT_TRUE(status) << "the game still runs after " << presses << " presses of s";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << describeWaitStatus(*status);
    std::cout << "stack " << tallest << " rows high after " << presses << " presses of s\n";
    // It ended with the stack near the top, not before.
    EXPECT_GE(tallest, 15);
    EXPECT_FALSE(x_->windowExists(window_));
    EXPECT_FALSE(x_->findWindow(kTitle));
    EXPECT_EQ(game_->output(), pipedPrompt()) << "the end of the game must write nothing";
}

}  // namespace
}  // namespace e2e
