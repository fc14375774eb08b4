// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Long random plays from fixed seeds, checked after every event; the checks
// themselves shown to catch the faults they are there for; and the end of the
// game confirmed in a child process.
//
// Replaying a failure: the message names the seed. Run
//   ZQ_FUZZ_SEED=<seed> ZQ_FUZZ_EVENTS=<events> fuzz_tests --gtest_filter='*EventFuzz.*/0'
// to play only that seed, for as many events as wanted.
//
// Every play's summary ends in its digest, of the pieces, boards and frames:
// written to ZQ_FUZZ_DIGEST_DIR when that is set, and held against the one
// found in ZQ_FUZZ_EXPECTED_DIGEST_DIR, another build's, when that is set
// (a cross build, emulated, plays by the same rules as the build machine).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "event_harness.h"
#include "fresh_game.h"
#include "gravity.h"
#include "keyboard.h"
#include "recording_gl.h"
#include "state.h"

namespace {

using fuzz::capture;
using fuzz::checkEvent;
using fuzz::checkState;
using fuzz::Event;
using fuzz::EventKind;
using fuzz::GameImage;

std::uint64_t fromEnvironment(const char* name, std::uint64_t otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? std::strtoull(value, nullptr, 0) : otherwise;
}

// The file for this seed's summary in the folder the variable names, or "".
std::string summaryFile(const char* variable, std::uint64_t seed) {
    const char* dir = std::getenv(variable);
    return dir && *dir ? std::string(dir) + "/event-fuzz-" + std::to_string(seed) : "";
}

// Four seeds of 300 000 events each: over a million events in every run of
// the test command, split so that ctest can spread them over the cores.
constexpr std::uint64_t kEventsPerSeed = 300000;

class EventFuzz : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(EventFuzz, RandomPlayKeepsEveryRule) {
    std::uint64_t seed = fromEnvironment("ZQ_FUZZ_SEED", GetParam());
    fuzz::Options options;
    options.maxEvents = fromEnvironment("ZQ_FUZZ_EVENTS", kEventsPerSeed);
    options.replay = "replay with ZQ_FUZZ_SEED=" + std::to_string(seed);
    options.figureInDigest = true;
    fuzz::SeededBytes bytes(seed);
    fuzz::Harness harness(bytes, options);

    auto start = std::chrono::steady_clock::now();
    std::string broke = harness.play();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const fuzz::Stats& stats = harness.stats();
    std::cout << "seed " << seed << ": " << stats.summary() << ", " << seconds << " s\n";

    ASSERT_EQ(broke, "") << options.replay << " ZQ_FUZZ_EVENTS=" << stats.events;
    EXPECT_EQ(stats.events, options.maxEvents);
    if (std::string path = summaryFile("ZQ_FUZZ_DIGEST_DIR", seed); !path.empty()) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_TRUE(std::ofstream(path) << stats.summary() << "\n") << "cannot write " << path;
    }
    if (std::string path = summaryFile("ZQ_FUZZ_EXPECTED_DIGEST_DIR", seed); !path.empty()) {
        std::ifstream file(path);
        EXPECT_EQ(stats.summary() + "\n", std::string(std::istreambuf_iterator<char>(file), {}))
            << "another play than " << path << "'s";
    }
    // A play this long reaches every kind of situation; if these ever stay at
    // 0 the event mix no longer tests what it should.
    if (options.maxEvents >= kEventsPerSeed) {
        EXPECT_GT(stats.gameOvers, 100u);
        EXPECT_GT(stats.gameOversConfirmed, 3u);
        EXPECT_GT(stats.rowsCleared, 0u);
        EXPECT_GT(stats.outsideWalls, 0u);
        EXPECT_GT(stats.hiddenLocks, 0u);
        EXPECT_GT(stats.dropsFromTop, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(FixedSeeds, EventFuzz,
                         ::testing::Values(0x5EED0001u, 0x5EED0002u, 0x5EED0003u, 0x5EED0004u));

TEST(EventFuzzBytes, SameBytesPlayTheSameGame) {
    std::vector<std::uint8_t> data(20000);
    fuzz::SeededBytes source(42);
    for (auto& byte : data) {
        source.next(byte);
    }
    std::string boards[2];
    fuzz::Stats stats[2];
    for (int run = 0; run < 2; ++run) {
        fuzz::BufferBytes bytes(data.data(), data.size());
        fuzz::Harness harness(bytes, fuzz::Options{});
        ASSERT_EQ(harness.play(), "");
        stats[run] = harness.stats();
        boards[run].assign(reinterpret_cast<const char*>(board), sizeof board);
    }
    EXPECT_GT(stats[0].landings, 10u);
    EXPECT_EQ(stats[0].summary(), stats[1].summary());
    EXPECT_EQ(boards[0], boards[1]);
}

//----------------------------------------------------------------------------
// Every key value, one at a time, on a falling piece and on a landed one.
//----------------------------------------------------------------------------

TEST(EveryKey, OnlyTheFourGameKeysAct) {
    for (int key = 0; key < 256; ++key) {
        for (bool landed : {false, true}) {
            startFreshGame();
            // Let the T fall a few rows so that every game key has room to act.
            for (int i = 0; i < 5; ++i) {
                onKeyboard('s', 0, 0);
            }
            pieceLanded = landed;
            GameImage before = capture();
            onKeyboard(static_cast<unsigned char>(key), 0, 0);
            GameImage after = capture();
            Event event{EventKind::Key, static_cast<unsigned char>(key)};
            EXPECT_EQ(checkEvent(before, event, after), "") << "key " << key;
            bool gameKey = std::strchr("adsw", key) && key != 0;
            bool moved = std::memcmp(before.currentPiece, after.currentPiece,
                                     sizeof before.currentPiece) != 0;
            EXPECT_EQ(moved, gameKey && !landed) << "key " << key << (landed ? ", landed" : "");
        }
    }
}

//----------------------------------------------------------------------------
// The end of the game, made in a child process.
//----------------------------------------------------------------------------

// The T, fresh at the top, with the cells under it taken.
void blockTheFirstStep() {
    startFreshGame();
    for (int column = 8; column <= 10; ++column) {
        board[17][column] = 1;
    }
}

TEST(GameOver, ForecastAndChildAgreeOnABlockedFirstStep) {
    blockTheFirstStep();
    GameImage before = capture();
    fuzz::TimerForecast forecast = fuzz::forecastTimer();
    EXPECT_TRUE(forecast.blocked);
    EXPECT_TRUE(forecast.endsGame);
    EXPECT_EQ(forecast.block0Row, 19);
    GameImage after = capture();
    EXPECT_EQ(std::memcmp(before.currentPiece, after.currentPiece, sizeof before.currentPiece), 0)
        << "the forecast must restore the piece bit for bit";
    EXPECT_EQ(fuzz::confirmGameOverInChild(), "");
}

TEST(GameOver, ChildReportsAStepThatDoesNotEndTheGame) {
    startFreshGame();  // the T can fall: onTimer returns
    fuzz::TimerForecast forecast = fuzz::forecastTimer();
    EXPECT_FALSE(forecast.blocked);
    EXPECT_FALSE(forecast.endsGame);
    EXPECT_NE(fuzz::confirmGameOverInChild(), "");
}

TEST(GameOver, LowerBlockedStepLandsInsteadOfEnding) {
    startFreshGame();
    for (int i = 0; i < 17; ++i) {
        onTimer(kGravityValue);
    }
    // Block 0 is now in row 2, the T's foot on row 1 just above the floor.
    fuzz::TimerForecast forecast = fuzz::forecastTimer();
    EXPECT_TRUE(forecast.blocked);
    EXPECT_FALSE(forecast.endsGame);
    EXPECT_EQ(forecast.block0Row, 2);
}

TEST(GameOver, DeathTestAgreesWithTheForecast) {
    blockTheFirstStep();
    EXPECT_EXIT(onTimer(kGravityValue), ::testing::ExitedWithCode(1), "");
}

//----------------------------------------------------------------------------
// The checks catch what they are for: a real event, then one fault planted in
// what the event left behind.
//----------------------------------------------------------------------------

struct Played {
    GameImage before;
    GameImage after;
    Event event;
};

// A fresh game, `falls` gravity steps, then `event` for real.
Played play(Event event, int falls = 3) {
    startFreshGame();
    for (int i = 0; i < falls; ++i) {
        onTimer(kGravityValue);
    }
    Played played{capture(), {}, event};
    if (event.kind == EventKind::Key) {
        onKeyboard(event.key, 0, 0);
    } else if (event.kind == EventKind::Timer) {
        onTimer(kGravityValue);
    }
    played.after = capture();
    return played;
}

const Event kKeyA{EventKind::Key, 'a'};
const Event kKeyD{EventKind::Key, 'd'};
const Event kKeyS{EventKind::Key, 's'};
const Event kKeyW{EventKind::Key, 'w'};
const Event kTimer{EventKind::Timer, 0};

TEST(Checks, PassTheRealGame) {
    for (Event event : {kKeyA, kKeyD, kKeyS, kKeyW, kTimer}) {
        Played played = play(event);
        EXPECT_EQ(checkEvent(played.before, event, played.after), "") << fuzz::describe(event);
        EXPECT_EQ(checkState(played.after), "") << fuzz::describe(event);
    }
}

TEST(Checks, CatchACorruptBoard) {
    Played played = play(kKeyA);
    GameImage image = played.after;
    image.board[5][5] = 2;
    EXPECT_NE(checkState(image), "");
    image = played.after;
    image.board[0][23] = 0;
    EXPECT_NE(checkState(image), "") << "a hole in the floor";
    image = played.after;
    image.board[21][3] = 1;
    EXPECT_NE(checkState(image), "") << "a write above row 20";
    image = played.after;
    image.board[7][22] = 1;
    EXPECT_NE(checkState(image), "") << "a write right of column 21";
    image = played.after;
    image.board[20][21] = 1;
    EXPECT_EQ(checkState(image), "") << "row 20, column 21 can be reached by a turn";
}

TEST(Checks, CatchBadCountersAndShapes) {
    Played played = play(kKeyW);
    GameImage image = played.after;
    image.rotationState[0] = 1;  // not the T's counter
    EXPECT_NE(checkState(image), "");
    image = played.after;
    image.rotationState[2] = 4;  // the T has four orientations, 0 to 3
    EXPECT_NE(checkState(image), "");
    image = played.after;
    image.pieceType = 7;
    EXPECT_NE(checkState(image), "");
}

TEST(Checks, CatchAPieceOffTheGridOrOutOfShape) {
    Played played = play(kKeyD);
    GameImage image = played.after;
    image.currentPiece[1][0] += 0.01f;  // a tenth of a cell
    EXPECT_NE(checkState(image), "");
    image = played.after;
    image.currentPiece[3][1] -= kCell;  // block 3 one row lower than the shape allows
    EXPECT_NE(checkState(image), "");
}

TEST(Checks, CatchAMoveThatShouldHaveBeenRefused) {
    startFreshGame();
    for (int i = 0; i < 8; ++i) {
        onKeyboard('a', 0, 0);  // the T's left block reaches column 0
    }
    GameImage before = capture();
    GameImage after = before;
    for (int k = 0; k < 4; ++k) {
        after.currentPiece[k][0] -= kCell;  // through the wall
    }
    after.redisplays += 1;
    EXPECT_NE(checkEvent(before, kKeyA, after), "");
    onKeyboard('a', 0, 0);
    EXPECT_EQ(checkEvent(before, kKeyA, capture()), "");
}

TEST(Checks, CatchAWrongTurn) {
    Played played = play(kKeyW);
    GameImage image = played.after;
    std::swap(image.currentPiece[1][0], image.currentPiece[2][0]);  // columns 9 and 10
    EXPECT_NE(checkEvent(played.before, kKeyW, image), "");
    image = played.after;
    image.rotationState[2] = 2;  // a turn that skipped an orientation
    EXPECT_NE(checkEvent(played.before, kKeyW, image), "");
}

TEST(Checks, CatchALandingLockedTwiceOrWronglyOrNotAtAll) {
    Played played = play(kTimer, 17);  // the T's foot reaches row 1; the next step lands it
    ASSERT_TRUE(played.after.pieceLanded);
    ASSERT_EQ(checkEvent(played.before, kTimer, played.after), "");
    GameImage image = played.after;
    image.locks += 1;
    EXPECT_NE(checkEvent(played.before, kTimer, image), "") << "locked twice";
    image = played.after;
    image.board[1][9] = 0;
    EXPECT_NE(checkEvent(played.before, kTimer, image), "") << "a block not written";
    image = played.after;
    image.board[3][3] = 1;
    EXPECT_NE(checkEvent(played.before, kTimer, image), "") << "a cell written that is no block";
    image = played.after;
    image.pieceLanded = false;
    EXPECT_NE(checkEvent(played.before, kTimer, image), "") << "blocked but not landed";
}

TEST(Checks, CatchAnythingMovingWhileLanded) {
    Played played = play(kTimer, 17);
    ASSERT_TRUE(played.after.pieceLanded);
    for (Event event : {kKeyA, kKeyS, kKeyW, kTimer}) {
        GameImage before = capture();
        if (event.kind == EventKind::Key) {
            onKeyboard(event.key, 0, 0);
        } else {
            onTimer(kGravityValue);
        }
        GameImage after = capture();
        EXPECT_EQ(checkEvent(before, event, after), "") << fuzz::describe(event);
        GameImage moved = after;
        moved.currentPiece[0][1] -= kCell;
        EXPECT_NE(checkEvent(before, event, moved), "") << fuzz::describe(event);
        GameImage locked = after;
        locked.locks += 1;
        EXPECT_NE(checkEvent(before, event, locked), "") << fuzz::describe(event);
    }
}

TEST(Checks, CatchAGravityStepThatGoesOnAtTheTop) {
    blockTheFirstStep();
    GameImage before = capture();
    // What onTimer would leave if it landed the piece instead of ending.
    GameImage after = before;
    after.pieceLanded = true;
    after.locks += 1;
    for (int column = 8; column <= 10; ++column) {
        after.board[18][column] = 1;
    }
    after.board[19][9] = 1;
    after.redisplays += 1;
    after.timersArmed += 1;
    after.timer = onTimer;
    after.timerMillis = 1000;
    after.timerValue = 1;
    EXPECT_NE(checkEvent(before, kTimer, after), "");
}

TEST(Checks, CatchATimerThatIsNotArmedAgain) {
    Played played = play(kTimer);
    GameImage image = played.after;
    image.timersArmed -= 1;
    EXPECT_NE(checkEvent(played.before, kTimer, image), "");
    image = played.after;
    image.redisplays += 1;
    EXPECT_NE(checkEvent(played.before, kTimer, image), "") << "two frames asked for";
}

}  // namespace
