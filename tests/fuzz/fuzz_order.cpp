// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// libFuzzer target: the fuzzer's bytes as the whole of standard input, read
// by readOrder and by the independent reader, and as the page's line, read by
// orderFromLine and by readOrder with a newline after it; any difference aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "console.h"
#include "order_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream in(input);
    int got = readOrder(in, 6);
    int want = fuzz::expectedOrder(input, 6);
    std::istringstream line(input + "\n");
    int readLine = readOrder(line, 6);
    int fromLine = orderFromLine(input, 6);
    if (got != want || fromLine != readLine) {
        std::fprintf(stderr,
                     "\ninput '%s': read %d, expected %d; from the line %d, read as a line %d\n",
                     fuzz::printable(input).c_str(), got, want, fromLine, readLine);
        std::abort();
    }
    return 0;
}
