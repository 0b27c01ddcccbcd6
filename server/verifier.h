// Verification: the headless runner plays a submitted replay in a child
// process, in a private empty folder, under limits on CPU time, memory and
// wall time, and says what the run itself reached.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

namespace board {

struct VerifyLimits {
    int cpuSeconds = 10;
    int wallSeconds = 30;
    long memoryMiB = 512;
};

struct Verdict {
    enum Kind { VERIFIED, REFUSED, FAILED } kind = FAILED;
    // VERIFIED: the run's own best game and end state.
    int score = 0;
    long flips = 0;     // the flip its best score was first reached at
    long calls = 0;     // the calls the whole run took
    std::string digest; // of the whole run, as the replay's end line
    // REFUSED: the runner's line (the replay is at fault); FAILED: why the
    // check itself could not be made (the server is at fault).
    std::string error;
};

// Plays `replay` with the runner at `runner` and returns what it found.
Verdict verifyReplay(const std::string& runner, const std::string& replay,
                     const VerifyLimits& limits);

// The verifications running at once are bounded, and so are those waiting
// for a turn: beyond that a submission is turned away at once (503).
class VerifyQueue {
  public:
    VerifyQueue(int workers, int waiting) : workers_(workers), waitingMax_(waiting) {}
    // Waits for a turn; false at once when the queue is full.
    bool enter();
    void leave();

  private:
    std::mutex mutex_;
    std::condition_variable turn_;
    int workers_, waitingMax_;
    int running_ = 0, waiting_ = 0;
};

} // namespace board
