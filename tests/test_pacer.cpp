#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/pacer.h"

namespace {

// A nanosecond clock that moves only when told to, or when the pacer sleeps
// (waking a little late, as real sleeps do) or yields.
class FakeClock final : public PacerClock {
  public:
    uint64_t time = 5'000'000'000; // not zero: deadlines must not assume it
    uint64_t oversleep = 0;
    int sleeps = 0, yields = 0;

    uint64_t now() override { return time; }
    uint64_t ticksPerSecond() override { return 1'000'000'000; }
    void sleep(uint64_t ticks) override {
        ++sleeps;
        time += ticks + oversleep;
    }
    void yield() override {
        ++yields;
        time += 20'000;
    }
};

constexpr uint64_t SECOND = 1'000'000'000;
constexpr uint64_t MS = 1'000'000;

// The n-th tick after the clock started at `origin`.
uint64_t tickAt(uint64_t origin, uint64_t n) {
    return origin + n * SECOND / 60;
}

} // namespace

TEST(Pacer, TicksFollowAbsoluteDeadlinesWithoutDrift) {
    // Frames of uneven cost and a sleep that wakes late: every wait still
    // ends on its own tick, and 600 ticks take exactly ten seconds.
    FakeClock clock;
    clock.oversleep = 300'000;
    FramePacer pacer(clock);
    const uint64_t origin = clock.time;
    const uint64_t workNs[] = {1 * MS, 9 * MS, 3 * MS, 14 * MS, 0};
    for (uint64_t n = 1; n <= 600; ++n) {
        pacer.waitForTick();
        ASSERT_GE(clock.time, tickAt(origin, n)) << "tick " << n;
        ASSERT_LT(clock.time, tickAt(origin, n) + 50'000) << "tick " << n;
        clock.time += workNs[n % 5];
    }
    EXPECT_EQ(tickAt(origin, 600), origin + 10 * SECOND);
    EXPECT_EQ(pacer.droppedTicks(), 0);
    EXPECT_EQ(pacer.restarts(), 0);
}

TEST(Pacer, WaitsByDeadlineTable) {
    // Each row: how late (in ns past its tick) a frame comes in, what the
    // pacer hands back, and how many ticks it dropped. Deadlines are absolute,
    // so the row after a late frame still falls on the original grid.
    struct Row {
        uint64_t tickOfFrame; // the frame comes in after this tick...
        uint64_t late;        // ...by this many ns
        bool waits;           // a deadline ahead (true) or shown at once
        uint64_t nextTick;    // the tick the deadline names, when it waits
        long dropped;
    };
    const Row rows[] = {
        {1, 0, true, 2, 0},                     // on time: wait for the next tick
        {2, 5 * MS, true, 3, 0},                // some work done: still the next tick
        {3, SECOND / 60 + 2 * MS, false, 0, 0}, // missed tick 4 by 2 ms: no wait
        {4, 3 * SECOND / 60 + MS, false, 0, 2}, // ticks 5 and 6 already past: dropped
    };
    FakeClock clock;
    FramePacer pacer(clock);
    const uint64_t origin = clock.time;
    EXPECT_EQ(pacer.nextDeadline(origin), tickAt(origin, 1));
    for (const Row& row : rows) {
        const uint64_t now = tickAt(origin, row.tickOfFrame) + row.late;
        const uint64_t deadline = pacer.nextDeadline(now);
        if (row.waits) {
            EXPECT_EQ(deadline, tickAt(origin, row.nextTick)) << "row " << row.tickOfFrame;
        } else {
            EXPECT_EQ(deadline, now) << "row " << row.tickOfFrame;
        }
        EXPECT_EQ(pacer.droppedTicks(), row.dropped) << "row " << row.tickOfFrame;
    }
    // After the late frames the grid is the old one: tick 8 lies ahead.
    const uint64_t now = tickAt(origin, 7) + 4 * MS;
    EXPECT_EQ(pacer.nextDeadline(now), tickAt(origin, 8));
}

TEST(Pacer, LateFrameRunsNoBurstOfUnpacedFrames) {
    // One frame 200 ms late (not yet a stall): it is shown at once, and from
    // the next frame on every frame waits again; no debt is paid back.
    FakeClock clock;
    FramePacer pacer(clock);
    pacer.waitForTick();
    clock.time += 200 * MS;
    const uint64_t lateAt = clock.time;
    pacer.waitForTick();
    EXPECT_EQ(clock.time, lateAt) << "a late frame does not wait";
    std::vector<uint64_t> intervals;
    uint64_t last = clock.time;
    for (int i = 0; i < 10; ++i) {
        pacer.waitForTick();
        intervals.push_back(clock.time - last);
        last = clock.time;
    }
    EXPECT_GT(intervals[0], 0u);
    for (size_t i = 1; i < intervals.size(); ++i) {
        EXPECT_NEAR(double(intervals[i]), double(SECOND / 60), 50'000.0) << i;
    }
    EXPECT_EQ(pacer.restarts(), 0);
    EXPECT_EQ(pacer.droppedTicks(), 11);
}

TEST(Pacer, StallStartsTheClockAfresh) {
    // Two seconds away (a suspended machine): the clock restarts from the
    // moment the frame comes in, and the next tick is one period later.
    FakeClock clock;
    FramePacer pacer(clock);
    for (int i = 0; i < 5; ++i) pacer.waitForTick();
    clock.time += 2 * SECOND + 12345;
    const uint64_t back = clock.time;
    EXPECT_EQ(pacer.nextDeadline(back), tickAt(back, 1));
    EXPECT_EQ(pacer.restarts(), 1);
    EXPECT_EQ(pacer.droppedTicks(), 0);
    EXPECT_EQ(pacer.nextDeadline(tickAt(back, 1) + 1000), tickAt(back, 2));
}

TEST(Pacer, WaitSleepsMostAndSpinsOnlyTheLastStretch) {
    FakeClock clock;
    const uint64_t deadline = clock.time + 16 * MS;
    waitUntil(clock, deadline);
    EXPECT_GE(clock.time, deadline);
    EXPECT_EQ(clock.sleeps, 1);
    EXPECT_GE(clock.yields, 1);
    EXPECT_LE(clock.yields, int(PACER_SPIN_US * 1000 / 20'000 + 1));
    // A deadline already past returns at once.
    const uint64_t before = clock.time;
    waitUntil(clock, before - 1);
    EXPECT_EQ(clock.time, before);
}

TEST(FrameStats, MeanAndSpreadOfIntervals) {
    FrameStats stats;
    for (double s : {0.016, 0.018, 0.016, 0.018}) stats.add(s);
    EXPECT_EQ(stats.count(), 4);
    EXPECT_NEAR(stats.meanSeconds(), 0.017, 1e-12);
    EXPECT_NEAR(stats.stddevSeconds(), 0.001, 1e-9);
    EXPECT_DOUBLE_EQ(stats.maxSeconds(), 0.018);
}
