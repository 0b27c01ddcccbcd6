#include "platform/web/refresh_pacer.h"

#include <algorithm>

namespace {
constexpr double TICK_MS = 1000.0 / RefreshPacer::RATE;
constexpr double STALL_MS = 250;       // later than this, the clock starts afresh
constexpr double LONGEST_REFRESH = 50; // a longer gap is a stall, not a refresh
constexpr double SIXTY_HZ_MARGIN = 0.01;
} // namespace

void RefreshPacer::measure(double nowMs) {
    const double gap = nowMs - lastRefresh;
    if (lastRefresh >= 0 && gap > 0 && gap < LONGEST_REFRESH) {
        intervals[nextSample] = gap;
        nextSample = (nextSample + 1) % SAMPLES;
        if (sampleCount < SAMPLES) ++sampleCount;
    }
    lastRefresh = nowMs;
}

// The median of the recent intervals: a frame that took two refreshes to
// draw, or a refresh that came early, does not move it.
double RefreshPacer::refreshMs() const {
    if (sampleCount == 0) return 0;
    double sorted[SAMPLES];
    std::copy(intervals, intervals + sampleCount, sorted);
    std::nth_element(sorted, sorted + sampleCount / 2, sorted + sampleCount);
    return sorted[sampleCount / 2];
}

bool RefreshPacer::showAt(double nowMs) {
    measure(nowMs);
    const double refresh = refreshMs();
    const bool sixtyHz = refresh > 0 && refresh > TICK_MS * (1 - SIXTY_HZ_MARGIN) &&
                         refresh < TICK_MS * (1 + SIXTY_HZ_MARGIN);
    if (!started || sixtyHz || nowMs > tickTime(tick + 1) + STALL_MS) {
        // The first frame, a display that runs at 60 Hz itself, or the first
        // frame after a stall: shown now, and the clock counts from here.
        if (started && !sixtyHz) ++restartCount;
        started = true;
        origin = nowMs;
        tick = 0;
        return true;
    }
    // A frame goes to the refresh nearest its tick: up to half a refresh early.
    const double early = refresh > 0 ? std::min(refresh, TICK_MS) / 2 : 0;
    if (nowMs + early < tickTime(tick + 1)) return false;
    ++tick;
    // Late by whole ticks: those are dropped, so no burst of frames follows.
    while (tickTime(tick + 1) <= nowMs) {
        ++tick;
        ++droppedCount;
    }
    return true;
}
