// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Plays long random interleavings of key presses, gravity steps and frames
// against the game, through the recording GLUT/GL stand-in, and checks after
// every single event that the rules still hold: the state invariants, and what
// that one event was allowed to do to the board and the piece, worked out by a
// small cell-level model of the rules that shares no code with the game.
//
// The game ends the process with exit(1) when a gravity step is blocked at the
// top. The harness sees that coming (forecastTimer), does not make that call
// itself, now and then makes it in a forked child to confirm the exit status,
// and starts a new game.
//
// Determinism: spawnPiece seeds the generator from the clock. Right after a
// frame has placed a new piece, the harness replaces its shape with one taken
// from its own byte source (pieceType and the template's positions; the
// orientation counters are already 0). So a run is a pure function of its
// bytes, and a failure is replayed from the printed seed or fuzzer input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Where the harness takes its decisions from.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual bool next(std::uint8_t& byte) = 0;  // false once exhausted
};

// An endless stream from a fixed seed (splitmix64).
class SeededBytes : public ByteSource {
  public:
    explicit SeededBytes(std::uint64_t seed) : state_(seed) {}
    bool next(std::uint8_t& byte) override;

  private:
    std::uint64_t state_;
    std::uint64_t word_ = 0;
    int left_ = 0;
};

// A fuzzer's input, byte by byte.
class BufferBytes : public ByteSource {
  public:
    BufferBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool next(std::uint8_t& byte) override;

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

enum class EventKind { Key, Timer, Display };

struct Event {
    EventKind kind;
    unsigned char key;  // for EventKind::Key
};

std::string describe(const Event& event);

// The game's globals and what the stand-in GLUT holds, copied at one moment.
struct GameImage {
    int pieceType;
    float currentPiece[5][3];
    int rotationState[7];
    bool pieceLanded;
    int board[25][25];
    long long locks;  // lockPiece calls made by the key and timer code so far
    int redisplays;
    int timersArmed;
    int swaps;
    unsigned timerMillis;
    int timerValue;
    void (*timer)(int);
};

GameImage capture();

// Calls of lockPiece from onKeyboard and onTimer since the process started.
long long lockCalls();

// What must hold between any two events. "" when all holds, else what broke.
std::string checkState(const GameImage& image);

// What `event` may have done, given the state before and after it. "" when it
// did exactly that, else what differs.
std::string checkEvent(const GameImage& before, const Event& event, const GameImage& after);

// What onTimer would do now to a falling piece, found with the game's own
// collision test after a trial step and an undo, with currentPiece restored
// bit for bit afterwards.
struct TimerForecast {
    bool blocked;   // the step down would be refused
    bool endsGame;  // blocked, and block 0 back at or above the template's height
    int block0Row;  // block 0's row after the undo
    float block0Y;  // block 0's y after the undo, as the game computes it
};
TimerForecast forecastTimer();

// Makes the gravity call that ends the game in a forked child. "" when the
// child ended with status 1 without having landed, locked, drawn or re-armed
// anything; else what happened instead.
std::string confirmGameOverInChild();

struct Stats {
    std::uint64_t events = 0;
    std::uint64_t keys = 0;
    std::uint64_t timers = 0;
    std::uint64_t displays = 0;
    std::uint64_t landings = 0;
    std::uint64_t rowsCleared = 0;
    int mostRowsAtOnce = 0;
    std::uint64_t gameOvers = 0;
    std::uint64_t gameOversConfirmed = 0;  // in a forked child
    std::uint64_t games = 0;
    std::uint64_t outsideWalls = 0;  // events that left a block in column -1, 20 or 21
    std::uint64_t hiddenLocks = 0;   // landings that wrote a hidden cell
    std::uint64_t dropsFromTop = 0;  // landings that cleared rows under blocks in row 19
    // Of the play (64-bit FNV-1a): the piece after every batch of events, the
    // board after every landing and at the end of each game, every GL call
    // of its frames (and the figure, see Options). The same on every machine
    // that plays by the same rules and draws the same.
    std::uint64_t digest = 0xcbf29ce484222325u;
    void fold(const void* bytes, std::size_t size);
    std::string summary() const;
};

struct Options {
    std::uint64_t maxEvents = 1000000;
    // Game overs confirmed in a forked child: the first few, then every n-th
    // (0: none after the first few).
    int confirmFirst = 3;
    int confirmEvery = 32;
    // How to replay this run, for the report made if the game ends the
    // process during an event the harness expected it to survive.
    std::string replay;
    // The plays draw the figure at order 1, for speed. With this, the digest
    // takes in the figure at the cap too, drawn once before the play: a
    // moment's work, too long for a fuzzer's many short runs.
    bool figureInDigest = false;
};

class Harness {
  public:
    Harness(ByteSource& bytes, const Options& options);
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // Starts a fresh game and plays until maxEvents events have run or the
    // bytes are used up. "" when every check held; else what broke, at which
    // event, after which recent events.
    std::string play();

    const Stats& stats() const { return stats_; }

    // Event number and description while an event runs, for the report made
    // if the game ends the process unexpectedly.
    std::string currentEvent() const;

  private:
    std::string runBatch(std::uint8_t code);
    std::string runEvent(const Event& event);
    std::string runTimer(const Event& event);
    std::string failure(const std::string& what, const GameImage& image) const;
    void newGame();
    void foldGame();
    void countLanding(const GameImage& before);
    void planPlacement(unsigned tieBreak);
    bool blockedWhereItAppeared() const;
    unsigned char steeredKey() const;
    void remember(const Event& event);

    ByteSource& bytes_;
    Options options_;
    Stats stats_;
    bool inEvent_ = false;
    // A steered piece is carried by real key presses to the place where it
    // lands lowest, so that rows fill up and clear; other pieces move at random.
    bool steering_ = false;
    int targetOrientation_ = 0;
    int targetColumn_ = 0;  // of block 0, once turned
    int wellColumn_ = 0;    // kept free for upright bars
    // In half the games every piece is steered, first onto a stack beside the
    // middle until it reaches row 19, and a piece blocked where it appears is
    // mostly landed with s before gravity can end the game: so row 19 holds
    // blocks while the rows below still fill and clear.
    bool landOnTop_ = false;
    Event current_{EventKind::Display, 0};
    static constexpr int kRecent = 24;
    Event recent_[kRecent];
    std::uint64_t recentCount_ = 0;
};

}  // namespace fuzz
