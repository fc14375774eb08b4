// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Fitting the window to the work area: where it fits it stays exactly as
// asked; otherwise it keeps its shape and comes as near its place as fits.
#include <gtest/gtest.h>

#include "window_fit.h"

// Where gtest and the checks below find it, beside ScreenRect itself.
std::ostream& operator<<(std::ostream& out, const ScreenRect& r) {
    return out << r.width << "x" << r.height << " at (" << r.x << ", " << r.y << ")";
}

namespace {

struct FitCase {
    const char* screen;
    ScreenRect workArea;
    FrameExtents frame;
    ScreenRect expected;
    ScreenRect wanted = kWindowPlace;
};

// openbox's default theme: a border of 1 and a title bar of 23 (its bottom
// handle takes 5 more).
constexpr FrameExtents kNoFrame = {0, 0, 0, 0};
constexpr FrameExtents kOpenbox = {1, 1, 23, 5};

TEST(WindowFit, KeepsTheWindowWhereItFitsAndShrinksItToTheShapeWhereNot) {
    const FitCase cases[] = {
        // Room enough, with or without a frame: exactly as asked.
        {"1920x1200", {0, 0, 1920, 1200}, kNoFrame, kWindowPlace},
        {"1920x1080 with a frame", {0, 0, 1920, 1080}, kOpenbox, kWindowPlace},
        {"1680x960, to the pixel", {0, 0, 1680, 960}, kNoFrame, kWindowPlace},
        // One pixel short on one axis only: the size is kept and the window
        // moves on that axis alone.
        {"1679x1200", {0, 0, 1679, 1200}, kNoFrame, {399, 100, 1280, 860}},
        {"1920x959", {0, 0, 1920, 959}, kNoFrame, {400, 99, 1280, 860}},
        // Too small: as high as the area allows, the width from the shape
        // (so 767 of 768 rows, rounded down), the corner as near (400, 100)
        // as the window fits.
        {"1366x768", {0, 0, 1366, 768}, kNoFrame, {223, 1, 1143, 767}},
        {"1366x768 with a frame", {0, 0, 1366, 768}, kOpenbox, {263, 1, 1101, 739}},
        {"1280x720", {0, 0, 1280, 720}, kNoFrame, {209, 1, 1071, 719}},
        {"1024x600", {0, 0, 1024, 600}, kNoFrame, {131, 1, 893, 599}},
        {"800x480", {0, 0, 800, 480}, kNoFrame, {86, 1, 714, 479}},
        // A portrait screen: the width limits, and x keeps what it can.
        {"600x1024", {0, 0, 600, 1024}, kNoFrame, {0, 100, 600, 403}},
        // A panel at the top and a task bar at the bottom: the window keeps
        // clear of both.
        {"1366x768 less 30 at the top and 40 below",
         {0, 30, 1366, 698},
         kNoFrame,
         {328, 31, 1038, 697}},
        // A work area to the right of a side panel, far from the corner.
        {"1920x1080 right of a 600-pixel panel",
         {600, 0, 1320, 1080},
         kNoFrame,
         {600, 100, 1280, 860}},
        // Windows at 150 %: asked for at (600, 150), 1920 x 1290, on a
        // 1920 x 1080 laptop with a 48-pixel task bar and an 8-pixel frame.
        {"1920x1080 at 150 %",
         {0, 0, 1920, 1032},
         {8, 8, 31, 8},
         {427, 1, 1477, 992},
         {600, 150, 1920, 1290}},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.screen);
        const ScreenRect& wanted = c.wanted;
        const ScreenRect fitted = fitWindow(wanted, c.workArea, c.frame);
        EXPECT_EQ(fitted, c.expected) << fitted;
        // Whatever the case: inside the area, frame included, and of the
        // shape to within a pixel of height.
        EXPECT_GE(fitted.x, c.workArea.x);
        EXPECT_GE(fitted.y, c.workArea.y);
        EXPECT_LE(fitted.x + fitted.width + c.frame.left + c.frame.right,
                  c.workArea.x + c.workArea.width);
        EXPECT_LE(fitted.y + fitted.height + c.frame.top + c.frame.bottom,
                  c.workArea.y + c.workArea.height);
        EXPECT_NEAR(fitted.height, double(fitted.width) * wanted.height / wanted.width, 1.0);
    }
}

TEST(WindowFit, AnAreaTooSmallForTheFrameStillGivesAWindow) {
    for (const ScreenRect area : {ScreenRect{0, 0, 10, 10}, ScreenRect{0, 0, 0, 0}}) {
        const ScreenRect fitted = fitWindow(kWindowPlace, area, {8, 8, 31, 8});
        EXPECT_GE(fitted.width, 1) << fitted;
        EXPECT_GE(fitted.height, 1) << fitted;
        EXPECT_EQ(fitted.x, area.x);
        EXPECT_EQ(fitted.y, area.y);
    }
}

}  // namespace
