// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// A recording stand-in for the GLUT and OpenGL functions the game calls.
// Linked instead of freeglut and libGL, it keeps every call with its exact
// arguments (floats and ints held exactly in doubles) and the callbacks and
// timer that GLUT would hold, so a test can see a frame call by call. A
// glDrawArrays is recorded and followed by the calls GL defines it to stand
// for: glBegin(mode), then per element its glColor3f (when the colour array is
// enabled) and glVertex2f, and glEnd. Queries answer from what the test set
// (see recording::gl()).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct GlCall {
    const char* name;  // the API function, e.g. "glVertex2f"
    double args[8];    // all but pointers; glTexImage2D's first eight
    int argCount;

    std::string text() const;  // "glVertex2f(-1, -0.9)", for failure messages
};

bool operator==(const GlCall& call, const GlCall& other);
void PrintTo(const GlCall& call, std::ostream* out);  // for gtest's messages: text()

namespace recording {

// Everything recorded since the last reset.
const std::vector<GlCall>& calls();

// Number of recorded calls of one function.
std::size_t count(const char* name);

// A digest (FNV-1a, by 64-bit words) of every call since the last reset,
// recorded or not: its function and exact arguments. Runs that drew the same agree.
std::uint64_t digest();

// Forgets the calls and everything GLUT was given, and puts the viewport and
// the largest texture below back to their defaults (the textures stay, as
// the game keeps them); recording is switched on.
void reset();

// With recording off only the counters below advance: for long runs that do
// not look at the drawing.
void setRecording(bool on);

// What GLUT holds.
struct Glut {
    void (*display)() = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*timer)(int) = nullptr;  // the last timer armed
    unsigned timerMillis = 0;
    int timerValue = 0;
    int timersArmed = 0;
    int redisplays = 0;  // glutPostRedisplay calls
    int swaps = 0;       // glutSwapBuffers calls
    std::string title;   // of the window created last
};
Glut& glut();

// What GL answers and holds.
struct Gl {
    int viewport[4] = {0, 0, 1280, 860};  // glGetIntegerv(GL_VIEWPORT)
    int maxTextureSize = 1024;            // glGetIntegerv(GL_MAX_TEXTURE_SIZE), as Windows' own GL
    unsigned texturesMade = 0;            // glGenTextures hands out 1, 2, ... in the process
    unsigned boundTexture = 0;
    std::map<unsigned, std::pair<int, int>> textureSizes;  // by name, from glTexImage2D
};
Gl& gl();

// Called by the stand-in's glutMainLoop, which then returns; unset, the loop
// returns at once.
extern void (*mainLoopHook)();

}  // namespace recording
