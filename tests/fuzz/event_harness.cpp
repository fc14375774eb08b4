// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "event_harness.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "collision.h"
#include "display.h"
#include "fractal.h"
#include "fresh_game.h"
#include "gravity.h"
#include "keyboard.h"
#include "recording_gl.h"
#include "state.h"

//----------------------------------------------------------------------------
// Counting lockPiece calls. The harness is linked with
// -Wl,--wrap=_Z9lockPiecev, so every call of lockPiece() made by the key and
// timer code comes here first and then goes on to the real function.
//----------------------------------------------------------------------------
namespace {
long long lockCount = 0;
}  // namespace

extern "C" void __real__Z9lockPiecev();
extern "C" void __wrap__Z9lockPiecev() {
    ++lockCount;
    __real__Z9lockPiecev();
}

namespace fuzz {

namespace {

//----------------------------------------------------------------------------
// The cell-level model: cells, collisions, turns and locking, from the rules.
//----------------------------------------------------------------------------

struct Cell {
    int column;
    int row;
};

bool operator==(Cell a, Cell b) {
    return a.column == b.column && a.row == b.row;
}

std::string text(Cell cell) {
    return "(" + std::to_string(cell.column) + ", " + std::to_string(cell.row) + ")";
}

std::string text(const Cell (&cells)[4]) {
    return text(cells[0]) + " " + text(cells[1]) + " " + text(cells[2]) + " " + text(cells[3]);
}

const int kOrientations[7] = {2, 1, 4, 2, 2, 4, 4};

// Cells (column, row) of blocks 0 to 3 in every orientation, for a piece that
// is turned where it spawned. A turn maps these onto each other, and a piece
// that has moved holds the same layout shifted by whole cells.
const Cell kLayouts[7][4][4] = {
    {{{10, 19}, {10, 18}, {10, 17}, {10, 16}},  // bar
     {{9, 18}, {10, 18}, {11, 18}, {12, 18}}},
    {{{9, 19}, {10, 19}, {9, 18}, {10, 18}}},  // square
    {{{9, 19}, {8, 18}, {9, 18}, {10, 18}},    // T
     {{9, 19}, {9, 18}, {10, 18}, {9, 17}},
     {{8, 18}, {9, 18}, {10, 18}, {9, 17}},
     {{9, 19}, {8, 18}, {9, 18}, {9, 17}}},
    {{{9, 19}, {10, 19}, {10, 18}, {11, 18}},  // Z
     {{11, 20}, {10, 19}, {11, 19}, {10, 18}}},
    {{{9, 19}, {10, 19}, {8, 18}, {9, 18}},  // S
     {{8, 20}, {8, 19}, {9, 19}, {9, 18}}},
    {{{9, 19}, {9, 18}, {9, 17}, {10, 17}},  // L
     {{9, 18}, {10, 18}, {11, 18}, {9, 17}},
     {{9, 19}, {10, 19}, {10, 18}, {10, 17}},
     {{11, 18}, {9, 17}, {10, 17}, {11, 17}}},
    {{{10, 19}, {10, 18}, {9, 17}, {10, 17}},  // J
     {{8, 18}, {8, 17}, {9, 17}, {10, 17}},
     {{9, 19}, {10, 19}, {9, 18}, {9, 17}},
     {{8, 18}, {9, 18}, {10, 18}, {10, 17}}},
};

// A coordinate in cells: (c + 1) * 10 in single precision, as positions are
// scaled. Positions stay within a few last bits of grid points.
double scaled(float coordinate) {
    float v = coordinate + 1.0f;
    v = v * 10.0f;
    return v;
}

// Farther than this from a grid point (in cells) counts as drift: the moves
// only ever add or subtract single-precision tenths, so real positions stay
// far closer, and the conversions decide half a cell away.
constexpr double kDriftLimit = 1e-3;

Cell cellOf(const float (&piece)[5][3], int block) {
    return {static_cast<int>(std::lround(scaled(piece[block][0]))),
            static_cast<int>(std::lround(scaled(piece[block][1])))};
}

void cellsOf(const float (&piece)[5][3], Cell (&cells)[4]) {
    for (int k = 0; k < 4; ++k) {
        cells[k] = cellOf(piece, k);
    }
}

void moveCells(const Cell (&from)[4], int dc, int dr, Cell (&to)[4]) {
    for (int k = 0; k < 4; ++k) {
        to[k] = {from[k].column + dc, from[k].row + dr};
    }
}

bool sameCells(const Cell (&a)[4], const Cell (&b)[4]) {
    for (int k = 0; k < 4; ++k) {
        if (!(a[k] == b[k])) {
            return false;
        }
    }
    return true;
}

// The board as the 625 cells a position indexes into; an element outside them
// counts as occupied, and with the side test a column outside 0 to 19 does too.
bool occupied(const int (&board)[25][25], Cell cell, bool sides) {
    if (sides && (cell.column < 0 || cell.column > 19)) {
        return true;
    }
    long long index = static_cast<long long>(cell.row) * 25 + cell.column;
    return index < 0 || index >= 625 || (&board[0][0])[index] == 1;
}

bool blocked(const int (&board)[25][25], const Cell (&cells)[4], bool sides) {
    for (const Cell& cell : cells) {
        if (occupied(board, cell, sides)) {
            return true;
        }
    }
    return false;
}

// Writes the four blocks as locking does (a block left of the field lands in
// column 0 of its row), then, if some row of 1 to 19 is full, keeps only the
// partial rows, in order, from row 1 up. Returns the number of full rows.
int lockInto(int (&board)[25][25], const Cell (&cells)[4]) {
    for (const Cell& cell : cells) {
        int column = static_cast<int>(cell.column + 0.5);  // -1 truncates to 0
        long long index = static_cast<long long>(cell.row) * 25 + column;
        if (index >= 0 && index < 625) {
            (&board[0][0])[index] = 1;
        }
    }
    int partial[19][20];
    int kept = 0;
    int full = 0;
    for (int row = 1; row < 20; ++row) {
        int count = 0;
        for (int column = 0; column < 20; ++column) {
            count += board[row][column] == 1;
        }
        if (count == 20) {
            ++full;
        } else if (count > 0) {
            std::memcpy(partial[kept++], board[row], sizeof partial[0]);
        }
    }
    if (full > 0) {
        for (int row = 1; row < 20; ++row) {
            if (row <= kept) {
                std::memcpy(board[row], partial[row - 1], sizeof partial[0]);
            } else {
                std::memset(board[row], 0, sizeof partial[0]);
            }
        }
    }
    return full;
}

//----------------------------------------------------------------------------
// Comparisons and messages
//----------------------------------------------------------------------------

bool samePiece(const GameImage& a, const GameImage& b) {
    return std::memcmp(a.currentPiece, b.currentPiece, sizeof a.currentPiece) == 0;
}

bool sameBoard(const int (&a)[25][25], const int (&b)[25][25]) {
    return std::memcmp(a, b, sizeof a) == 0;
}

bool sameCounters(const GameImage& a, const GameImage& b) {
    return std::memcmp(a.rotationState, b.rotationState, sizeof a.rotationState) == 0;
}

std::string boardDifference(const int (&actual)[25][25], const int (&expected)[25][25]) {
    for (int row = 0; row < 25; ++row) {
        for (int column = 0; column < 25; ++column) {
            if (actual[row][column] != expected[row][column]) {
                return "board cell (row " + std::to_string(row) + ", column " +
                       std::to_string(column) + ") holds " + std::to_string(actual[row][column]) +
                       ", expected " + std::to_string(expected[row][column]);
            }
        }
    }
    return "";
}

// Everything but the stand-in's counters is as it was.
std::string unchanged(const GameImage& before, const GameImage& after, const char* why) {
    std::string reason = std::string(" although ") + why;
    if (after.pieceType != before.pieceType) {
        return "pieceType changed" + reason;
    }
    if (!samePiece(before, after)) {
        return "the piece moved" + reason;
    }
    if (!sameCounters(before, after)) {
        return "an orientation counter changed" + reason;
    }
    if (after.pieceLanded != before.pieceLanded) {
        return "pieceLanded changed" + reason;
    }
    if (!sameBoard(before.board, after.board)) {
        return "the board changed" + reason + ": " + boardDifference(after.board, before.board);
    }
    if (after.locks != before.locks) {
        return "lockPiece ran" + reason;
    }
    return "";
}

std::string expectCells(const GameImage& after, const Cell (&expected)[4], const char* move) {
    Cell cells[4];
    cellsOf(after.currentPiece, cells);
    if (!sameCells(cells, expected)) {
        return std::string("after ") + move + " the piece is in " + text(cells) + ", expected " +
               text(expected);
    }
    return "";
}

// A step down by the `s` key or by gravity (which the game did not end).
std::string checkStepDown(const GameImage& before, const GameImage& after, bool gravity) {
    const char* move = gravity ? "the gravity step" : "key s";
    Cell cells[4], lower[4];
    cellsOf(before.currentPiece, cells);
    moveCells(cells, 0, -1, lower);
    if (!sameCounters(before, after) || after.pieceType != before.pieceType) {
        return std::string(move) + " changed the shape or an orientation counter";
    }
    for (int k = 0; k < 4; ++k) {
        if (std::memcmp(&after.currentPiece[k][0], &before.currentPiece[k][0], sizeof(float))) {
            return std::string(move) + " changed the x of block " + std::to_string(k);
        }
    }
    if (!blocked(before.board, lower, false)) {
        if (after.pieceLanded || after.locks != before.locks ||
            !sameBoard(before.board, after.board)) {
            return std::string(move) + " into free cells " + text(lower) +
                   " landed the piece or changed the board";
        }
        return expectCells(after, lower, move);
    }
    // Blocked: back in its row, landed, and locked exactly once.
    std::string moved = expectCells(after, cells, move);
    if (!moved.empty()) {
        return moved + " (the step down was blocked)";
    }
    if (!after.pieceLanded) {
        return std::string(move) + " was blocked but the piece did not land";
    }
    if (gravity && cells[0].row >= 19) {
        return "the gravity step was blocked with block 0 in row " + std::to_string(cells[0].row) +
               ", but the game went on";
    }
    if (after.locks != before.locks + 1) {
        return std::string(move) + " landed the piece with " +
               std::to_string(after.locks - before.locks) + " calls of lockPiece, expected 1";
    }
    GameImage expected = before;
    lockInto(expected.board, cells);
    std::string board = boardDifference(after.board, expected.board);
    if (!board.empty()) {
        return "after the piece in " + text(cells) + " was locked, " + board;
    }
    return "";
}

std::string checkShift(const GameImage& before, const GameImage& after, int dc) {
    const char* move = dc < 0 ? "key a" : "key d";
    if (after.pieceType != before.pieceType || !sameCounters(before, after) || after.pieceLanded ||
        after.locks != before.locks || !sameBoard(before.board, after.board)) {
        return std::string(move) + " changed more than the piece's x";
    }
    for (int k = 0; k < 4; ++k) {
        if (std::memcmp(&after.currentPiece[k][1], &before.currentPiece[k][1], sizeof(float))) {
            return std::string(move) + " changed the y of block " + std::to_string(k);
        }
    }
    Cell cells[4], shifted[4];
    cellsOf(before.currentPiece, cells);
    moveCells(cells, dc, 0, shifted);
    return expectCells(after, blocked(before.board, shifted, true) ? cells : shifted, move);
}

std::string checkTurn(const GameImage& before, const GameImage& after) {
    int shape = before.pieceType;
    int counter = before.rotationState[shape];
    if (after.pieceType != shape || after.pieceLanded || after.locks != before.locks ||
        !sameBoard(before.board, after.board)) {
        return "key w changed more than the piece and its counter";
    }
    for (int other = 0; other < 7; ++other) {
        if (other != shape && after.rotationState[other] != before.rotationState[other]) {
            return "key w changed the counter of shape " + std::to_string(other);
        }
    }
    if (kOrientations[shape] == 1) {
        return unchanged(before, after, "the square never turns");
    }
    Cell cells[4], turned[4];
    cellsOf(before.currentPiece, cells);
    int next = (counter + 1) % kOrientations[shape];
    int dc = cells[0].column - kLayouts[shape][counter][0].column;
    int dr = cells[0].row - kLayouts[shape][counter][0].row;
    moveCells(kLayouts[shape][next], dc, dr, turned);
    if (blocked(before.board, turned, false)) {
        if (!samePiece(before, after) || after.rotationState[shape] != counter) {
            return "a refused turn (into " + text(turned) +
                   ") did not restore the positions and the counter exactly";
        }
        return "";
    }
    if (after.rotationState[shape] != next) {
        return "a turn that stood left the counter at " +
               std::to_string(after.rotationState[shape]) + ", expected " + std::to_string(next);
    }
    return expectCells(after, turned, "a turn");
}

std::string checkDisplay(const GameImage& before, const GameImage& after) {
    if (after.swaps != before.swaps + 1) {
        return "a frame swapped the buffers " + std::to_string(after.swaps - before.swaps) +
               " times";
    }
    if (after.timersArmed != before.timersArmed) {
        return "a frame armed a timer";
    }
    if (!before.pieceLanded) {
        if (after.redisplays != before.redisplays) {
            return "a frame with a falling piece asked for another frame";
        }
        return unchanged(before, after, "the piece was falling during the frame");
    }
    if (after.redisplays != before.redisplays + 1) {
        return "the frame that placed a new piece did not ask for exactly one more frame";
    }
    if (after.pieceLanded) {
        return "the frame after a landing did not place a new piece";
    }
    if (!sameBoard(before.board, after.board) || after.locks != before.locks) {
        return "placing a new piece changed the board";
    }
    if (after.pieceType < 0 || after.pieceType > 6) {
        return "the new piece's shape is " + std::to_string(after.pieceType);
    }
    for (int shape = 0; shape < 7; ++shape) {
        if (after.rotationState[shape] != 0) {
            return "after a new piece was placed, the counter of shape " + std::to_string(shape) +
                   " is " + std::to_string(after.rotationState[shape]);
        }
    }
    for (int k = 0; k < 4; ++k) {
        for (int axis = 0; axis < 2; ++axis) {
            if (std::memcmp(&after.currentPiece[k][axis], &pieceTemplates[after.pieceType][k][axis],
                            sizeof(float))) {
                return "the new piece's block " + std::to_string(k) +
                       " is not at its template position";
            }
        }
    }
    Cell cells[4];
    cellsOf(after.currentPiece, cells);
    if (!sameCells(cells, kLayouts[after.pieceType][0])) {
        return "shape " + std::to_string(after.pieceType) + " was placed in " + text(cells);
    }
    return "";
}

// Set up for a call on exit() that must not return: on_exit handlers run
// last-registered first, so this one sees the status before anything else
// (the sanitizers' or a fuzzer's handlers) and ends the child with it, unless
// the game landed, locked, drew or re-armed something on its way out.
GameImage childBefore;
constexpr int kTimerReturned = 3;
constexpr int kChangedBeforeExit = 4;

void endChild(int status, void*) {
    GameImage now = capture();
    bool untouched = !now.pieceLanded && now.locks == childBefore.locks &&
                     sameBoard(now.board, childBefore.board) &&
                     now.redisplays == childBefore.redisplays &&
                     now.timersArmed == childBefore.timersArmed && now.swaps == childBefore.swaps;
    _exit(untouched ? status : kChangedBeforeExit);
}

const Harness* activeHarness = nullptr;

void reportUnexpectedExit() {
    if (activeHarness) {
        std::string event = activeHarness->currentEvent();
        if (!event.empty()) {
            std::fprintf(stderr, "\nThe game ended the process during %s\n", event.c_str());
        }
    }
}

}  // namespace

//----------------------------------------------------------------------------
// Byte sources
//----------------------------------------------------------------------------

bool SeededBytes::next(std::uint8_t& byte) {
    if (left_ == 0) {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        word_ = z ^ (z >> 31);
        left_ = 8;
    }
    byte = static_cast<std::uint8_t>(word_);
    word_ >>= 8;
    --left_;
    return true;
}

bool BufferBytes::next(std::uint8_t& byte) {
    if (at_ >= size_) {
        return false;
    }
    byte = data_[at_++];
    return true;
}

std::string describe(const Event& event) {
    switch (event.kind) {
        case EventKind::Timer:
            return "timer";
        case EventKind::Display:
            return "display";
        case EventKind::Key:
            break;
    }
    if (event.key > 0x20 && event.key < 0x7f) {
        return std::string("key ") + static_cast<char>(event.key);
    }
    return "key " + std::to_string(event.key);
}

//----------------------------------------------------------------------------
// Images and checks
//----------------------------------------------------------------------------

long long lockCalls() {
    return lockCount;
}

GameImage capture() {
    GameImage image;
    image.pieceType = pieceType;
    std::memcpy(image.currentPiece, currentPiece, sizeof image.currentPiece);
    std::memcpy(image.rotationState, rotationState, sizeof image.rotationState);
    image.pieceLanded = pieceLanded;
    std::memcpy(image.board, board, sizeof image.board);
    image.locks = lockCount;
    const recording::Glut& glut = recording::glut();
    image.redisplays = glut.redisplays;
    image.timersArmed = glut.timersArmed;
    image.swaps = glut.swaps;
    image.timerMillis = glut.timerMillis;
    image.timerValue = glut.timerValue;
    image.timer = glut.timer;
    return image;
}

std::string checkState(const GameImage& image) {
    if (image.pieceType < 0 || image.pieceType > 6) {
        return "pieceType is " + std::to_string(image.pieceType);
    }
    int shape = image.pieceType;
    for (int other = 0; other < 7; ++other) {
        int counter = image.rotationState[other];
        if (other == shape ? counter < 0 || counter >= kOrientations[shape] : counter != 0) {
            return "the counter of shape " + std::to_string(other) + " is " +
                   std::to_string(counter) + " while shape " + std::to_string(shape) + " falls";
        }
    }
    for (int row = 0; row < 25; ++row) {
        for (int column = 0; column < 25; ++column) {
            int cell = image.board[row][column];
            // Blocks reach rows up to 20 and columns up to 21 only, so nothing
            // above or right of that is ever written.
            bool outside = row > 0 && (row > 20 || column > 21);
            bool fine = row == 0 ? cell == 1 : outside ? cell == 0 : cell == 0 || cell == 1;
            if (fine) {
                continue;
            }
            std::string where = "board cell (row " + std::to_string(row) + ", column " +
                                std::to_string(column) + ")";
            if (cell != 0 && cell != 1) {
                return where + " holds " + std::to_string(cell);
            }
            if (row == 0) {
                return where + ", a floor cell, is free";
            }
            return where + " was written, outside anything a piece can reach";
        }
    }
    for (int k = 0; k < 5; ++k) {
        for (int axis = 0; axis < 3; ++axis) {
            if ((k == 4 || axis == 2) && image.currentPiece[k][axis] != 0.0f) {
                return "an unused component of currentPiece (block " + std::to_string(k) +
                       ", axis " + std::to_string(axis) + ") is not 0";
            }
        }
    }
    Cell cells[4];
    for (int k = 0; k < 4; ++k) {
        for (int axis = 0; axis < 2; ++axis) {
            double v = scaled(image.currentPiece[k][axis]);
            if (std::fabs(v - std::round(v)) > kDriftLimit) {
                return "block " + std::to_string(k) +
                       " has drifted off the grid: " + std::to_string(v) + " cells on axis " +
                       std::to_string(axis);
            }
        }
        cells[k] = cellOf(image.currentPiece, k);
        if (cells[k].column < -1 || cells[k].column > 21 || cells[k].row < 1 || cells[k].row > 20) {
            return "block " + std::to_string(k) + " reached cell " + text(cells[k]) +
                   ", beyond columns -1 to 21 and rows 1 to 20";
        }
    }
    const Cell(&layout)[4] = kLayouts[shape][image.rotationState[shape]];
    Cell expected[4];
    moveCells(layout, cells[0].column - layout[0].column, cells[0].row - layout[0].row, expected);
    if (!sameCells(cells, expected)) {
        return "the piece in " + text(cells) + " is not shape " + std::to_string(shape) +
               " in orientation " + std::to_string(image.rotationState[shape]);
    }
    return "";
}

std::string checkEvent(const GameImage& before, const Event& event, const GameImage& after) {
    if (event.kind == EventKind::Display) {
        return checkDisplay(before, after);
    }
    if (after.swaps != before.swaps) {
        return describe(event) + " swapped the buffers";
    }
    if (after.redisplays != before.redisplays + 1) {
        return describe(event) + " asked for " +
               std::to_string(after.redisplays - before.redisplays) + " frames, expected 1";
    }
    if (event.kind == EventKind::Timer) {
        if (after.timersArmed != before.timersArmed + 1 || after.timer != &onTimer ||
            after.timerMillis != 1000 || after.timerValue != 1) {
            return "the gravity step did not arm itself once more, 1000 ms ahead, with value 1";
        }
    } else if (after.timersArmed != before.timersArmed) {
        return describe(event) + " armed a timer";
    }
    if (before.pieceLanded) {
        return unchanged(before, after, "the piece had landed");
    }
    if (event.kind == EventKind::Timer) {
        return checkStepDown(before, after, true);
    }
    switch (event.key) {
        case 'a':
            return checkShift(before, after, -1);
        case 'd':
            return checkShift(before, after, +1);
        case 's':
            return checkStepDown(before, after, false);
        case 'w':
            return checkTurn(before, after);
        default:
            return unchanged(before, after, "the key has no action");
    }
}

TimerForecast forecastTimer() {
    float saved[5][3];
    std::memcpy(saved, currentPiece, sizeof saved);
    stepPiece(-kCell);
    TimerForecast forecast;
    forecast.blocked = collides(0);
    stepPiece(kCell);
    forecast.block0Y = currentPiece[0][1];
    forecast.block0Row = cellOf(currentPiece, 0).row;
    forecast.endsGame = forecast.blocked && forecast.block0Y >= pieceTemplates[pieceType][0][1];
    std::memcpy(currentPiece, saved, sizeof saved);
    return forecast;
}

std::string confirmGameOverInChild() {
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t child = fork();
    if (child < 0) {
        return "fork failed";
    }
    if (child == 0) {
        childBefore = capture();
        on_exit(endChild, nullptr);
        onTimer(kGravityValue);
        _exit(kTimerReturned);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) {
        return "waitpid failed";
    }
    if (WIFSIGNALED(status)) {
        return "the game-ending gravity step died of signal " + std::to_string(WTERMSIG(status));
    }
    int code = WEXITSTATUS(status);
    if (code == 1) {
        return "";
    }
    if (code == kTimerReturned) {
        return "the gravity step blocked with block 0 at the top returned instead of ending the "
               "game";
    }
    if (code == kChangedBeforeExit) {
        return "the game-ending gravity step landed, locked, drew or re-armed before exiting";
    }
    return "the game-ending gravity step exited with status " + std::to_string(code) +
           ", expected 1";
}

std::string Stats::summary() const {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(digest));
    return std::to_string(events) + " events (" + std::to_string(keys) + " keys, " +
           std::to_string(timers) + " gravity steps, " + std::to_string(displays) + " frames), " +
           std::to_string(games) + " games, " + std::to_string(landings) + " landings, " +
           std::to_string(rowsCleared) + " rows cleared (up to " + std::to_string(mostRowsAtOnce) +
           " at once), " + std::to_string(gameOvers) + " game overs (" +
           std::to_string(gameOversConfirmed) + " confirmed in a child), " +
           std::to_string(outsideWalls) + " events with a block outside the walls, " +
           std::to_string(hiddenLocks) + " landings into hidden cells, " +
           std::to_string(dropsFromTop) + " dropping blocks from row 19, digest " + hex;
}

void Stats::fold(const void* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        digest = (digest ^ static_cast<const unsigned char*>(bytes)[i]) * 0x100000001b3u;
    }
}

//----------------------------------------------------------------------------
// The harness
//----------------------------------------------------------------------------

Harness::Harness(ByteSource& bytes, const Options& options) : bytes_(bytes), options_(options) {
    static bool guardInstalled = false;
    if (!guardInstalled) {
        std::atexit(reportUnexpectedExit);
        guardInstalled = true;
    }
    activeHarness = this;
}

Harness::~Harness() {
    if (activeHarness == this) {
        activeHarness = nullptr;
    }
}

std::string Harness::currentEvent() const {
    if (!inEvent_) {
        return "";
    }
    std::string where =
        "event " + std::to_string(stats_.events + 1) + " (" + describe(current_) + ")";
    return options_.replay.empty() ? where : where + "; " + options_.replay;
}

void Harness::newGame() {
    if (stats_.games > 0) {
        foldGame();
    }
    startFreshGame();
    steering_ = false;
    std::uint8_t well = 0;
    bytes_.next(well);
    wellColumn_ = well % 20;
    landOnTop_ = well >= 128;
    fractalOrder = 1;  // one triangle a frame: the frames are not what is tested here
    recording::setRecording(false);
    ++stats_.games;
}

void Harness::foldGame() {
    stats_.fold(board, sizeof board);
    std::uint64_t frames = recording::digest();
    stats_.fold(&frames, sizeof frames);
}

void Harness::remember(const Event& event) {
    recent_[recentCount_++ % kRecent] = event;
}

std::string Harness::failure(const std::string& what, const GameImage& image) const {
    std::string report = "after event " + std::to_string(stats_.events) + ": " + what + "\n";
    report += "recent events, oldest first:";
    std::uint64_t first = recentCount_ > kRecent ? recentCount_ - kRecent : 0;
    for (std::uint64_t i = first; i < recentCount_; ++i) {
        report += (i == first ? " " : ", ") + describe(recent_[i % kRecent]);
    }
    report +=
        "\nshape " + std::to_string(image.pieceType) + ", counter " +
        std::to_string(
            image.rotationState[image.pieceType < 0 || image.pieceType > 6 ? 0 : image.pieceType]) +
        (image.pieceLanded ? ", landed" : ", falling") +
        "; board rows 20 to 0, columns -1 to "
        "21 (# occupied, @ piece):\n";
    for (int row = 20; row >= 0; --row) {
        for (int column = -1; column <= 21; ++column) {
            bool piece = false;
            for (int k = 0; k < 4; ++k) {
                Cell cell = cellOf(image.currentPiece, k);
                piece = piece || (cell.row == row && cell.column == column);
            }
            bool inside = column >= 0 && image.board[row][column] == 1;
            report += piece ? '@' : inside ? '#' : column < 0 || column > 19 ? ' ' : '.';
        }
        report += '\n';
    }
    return report;
}

void Harness::countLanding(const GameImage& before) {
    ++stats_.landings;
    Cell cells[4];
    cellsOf(before.currentPiece, cells);
    int board[25][25];
    std::memcpy(board, before.board, sizeof board);
    bool topHeld = false;
    for (int column = 0; column < 20; ++column) {
        topHeld = topHeld || board[19][column] == 1;
    }
    int cleared = lockInto(board, cells);
    stats_.fold(::board, sizeof ::board);
    stats_.dropsFromTop += topHeld && cleared > 0;
    stats_.rowsCleared += static_cast<std::uint64_t>(cleared);
    stats_.mostRowsAtOnce = std::max(stats_.mostRowsAtOnce, cleared);
    for (const Cell& cell : cells) {
        if (cell.column > 19 || cell.column < 0 || cell.row > 19) {
            ++stats_.hiddenLocks;
            break;
        }
    }
}

// Every orientation at every column the piece fits in, dropped straight down
// on the cell model: the most rows completed wins, then the lowest top row,
// then the fewest blocks left over an empty cell, and only an upright bar
// likes the game's well column (so that it can clear up to four rows at
// once); `tieBreak` picks among equals.
void Harness::planPlacement(unsigned tieBreak) {
    int shape = pieceType;
    bool buildUp = landOnTop_;  // stack high until row 19 holds a block
    for (int column = 0; column < 20; ++column) {
        buildUp = buildUp && board[19][column] != 1;
    }
    int bestScore = 1 << 30;
    int ties = 0;
    for (int orientation = 0; orientation < kOrientations[shape]; ++orientation) {
        for (int dc = -12; dc <= 12; ++dc) {
            Cell cells[4];
            moveCells(kLayouts[shape][orientation], dc, 0, cells);
            if (blocked(board, cells, true)) {
                continue;
            }
            Cell lower[4];
            for (moveCells(cells, 0, -1, lower); !blocked(board, lower, false);
                 moveCells(cells, 0, -1, lower)) {
                std::memcpy(cells, lower, sizeof cells);
            }
            int top = 0;
            int overhangs = 0;
            for (const Cell& cell : cells) {
                top = std::max(top, cell.row);
                Cell below{cell.column, cell.row - 1};
                bool ownBlock = false;
                for (const Cell& other : cells) {
                    ownBlock = ownBlock || other == below;
                }
                overhangs += !ownBlock && !occupied(board, below, false);
            }
            int completed = 0;
            for (int k = 0; k < 4; ++k) {
                bool firstInRow = true;
                for (int j = 0; j < k; ++j) {
                    firstInRow = firstInRow && cells[j].row != cells[k].row;
                }
                if (!firstInRow || cells[k].row > 19) {
                    continue;
                }
                int filled = 0;
                for (int column = 0; column < 20; ++column) {
                    filled += board[cells[k].row][column] == 1;
                }
                for (const Cell& cell : cells) {
                    filled += cell.row == cells[k].row;
                }
                completed += filled == 20;
            }
            bool upright = shape == 0 && orientation == 0;
            bool inWell = false;
            for (const Cell& cell : cells) {
                inWell = inWell || cell.column == wellColumn_;
            }
            // Building up, away from where pieces appear, so that the game goes on.
            bool middle = false;
            for (const Cell& cell : cells) {
                middle = middle || (cell.column >= 6 && cell.column <= 12);
            }
            int height = buildUp ? (middle ? 64 : 0) - top : top;
            int score = height * 8 + overhangs - completed * 256 + (inWell && !upright ? 64 : 0);
            if (score < bestScore) {
                bestScore = score;
                ties = 0;
            }
            // Reservoir choice among the equally good places.
            if (score == bestScore && tieBreak % static_cast<unsigned>(++ties) == 0) {
                targetOrientation_ = orientation;
                targetColumn_ = cells[0].column;
            }
        }
    }
    steering_ = ties > 0;
}

// Turn first, then shift, then drop; a refused move is simply tried again
// after whatever random event comes in between.
unsigned char Harness::steeredKey() const {
    if (rotationState[pieceType] != targetOrientation_) {
        return 'w';
    }
    int column = cellOf(currentPiece, 0).column;
    return column < targetColumn_ ? 'd' : column > targetColumn_ ? 'a' : 's';
}

std::string Harness::play() {
    if (options_.figureInDigest) {
        // Every vertex and colour, not the texture names, which depend on
        // what the process drew before.
        startFreshGame();
        fractalOrder = kDeepestLevel + 1;
        display();
        for (const GlCall& call : recording::calls()) {
            if (std::strcmp(call.name, "glVertex2f") == 0 ||
                std::strcmp(call.name, "glColor3f") == 0) {
                stats_.fold(call.args,
                            sizeof call.args[0] * static_cast<std::size_t>(call.argCount));
            }
        }
    }
    newGame();
    while (stats_.events < options_.maxEvents) {
        std::uint8_t code;
        if (!bytes_.next(code)) {
            break;
        }
        std::string broke = runBatch(code);
        if (!broke.empty()) {
            return broke;
        }
        stats_.fold(currentPiece, sizeof currentPiece);
    }
    foldGame();
    return "";
}

bool Harness::blockedWhereItAppeared() const {
    for (int k = 0; k < kBlockCount; ++k) {
        if (currentPiece[k][0] != pieceTemplates[pieceType][k][0] ||
            currentPiece[k][1] != pieceTemplates[pieceType][k][1]) {
            return false;
        }
    }
    return forecastTimer().blocked;
}

// One byte picks what happens next. The four game keys come far more often
// than any other key, and also in bursts that carry a piece to a wall quickly;
// frames come less often than keys and steps, so a landed piece usually meets
// a few events before the frame that replaces it.
std::string Harness::runBatch(std::uint8_t code) {
    static const char kGameKeys[] = "adsw";
    if (landOnTop_ && code < 192 && !pieceLanded && blockedWhereItAppeared()) {
        return runEvent({EventKind::Key, 's'});
    }
    if (steering_ && code < (landOnTop_ ? 208 : 160) && !pieceLanded) {
        return runEvent({EventKind::Key, steeredKey()});
    }
    if (code < 128) {
        return runEvent({EventKind::Key, static_cast<unsigned char>(kGameKeys[code >> 5])});
    }
    if (code < 160) {
        int repeats = 2 + ((code >> 2) & 7);
        Event event{EventKind::Key, static_cast<unsigned char>(kGameKeys[code & 3])};
        for (int i = 0; i < repeats && stats_.events < options_.maxEvents; ++i) {
            std::string broke = runEvent(event);
            if (!broke.empty()) {
                return broke;
            }
        }
        return "";
    }
    if (code < 176) {
        std::uint8_t key;
        return bytes_.next(key) ? runEvent({EventKind::Key, key}) : "";
    }
    if (code < 224) {
        return runEvent({EventKind::Timer, 0});
    }
    return runEvent({EventKind::Display, 0});
}

std::string Harness::runEvent(const Event& event) {
    remember(event);
    if (event.kind == EventKind::Timer) {
        return runTimer(event);
    }
    GameImage before = capture();
    inEvent_ = true;
    current_ = event;
    if (event.kind == EventKind::Key) {
        onKeyboard(event.key, 0, 0);
        ++stats_.keys;
    } else {
        display();
        ++stats_.displays;
    }
    inEvent_ = false;
    ++stats_.events;
    GameImage after = capture();
    std::string broke = checkEvent(before, event, after);
    if (!broke.empty()) {
        return failure(broke, after);
    }
    if (event.kind == EventKind::Display && before.pieceLanded) {
        // The harness picks the shape, for replays that do not depend on the
        // clock; the counters are all 0 already.
        std::uint8_t pick, steer;
        if (bytes_.next(pick)) {
            pieceType = pick % kShapeCount;
            for (int k = 0; k < kBlockCount; ++k) {
                currentPiece[k][0] = pieceTemplates[pieceType][k][0];
                currentPiece[k][1] = pieceTemplates[pieceType][k][1];
            }
            after = capture();
        }
        steering_ = false;
        if (bytes_.next(steer) && (steer < 216 || landOnTop_)) {
            planPlacement(steer);
        }
    }
    if (after.pieceLanded && !before.pieceLanded) {
        countLanding(before);
    }
    broke = checkState(after);
    if (!broke.empty()) {
        return failure(broke, after);
    }
    Cell cells[4];
    cellsOf(after.currentPiece, cells);
    for (const Cell& cell : cells) {
        if (cell.column < 0 || cell.column > 19) {
            ++stats_.outsideWalls;
            break;
        }
    }
    return "";
}

std::string Harness::runTimer(const Event& event) {
    GameImage before = capture();
    if (!before.pieceLanded) {
        TimerForecast forecast = forecastTimer();
        GameImage probe = capture();
        if (!samePiece(before, probe) || !sameBoard(before.board, probe.board)) {
            return failure("working out the gravity step changed the game", probe);
        }
        Cell cells[4], lower[4];
        cellsOf(before.currentPiece, cells);
        moveCells(cells, 0, -1, lower);
        if (forecast.blocked != blocked(before.board, lower, false)) {
            return failure(std::string("collides() says the step down into ") + text(lower) +
                               (forecast.blocked ? " is blocked" : " is free") +
                               ", the board says otherwise",
                           before);
        }
        if (forecast.blocked && forecast.endsGame != (forecast.block0Row >= 19)) {
            return failure("the end-of-game test on y (" + std::to_string(forecast.block0Y) +
                               ") and block 0's row (" + std::to_string(forecast.block0Row) +
                               ") disagree",
                           before);
        }
        if (forecast.endsGame) {
            ++stats_.events;
            ++stats_.timers;
            ++stats_.gameOvers;
            bool confirm =
                stats_.gameOvers <= static_cast<std::uint64_t>(options_.confirmFirst) ||
                (options_.confirmEvery > 0 &&
                 stats_.gameOvers % static_cast<std::uint64_t>(options_.confirmEvery) == 0);
            if (confirm) {
                std::string broke = confirmGameOverInChild();
                if (!broke.empty()) {
                    return failure(broke, before);
                }
                ++stats_.gameOversConfirmed;
            }
            newGame();
            return "";
        }
    }
    inEvent_ = true;
    current_ = event;
    onTimer(kGravityValue);
    inEvent_ = false;
    ++stats_.events;
    ++stats_.timers;
    GameImage after = capture();
    std::string broke = checkEvent(before, event, after);
    if (broke.empty()) {
        broke = checkState(after);
    }
    if (!broke.empty()) {
        return failure(broke, after);
    }
    if (after.pieceLanded && !before.pieceLanded) {
        countLanding(before);
    }
    return "";
}

}  // namespace fuzz
