// Cross-built with the .exe and run through Wine by WindowsBuild: opens a
// GLUT window as the game does, with the game's own window code, and writes
// whether the window has an input context once its first frame is drawn.
// Only the window's own process can ask: ImmGetContext answers NULL for
// another's window.
#include <windows.h>

#include <GL/glut.h>
#include <imm.h>

#include <cstdio>
#include <cstdlib>

#include "window_identity.h"

namespace {

constexpr char kProbeTitle[] = "Input context probe";

void report() {
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
    // Found by class and title, not the way the game's code finds it, so
    // that both cannot miss the window together.
    HWND window = FindWindowA("FREEGLUT", kProbeTitle);
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process) ||
        process != GetCurrentProcessId()) {
        std::printf("no window of its own\n");
        std::exit(2);
    }
    HIMC context = ImmGetContext(window);
    std::printf("input context: %s\n", context ? "yes" : "none");
    ImmReleaseContext(window, context);
    std::exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutCreateWindow(kProbeTitle);
    setWindowIdentity();
    glutDisplayFunc(report);
    glutMainLoop();
    return 0;
}
