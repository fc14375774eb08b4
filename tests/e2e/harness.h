// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Plumbing for the end-to-end tests: a private X server, the game as a child
// process with its console on pipes, and a client connection that finds the
// game's window, reads its pixels and types into it.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

double secondsSince(Clock::time_point start);

// An Xvfb server on a display number it picks itself. Killed, with everything
// it holds, when the object goes; it also dies with the test process.
class VirtualScreen {
  public:
    VirtualScreen(int width, int height);
    ~VirtualScreen();
    VirtualScreen(const VirtualScreen&) = delete;
    VirtualScreen& operator=(const VirtualScreen&) = delete;

    const std::string& name() const { return name_; }  // e.g. ":3"

  private:
    pid_t pid_ = -1;
    std::string name_;
};

// Environment overrides for a child: a value sets the variable, nullopt
// removes it.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

// A child process with its standard input and output on pipes; standard error
// is inherited. Killed and reaped when the object goes, unless it has ended.
class ChildProcess {
  public:
    // `command` is the program (found through PATH when it has no slash) and
    // its arguments.
    ChildProcess(const std::vector<std::string>& command, const EnvChanges& env);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }

    void writeInput(const std::string& text);
    void closeInput();

    // Reads standard output until `count` bytes have arrived or the time is up.
    std::string readOutput(size_t count, Millis timeout);

    // The raw wait status once the process has ended within the time, else
    // nullopt. Standard output is drained meanwhile so the child never blocks
    // on a full pipe.
    std::optional<int> waitForExit(Millis timeout);
    bool running();

    // Everything the process wrote to standard output; complete only once it
    // has ended.
    std::string output();

    // User plus system CPU time used so far, from /proc.
    double cpuSeconds() const;

  private:
    void drain(bool untilEnd);

    pid_t pid_ = -1;
    int inputFd_ = -1;
    int outputFd_ = -1;
    std::string buffered_;
    std::optional<int> status_;
};

std::string describeWaitStatus(int status);

struct Rgb {
    int r, g, b;
    bool near(Rgb other, int tolerance) const;
    bool operator==(Rgb o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(Rgb o) const { return !(*this == o); }
};
std::ostream& operator<<(std::ostream& out, Rgb c);

// A copy of a window's pixels, (0, 0) at the top left.
class Frame {
  public:
    Frame(int width, int height, std::vector<uint32_t> pixels);
    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const;
    bool operator==(const Frame& other) const;
    bool operator!=(const Frame& other) const { return !(*this == other); }

    // Writes the picture as a binary PPM, for looking at after a failure.
    bool savePpm(const std::string& path) const;

  private:
    int width_, height_;
    std::vector<uint32_t> pixels_;  // 0xRRGGBB
};

struct Geometry {
    int x, y, width, height;  // position relative to the root window
};
std::ostream& operator<<(std::ostream& out, const Geometry& g);  // "WxH at (x, y)"

// A client connection to the virtual screen.
class XSession {
  public:
    explicit XSession(const std::string& displayName);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // A viewable top-level window with this title, if there is one, also
    // inside a window manager's frame; with `viewable` false, also one not
    // (or not yet) mapped.
    std::optional<Window> findWindow(const std::string& title, bool viewable = true);
    std::optional<Window> waitForWindow(const std::string& title, Millis timeout);
    bool windowExists(Window window);
    std::string title(Window window);
    std::optional<Geometry> geometry(Window window);
    // The window's children, bottom first; empty when it is gone.
    std::vector<Window> children(Window window);
    // WM_CLASS: the instance name, then the class; empty when it is unset.
    std::vector<std::string> windowClass(Window window);
    // A property of 32-bit cardinals, such as _NET_WM_PID; empty when unset.
    std::vector<uint32_t> cardinals(Window window, const char* property);
    // A UTF-8 text property, such as _NET_WM_NAME; empty when unset.
    std::string text(Window window, const char* property);
    // True once a window manager has announced itself on the root window.
    bool windowManagerRuns();
    // Waits until one has, for at most `timeout`; false if none did.
    bool waitForWindowManager(Millis timeout);

    // nullopt when the window is gone.
    std::optional<Frame> grab(Window window);
    // What the screen shows in `area`, as a player sees it; nullopt when the
    // area is not wholly on the screen.
    std::optional<Frame> grabScreen(const Geometry& area);

    Window root() const { return DefaultRootWindow(display_); }
    Geometry screenSize();
    // A panel along the bottom of the screen, `height` pixels high, which a
    // window manager keeps free (_NET_WM_STRUT_PARTIAL); it lasts as long
    // as this connection.
    Window addBottomPanel(int height);

    // Gives the window the keyboard focus and presses and releases the key
    // once, with Shift held when asked.
    void tap(Window window, KeySym key, bool shift = false);

    // Asks the window to close the way a window manager does.
    void requestClose(Window window);
    void resize(Window window, int width, int height);

  private:
    Display* display_ = nullptr;
};

}  // namespace e2e
