// tirlane-bench: the frame, title, whole-game and start-up benchmarks, then
// the ratios that matter, all from this one run, with the machine they ran on.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "platform/ports/display.h"
#include "tools/bench/workdir.h"

namespace {

struct Figure {
    double seconds = 0; // real time per iteration
    double cpuSeconds = 0;
    std::map<std::string, double> counters;
};

// Prints as the console reporter does and keeps every run's figures.
class KeepingReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, Figure> figures;

    explicit KeepingReporter(bool colour)
        : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            Figure& f = figures[run.run_name.function_name];
            f.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            f.cpuSeconds =
                run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            for (const auto& [name, counter] : run.counters) f.counters[name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

std::string cpuModel() {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "unknown";
}

void printRatios(const std::map<std::string, Figure>& f) {
    auto seconds = [&f](const char* name) {
        const auto it = f.find(name);
        return it == f.end() ? 0.0 : it->second.seconds;
    };
    auto counter = [&f](const char* name, const char* key) {
        const auto it = f.find(name);
        if (it == f.end()) return 0.0;
        const auto c = it->second.counters.find(key);
        return c == it->second.counters.end() ? 0.0 : c->second;
    };
    auto cpu = [&f](const char* name) {
        const auto it = f.find(name);
        return it == f.end() ? 0.0 : it->second.cpuSeconds;
    };
    std::printf("\nMachine: %ld cores, %s\n", sysconf(_SC_NPROCESSORS_ONLN), cpuModel().c_str());
    // Ratios by processor time: on shared, busy cores the wall clock also
    // counts other programs' turns. The wall-clock ratio follows in brackets.
    const double copy = cpu("BM_FrameMemcpy");
    const double copyWall = seconds("BM_FrameMemcpy");
    if (copy > 0 && copyWall > 0) {
        std::printf("One 640x480x4 frame memcpy:            %8.1f us            (wall %.1f us)\n",
                    copy * 1e6, copyWall * 1e6);
        auto ratio = [&](const char* label, const char* name) {
            if (cpu(name) > 0)
                std::printf("%-38s %8.1f us = %5.2f x memcpy (wall %.2f x)\n", label,
                            cpu(name) * 1e6, cpu(name) / copy, seconds(name) / copyWall);
        };
        ratio("(a) heaviest level frame:", "BM_HeaviestLevelFrame");
        ratio("    its background alone:", "BM_LevelBackground");
        ratio("    both score numbers:", "BM_ScoreText");
        ratio("    one 16x16 keyed sprite:", "BM_OneSprite");
        ratio("(b) title frame:", "BM_TitleFrame");
    }
    const double flips = counter("BM_WinningGame", "flips");
    if (flips > 0 && cpu("BM_WinningGame") > 0)
        std::printf("(c) whole game, headless:              %8.0f flips/s (wall %.0f flips/s; "
                    "%.0f flips a game, %.0fx real time)\n",
                    flips / cpu("BM_WinningGame"), flips / seconds("BM_WinningGame"), flips,
                    flips / cpu("BM_WinningGame") / 60);
    if (seconds("BM_StartupToFirstFlip") > 0)
        std::printf("(d) start-up to first flip (dummy):    %8.1f ms (first frame handed over at "
                    "%.1f ms), peak memory (VmHWM) %.1f MiB\n",
                    seconds("BM_StartupToFirstFlip") * 1e3,
                    counter("BM_StartupToFirstFlip", "ready_ms"),
                    counter("BM_StartupToFirstFlip", "peak_kb") / 1024);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::AddCustomContext("cpu_model", cpuModel());

    const std::string folder = enterAssetFolder(TIRLANE_ASSETS_DIR);
    if (folder.empty()) {
        std::fprintf(stderr, "tirlane-bench: cannot copy the assets from %s\n", TIRLANE_ASSETS_DIR);
        return 1;
    }
    if (!initDisplay() || !initSurfaces() || !spritePresent(SPRITE_TABLE)) {
        std::fprintf(stderr, "tirlane-bench: cannot set up the display with the assets\n");
        removeAssetFolder(folder);
        return 1;
    }

    KeepingReporter reporter(isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter.figures);

    releaseDisplay();
    removeAssetFolder(folder);
    benchmark::Shutdown();
    return 0;
}
