// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "order_reference.h"

#include <climits>
#include <cstdio>

namespace fuzz {

namespace {

// The C locale's white space, spelt out so that no locale is consulted.
bool isCSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int expectedOrder(const std::string& input, int fallback) {
    std::size_t at = 0;
    while (at < input.size() && isCSpace(static_cast<unsigned char>(input[at]))) {
        ++at;
    }
    bool negative = false;
    if (at < input.size() && (input[at] == '+' || input[at] == '-')) {
        negative = input[at] == '-';
        ++at;
    }
    if (at >= input.size() || !isDigit(static_cast<unsigned char>(input[at]))) {
        return fallback;
    }
    // The magnitude saturates just past the int range, so any number of
    // digits can follow without overflowing it.
    const long long limit = static_cast<long long>(INT_MAX) + 1;  // |INT_MIN|
    long long magnitude = 0;
    while (at < input.size() && isDigit(static_cast<unsigned char>(input[at]))) {
        magnitude = magnitude * 10 + (input[at] - '0');
        if (magnitude > limit) {
            magnitude = limit + 1;
        }
        ++at;
    }
    if (negative) {
        return magnitude >= limit ? INT_MIN : static_cast<int>(-magnitude);
    }
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

std::string printable(const std::string& input) {
    std::string text;
    for (unsigned char c : input) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    return text;
}

}  // namespace fuzz
