// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "recording_gl.h"

#include <GL/glut.h>
#if __has_include(<GL/glx.h>)
#include <GL/glx.h>
#endif

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <sstream>

namespace recording {

namespace {
std::vector<GlCall> log;
std::vector<std::pair<const char*, std::size_t>> counts;
bool recordingOn = true;
constexpr std::uint64_t kDigestStart = 0xcbf29ce484222325u;  // FNV-1a's offset basis
std::uint64_t callDigest = kDigestStart;
Glut glutState;
Gl glState;

// A client-side array as glVertexPointer or glColorPointer last set it.
struct ClientArray {
    bool enabled = false;
    int size = 0;  // floats per element
    int stride = 0;
    const void* pointer = nullptr;

    // Element `index`, read as GL reads it: packed when the stride is 0.
    const float* element(int index) const {
        int step = stride != 0 ? stride : size * static_cast<int>(sizeof(float));
        return reinterpret_cast<const float*>(static_cast<const char*>(pointer) + index * step);
    }
};
ClientArray vertexArray;
ClientArray colourArray;

void record(const char* name, const double* args, int argCount) {
    std::size_t index = 0;
    while (index < counts.size() && counts[index].first != name &&
           std::strcmp(counts[index].first, name) != 0) {
        ++index;
    }
    if (index == counts.size()) {
        counts.emplace_back(name, 0);
    }
    ++counts[index].second;
    // The function, as its place among those called since the reset, and the
    // bits of each argument: a 64-bit word at a time, cheap enough for every
    // call of a long run.
    auto fold = [](std::uint64_t word) { callDigest = (callDigest ^ word) * 0x100000001b3u; };
    fold(index);
    for (int i = 0; i < argCount; ++i) {
        std::uint64_t bits;
        std::memcpy(&bits, &args[i], sizeof bits);
        fold(bits);
    }
    if (!recordingOn) {
        return;
    }
    GlCall call{name, {}, argCount};
    std::copy(args, args + argCount, call.args);
    log.push_back(call);
}

void record(const char* name, std::initializer_list<double> args) {
    record(name, args.begin(), static_cast<int>(args.size()));
}

void recordElement(const char* name, const ClientArray& array, int index) {
    double args[4];
    int size = std::min(array.size, 4);
    const float* element = array.element(index);
    std::copy(element, element + size, args);
    record(name, args, size);
}

ClientArray* clientArray(GLenum cap) {
    return cap == GL_VERTEX_ARRAY ? &vertexArray : cap == GL_COLOR_ARRAY ? &colourArray : nullptr;
}
}  // namespace

void (*mainLoopHook)() = nullptr;

const std::vector<GlCall>& calls() {
    return log;
}

std::size_t count(const char* name) {
    for (const auto& entry : counts) {
        if (std::strcmp(entry.first, name) == 0) {
            return entry.second;
        }
    }
    return 0;
}

std::uint64_t digest() {
    return callDigest;
}

void reset() {
    log.clear();
    counts.clear();
    callDigest = kDigestStart;
    recordingOn = true;
    glutState = Glut{};
    // The textures stay, as the game keeps them from test to test.
    const Gl defaults;
    std::copy(defaults.viewport, defaults.viewport + 4, glState.viewport);
    glState.maxTextureSize = defaults.maxTextureSize;
    vertexArray = ClientArray{};
    colourArray = ClientArray{};
}

void setRecording(bool on) {
    recordingOn = on;
}

Glut& glut() {
    return glutState;
}

Gl& gl() {
    return glState;
}

}  // namespace recording

std::string GlCall::text() const {
    std::ostringstream out;
    out.precision(9);
    out << name << '(';
    for (int i = 0; i < argCount; ++i) {
        out << (i ? ", " : "") << args[i];
    }
    out << ')';
    return out.str();
}

bool operator==(const GlCall& call, const GlCall& other) {
    if (std::strcmp(call.name, other.name) != 0 || call.argCount != other.argCount) {
        return false;
    }
    for (int i = 0; i < call.argCount; ++i) {
        if (call.args[i] != other.args[i]) {
            return false;
        }
    }
    return true;
}

void PrintTo(const GlCall& call, std::ostream* out) {
    *out << call.text();
}

using recording::clientArray;
using recording::ClientArray;
using recording::colourArray;
using recording::record;
using recording::recordElement;
using recording::vertexArray;

// OpenGL 1.1
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record("glClearColor", {r, g, b, a});
}
void glClear(GLbitfield mask) {
    record("glClear", {static_cast<double>(mask)});
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    record("glColor3f", {r, g, b});
}
void glRectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2) {
    record("glRectf", {x1, y1, x2, y2});
}
void glLineWidth(GLfloat width) {
    record("glLineWidth", {width});
}
void glBegin(GLenum mode) {
    record("glBegin", {static_cast<double>(mode)});
}
void glEnd() {
    record("glEnd", {});
}
void glVertex2f(GLfloat x, GLfloat y) {
    record("glVertex2f", {x, y});
}
void glFlush() {
    record("glFlush", {});
}
void glFinish() {
    record("glFinish", {});
}
void glEnableClientState(GLenum cap) {
    record("glEnableClientState", {static_cast<double>(cap)});
    if (ClientArray* array = clientArray(cap)) {
        array->enabled = true;
    }
}
void glDisableClientState(GLenum cap) {
    record("glDisableClientState", {static_cast<double>(cap)});
    if (ClientArray* array = clientArray(cap)) {
        array->enabled = false;
    }
}
// Float arrays only: the type is recorded for the test to check.
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    record("glVertexPointer",
           {static_cast<double>(size), static_cast<double>(type), static_cast<double>(stride)});
    vertexArray = {vertexArray.enabled, size, stride, pointer};
}
void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    record("glColorPointer",
           {static_cast<double>(size), static_cast<double>(type), static_cast<double>(stride)});
    colourArray = {colourArray.enabled, size, stride, pointer};
}
// Recorded, and then what GL defines it to do: glBegin(mode), for each
// element the colour (when its array is enabled) and the vertex, glEnd.
void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    record("glDrawArrays",
           {static_cast<double>(mode), static_cast<double>(first), static_cast<double>(count)});
    record("glBegin", {static_cast<double>(mode)});
    for (int i = first; i < first + count; ++i) {
        if (colourArray.enabled) {
            recordElement(colourArray.size == 4 ? "glColor4f" : "glColor3f", colourArray, i);
        }
        if (vertexArray.enabled) {
            recordElement(vertexArray.size == 3 ? "glVertex3f" : "glVertex2f", vertexArray, i);
        }
    }
    record("glEnd", {});
}

// Textures: the calls are recorded; names and sizes are kept in gl().
void glGetIntegerv(GLenum name, GLint* values) {
    record("glGetIntegerv", {static_cast<double>(name)});
    const auto& state = recording::gl();
    if (name == GL_VIEWPORT) {
        std::copy(state.viewport, state.viewport + 4, values);
    } else if (name == GL_MAX_TEXTURE_SIZE) {
        *values = state.maxTextureSize;
    }
}
void glGenTextures(GLsizei n, GLuint* textures) {
    record("glGenTextures", {static_cast<double>(n)});
    for (GLsizei i = 0; i < n; ++i) {
        textures[i] = ++recording::gl().texturesMade;
    }
}
void glBindTexture(GLenum target, GLuint texture) {
    record("glBindTexture", {static_cast<double>(target), static_cast<double>(texture)});
    recording::gl().boundTexture = texture;
}
void glTexParameteri(GLenum target, GLenum name, GLint value) {
    record("glTexParameteri",
           {static_cast<double>(target), static_cast<double>(name), static_cast<double>(value)});
}
void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid*) {
    record("glTexImage2D", {static_cast<double>(target), static_cast<double>(level),
                            static_cast<double>(internalFormat), static_cast<double>(width),
                            static_cast<double>(height), static_cast<double>(border),
                            static_cast<double>(format), static_cast<double>(type)});
    recording::gl().textureSizes[recording::gl().boundTexture] = {width, height};
}
void glCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset, GLint x, GLint y,
                         GLsizei width, GLsizei height) {
    record("glCopyTexSubImage2D",
           {static_cast<double>(target), static_cast<double>(level), static_cast<double>(xOffset),
            static_cast<double>(yOffset), static_cast<double>(x), static_cast<double>(y),
            static_cast<double>(width), static_cast<double>(height)});
}
void glEnable(GLenum cap) {
    record("glEnable", {static_cast<double>(cap)});
}
void glDisable(GLenum cap) {
    record("glDisable", {static_cast<double>(cap)});
}
void glTexEnvi(GLenum target, GLenum name, GLint value) {
    record("glTexEnvi",
           {static_cast<double>(target), static_cast<double>(name), static_cast<double>(value)});
}
void glTexCoord2f(GLfloat s, GLfloat t) {
    record("glTexCoord2f", {s, t});
}

// GLUT
void glutInit(int* argc, char**) {
    record("glutInit", {static_cast<double>(*argc)});
}
void glutInitDisplayMode(unsigned int mode) {
    record("glutInitDisplayMode", {static_cast<double>(mode)});
}
void glutInitWindowPosition(int x, int y) {
    record("glutInitWindowPosition", {static_cast<double>(x), static_cast<double>(y)});
}
void glutInitWindowSize(int width, int height) {
    record("glutInitWindowSize", {static_cast<double>(width), static_cast<double>(height)});
}
int glutCreateWindow(const char* title) {
    record("glutCreateWindow", {});
    recording::glut().title = title;
    return 1;
}
void glutDisplayFunc(void (*callback)()) {
    record("glutDisplayFunc", {});
    recording::glut().display = callback;
}
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) {
    record("glutKeyboardFunc", {});
    recording::glut().keyboard = callback;
}
void glutTimerFunc(unsigned int millis, void (*callback)(int), int value) {
    record("glutTimerFunc", {static_cast<double>(millis), static_cast<double>(value)});
    auto& state = recording::glut();
    state.timer = callback;
    state.timerMillis = millis;
    state.timerValue = value;
    ++state.timersArmed;
}
void glutPostRedisplay() {
    record("glutPostRedisplay", {});
    ++recording::glut().redisplays;
}
void glutSwapBuffers() {
    record("glutSwapBuffers", {});
    ++recording::glut().swaps;
}
void glutMainLoop() {
    record("glutMainLoop", {});
    if (recording::mainLoopHook) {
        recording::mainLoopHook();
    }
}

#if __has_include(<GL/glx.h>)
// GLX: no X server behind the stand-in, so there is no current display.
Display* glXGetCurrentDisplay() {
    record("glXGetCurrentDisplay", {});
    return nullptr;
}
GLXDrawable glXGetCurrentDrawable() {
    record("glXGetCurrentDrawable", {});
    return 0;
}
#endif
