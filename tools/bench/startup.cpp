// Start-up of the real game: from launching `tirlane` to its first flipped
// frame, and its peak memory. A probe library loaded into the game notes the
// moment the first frame reaches the screen and asks the game to end a few
// frames later, through the same path as closing the window.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

long long monotonicNs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

struct ProbeResult {
    long long firstFrameNs = 0;
    long long firstFlipNs = 0;
    long peakKb = 0;
};

bool readProbe(const std::string& path, ProbeResult& r) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    char key[64];
    long long value;
    while (std::fscanf(f, "%63s %lld", key, &value) == 2) {
        if (std::string(key) == "first_frame_ns") r.firstFrameNs = value;
        if (std::string(key) == "first_flip_ns") r.firstFlipNs = value;
        if (std::string(key) == "vmhwm_kb") r.peakKb = static_cast<long>(value);
    }
    std::fclose(f);
    return r.firstFlipNs > 0;
}

// Runs the game once under the dummy video and audio drivers. False when it
// did not start, did not flip or did not end in time.
bool launchOnce(const std::string& out, ProbeResult& r, long& maxRssKb) {
    std::remove(out.c_str());
    const long long start = monotonicNs();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("LD_PRELOAD", TIRLANE_PROBE, 1);
        setenv("TIRLANE_PROBE_OUT", out.c_str(), 1);
        setenv("TIRLANE_PROBE_FLIPS", "10", 1);
        execl(TIRLANE_BINARY, TIRLANE_BINARY, "--window", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    // The game ends itself ten frames in; a stuck one is stopped.
    for (int waited = 0;; ++waited) {
        const pid_t done = wait4(child, &status, WNOHANG, &usage);
        if (done == child) break;
        if (waited == 1000) { // ten seconds
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            return false;
        }
        usleep(10000);
    }
    maxRssKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !readProbe(out, r)) return false;
    r.firstFrameNs -= start;
    r.firstFlipNs -= start;
    return true;
}

void BM_StartupToFirstFlip(benchmark::State& state) {
    const std::string out = "probe.txt"; // in the benchmark's own folder
    long peakKb = 0;
    double readyMs = 0;
    for (auto _ : state) {
        ProbeResult r;
        long maxRss = 0;
        if (!launchOnce(out, r, maxRss)) {
            state.SkipWithError("the game did not start, flip and end under the dummy driver");
            return;
        }
        state.SetIterationTime(double(r.firstFlipNs) / 1e9);
        readyMs += double(r.firstFrameNs) / 1e6;
        peakKb = std::max(peakKb, std::max(r.peakKb, maxRss));
    }
    state.counters["peak_kb"] = double(peakKb);
    state.counters["ready_ms"] = readyMs / double(state.iterations());
}
BENCHMARK(BM_StartupToFirstFlip)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
