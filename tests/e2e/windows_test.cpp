// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The Windows build, run through Wine (label windows): what is its own on
// Windows. That it draws what the native game draws (cross_build_test.cpp),
// the keys, gravity and the end of the game are checked by the rest of the
// suite, which runs against it as well.
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <thread>
#include <vector>

#include "game_fixture.h"

namespace e2e {
namespace {

// Runs a command of Wine's tools to its end: `sh -c script` with the given
// prefix. False when it failed or did not end within the time.
bool runWineTool(const std::string& prefix, const std::string& script, Millis timeout) {
    ChildProcess tool({"sh", "-c", script}, {{"WINEPREFIX", prefix},
                                             {"WINEDEBUG", std::string("-all")},
                                             {"WINEDLLOVERRIDES", std::string("mscoree,mshtml=")}});
    tool.closeInput();
    auto status = tool.waitForExit(timeout);
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

// Ends whatever still runs in a Wine prefix (an explorer that holds a
// virtual desktop, the game in it, a console), so that the next game starts
// a server of its own on its own screen.
void stopWine(const std::string& prefix) {
    runWineTool(prefix, "wineserver -k; wineserver -w", Millis(60000));
}

std::string sharedPrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    return prefix ? prefix : "";
}

// The text a terminal shows, with the escape sequences (ESC [ ... final)
// that Wine's console sends it around each character taken out.
std::string shownText(const std::string& terminal) {
    std::string text;
    for (size_t at = 0; at < terminal.size(); ++at) {
        if (terminal[at] == '\x1b' && at + 1 < terminal.size() && terminal[at + 1] == '[') {
            at += 2;
            while (at < terminal.size() && !(terminal[at] >= 0x40 && terminal[at] <= 0x7e)) {
                ++at;
            }
            continue;
        }
        text += terminal[at];
    }
    return text;
}

// What a game in a desktop showed.
struct SeenInDesktop {
    Geometry desktop, window, client;  // window: with its frame
    bool floorSeen;
    std::string why;  // when the floor row was not seen whole
};

// The suite's game, and the .exe in a Wine virtual desktop of its own size,
// on a screen as large:
// Wine draws the window's frame itself there, as Windows does, and gives
// the desktop's whole area as the work area (it shows no task bar). At
// LogPixels 144 (150 %) the prefix is one of the test's own, made once, so
// that no other test runs at that scale.
class WindowsBuild : public GameTest {
  protected:
    // Starts the game at order 2 in a desktop of width x height at the given
    // LogPixels; fails the test when its window or the floor never shows.
    std::optional<SeenInDesktop> runIn(int width, int height, int logPixels) {
        if (logPixels != 96) {
            prefix_ += "-logpixels" + std::to_string(logPixels);
            const std::string make =
                "{ test -f \"$WINEPREFIX/system.reg\" || env -u DISPLAY wineboot -i; } && "
                "env -u DISPLAY wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels "
                "/t REG_DWORD /d " +
                std::to_string(logPixels) + " /f && wineserver -w";
            if (!runWineTool(prefix_, make, Millis(240000))) {
                ADD_FAILURE() << "could not make the Wine prefix " << prefix_;
                return std::nullopt;
            }
        }
        // A screen the desktop's size, so that every pixel of it can be read.
        x_.reset();
        screen_ = std::make_unique<VirtualScreen>(width, height);
        x_ = std::make_unique<XSession>(screen_->name());
        const std::string name = "zq" + std::to_string(width);
        auto command = gameCommand();
        command.insert(command.end() - 1,
                       {"explorer", "/desktop=" + name + "," + std::to_string(width) + "x" +
                                        std::to_string(height)});
        game_ = launch({{"WINEPREFIX", prefix_}}, command);
        game_->writeInput("2\n");
        game_->closeInput();

        SeenInDesktop seen = {};
        auto desktop = x_->waitForWindow(name + " - Wine desktop", Millis(60000));
        auto frame = x_->waitForWindow(kTitle, Millis(60000));
        if (!desktop || !frame) {
            ADD_FAILURE() << "no " << (desktop ? "game window" : "Wine desktop") << " appeared";
            return std::nullopt;
        }
        // A window gone meanwhile reads as 0 x 0 at (0, 0), which fails the
        // checks.
        auto geometryOf = [this](Window window) {
            return x_->geometry(window).value_or(Geometry{0, 0, 0, 0});
        };
        seen.desktop = geometryOf(*desktop);
        // The client area is the frame's one child with a size, which GL
        // draws on.
        for (auto deadline = Clock::now() + Millis(60000); !window_ && Clock::now() < deadline;
             std::this_thread::sleep_for(Millis(20))) {
            for (Window child : x_->children(*frame)) {
                auto geometry = x_->geometry(child);
                if (geometry && geometry->width > 1 &&
                    (!window_ || geometry->width > seen.client.width)) {
                    window_ = child;
                    seen.client = *geometry;
                }
            }
        }
        if (!window_) {
            ADD_FAILURE() << "the game's window has no client area";
            return std::nullopt;
        }
        auto drawn = waitForFrame(
            [](const Frame& f) {
                return cellCentre(f, {0, 10}).near(kFloorColour, 2);
            },
            Millis(60000));
        seen.floorSeen = static_cast<bool>(drawn);
        // Where the window is once it shows a frame, whatever moved it since
        // it was made.
        seen.window = geometryOf(*frame);
        seen.client = geometryOf(window_);
        if (drawn) {
            const Frame settled = grabSettled();
            for (int col = 0; col < kFieldSide && seen.floorSeen; ++col) {
                seen.floorSeen = isOutlinedCell(settled, {0, col}, kFloorColour, &seen.why);
            }
        } else {
            seen.why = "the window never showed the floor";
        }
        std::cout << "desktop " << seen.desktop << ", LogPixels " << logPixels << ": window "
                  << seen.window << ", client area " << seen.client << ", floor row "
                  << (seen.floorSeen ? "seen" : "NOT seen") << "\n";
        return seen;
    }

    // Where the window fits as it is: exactly that client area, its frame's
    // corner exactly there.
    void expectExactly(const SeenInDesktop& seen, int x, int y, int width, int height) {
        EXPECT_EQ(seen.window.x, x);
        EXPECT_EQ(seen.window.y, y);
        EXPECT_EQ(seen.client.width, width);
        EXPECT_EQ(seen.client.height, height);
        EXPECT_TRUE(seen.floorSeen) << seen.why;
    }

    // Where it does not: wholly inside the desktop, of the 1280:860 shape
    // within a pixel, as large as fits (touching two opposite edges, but for
    // the pixel or two that rounding to the shape costs), as near (400, 100)
    // as fits, and the whole floor row on the screen.
    void expectFitted(const SeenInDesktop& seen) {
        const Geometry& d = seen.desktop;
        const Geometry& w = seen.window;
        EXPECT_TRUE(fitsInto(w, seen.client, d));
        EXPECT_TRUE(w.width >= d.width - 2 || w.height >= d.height - 2)
            << "a " << w.width << "x" << w.height << " window leaves room in the desktop";
        EXPECT_EQ(w.x, std::min(d.x + 400, d.x + d.width - w.width));
        EXPECT_EQ(w.y, std::min(d.y + 100, d.y + d.height - w.height));
        EXPECT_TRUE(seen.floorSeen) << seen.why;
    }

    // Wine that an earlier game left running (an explorer that holds a
    // desktop keeps its server up) would take this test's game onto a screen
    // that is gone: it is stopped before each test, and this test's own after
    // it, before its screen goes.
    void SetUp() override {
        GameTest::SetUp();
        prefix_ = sharedPrefix();
        stopWine(prefix_);
    }
    void TearDown() override {
        stopWine(prefix_);
        GameTest::TearDown();
    }

    std::string prefix_;  // the test's Wine prefix
};

// A pipe takes bytes, not characters: the prompt is GBK, and text mode ends
// its line with CR LF. Nothing else is ever written.
TEST_F(WindowsBuild, PromptOnAPipeIsGbkEndedByCrLf) {
    game_ = launch();
    const std::string expected = kPromptGbk.substr(0, kPromptGbk.size() - 1) + "\r\n";
    EXPECT_EQ(game_->readOutput(expected.size(), Millis(60000)), expected);
    game_->writeInput("2\r\n");
    game_->closeInput();
    ASSERT_TRUE(awaitWindow());
    x_->requestClose(window_);
    auto status = game_->waitForExit(Millis(30000));
    ASSERT_TRUE(status) << "the game still runs after its window was closed";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << describeWaitStatus(*status);
    EXPECT_EQ(game_->output(), expected);
}

// Written to a console, the prompt reaches it as characters: a player whose
// console has a Western code page reads 请输入阶数。 rather than the GBK
// bytes shown as Latin letters. Run in a terminal (through script), Wine
// gives the game a console with the code page of its locale, C.UTF-8 here,
// a Western one, and shows its text in UTF-8. The order typed there is read
// as before.
TEST_F(WindowsBuild, PromptOnAConsoleIsItsCharactersWhateverTheCodePage) {
    std::string command;
    for (const std::string& word : gameCommand()) {
        command += (command.empty() ? "'" : " '") + word + "'";
    }
    game_ = launch({{"LC_ALL", std::string("C.UTF-8")}},
                   {"script", "--quiet", "--return", "--command", command, "/dev/null"});
    const std::string prompt =
        "\xE8\xAF\xB7\xE8\xBE\x93\xE5\x85\xA5\xE9\x98\xB6\xE6\x95\xB0\xE3\x80\x82";
    // Everything up to the first line end, as the terminal shows it.
    std::string shown;
    for (auto deadline = Clock::now() + Millis(60000);
         (shown = shownText(game_->output())).find('\n') == std::string::npos &&
         Clock::now() < deadline;) {
        std::this_thread::sleep_for(Millis(20));
    }
    const std::string shownLine = shown.substr(0, shown.find_first_of("\r\n"));
    EXPECT_EQ(shownLine, prompt) << "the terminal got: " << game_->output();
    // What is typed before the game first reads may be lost while Wine's
    // console sets the terminal up, as a player's early keys may be: typed
    // again, up to a minute, while no window comes. A line too many stays
    // unread.
    for (auto deadline = Clock::now() + Millis(60000);
         !x_->findWindow(kTitle) && Clock::now() < deadline;) {
        game_->writeInput("2\r");
        x_->waitForWindow(kTitle, Millis(5000));
    }
    ASSERT_TRUE(awaitWindow()) << "the terminal got: " << game_->output();
    x_->requestClose(window_);
    auto status = game_->waitForExit(Millis(30000));
    ASSERT_TRUE(status) << "the game still runs after its window was closed";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << describeWaitStatus(*status);
}

// A 1920 x 1080 laptop at 150 % gave a program unaware of the scale a
// desktop of 1280 x 720; a common laptop screen is 1366 x 768.
TEST_F(WindowsBuild, FitsA1280x720Desktop) {
    if (auto seen = runIn(1280, 720, 96)) {
        expectFitted(*seen);
    }
}

TEST_F(WindowsBuild, FitsA1366x768Desktop) {
    if (auto seen = runIn(1366, 768, 96)) {
        expectFitted(*seen);
    }
}

// Where there is room, the window is what it always was at 100 %, and at
// 150 % that times 1.5: the size and place the player saw before the .exe
// followed the scale.
TEST_F(WindowsBuild, KeepsItsSizeAndPlaceAt100Percent) {
    if (auto seen = runIn(2560, 1600, 96)) {
        expectExactly(*seen, 400, 100, 1280, 860);
    }
}

TEST_F(WindowsBuild, IsScaledAt150Percent) {
    if (auto seen = runIn(2560, 1600, 144)) {
        expectExactly(*seen, 600, 150, 1920, 1290);
    }
}

// The window has the icon the .exe carries under GLUT_ICON, which freeglut
// loads for it: Wine hands that icon to X, and each of its images is the
// native game's icon image of that size, pixel for pixel.
TEST_F(WindowsBuild, WindowHasTheGamesIcon) {
    // Square images by size, from _NET_WM_ICON's width, height, pixels...
    auto images = [](const std::vector<uint32_t>& icon) {
        std::map<uint32_t, std::vector<uint32_t>> bySize;
        for (size_t at = 0; at + 2 <= icon.size() && icon[at] == icon[at + 1];) {
            size_t end = std::min(icon.size(), at + 2 + size_t{icon[at]} * icon[at]);
            bySize[icon[at]].assign(icon.begin() + at + 2, icon.begin() + end);
            at = end;
        }
        return bySize;
    };
    // Wine may give the window its icon only after the first frame is shown.
    auto icon = [this] {
        auto deadline = Clock::now() + Millis(60000);
        std::vector<uint32_t> icon = x_->cardinals(window_, "_NET_WM_ICON");
        for (; icon.empty() && Clock::now() < deadline;
             icon = x_->cardinals(window_, "_NET_WM_ICON")) {
            std::this_thread::sleep_for(Millis(20));
        }
        return icon;
    };
    start("2\n");
    auto windows = images(icon());
    game_.reset();
    start("2\n", {}, kNativeGame);
    auto native = images(icon());
    ASSERT_FALSE(windows.empty()) << "the window has no icon";
    for (const auto& [size, pixels] : windows) {
        ASSERT_EQ(native.count(size), 1u) << "the native icon has no " << size << "-px image";
        EXPECT_TRUE(pixels == native[size]) << "the " << size << "-px images differ";
    }
}

// Where an input method is on, as on Chinese Windows, a window with an input
// context gets letters as the start of a composition, not as keys.
TEST_F(WindowsBuild, WindowHasNoInputContext) {
    const char* probe = std::getenv("ZQ_WINDOWS_PROBE");
    ASSERT_TRUE(probe) << "ZQ_WINDOWS_PROBE names no probe to run";
    auto command = gameCommand();
    command.back() = probe;
    game_ = launch({}, command);
    ASSERT_TRUE(game_->waitForExit(Millis(60000))) << "the probe never ended";
    EXPECT_EQ(game_->output(), "input context: none\r\n");
}

}  // namespace
}  // namespace e2e
