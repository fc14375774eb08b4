// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include "harness.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + (errno ? std::string(": ") + std::strerror(errno) : ""));
}

// Forks a child that dies with the test process, so that nothing is left
// behind even when the tests themselves crash. Returns as fork does.
pid_t forkTiedChild() {
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) {
        fail("fork");
    }
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);
        }
    }
    return pid;
}

void makePipe(int fds[2]) {
    if (pipe2(fds, O_CLOEXEC) != 0) {
        fail("pipe2");
    }
}

// Waits for the child to end, first politely, then not.
void stopAndReap(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        std::this_thread::sleep_for(Millis(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

bool isLocaleVariable(const std::string& name) {
    return name == "LANG" || name == "LANGUAGE" || name.rfind("LC_", 0) == 0;
}

// The test's own environment without any locale setting, with the changes
// applied on top.
std::vector<std::string> childEnvironment(const EnvChanges& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        std::string text(*entry);
        std::string name = text.substr(0, text.find('='));
        if (!isLocaleVariable(name) && changes.count(name) == 0) {
            result.push_back(text);
        }
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            result.push_back(name + "=" + *value);
        }
    }
    return result;
}

int recordXError(Display*, XErrorEvent*) {
    return 0;  // a vanished window is an expected outcome, not a crash
}

}  // namespace

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

//----------------------------------------------------------------------------
// VirtualScreen
//----------------------------------------------------------------------------

VirtualScreen::VirtualScreen(int width, int height) {
    int fds[2];
    makePipe(fds);
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = forkTiedChild();
    if (pid_ == 0) {
        // The display number comes back on this descriptor, so it must
        // survive the exec; everything else stays closed.
        fcntl(fds[1], F_SETFD, 0);
        int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, 0);
        dup2(devNull, 1);
        dup2(devNull, 2);  // keymap compiler chatter
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    auto deadline = Clock::now() + std::chrono::seconds(20);
    while (number.empty() || number.back() != '\n') {
        pollfd p = {fds[0], POLLIN, 0};
        int left =
            static_cast<int>(std::chrono::duration_cast<Millis>(deadline - Clock::now()).count());
        char c;
        if (left <= 0 || poll(&p, 1, left) <= 0 || read(fds[0], &c, 1) != 1) {
            close(fds[0]);
            stopAndReap(pid_);
            errno = 0;
            fail("Xvfb did not report a display (is the xvfb package installed?)");
        }
        number += c;
    }
    close(fds[0]);
    number.pop_back();
    name_ = ":" + number;
}

VirtualScreen::~VirtualScreen() {
    if (pid_ > 0) {
        stopAndReap(pid_);
    }
}

//----------------------------------------------------------------------------
// ChildProcess
//----------------------------------------------------------------------------

ChildProcess::ChildProcess(const std::vector<std::string>& command, const EnvChanges& env) {
    int input[2], output[2];
    makePipe(input);
    makePipe(output);
    std::vector<std::string> envText = childEnvironment(env);
    std::vector<char*> envp;
    for (std::string& entry : envText) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> words = command;
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    pid_ = forkTiedChild();
    if (pid_ == 0) {
        dup2(input[0], 0);
        dup2(output[1], 1);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    inputFd_ = input[1];
    outputFd_ = output[0];
    fcntl(outputFd_, F_SETFL, O_NONBLOCK);
    // A child that stops reading must not kill the tests with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess() {
    closeInput();
    if (!status_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outputFd_ >= 0) {
        close(outputFd_);
    }
}

void ChildProcess::writeInput(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(inputFd_, text.data() + done, text.size() - done);
        if (n <= 0) {
            fail("writing to the game's standard input");
        }
        done += static_cast<size_t>(n);
    }
}

void ChildProcess::closeInput() {
    if (inputFd_ >= 0) {
        close(inputFd_);
        inputFd_ = -1;
    }
}

void ChildProcess::drain(bool untilEnd) {
    if (outputFd_ < 0) {
        return;
    }
    char chunk[4096];
    for (;;) {
        ssize_t n = read(outputFd_, chunk, sizeof chunk);
        if (n > 0) {
            buffered_.append(chunk, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EAGAIN && untilEnd) {
            pollfd p = {outputFd_, POLLIN, 0};
            if (poll(&p, 1, 2000) > 0) {
                continue;
            }
        }
        if (n == 0) {  // every writer has gone
            close(outputFd_);
            outputFd_ = -1;
        }
        return;
    }
}

std::string ChildProcess::readOutput(size_t count, Millis timeout) {
    auto deadline = Clock::now() + timeout;
    drain(false);
    while (buffered_.size() < count && outputFd_ >= 0 && Clock::now() < deadline) {
        pollfd p = {outputFd_, POLLIN, 0};
        poll(&p, 1, 10);
        drain(false);
    }
    return buffered_;
}

std::optional<int> ChildProcess::waitForExit(Millis timeout) {
    auto deadline = Clock::now() + timeout;
    while (!status_) {
        drain(false);
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            break;
        }
        if (Clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(Millis(5));
    }
    return status_;
}

bool ChildProcess::running() {
    return !waitForExit(Millis(0));
}

std::string ChildProcess::output() {
    drain(static_cast<bool>(status_));
    return buffered_;
}

double ChildProcess::cpuSeconds() const {
    std::ifstream file("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close == std::string::npos) {
        throw std::runtime_error("cannot read /proc/<pid>/stat of the game");
    }
    // After the command name: state is field 3, utime field 14, stime field 15.
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14 || number == 15) {
            ticks += std::stod(field);
        }
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string describeWaitStatus(int status) {
    if (WIFEXITED(status)) {
        return "exit status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "killed by signal " + std::to_string(WTERMSIG(status));
    }
    return "wait status " + std::to_string(status);
}

//----------------------------------------------------------------------------
// Pixels
//----------------------------------------------------------------------------

bool Rgb::near(Rgb other, int tolerance) const {
    return std::abs(r - other.r) <= tolerance && std::abs(g - other.g) <= tolerance &&
           std::abs(b - other.b) <= tolerance;
}

std::ostream& operator<<(std::ostream& out, const Geometry& g) {
    return out << g.width << "x" << g.height << " at (" << g.x << ", " << g.y << ")";
}

std::ostream& operator<<(std::ostream& out, Rgb c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

Frame::Frame(int width, int height, std::vector<uint32_t> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {}

Rgb Frame::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        throw std::out_of_range("pixel outside the frame");
    }
    uint32_t p = pixels_[static_cast<size_t>(y) * width_ + x];
    return {static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff),
            static_cast<int>(p & 0xff)};
}

bool Frame::operator==(const Frame& other) const {
    return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
}

bool Frame::savePpm(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width_ << " " << height_ << "\n255\n";
    for (uint32_t p : pixels_) {
        char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
        out.write(rgb, 3);
    }
    return static_cast<bool>(out);
}

//----------------------------------------------------------------------------
// XSession
//----------------------------------------------------------------------------

XSession::XSession(const std::string& displayName) {
    XSetErrorHandler(recordXError);
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!(display_ = XOpenDisplay(displayName.c_str()))) {
        if (Clock::now() > deadline) {
            errno = 0;
            fail("cannot connect to the virtual screen " + displayName);
        }
        std::this_thread::sleep_for(Millis(50));
    }
    int event, error, major, minor;
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) {
        errno = 0;
        fail("the virtual screen has no XTEST extension");
    }
}

XSession::~XSession() {
    if (display_) {
        XCloseDisplay(display_);
    }
}

std::string XSession::text(Window window, const char* property) {
    Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string result;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, property, False), 0, 1024, False,
                           utf8, &type, &format, &count, &after, &data) == Success &&
        data && type == utf8) {
        result.assign(reinterpret_cast<char*>(data), count);
    }
    if (data) {
        XFree(data);
    }
    return result;
}

std::string XSession::title(Window window) {
    std::string result = text(window, "_NET_WM_NAME");
    if (result.empty()) {
        char* name = nullptr;
        if (XFetchName(display_, window, &name) && name) {
            result = name;
            XFree(name);
        }
    }
    return result;
}

bool XSession::windowManagerRuns() {
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(display_, DefaultRootWindow(display_),
                       XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                       XA_WINDOW, &type, &format, &count, &after, &data);
    if (data) {
        XFree(data);
    }
    return count == 1;
}

namespace {

// A child of `parent` titled `wanted`, looking `depth` levels down; only a
// viewable one when asked.
std::optional<Window> findTitled(XSession& x, Display* display, Window parent,
                                 const std::string& wanted, int depth, bool viewable) {
    for (Window child : x.children(parent)) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, child, &attributes) ||
            (viewable && attributes.map_state != IsViewable)) {
            continue;
        }
        if (x.title(child) == wanted) {
            return child;
        }
        if (depth > 1) {
            if (auto found = findTitled(x, display, child, wanted, depth - 1, viewable)) {
                return found;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<Window> XSession::findWindow(const std::string& wanted, bool viewable) {
    // A window manager puts the window in a frame of its own, a child of the
    // root.
    return findTitled(*this, display_, DefaultRootWindow(display_), wanted, 2, viewable);
}

bool XSession::waitForWindowManager(Millis timeout) {
    auto deadline = Clock::now() + timeout;
    while (!windowManagerRuns()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(Millis(20));
    }
    return true;
}

std::optional<Window> XSession::waitForWindow(const std::string& title, Millis timeout) {
    auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto window = findWindow(title)) {
            return window;
        }
        if (Clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(Millis(20));
    }
}

bool XSession::windowExists(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) != 0;
}

std::optional<Geometry> XSession::geometry(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) {
        return std::nullopt;
    }
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return Geometry{x, y, attributes.width, attributes.height};
}

std::vector<Window> XSession::children(Window window) {
    Window root, parent, *list = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display_, window, &root, &parent, &list, &count)) {
        result.assign(list, list + count);
    }
    if (list) {
        XFree(list);
    }
    return result;
}

std::vector<std::string> XSession::windowClass(Window window) {
    XClassHint hint = {};
    std::vector<std::string> result;
    if (XGetClassHint(display_, window, &hint)) {
        result = {hint.res_name, hint.res_class};
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return result;
}

std::vector<uint32_t> XSession::cardinals(Window window, const char* property) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::vector<uint32_t> result;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, property, False), 0, 1 << 20,
                           False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data && type == XA_CARDINAL && format == 32) {
        // Xlib hands out format-32 items as longs, whatever a long's size.
        const unsigned long* items = reinterpret_cast<const unsigned long*>(data);
        result.assign(items, items + count);
    }
    if (data) {
        XFree(data);
    }
    return result;
}

namespace {

std::optional<Frame> readPixels(Display* display, Drawable drawable, int x, int y, int width,
                                int height) {
    XImage* image = XGetImage(display, drawable, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) {
        return std::nullopt;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    bool plain = image->bits_per_pixel == 32 && image->red_mask == 0xff0000 &&
                 image->green_mask == 0xff00 && image->blue_mask == 0xff &&
                 image->byte_order == LSBFirst;
    for (int y = 0; y < height; ++y) {
        uint32_t* row = &pixels[static_cast<size_t>(y) * width];
        if (plain) {
            std::memcpy(row, image->data + static_cast<size_t>(y) * image->bytes_per_line,
                        static_cast<size_t>(width) * 4);
            for (int x = 0; x < width; ++x) {
                row[x] &= 0xffffff;
            }
        } else {
            for (int x = 0; x < width; ++x) {
                unsigned long p = XGetPixel(image, x, y);
                auto channel = [p](unsigned long mask) {
                    int shift = 0;
                    while (mask && !(mask & 1)) {
                        mask >>= 1;
                        ++shift;
                    }
                    return static_cast<uint32_t>(((p >> shift) & mask) * 255 / (mask ? mask : 1));
                };
                row[x] = channel(image->red_mask) << 16 | channel(image->green_mask) << 8 |
                         channel(image->blue_mask);
            }
        }
    }
    XDestroyImage(image);
    return Frame(width, height, std::move(pixels));
}

}  // namespace

std::optional<Frame> XSession::grab(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes) ||
        attributes.map_state != IsViewable) {
        return std::nullopt;
    }
    return readPixels(display_, window, 0, 0, attributes.width, attributes.height);
}

Geometry XSession::screenSize() {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, root(), &attributes);
    return {0, 0, attributes.width, attributes.height};
}

std::optional<Frame> XSession::grabScreen(const Geometry& area) {
    const Geometry screen = screenSize();
    if (area.x < 0 || area.y < 0 || area.width <= 0 || area.height <= 0 ||
        area.x + area.width > screen.width || area.y + area.height > screen.height) {
        return std::nullopt;
    }
    return readPixels(display_, root(), area.x, area.y, area.width, area.height);
}

Window XSession::addBottomPanel(int height) {
    const Geometry screen = screenSize();
    Window panel = XCreateSimpleWindow(display_, root(), 0, screen.height - height,
                                       static_cast<unsigned>(screen.width),
                                       static_cast<unsigned>(height), 0, 0, 0x404040);
    Atom type = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False);
    Atom dock = XInternAtom(display_, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(display_, panel, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&dock), 1);
    // Where it is, as a panel asks: placed by the manager, it would not be.
    XSizeHints hints = {};
    hints.flags = USPosition | USSize;
    XSetWMNormalHints(display_, panel, &hints);
    XMapWindow(display_, panel);
    XSync(display_, False);
    // The strut once the manager holds the panel (it has given it a
    // WM_STATE), and so hears of the change. A manager still starting may
    // drop the map request, as openbox now and then does: it is made again
    // each second until the panel is held.
    Atom wmState = XInternAtom(display_, "WM_STATE", False);
    for (int tick = 1; tick < 3000; ++tick) {
        if (tick % 50 == 0) {
            XMapWindow(display_, panel);
        }
        Atom actual = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display_, panel, wmState, 0, 1, False, wmState, &actual, &format, &count,
                           &after, &data);
        if (data) {
            XFree(data);
        }
        if (count > 0) {
            break;
        }
        std::this_thread::sleep_for(Millis(20));
    }
    // left, right, top, bottom, then the start and end of each along its edge
    long strut[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, screen.width - 1};
    XChangeProperty(display_, panel, XInternAtom(display_, "_NET_WM_STRUT_PARTIAL", False),
                    XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(strut), 12);
    XSync(display_, False);
    return panel;
}

void XSession::tap(Window window, KeySym key, bool shift) {
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    KeyCode code = XKeysymToKeycode(display_, key);
    KeyCode shiftCode = XKeysymToKeycode(display_, XK_Shift_L);
    if (code == 0 || shiftCode == 0) {
        errno = 0;
        fail("the virtual keyboard has no key for keysym " + std::to_string(key));
    }
    if (shift) {
        XTestFakeKeyEvent(display_, shiftCode, True, CurrentTime);
    }
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    if (shift) {
        XTestFakeKeyEvent(display_, shiftCode, False, CurrentTime);
    }
    XSync(display_, False);
}

void XSession::requestClose(Window window) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
}

void XSession::resize(Window window, int width, int height) {
    XResizeWindow(display_, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
}

}  // namespace e2e
