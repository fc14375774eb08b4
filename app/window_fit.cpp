// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "window_fit.h"

#include <algorithm>

namespace {

// The position on one axis nearest `wanted` at which `length` fits in
// [start, start + room), or `start` when it does not fit at all.
int nearestFit(int wanted, int length, int start, int room) {
    return std::max(start, std::min(wanted, start + room - length));
}

}  // namespace

ScreenRect fitWindow(ScreenRect wanted, ScreenRect workArea, FrameExtents frame) {
    const int frameWidth = frame.left + frame.right;
    const int frameHeight = frame.top + frame.bottom;
    const bool fitsAsItIs = wanted.x >= workArea.x && wanted.y >= workArea.y &&
                            wanted.x + wanted.width + frameWidth <= workArea.x + workArea.width &&
                            wanted.y + wanted.height + frameHeight <= workArea.y + workArea.height;
    if (fitsAsItIs || wanted.width <= 0 || wanted.height <= 0) {
        return wanted;  // (a window of no size has no shape to keep)
    }
    ScreenRect fitted = wanted;
    const long long roomWidth = workArea.width - frameWidth;
    const long long roomHeight = workArea.height - frameHeight;
    if (wanted.width > roomWidth || wanted.height > roomHeight) {
        // The widest client area of the shape whose height has room too;
        // rounding down keeps both inside.
        const long long width = std::min(roomWidth, roomHeight * wanted.width / wanted.height);
        fitted.width = static_cast<int>(std::max(1LL, width));
        fitted.height = static_cast<int>(
            std::max(1LL, static_cast<long long>(fitted.width) * wanted.height / wanted.width));
    }
    fitted.x = nearestFit(wanted.x, fitted.width + frameWidth, workArea.x, workArea.width);
    fitted.y = nearestFit(wanted.y, fitted.height + frameHeight, workArea.y, workArea.height);
    return fitted;
}
