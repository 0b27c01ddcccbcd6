// The game's clock: a steady 60 Hz tick that each flip waits for, so the
// game's pace never depends on the monitor. The arithmetic runs on an
// injected clock, so it can be driven by a fake one; the window supplies
// the real clock.
#pragma once

#include <cstdint>

// A monotonic tick source that can sleep.
class PacerClock {
  public:
    virtual ~PacerClock() = default;
    virtual uint64_t now() = 0;
    virtual uint64_t ticksPerSecond() = 0;
    // Sleeps about this many ticks; may wake late, never much early.
    virtual void sleep(uint64_t ticks) = 0;
    // Gives the processor away briefly while spinning on the last stretch.
    virtual void yield() = 0;
};

// Waits until the clock reaches the deadline: sleeps most of the way, then
// spins the last PACER_SPIN_US microseconds, since sleeping can wake late.
constexpr uint64_t PACER_SPIN_US = 500;
void waitUntil(PacerClock& clock, uint64_t deadline);

// Deadlines are absolute: the n-th tick falls at origin + n / rate, computed
// from the tick count each time, so rounding never adds up to drift. A frame
// that comes late is shown at once; whole ticks it missed are dropped rather
// than raced through. After a stall (window hidden, machine suspended) the
// clock starts afresh from the moment the frame comes in.
class FramePacer {
  public:
    static constexpr int RATE = 60;

    explicit FramePacer(PacerClock& clock);

    // Called once a frame is shown: returns the deadline of the next tick,
    // or the present moment when the frame is already due.
    uint64_t nextDeadline(uint64_t now);
    // Waits for the next tick.
    void waitForTick() { waitUntil(clock, nextDeadline(clock.now())); }

    uint64_t period() const { return periodTicks; }
    long restarts() const { return restartCount; } // stalls that reset the clock
    long droppedTicks() const { return droppedCount; }

  private:
    uint64_t tickTime(uint64_t n) const;

    PacerClock& clock;
    uint64_t frequency;
    uint64_t periodTicks;
    uint64_t stallTicks; // later than this, the clock starts afresh
    bool started = false;
    uint64_t origin = 0;
    uint64_t tick = 0; // deadlines come at origin + tick / RATE seconds
    long restartCount = 0;
    long droppedCount = 0;
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
