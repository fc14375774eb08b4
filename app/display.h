// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#pragma once

// GLUT display callback, registered by main: draws the frame and, once a piece
// has landed, places the next one and asks for a frame that shows it.
void display();
