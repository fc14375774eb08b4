// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#pragma once

// The gravity period, and the value the timer is armed with (and ignores).
constexpr unsigned kGravityMillis = 1000;
constexpr int kGravityValue = 1;

// GLUT timer callback, armed by main and then by itself: moves the piece one
// row down. A blocked step lands and locks the piece, or ends the process with
// status 1 when block 0 is still at the top. Requests a redisplay and re-arms.
void onTimer(int value);
