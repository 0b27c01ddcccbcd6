#include "platform/pacer.h"

#include <cmath>

FramePacer::FramePacer(PacerClock& clock)
    : clock(clock), frequency(clock.ticksPerSecond()), periodTicks(frequency / RATE),
      stallTicks(frequency / 4) {}

uint64_t FramePacer::tickTime(uint64_t n) const {
    return origin + n * frequency / RATE;
}

uint64_t FramePacer::nextDeadline(uint64_t now) {
    if (!started || now > tickTime(tick + 1) + stallTicks) {
        // The first frame, or the first after a stall: a fresh clock whose
        // next tick is one period away, with no debt carried over.
        if (started) ++restartCount;
        started = true;
        origin = now;
        tick = 0;
    }
    const uint64_t due = tickTime(tick + 1);
    ++tick;
    if (now < due) return due;
    // Late: this tick is spent; drop every further tick already past, so the
    // next deadline lies ahead and no burst of unpaced frames follows.
    while (tickTime(tick + 1) <= now) {
        ++tick;
        ++droppedCount;
    }
    return now;
}

void waitUntil(PacerClock& clock, uint64_t deadline) {
    const uint64_t spinTicks = clock.ticksPerSecond() * PACER_SPIN_US / 1000000;
    for (uint64_t t = clock.now(); t < deadline; t = clock.now()) {
        const uint64_t left = deadline - t;
        if (left > spinTicks) {
            clock.sleep(left - spinTicks);
        } else {
            clock.yield();
        }
    }
}

void FrameStats::add(double seconds) {
    ++n;
    sum += seconds;
    sumSquares += seconds * seconds;
    if (seconds > longest) longest = seconds;
}

double FrameStats::stddevSeconds() const {
    if (n < 2) return 0;
    const double mean = sum / n;
    const double variance = sumSquares / n - mean * mean;
    return variance > 0 ? std::sqrt(variance) : 0;
}
