// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Time per frame at the game's window size: drawScene() (which clears, draws
// the background figure and the field, and swaps) followed by glFinish(), so
// the renderer's queued work is inside the figure. An empty frame, a clear and
// a swap, is the floor the others are read against. The window keeps its
// size, so from order 7 on the frames timed are those drawn from the figure's
// copy in textures: only the first frame at order 7 draws the figure from
// arrays and makes the copy.
//
// The window is a real GLUT window of 1280 by 860; no callback but an empty
// display is registered, so no timer or key moves the game while it runs.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "scene.h"
#include "state.h"

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 860;
constexpr int kFilledRows = 15;  // rows 1 to 15 full in the "filled" board

// The floor, as laid at start, and the first piece at the top.
void layEmptyBoard() {
    initBoard();
}

// Rows 1 to kFilledRows full across the field, on top of the floor: the most
// cells a frame draws short of a board about to clear.
void layFilledBoard() {
    initBoard();
    for (int row = 1; row <= kFilledRows; ++row) {
        for (int column = 0; column < kFieldSide; ++column) {
            board[row][column] = 1;
        }
    }
}

void emptyFrame(benchmark::State& state) {
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        glutSwapBuffers();
        glFinish();
    }
}

// Arguments: the order, and 0 for the empty board or 1 for the filled one.
void sceneFrame(benchmark::State& state) {
    fractalOrder = static_cast<int>(state.range(0));
    if (state.range(1) == 0) {
        layEmptyBoard();
    } else {
        layFilledBoard();
    }
    for (auto _ : state) {
        drawScene();
        glFinish();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(emptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(sceneFrame)
    ->ArgNames({"order", "filled"})
    ->ArgsProduct({{1, 2, 3, 4, 5, 6, 7, 8, INT_MAX}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Prints what the console reporter prints, then one table of the time per
// frame (the median over the repetitions, when repeated) with each one's ratio
// to the empty frame's.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    // Colours only on a terminal: the figures are often kept in a file.
    SummaryReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (median || single) {
                std::string name = run.run_name.str();
                if (medians_.find(name) == medians_.end()) {
                    order_.push_back(name);
                }
                double seconds =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                medians_[name] = seconds * 1e3;
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        auto floor = medians_.find("emptyFrame/real_time");
        std::printf("\n%-44s %12s %14s\n", "frame", "ms/frame", "x empty frame");
        for (const std::string& name : order_) {
            double ms = medians_[name];
            if (floor != medians_.end() && floor->second > 0) {
                std::printf("%-44s %12.3f %14.2f\n", name.c_str(), ms, ms / floor->second);
            } else {
                std::printf("%-44s %12.3f %14s\n", name.c_str(), ms, "-");
            }
        }
    }

  private:
    std::map<std::string, double> medians_;  // milliseconds per frame
    std::vector<std::string> order_;
};

void noDisplay() {}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA);
    glutInitWindowPosition(400, 100);
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutCreateWindow("Zembrat Quillory");
    glutDisplayFunc(noDisplay);  // freeglut insists on one
    glClearColor(1, 1, 1, 1);
    // Let the window be mapped and sized before the first timed frame.
    for (int i = 0; i < 20; ++i) {
        glutMainLoopEvent();
    }

    benchmark::AddCustomContext("gl_renderer",
                                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchmark::AddCustomContext("window", std::to_string(glutGet(GLUT_WINDOW_WIDTH)) + "x" +
                                              std::to_string(glutGet(GLUT_WINDOW_HEIGHT)));

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
