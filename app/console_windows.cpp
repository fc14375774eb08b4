// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The prompt on Windows. A console is handed the prompt as text, in UTF-16,
// so that it shows the characters whatever its code page: an English or
// Western console (437, 850, 1252) would show the GBK bytes as a few odd
// letters. A pipe or a file takes bytes, and gets the GBK ones.
#include <windows.h>

#include "console.h"

bool writePromptToConsole() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    if (out == nullptr || out == INVALID_HANDLE_VALUE || !GetConsoleMode(out, &mode)) {
        return false;  // no console: a pipe, a file, or nothing at all
    }
    // The characters of kPromptGbk, and the line end text mode writes.
    static const wchar_t kPrompt[] = L"\u8BF7\u8F93\u5165\u9636\u6570\u3002\r\n";
    const DWORD length = sizeof kPrompt / sizeof kPrompt[0] - 1;
    DWORD written = 0;
    return WriteConsoleW(out, kPrompt, length, &written, nullptr) && written > 0;
}

std::string consolePrompt() {
    return kPromptGbk;
}
