// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "console.h"

#include <climits>
#include <iostream>

const char kPromptGbk[13] = "\xC7\xEB\xCA\xE4\xC8\xEB\xBD\xD7\xCA\xFD\xA1\xA3";

void writePrompt(std::ostream& out) {
    out << consolePrompt() << '\n';
    out.flush();
}

int readOrder(std::istream& in, int fallback) {
    int value = 0;
    if (in >> value) {
        return value;
    }
    // A failed extraction stores the nearest limit for a number out of range
    // and 0 when there was no number at all.
    return value == INT_MAX || value == INT_MIN ? value : fallback;
}

int askForOrder(int fallback) {
    if (!writePromptToConsole()) {
        writePrompt(std::cout);
    }
    return readOrder(std::cin, fallback);
}
