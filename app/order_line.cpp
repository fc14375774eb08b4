// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The order in the line typed on the page, read without the stream library,
// whose locale machinery the browser build would otherwise carry for one int.
#include <climits>

#include "console.h"

namespace {

// The C locale's white space, named so that no locale is consulted.
bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int orderFromLine(std::string_view line, int fallback) {
    std::size_t at = 0;
    while (at < line.size() && isCSpace(line[at])) {
        ++at;
    }
    bool negative = at < line.size() && line[at] == '-';
    if (at < line.size() && (line[at] == '+' || line[at] == '-')) {
        ++at;
    }
    if (at == line.size() || !isDigit(line[at])) {
        return fallback;
    }
    // The magnitude stops growing at |INT_MIN|, past which either sign gives
    // its limit, so that any number of digits fits in it.
    const long long kLargest = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; at < line.size() && isDigit(line[at]); ++at) {
        magnitude = magnitude * 10 + (line[at] - '0');
        if (magnitude > kLargest) {
            magnitude = kLargest;
        }
    }
    if (negative) {
        return static_cast<int>(-magnitude);
    }
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}
