// tirlane-save-loop: saves two records in turn into "Score", as fast as it
// can, until it is killed: the Windows tests kill it at random moments and
// then read what the file holds. Once the saves are running it prints
// "ready" and the time one save takes, in microseconds.
//
//   tirlane-save-loop RECORD_A RECORD_B
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "game/state.h"
#include "platform/hiscore.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tirlane-save-loop RECORD_A RECORD_B\n");
        return 2;
    }
    const int32_t records[2] = {std::atoi(argv[1]), std::atoi(argv[2])};
    const auto start = std::chrono::steady_clock::now();
    constexpr int TIMED = 10;
    for (int i = 0; i < TIMED; ++i) {
        game.hiscore = records[i % 2];
        saveHiscore();
    }
    const auto spent = std::chrono::steady_clock::now() - start;
    std::printf("ready %lld\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(spent).count() / TIMED));
    std::fflush(stdout);
    for (unsigned i = TIMED;; ++i) {
        game.hiscore = records[i % 2];
        saveHiscore();
    }
}
