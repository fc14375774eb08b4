// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Runs the real main as a process: what it writes, what it reads, and the
// order in which it sets up GLUT and GL.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct ProbeRun {
    std::string out;  // standard output, byte for byte
    std::string log;  // what the probe reports on standard error
    int status = -1;
};

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

// Starts the probe with `environment` as its whole environment, writes `input`
// to its standard input and closes it, and collects both outputs.
ProbeRun runProbe(const std::string& input, std::vector<std::string> environment) {
    int in[2], out[2], err[2];
    EXPECT_EQ(pipe(in), 0);
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
            close(fd);
        }
        std::vector<char*> env;
        for (std::string& entry : environment) {
            env.push_back(entry.data());
        }
        env.push_back(nullptr);
        // The probe, through the emulator in a cross build.
        const char* argv[] = {STARTUP_COMMAND, nullptr};
        execve(argv[0], const_cast<char* const*>(argv), env.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // Small enough for the pipe: the probe reads it all before writing much.
    EXPECT_EQ(write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(in[1]);
    ProbeRun run;
    run.out = readAll(out[0]);
    run.log = readAll(err[0]);
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string orderOf(const ProbeRun& run) {
    auto at = run.log.find("order ");
    return at == std::string::npos ? "" : run.log.substr(at + 6, run.log.find('\n', at) - at - 6);
}

const std::string kGbkPrompt = "\xC7\xEB\xCA\xE4\xC8\xEB\xBD\xD7\xCA\xFD\xA1\xA3\n";
const std::string kUtf8Prompt = "请输入阶数。\n";

TEST(Startup, SetsUpTheWindowAndCallbacksInOrder) {
    ProbeRun run = runProbe("2\n", {"LC_ALL=C"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.log,
              "glutInit(1)\n"
              "glutInitDisplayMode(2)\n"
              "glutInitWindowPosition(400, 100)\n"
              "glutInitWindowSize(1280, 860)\n"
              "glutCreateWindow()\n"
              "glXGetCurrentDisplay()\n"  // the window's identity, none here
              "glutDisplayFunc()\n"
              "glutTimerFunc(1000, 1)\n"
              "glutKeyboardFunc()\n"
              "glClearColor(1, 1, 1, 1)\n"
              "glutMainLoop()\n"
              "title Zembrat Quillory\n"
              "order 2\n"
              "callbacks 1 1 1\n");
}

TEST(Startup, PromptIsWrittenInTheConsolesEncoding) {
    struct Case {
        std::vector<std::string> environment;
        std::string prompt;
    };
    const Case cases[] = {
        {{}, kGbkPrompt},                 // no locale at all
        {{"LANG=C"}, kGbkPrompt},         // plain ASCII cannot hold it
        {{"LANG=C.UTF-8"}, kUtf8Prompt},  //
        {{"LANG=C", "LC_CTYPE=C.UTF-8"}, kUtf8Prompt},
        {{"LANG=C.UTF-8", "LC_ALL=C"}, kGbkPrompt},
        // Named but not installed: the name still says what the terminal shows.
        {{"LANG=xx_YY.UTF-8"}, kUtf8Prompt},
        {{"LANG=xx_YY.UTF-8@euro"}, kUtf8Prompt},
        {{"LANG=xx_YY.GB18030"}, kGbkPrompt},
        {{"LANG=xx_YY.ISO-8859-1"}, kGbkPrompt},  // cannot hold it either
        {{"LANG=xx_YY"}, kGbkPrompt},
        // There too LC_ALL comes before LC_CTYPE, and LC_CTYPE before LANG.
        {{"LANG=xx_YY.UTF-8", "LC_CTYPE=xx_YY.UTF-8", "LC_ALL=xx_YY.GB18030"}, kGbkPrompt},
        {{"LANG=xx_YY.GB18030", "LC_CTYPE=xx_YY.GB18030", "LC_ALL=xx_YY.UTF-8"}, kUtf8Prompt},
        {{"LC_CTYPE=C.UTF-8", "LC_ALL=xx_YY.GB18030"}, kGbkPrompt},
        {{"LANG=xx_YY.GB18030", "LC_CTYPE=xx_YY.UTF-8"}, kUtf8Prompt},
    };
    for (const Case& c : cases) {
        ProbeRun run = runProbe("2\n", c.environment);
        std::string where = c.environment.empty() ? "(empty)" : c.environment.back();
        EXPECT_EQ(run.out, c.prompt) << where;
        EXPECT_EQ(orderOf(run), "2") << where;
    }
}

TEST(Startup, ReadsTheOrderOrKeepsSix) {
    struct Case {
        std::string input;
        std::string order;
    };
    const Case cases[] = {
        {"2\n", "2"},
        {"  \n\t 7 8\n", "7"},
        {"-3\n", "-3"},
        {"0\n", "0"},
        {"+5", "5"},
        {"2147483647\n", "2147483647"},
        {"99999999999\n", "2147483647"},
        {"-99999999999999999999999\n", "-2147483648"},
        {"abc\n", "6"},
        {"\n", "6"},
        {"", "6"},
        {"-\n", "6"},
    };
    for (const Case& c : cases) {
        // A UTF-8 locale for the console must not change how numbers are read.
        for (const char* locale : {"LC_ALL=C", "LANG=C.UTF-8"}) {
            ProbeRun run = runProbe(c.input, {locale});
            EXPECT_EQ(run.status, 0) << c.input;
            EXPECT_EQ(orderOf(run), c.order) << "input '" << c.input << "' with " << locale;
        }
    }
}

}  // namespace
