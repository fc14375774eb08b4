// A recording stand-in for the GLUT and OpenGL functions the game calls.
// Linked instead of freeglut and libGL, it keeps every call with its exact
// arguments (floats and ints held exactly in doubles) and the callbacks and
// timer that GLUT would hold, so a test can see a frame call by call. A
// glDrawArrays is recorded and followed by the calls GL defines it to stand
// for: glBegin(mode), then per element its glColor3f (when the colour array is
// enabled) and glVertex2f, and glEnd.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct GlCall {
    const char* name;  // the API function, e.g. "glVertex2f"
    double args[4];
    int argCount;

    std::string text() const;  // "glVertex2f(-1, -0.9)", for failure messages
};

bool operator==(const GlCall& call, const GlCall& other);

namespace recording {

// Everything recorded since the last reset.
const std::vector<GlCall>& calls();

// Number of recorded calls of one function.
std::size_t count(const char* name);

// Forgets the calls and everything GLUT was given; recording is switched on.
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

// Called by the stand-in's glutMainLoop, which then returns; unset, the loop
// returns at once.
extern void (*mainLoopHook)();

}  // namespace recording
