// tirlane-route: plays Tirlane through the game code itself, with no display,
// and writes the keys of the game it played as a tirlane-headless input file.
//   tirlane-route win OUT    clear all four levels, then back to the title
//   tirlane-route lose OUT   lose every life, then back to the title
// Progress goes to standard error; TIRLANE_ROUTE_VERBOSE=1 adds a line for
// every search.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "game/state.h"
#include "platform/ports/hiscore.h"
#include "tools/route/playbook.h"
#include "tools/route/recorder.h"
#include "tools/route/replay.h"

namespace fs = std::filesystem;

namespace {

int usage() {
    std::fprintf(stderr, "usage: tirlane-route win|lose OUT\n");
    return 2;
}

// The game reads and writes "Score" in the working directory: play in a
// folder of our own so nothing outside is touched.
std::string enterScratchFolder() {
    char pattern[] = "/tmp/tirlane-route-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || chdir(dir) != 0) return {};
    return dir;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return usage();
    const std::string mode = argv[1];
    if (mode != "win" && mode != "lose") return usage();
    const fs::path out = fs::absolute(argv[2]);

    const std::string scratch = enterScratchFolder();
    if (scratch.empty()) {
        std::fprintf(stderr, "tirlane-route: cannot make a scratch folder\n");
        return 1;
    }
    const auto started = std::chrono::steady_clock::now();

    game.hiscore = loadHiscore();
    Recorder rec;
    const PlayReport report = mode == "win" ? playToVictory(rec) : playToGameOver(rec);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const ReplaySummary sum = replayEvents(rec.events, rec.call);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);

    if (!report.ok) {
        std::fprintf(stderr, "tirlane-route: %s at call %ld\n", report.failure, rec.call);
        return 1;
    }
    const bool reached = mode == "win" ? sum.reachedVictory && sum.endScore == 27800
                                       : sum.reachedGameOver && sum.endLives == 0;
    if (!reached || sum.finalScreen != SCREEN_TITLE || sum.calls != rec.call) {
        std::fprintf(stderr, "tirlane-route: the replay did not end as the game played\n");
        return 1;
    }

    char header[256];
    std::snprintf(header, sizeof header,
                  "# made by tirlane-route %s: calls %ld flips %ld lives-left %d score %d",
                  mode.c_str(), sum.calls, sum.flips, sum.endLives, sum.endScore);
    if (!writeEvents(out.c_str(), header, rec.events)) {
        std::fprintf(stderr, "tirlane-route: cannot write '%s'\n", out.c_str());
        return 1;
    }
    std::printf("%s: %ld calls, %ld flips, %d deaths, lives left %d, final score %d "
                "(%zu key events, %ld searches, %ld states tried, %.1f s)\n",
                mode.c_str(), sum.calls, sum.flips, report.deaths, sum.endLives, sum.endScore,
                rec.events.size(), report.searches, report.statesTried, seconds);
    return 0;
}
