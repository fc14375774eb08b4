// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fresh_game.h"
#include "piece_helpers.h"

namespace {

// Columns 0 to 19 of a row, by letter: partial rows 1, 2 and 3, F full, E empty.
std::string pattern(char letter) {
    const char* rows[] = {"#..#................", ".#...#.#............", "...................#",
                          "####################", "...................."};
    return rows[std::string("123FE").find(letter)];
}

// A row given by letter or written out in full.
std::string cellsOf(const std::string& row) {
    return row.size() == 1 ? pattern(row[0]) : row;
}

void fillRow(int row, const std::string& cells) {
    for (int column = 0; column < kFieldSide; ++column) {
        board[row][column] = cellsOf(cells)[column] == '#' ? 1 : 0;
    }
}

// Columns 0 to 19 of rows 1 to 19, one line per row from row 1 upward.
std::string visibleRows() {
    std::string text;
    for (int row = 1; row < kFieldSide; ++row) {
        for (int column = 0; column < kFieldSide; ++column) {
            text += board[row][column] == 1 ? '#' : board[row][column] == 0 ? '.' : '?';
        }
        text += '\n';
    }
    return text;
}

// Rows from row 1 upward, by letter or written out; the rest are empty.
std::string rowsOf(std::vector<std::string> rows) {
    std::string text;
    rows.resize(kFieldSide - 1, "E");
    for (const std::string& row : rows) {
        text += cellsOf(row) + '\n';
    }
    return text;
}

std::vector<std::string> letters(const std::string& rows) {
    std::vector<std::string> result;
    for (char letter : rows) {
        result.push_back(std::string(1, letter));
    }
    return result;
}

struct CompactCase {
    const char* before;  // rows 1, 2, ... at the call
    const char* after;
};

const CompactCase kCompactCases[] = {
    {"1F2", "12"},
    {"FF12", "12"},
    {"F1F2", "12"},
    {"1F", "1"},
    {"FFFF1", "1"},
    {"1E2F3", "123"},  // an empty row below a partial one closes up as well
    {"12F3FF21", "12321"},
    {"111111111111111111F", "111111111111111111"},  // nothing above row 19 comes down
};

TEST(CompactRows, RemovesFullRowsAndKeepsPartialOnesInOrder) {
    for (const CompactCase& c : kCompactCases) {
        SCOPED_TRACE(c.before);
        startFreshGame();
        int rowState[25];
        for (int& state : rowState) {
            state = kRowEmpty;
        }
        for (int row = 1; c.before[row - 1] != '\0'; ++row) {
            char letter = c.before[row - 1];
            fillRow(row, std::string(1, letter));
            rowState[row] = letter == 'F' ? kRowFull : letter == 'E' ? kRowEmpty : kRowPartial;
        }
        // Hidden cells beside and above the field stay where they are.
        board[1][20] = board[2][21] = board[4][22] = board[19][24] = 1;
        fillRow(20, "2");
        board[24][0] = 1;
        int before[kBoardSide][kBoardSide];
        std::memcpy(before, board, sizeof before);

        compactRows(rowState);

        EXPECT_EQ(visibleRows(), rowsOf(letters(c.after)));
        for (int row = 0; row < kBoardSide; ++row) {
            for (int column = 0; column < kBoardSide; ++column) {
                if (row == 0 || row >= kFieldSide || column >= kFieldSide) {
                    EXPECT_EQ(board[row][column], before[row][column]) << row << ", " << column;
                }
            }
        }
    }
}

// The rows `below`, then `count` partial rows, "1" and "2" in turn, then `above`.
std::vector<std::string> partialBetween(std::vector<std::string> below, int count,
                                        const std::vector<std::string>& above = {}) {
    for (int k = 0; k < count; ++k) {
        below.push_back(k % 2 ? "2" : "1");
    }
    below.insert(below.end(), above.begin(), above.end());
    return below;
}

TEST(LockPiece, FullRowsGoAndTheRestDrops) {
    struct Case {
        const char* name;
        std::vector<std::string> before;
        Cells piece;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"lying bar completes row 1",
         {"####....############", "1", "3"},
         {{{4, 1}, {5, 1}, {6, 1}, {7, 1}}},
         {"1", "3"}},
        {"upright bar completes rows 1 to 4",
         {"#############.######", "#############.######", "#############.######",
          "#############.######", "2", "1"},
         {{{13, 4}, {13, 3}, {13, 2}, {13, 1}}},
         {"2", "1"}},
        {"T completes row 2 between partial rows",
         {"2", "#####...############", "3"},
         {{{6, 3}, {5, 2}, {6, 2}, {7, 2}}},
         {"2", "......#............#"}},
        // Row 19 holds blocks while the game goes on: s lands a piece that is
        // blocked where it appears.
        {"lying bar completes row 19 alone",
         partialBetween({}, 18, {"################...."}),
         {{{16, 19}, {17, 19}, {18, 19}, {19, 19}}},
         partialBetween({}, 18)},
        {"T completes row 1 under a stack up to row 19",
         partialBetween({"#####...############", "3"}, 17),
         {{{6, 2}, {5, 1}, {6, 1}, {7, 1}}},
         partialBetween({"......#............#"}, 17)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startFreshGame();
        for (std::size_t row = 0; row < c.before.size(); ++row) {
            fillRow(static_cast<int>(row) + 1, c.before[row]);
        }
        placePiece(0, c.piece);
        lockPiece();
        EXPECT_EQ(visibleRows(), rowsOf(c.after));
        EXPECT_EQ(board[0][24], 1);
    }
}

// With no full row the board gains just the blocks' cells. The column takes
// the row's rounding, so a block one column left of the field folds onto
// column 0 of its row; elements outside the 625 cells are not written.
TEST(LockPiece, WritesOnlyTheBlocksCells) {
    struct Case {
        const char* name;
        Cells piece;
        std::vector<std::pair<int, int>> added;  // (row, column)
    };
    const Case cases[] = {
        {"an L on partial rows",
         {{{9, 4}, {9, 3}, {9, 2}, {10, 2}}},
         {{4, 9}, {3, 9}, {2, 9}, {2, 10}}},
        {"bar lying in columns -1 to 2",
         {{{-1, 2}, {0, 2}, {1, 2}, {2, 2}}},
         {{2, 0}, {2, 1}, {2, 2}}},
        {"turned Z beyond the right wall",
         {{{21, 20}, {20, 19}, {21, 19}, {20, 18}}},
         {{20, 21}, {19, 20}, {19, 21}, {18, 20}}},
        {"bar reaching above the board",
         {{{5, 26}, {5, 25}, {5, 24}, {5, 23}}},
         {{24, 5}, {23, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startFreshGame();
        fillRow(1, "2");
        fillRow(2, "3");
        auto expected = occupied();
        expected.insert(c.added.begin(), c.added.end());
        placePiece(0, c.piece);
        lockPiece();
        EXPECT_EQ(occupied(), expected);
    }
    startFreshGame();
    auto floorOnly = occupied();
    placePiece(0, {{{10, 5}, {10, 4}, {10, 3}, {10, 2}}});
    currentPiece[1][1] = currentPiece[2][1] = currentPiece[3][1] = -10.0f;  // row -89
    lockPiece();
    floorOnly.insert({5, 10});
    EXPECT_EQ(occupied(), floorOnly);
}

}  // namespace
