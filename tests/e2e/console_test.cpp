// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The console side: the prompt in the console's encoding, nothing else on
// standard output, and a window for whatever is typed as the order.
#include <sys/wait.h>

#include <fstream>
#include <thread>

#include "game_fixture.h"

namespace e2e {
namespace {

// "请输入阶数。" and a newline, in UTF-8.
const std::string kPromptUtf8 =
    "\xE8\xAF\xB7\xE8\xBE\x93\xE5\x85\xA5\xE9\x98\xB6\xE6\x95\xB0\xE3\x80\x82\n";

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out;
}

// True once the process waits in a read of its standard input (system call 0
// on x86-64, descriptor 0), within the time.
bool waitsForInput(pid_t pid, Millis timeout) {
    auto deadline = Clock::now() + timeout;
    do {
        std::ifstream file("/proc/" + std::to_string(pid) + "/syscall");
        std::string call, descriptor;
        if (file >> call >> descriptor && call == "0" && descriptor == "0x0") {
            return true;
        }
        std::this_thread::sleep_for(Millis(10));
    } while (Clock::now() < deadline);
    return false;
}

struct PromptCase {
    const char* name;
    EnvChanges env;
    const std::string* expected;
};

class PromptTest : public GameTest, public ::testing::WithParamInterface<PromptCase> {};

// The prompt comes before anything is read, the window only after the order
// has been typed, and after a game with keys and a gravity step the console
// holds the prompt and nothing more.
TEST_P(PromptTest, PromptInConsoleEncodingAndNothingElse) {
    const PromptCase& c = GetParam();
    game_ = launch(c.env);
    std::string prompt = game_->readOutput(c.expected->size(), Millis(10000));
    EXPECT_EQ(hex(prompt), hex(*c.expected));

    // Waiting for the order, the game has made no window, nor can it until
    // the order comes.
    EXPECT_TRUE(waitsForInput(game_->pid(), Millis(30000))) << "not reading the order";
    EXPECT_FALSE(x_->findWindow(kTitle, false)) << "the window opened before the order was typed";

    game_->writeInput("2\n");
    ASSERT_TRUE(awaitWindow());
    Cells before = blockCells(grab());
    press("dwsaWx ");
    ASSERT_TRUE(waitForChange(before, Millis(10000)));
    x_->requestClose(window_);
    auto status = game_->waitForExit(Millis(10000));
    ASSERT_TRUE(status) << "the game did not end when its window was closed";
    EXPECT_EQ(hex(game_->output()), hex(*c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Locales, PromptTest,
    ::testing::Values(
        PromptCase{"CLocale", {{"LANG", "C"}, {"LC_ALL", "C"}}, &kPromptGbk},
        PromptCase{"NoLocaleSet", {{"LC_ALL", std::nullopt}}, &kPromptGbk},
        PromptCase{"Utf8Locale", {{"LANG", "C.UTF-8"}, {"LC_ALL", std::nullopt}}, &kPromptUtf8},
        PromptCase{"LcAllOverridesLang", {{"LANG", "C"}, {"LC_ALL", "C.UTF-8"}}, &kPromptUtf8},
        // Named, whether or not installed here: the name says GBK.
        PromptCase{
            "GbkLocaleName", {{"LANG", "zh_CN.GBK"}, {"LC_ALL", std::nullopt}}, &kPromptGbk}),
    [](const auto& info) { return std::string(info.param.name); });

struct InputCase {
    const char* name;
    std::optional<std::string> input;  // nullopt: the console is closed at once
    std::string sameAs;                // typed order that must give the same picture
};

class OrderInputTest : public GameTest, public ::testing::WithParamInterface<InputCase> {
  protected:
    // The first frame of a game started with this console input.
    std::optional<Frame> firstFrame(const std::optional<std::string>& input) {
        start(input);
        if (HasFatalFailure()) {
            return std::nullopt;
        }
        Frame frame = grabSettled();
        game_.reset();
        return frame;
    }
};

// The window opens whatever is typed, and the figure shows the order that
// was understood.
TEST_P(OrderInputTest, WindowOpensWithTheOrderUnderstood) {
    const InputCase& c = GetParam();
    auto frame = firstFrame(c.input);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width(), kWindowWidth);
    Cells blocks = blockCells(*frame);
    EXPECT_EQ(normalised(blocks), normalised(kFirstPiece)) << describe(blocks);

    auto reference = firstFrame(c.sameAs);
    ASSERT_TRUE(reference);
    EXPECT_TRUE(sameBackground(*frame, *reference))
        << "compared with the order typed as " << c.sameAs;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, OrderInputTest,
    ::testing::Values(InputCase{"Two", std::string("2\n"), "2\n"},
                      InputCase{"SpacesAroundTwo", std::string("  2  \n"), "2\n"},
                      InputCase{"NotANumber", std::string("abc\n"), "6\n"},
                      InputCase{"EmptyLine", std::string("\n"), "6\n"},
                      InputCase{"ClosedConsole", std::nullopt, "6\n"},
                      InputCase{"AboveIntRange", std::string("99999999999\n"), "2147483647\n"},
                      InputCase{"BelowIntRange", std::string("-99999999999\n"), "-2147483648\n"},
                      InputCase{"Negative", std::string("-3\n"), "1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

using OrderReferenceTest = GameTest;

// The references above only mean something if the orders they stand for draw
// different pictures.
TEST_F(OrderReferenceTest, OrdersUsedAsReferencesDrawDifferentFigures) {
    std::vector<std::pair<std::string, Frame>> frames;
    for (const char* order : {"1\n", "2\n", "6\n", "2147483647\n"}) {
        start(std::string(order));
        ASSERT_FALSE(HasFatalFailure());
        frames.emplace_back(order, grabSettled());
        game_.reset();
    }
    for (size_t i = 0; i < frames.size(); ++i) {
        for (size_t j = i + 1; j < frames.size(); ++j) {
            EXPECT_FALSE(sameBackground(frames[i].second, frames[j].second))
                << "orders " << frames[i].first << " and " << frames[j].first << " look alike";
        }
    }
}

}  // namespace
}  // namespace e2e
