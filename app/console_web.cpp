// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The console in a browser. The page shows what the program writes to
// standard output, decoded as UTF-8, and hands the line typed in its field to
// the program through the imports of web/page_line.js. The order is read from
// that line by orderFromLine, without the stream library.
#include <unistd.h>

#include <cstdlib>

#include "console.h"

extern "C" {
// Waits until the page has the line typed in its field, and returns its
// length in UTF-8 bytes. The wait goes through Asyncify, with main on the
// stack and this function inlined into it (ASYNCIFY_ONLY in CMakeLists.txt).
int pageLineLength();
// Copies the line's bytes to `bytes`, which has room for them all.
void pageLineCopy(char* bytes);
}

int askForOrder(int fallback) {
    // "请输入阶数。" as UTF-8, and a newline.
    static const char kPrompt[] = "\u8BF7\u8F93\u5165\u9636\u6570\u3002\n";
    write(STDOUT_FILENO, kPrompt, sizeof kPrompt - 1);
    int length = pageLineLength();
    // One byte more, so that an empty line is not an allocation of nothing.
    char* line = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
    if (!line) {
        std::abort();  // a line longer than the browser gives memory for
    }
    pageLineCopy(line);
    int order = orderFromLine(std::string_view(line, static_cast<std::size_t>(length)), fallback);
    std::free(line);
    return order;
}
