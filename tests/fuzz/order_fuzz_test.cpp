// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Whatever arrives on standard input, the order read is the number typed, an
// int limit, or the fallback: readOrder held against an independent reader on
// every short byte string and on many random and near-boundary inputs. The
// browser's orderFromLine, which reads the page's line without the streams,
// is held against readOrder on that line and a newline over the same inputs.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

#include "console.h"
#include "event_harness.h"
#include "order_reference.h"

namespace {

using fuzz::expectedOrder;
using fuzz::printable;

// Stops a loop once this many mismatches have been reported.
constexpr int kReportLimit = 20;

int readFrom(const std::string& input, int fallback) {
    std::istringstream in(input);
    return readOrder(in, fallback);
}

// What is wrong with the readers on `input`: empty when readOrder agrees with
// the reference, and orderFromLine with readOrder on the input as a line.
std::string disagreement(const std::string& input, int fallback) {
    int read = readFrom(input, fallback);
    int expected = expectedOrder(input, fallback);
    int fromLine = orderFromLine(input, fallback);
    int readLine = readFrom(input + "\n", fallback);
    if (read == expected && fromLine == readLine) {
        return "";
    }
    std::ostringstream text;
    text << "input '" << printable(input) << "' (fallback " << fallback << "): read " << read
         << ", expected " << expected << "; from the line " << fromLine << ", read as a line "
         << readLine;
    return text.str();
}

// The reference reader, on cases worked out by hand from the rules.
TEST(OrderReference, FollowsTheRules) {
    EXPECT_EQ(expectedOrder("2\n", 6), 2);
    EXPECT_EQ(expectedOrder(" \t\n\v\f\r-12abc", 6), -12);
    EXPECT_EQ(expectedOrder("+007 8", 6), 7);
    EXPECT_EQ(expectedOrder("-0", 6), 0);
    EXPECT_EQ(expectedOrder("2147483647", 6), INT_MAX);
    EXPECT_EQ(expectedOrder("2147483648", 6), INT_MAX);
    EXPECT_EQ(expectedOrder("-2147483648", 6), INT_MIN);
    EXPECT_EQ(expectedOrder("-2147483649", 6), INT_MIN);
    EXPECT_EQ(expectedOrder("000000000000000000000000000000000042", 6), 42);
    EXPECT_EQ(expectedOrder(std::string(500, '9'), 6), INT_MAX);
    EXPECT_EQ(expectedOrder("", 6), 6);
    EXPECT_EQ(expectedOrder(" \n", 6), 6);
    EXPECT_EQ(expectedOrder("-", 6), 6);
    EXPECT_EQ(expectedOrder("+-3", 6), 6);
    EXPECT_EQ(expectedOrder("- 3", 6), 6);
    EXPECT_EQ(expectedOrder("x3", 6), 6);
    EXPECT_EQ(expectedOrder(std::string("\0"
                                        "3",
                                        2),
                            6),
              6);
    EXPECT_EQ(expectedOrder("\xA0"
                            "3",
                            6),
              6)
        << "no-break space is not C white space";
    EXPECT_EQ(expectedOrder("\x1C"
                            "3",
                            6),
              6);
    EXPECT_EQ(expectedOrder("abc", 11), 11);
}

TEST(ReadOrder, AgreesOnEveryStringOfUpToTwoBytes) {
    int mismatches = 0;
    std::string input;
    for (int length = 0; length <= 2; ++length) {
        int total = length == 0 ? 1 : length == 1 ? 256 : 65536;
        for (int n = 0; n < total && mismatches < kReportLimit; ++n) {
            input.assign(static_cast<std::size_t>(length), '\0');
            for (int i = 0; i < length; ++i) {
                input[static_cast<std::size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
            }
            std::string wrong = disagreement(input, 6);
            if (!wrong.empty()) {
                ++mismatches;
                ADD_FAILURE() << wrong;
            }
        }
    }
}

// With the bytes of UTF-8's no-break space (C2 A0), ideographic space (E3 80
// 80) and full-width digits (EF BC 90..99), which a phone's keyboard types.
TEST(ReadOrder, AgreesOnThreeByteStringsOfTheInterestingBytes) {
    const std::string bytes(" \t\n\v\f\r+-0189a.\x1F\xA0\x85\x00\xC2\xE3\x80\xEF\xBC\x92", 24);
    int mismatches = 0;
    for (char a : bytes) {
        for (char b : bytes) {
            for (char c : bytes) {
                std::string wrong = disagreement(std::string{a, b, c}, 6);
                if (!wrong.empty() && ++mismatches <= kReportLimit) {
                    ADD_FAILURE() << wrong;
                }
            }
        }
    }
}

// Random inputs of three families: raw bytes; white space, sign and digits
// with a random tail; and numbers at the edges of the int and long ranges.
class InputMaker {
  public:
    explicit InputMaker(std::uint64_t seed) : bytes_(seed) {}

    std::string next() {
        switch (byte() % 3) {
            case 0:
                return raw(byte() % 24);
            case 1:
                return space() + sign() + digits() + tail();
            default:
                return space() + edgeNumber() + tail();
        }
    }

  private:
    unsigned byte() {
        std::uint8_t value;
        bytes_.next(value);
        return value;
    }

    std::string raw(unsigned length) {
        std::string text;
        for (unsigned i = 0; i < length; ++i) {
            text += static_cast<char>(byte());
        }
        return text;
    }

    // Real white space mostly, and now and then what only looks like it: bytes,
    // and no-break and ideographic space in UTF-8.
    std::string space() {
        static const std::string kSpace(" \t\n\v\f\r", 6);
        static const char* const kLookalikes[] = {"\x1C", "\x1D", "\x1E",     "\x1F",        "\x85",
                                                  "\xA0", "\x08", "\xC2\xA0", "\xE3\x80\x80"};
        std::string text;
        for (unsigned i = byte() % 5; i > 0; --i) {
            text += byte() < 240 ? std::string(1, kSpace[byte() % kSpace.size()])
                                 : std::string(kLookalikes[byte() % 9]);
        }
        return text;
    }

    std::string sign() {
        static const char* const kSigns[] = {"", "", "", "+", "-", "-", "+-", "--", "-+", "++"};
        return kSigns[byte() % 10];
    }

    // Now and then a digit is full-width, as a Chinese input method types it.
    std::string digits() {
        std::string text;
        unsigned length = byte() % 26;
        bool leadingZeros = byte() < 40;
        for (unsigned i = 0; i < length; ++i) {
            char digit =
                leadingZeros && i < length / 2 ? '0' : static_cast<char>('0' + byte() % 10);
            text += byte() < 8 ? std::string("\xEF\xBC") + static_cast<char>(digit - '0' + 0x90)
                               : std::string(1, digit);
        }
        return text;
    }

    std::string edgeNumber() {
        static const long long kEdges[] = {INT_MAX, INT_MIN, 0, LLONG_MAX, LLONG_MIN};
        long long edge = kEdges[byte() % 5];
        int delta = static_cast<int>(byte() % 9) - 4;
        std::string text;
        if (edge == LLONG_MAX || edge == LLONG_MIN) {
            // At the long limits: the limit itself, and the numbers around it
            // written out, past which a long overflows too.
            std::string limit = std::to_string(edge);
            char& last = limit.back();
            last = static_cast<char>('0' + (last - '0' + 10 + delta) % 10);
            text = limit;
        } else {
            text = std::to_string(edge + delta);
        }
        if (byte() < 64 && text[0] != '-') {
            text = "+" + text;
        }
        return text;
    }

    std::string tail() {
        static const char* const kTails[] = {"", "\n", " 12\n", "x", ".5", "e3", "-", "\xFF"};
        unsigned pick = byte() % 9;
        return pick < 8 ? kTails[pick] : raw(byte() % 8);
    }

    fuzz::SeededBytes bytes_;
};

TEST(ReadOrder, AgreesOnRandomInputs) {
    constexpr int kInputs = 200000;
    InputMaker maker(0x0DDE5EEDu);
    fuzz::SeededBytes fallbacks(7);
    int mismatches = 0;
    for (int n = 0; n < kInputs && mismatches < kReportLimit; ++n) {
        std::string input = maker.next();
        // Mostly the game's own 6, sometimes another value, so that the
        // fallback is known to come from the caller.
        std::uint8_t pick;
        fallbacks.next(pick);
        int fallback = pick < 200 ? 6 : static_cast<int>(pick) - 300;
        std::string wrong = disagreement(input, fallback);
        if (!wrong.empty()) {
            ++mismatches;
            ADD_FAILURE() << "input " << n << ": " << wrong;
        }
    }
}

}  // namespace
