// The game's clock. Each picture is shown on a tick of a steady 60 Hz clock,
// and the keys for it are read at the last moment: the loop sleeps until a
// small margin before the tick, handles the waiting events, runs the frame
// and presents on the tick. The margin grows at once when a frame runs long
// and shrinks back slowly.
//
// With vsync the ticks stay as a floor (no flip before its tick): a picture
// aims at the first vblank at least a quarter of a period after its tick,
// predicted from the moments the presents returned, and the keys for it are
// read a margin before that vblank. Vsync is trusted only once it has been
// seen to pace the display at 60 Hz, and given up when the display's rate
// drifts more than 1 % from it (the window then turns it off).
//
// All of it runs on an injected clock, so a fake clock can drive it; the
// window supplies the real one.
#pragma once

#include <cstdint>

#include "platform/session/idle_calls.h"

// A monotonic tick source that can sleep.
class PacerClock {
  public:
    virtual ~PacerClock() = default;
    virtual uint64_t now() = 0;
    virtual uint64_t ticksPerSecond() = 0;
    // Sleeps about this many ticks; may wake late, never much early.
    virtual void sleep(uint64_t ticks) = 0;
    // One turn of the spin over the last stretch of a wait.
    virtual void spin() = 0;
};

// Waits until the clock reaches the deadline: sleeps most of the way, then
// spins the last PACER_SPIN_US microseconds, since sleeping can wake late.
constexpr uint64_t PACER_SPIN_US = 500;
void waitUntil(PacerClock& clock, uint64_t deadline);

enum class PacerMode {
    Timer,        // the clock's own ticks pace the flips
    VsyncOnTrial, // vsync on, being measured
    Vsync,        // vsync trusted: the flips land on the display's vblanks
};

// The margin before a tick at which the keys are read: what the events, the
// frame, the texture upload and the start of the present take, with room to
// spare (under Xvfb with Mesa's software renderer, 0.4 to 0.6 ms from the
// wake-up to the finished picture, now and then a few milliseconds). It is
// the longest such stretch of the last PACER_MARGIN_MEMORY pictures (a third
// of a second) plus HEADROOM, at least BASE and at most MAX: a frame that
// runs long widens it at once, and it narrows again soon after the last long
// one, since a wide margin costs every key its time. The stretch starts when
// the keys were read, not when the loop meant to wake, and a stall counts
// for nothing: a pause, a stopped process or a suspended machine is no slow
// frame.
constexpr uint64_t PACER_MARGIN_BASE_US = 800;
constexpr uint64_t PACER_MARGIN_MAX_US = 8000;
constexpr uint64_t PACER_MARGIN_HEADROOM_US = 300;
constexpr int PACER_MARGIN_MEMORY = 20;

// Ticks are absolute: the n-th falls at origin + n / RATE, computed from the
// count each time, so rounding never adds up to drift. A picture that misses
// its tick by up to half a period is shown at once, one that overruns further
// on the next tick; the ticks it let pass get no picture.
// After a stall (window hidden, machine suspended) the clock starts afresh.
class FramePacer {
  public:
    static constexpr int RATE = 60;
    static constexpr long TRIAL_SKIP = 30;    // start-up flips the trial ignores
    static constexpr long JUDGED_FLIPS = 120; // flips per judgement of vsync

    // `speed` is the percentage of the normal pace (50 to 100): the ticks fall
    // RATE * speed / 100 times a second. Only the pace changes, never a call.
    // Slowed, the ticks no longer meet a 60 Hz display's vblanks, so the
    // window leaves vsync off.
    explicit FramePacer(PacerClock& clock, int speed = 100);

    // The loop, before it handles the events of a call: sleeps until the
    // margin before the next tick. `next` is the loop's rule for calls that
    // show nothing (platform/session/idle_calls.h): after one, this call runs
    // at once on the tick that call left (the call that prepares level 1
    // draws nothing; level 1's first picture still comes on that tick); after
    // a second in a row, the tick passes unused.
    void waitToReadKeys(IdleCalls::Next next);
    // The presenter, with the picture ready: waits for its tick.
    void waitForTick();
    // The presenter, once the present has returned. Judges vsync; the mode
    // turns to Timer when vsync is given up, and the window then turns it off.
    void presented();

    // Vsync was turned on (a trial starts, also after a display change) or off.
    void useVsync(bool on);
    PacerMode mode() const { return pacing; }

    uint64_t margin() const { return marginTicks; }
    long restarts() const { return restartCount; }     // stalls that reset the clock
    long droppedTicks() const { return droppedCount; } // ticks that got no picture
    long lateFrames() const { return lateCount; }      // pictures that missed their tick

  private:
    uint64_t tickTime(uint64_t n) const {
        return origin + n * frequency * 100 / (uint64_t(RATE) * speedPercent);
    }
    uint64_t flipTarget(uint64_t floor) const;
    void restartAt(uint64_t at);
    void judgeVsync(uint64_t interval);
    void adaptMargin(uint64_t ready);
    void growMargin(uint64_t by);

    PacerClock& clock;
    uint64_t speedPercent;
    uint64_t frequency;
    uint64_t periodTicks;
    uint64_t stallTicks; // a picture later than this starts the clock afresh
    uint64_t graceTicks; // a picture this little past its tick is shown at once
    uint64_t leadTicks;  // with vsync, a present held to its tick still has this
                         // long before the vblank it aims at
    uint64_t baseMargin, maxMargin, headroom;
    uint64_t marginTicks;
    uint64_t neededTicks[PACER_MARGIN_MEMORY] = {}; // the last pictures' needs
    int neededIndex = 0;

    bool started = false;
    uint64_t origin = 0;
    uint64_t tick = 0; // the next picture is held to tickTime(tick)

    bool shownSinceWake = false; // a picture since the keys were last read
    uint64_t wakeAt = 0;         // when the keys were to be read
    uint64_t keysReadAt = 0;     // when they were read
    uint64_t aimedAt = 0;        // when the picture in the making should appear
    bool floorHeld = false;      // the present waited for its tick
    bool keysPicture = false;    // the picture in the making is the first since the keys

    PacerMode pacing = PacerMode::Timer;
    // With vsync a present returns just after the vblank that shows it: the
    // last return predicts the vblanks that follow, once one has been seen.
    bool phaseKnown = false;
    uint64_t lastReturn = 0;
    bool lastReturnSeen = false;
    long trialCount = 0;
    // The flips judged so far: their intervals summed, counted in whole
    // refreshes, and how many lay off the 60 Hz lattice.
    long judged = 0;
    uint64_t judgedTicks = 0;
    long judgedRefreshes = 0;
    long offLattice = 0;

    long restartCount = 0;
    long droppedCount = 0;
    long lateCount = 0;
};

// Running statistics of the intervals between flips, for the fps log.
class FrameStats {
  public:
    void add(double seconds);
    long count() const { return n; }
    double meanSeconds() const { return n ? sum / n : 0; }
    double stddevSeconds() const;
    double maxSeconds() const { return longest; }
    void reset() { *this = FrameStats(); }

  private:
    long n = 0;
    double sum = 0, sumSquares = 0, longest = 0;
};
