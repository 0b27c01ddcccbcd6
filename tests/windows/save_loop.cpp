// tirlane-save-loop: saves two records in turn into "Score", as fast as it
// can, until it is killed: the Windows tests kill it at random moments and
// then read what the file holds. Once the saves are running it prints
// "ready" and the time one save takes, in microseconds. The records go
// through the atomic replacement every save uses, without the hiscore's own
// rule that a lower record never replaces a higher one, so that both land.
//
//   tirlane-save-loop RECORD_A RECORD_B
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/ports/hiscore.h"
#include "platform/storage/files.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tirlane-save-loop RECORD_A RECORD_B\n");
        return 2;
    }
    char records[2][8];
    encodeHiscore(std::atoi(argv[1]), records[0]);
    encodeHiscore(std::atoi(argv[2]), records[1]);
    auto save = [&](unsigned i) { replaceFile("Score", "Score.new", records[i % 2], 8); };
    const auto start = std::chrono::steady_clock::now();
    constexpr int TIMED = 10;
    for (unsigned i = 0; i < TIMED; ++i) save(i);
    const auto spent = std::chrono::steady_clock::now() - start;
    std::printf("ready %lld\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(spent).count() / TIMED));
    std::fflush(stdout);
    for (unsigned i = TIMED;; ++i) save(i);
}
