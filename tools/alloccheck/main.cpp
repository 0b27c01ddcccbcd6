// tirlane-alloc-check: plays a whole game as the headless runner does, with
// the sound set up on the dummy audio driver and the run recorded as a
// replay, as the window game records every run, and fails if anything
// touches the heap between the first title frame and the end of the game. Every
// allocation goes through the C library's malloc family, which this program
// replaces (C++ new, SDL and the C library itself all end up there), so
// nothing escapes the count.
//
//   tirlane-alloc-check ASSETS_DIR [INPUT_FILE]
//
// Without an input file (or when it is missing) a made-up game is played.
#include <SDL2/SDL.h>
#include <execinfo.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/sound.h"
#include "platform/replay/replay.h"
#include "tools/alloccheck/counting_malloc.h"
#include "tools/bench/script.h"
#include "tools/bench/workdir.h"

namespace {

void startCounting() {
    allocationLog().counting = true;
}
void stopCounting() {
    allocationLog().counting = false;
}

// The count must see all three ways in: C++ new, SDL's allocator and malloc.
bool counterSeesAllocations() {
    AllocationLog& log = allocationLog();
    log.counting = true;
    int* fromNew = new int(1);
    void* fromSdl = SDL_malloc(16);
    void* fromC = std::malloc(16);
    // Kept from the optimiser, which may drop an allocation nobody uses.
    asm volatile("" : : "r"(fromNew), "r"(fromSdl), "r"(fromC) : "memory");
    log.counting = false;
    const bool seen = log.count.load() == 3;
    delete fromNew;
    SDL_free(fromSdl);
    std::free(fromC);
    log.count = 0;
    log.recorded = 0;
    return seen;
}

void printSeen(const AllocationLog& log) {
    std::fprintf(stderr, "tirlane-alloc-check: %ld allocation(s) during play; the first:\n",
                 log.count.load());
    for (int i = 0; i < log.recorded; ++i) {
        const AllocationLog::Seen& seen = log.seen[i];
        std::fprintf(stderr, "  %zu bytes, called from:\n", seen.bytes);
        backtrace_symbols_fd(seen.callers, seen.depth, 2);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tirlane-alloc-check ASSETS_DIR [INPUT_FILE]\n");
        return 2;
    }
    // Looked up before any counting: the first backtrace loads its unwinder.
    void* warm[1];
    backtrace(warm, 1);

    if (!counterSeesAllocations()) {
        std::fprintf(stderr, "tirlane-alloc-check: the allocation counter is not in the path\n");
        return 2;
    }

    std::string source;
    const std::vector<ScriptEvent> events = benchScript(argc == 3 ? argv[2] : nullptr, source);
    const long calls = scriptCalls(events);

    const std::string folder = enterAssetFolder(argv[1]);
    if (folder.empty()) {
        std::fprintf(stderr, "tirlane-alloc-check: cannot copy the assets from %s\n", argv[1]);
        return 2;
    }
    if (!initDisplay() || !initSurfaces() || !spritePresent(SPRITE_TABLE)) {
        std::fprintf(stderr, "tirlane-alloc-check: cannot set up the display\n");
        removeAssetFolder(folder);
        return 2;
    }
    initSound(); // the dummy driver: cues really start and mix
    startRecording(1 << 20, 1 << 16, 1 << 17);
    setLoadObserver(recordHiscoreRead);

    const long flips = playScript(events, calls, startCounting, stopCounting);

    finishRecording(currentReplayState(calls));
    const std::string replay = recordingText();
    const long recordedEvents = std::count(replay.begin(), replay.end(), '\n') - 5;

    releaseSound();
    releaseDisplay();
    removeAssetFolder(folder);

    const AllocationLog& log = allocationLog();
    std::printf("tirlane-alloc-check: played %s: %ld calls, %ld flips, hiscore %d, screen %d at "
                "the end; %ld lines recorded as a replay\n",
                source.c_str(), calls, flips, game.hiscore, game.screen, recordedEvents);
    if (recordedEvents < 100) {
        std::fprintf(stderr, "tirlane-alloc-check: the replay recorded nearly nothing\n");
        return 1;
    }
    if (log.count.load() != 0) {
        printSeen(log);
        return 1;
    }
    std::printf("tirlane-alloc-check: no allocation during play\n");
    return 0;
}
