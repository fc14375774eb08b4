// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The native game's first frames, saved for the web build's tests to compare
// the browser's with (the browser tests run this alone; the suite skips it).
#include <cstdlib>
#include <string>

#include "game_fixture.h"

namespace e2e {
namespace {

using NativeReference = GameTest;

// ZQ_REFERENCE_DIR/order-N.ppm for the orders 2, 6, 7 and the largest, each
// taken before the first gravity step, so that the piece stands where it is
// placed.
TEST_F(NativeReference, SavesTheFirstFrames) {
    const char* dir = std::getenv("ZQ_REFERENCE_DIR");
    ASSERT_TRUE(dir && *dir) << "ZQ_REFERENCE_DIR names no folder to save the frames in";
    for (int order : {2, 6, 7, 2147483647}) {
        bool saved = false;
        for (int attempt = 0; attempt < 3 && !saved; ++attempt) {
            start(std::to_string(order) + "\n", {}, kNativeGame);
            Frame frame = grabSettled();
            if (blockCells(frame) == kFirstPiece) {
                std::string path = std::string(dir) + "/order-" + std::to_string(order) + ".ppm";
                ASSERT_TRUE(frame.savePpm(path)) << "cannot write " << path;
                saved = true;
            }
            game_.reset();
        }
        EXPECT_TRUE(saved) << "the piece fell before order " << order << "'s frame was read";
    }
}

}  // namespace
}  // namespace e2e
