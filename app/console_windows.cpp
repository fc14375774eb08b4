// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The prompt's encoding on Windows: the output code page of the console, when
// standard output is one. The prompt is converted from GBK through UTF-16.
#include <windows.h>

#include "console.h"

unsigned consoleCodePage() {
    // A pipe or a file takes the bytes as they are written; only a console
    // shows them through a code page.
    DWORD mode;
    if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
        return 0;
    }
    return GetConsoleOutputCP();
}

std::string promptInCodePage(unsigned codePage) {
    const std::string gbk(kPromptGbk);
    const unsigned kGbkCodePage = 936;
    if (codePage == 0 || codePage == kGbkCodePage) {
        return gbk;
    }
    wchar_t wide[16];  // the prompt is 6 characters
    int wideLength = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(),
                                         static_cast<int>(gbk.size()), wide, 16);
    if (wideLength <= 0) {
        return gbk;
    }
    // The UTF code pages take neither flags nor a default character; every
    // other code page reports a character it had to replace, and then the
    // GBK bytes are written instead.
    bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
    BOOL replaced = FALSE;
    char output[64];  // no code page needs more than 4 bytes a character
    int length = WideCharToMultiByte(codePage, utf ? 0 : WC_NO_BEST_FIT_CHARS, wide, wideLength,
                                     output, sizeof output, nullptr, utf ? nullptr : &replaced);
    if (length <= 0 || replaced) {
        return gbk;
    }
    return std::string(output, static_cast<size_t>(length));
}

std::string consolePrompt() {
    return promptInCodePage(consoleCodePage());
}
