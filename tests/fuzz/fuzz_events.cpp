// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// libFuzzer target: the event harness driven by the fuzzer's bytes. Every
// input is one game (or several, when it reaches game overs) from the first
// T, checked after every event; a broken rule aborts with the report.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "event_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static unsigned inputs = 0;
    fuzz::BufferBytes bytes(data, size);
    fuzz::Options options;
    // A forked child per game over would dominate the run; confirm the first
    // game over of one input in 64.
    options.confirmFirst = inputs++ % 64 == 0 ? 1 : 0;
    options.confirmEvery = 0;
    fuzz::Harness harness(bytes, options);
    std::string broke = harness.play();
    if (!broke.empty()) {
        std::fprintf(stderr, "\n%s\n", broke.c_str());
        std::abort();
    }
    return 0;
}
