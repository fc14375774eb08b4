// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Keys, lower case only:
//   w  turn the piece to its next orientation
//   s  one row down; lands the piece when the row below is blocked
//   d  one column right
//   a  one column left
// Every key, acted on or not, ends with one redisplay request.
#pragma once

// GLUT keyboard callback, registered by main. The mouse position is ignored.
void onKeyboard(unsigned char key, int x, int y);

// Adds dx (+0.1 or -0.1) to the x of blocks 0 to 3, in single precision.
void shiftPiece(float dx);

// Moves blocks 0 to 3 by dy in y, in single precision; shared by the `s` key
// and the gravity step.
void stepPiece(float dy);
