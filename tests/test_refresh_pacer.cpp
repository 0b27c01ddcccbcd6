#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/web/refresh_pacer.h"

namespace {

// A made-up display: refreshes every 1000 / hz ms, each timestamp off by a
// small repeating jitter, as browsers report them.
struct Display {
    double hz;
    double jitterMs;
    double at(long refresh) const {
        static constexpr double JITTER[] = {0, 1, -1, 0.5, -0.5};
        return 7000 + refresh * 1000.0 / hz + jitterMs * JITTER[refresh % 5];
    }
};

// Runs `seconds` of refreshes with a frame always ready (drawing takes no
// time); returns, for each shown frame, the refresh it was shown at.
std::vector<long> shownRefreshes(RefreshPacer& pacer, const Display& display, double seconds,
                                 long firstRefresh = 0) {
    std::vector<long> shown;
    const long refreshes = std::lround(seconds * display.hz);
    for (long r = firstRefresh; r < firstRefresh + refreshes; ++r)
        if (pacer.showAt(display.at(r))) shown.push_back(r);
    return shown;
}

} // namespace

TEST(RefreshPacer, KeepsSixtyFramesASecondOnEveryDisplay) {
    // Each row: the display, the frames ten seconds show, and how many
    // refreshes a frame may stay on screen.
    struct Row {
        Display display;
        long frames;
        long shortestHold, longestHold;
    };
    const Row rows[] = {
        {{60, 0.2}, 600, 1, 1},   {{59.94, 0.2}, 599, 1, 1}, // the display's own rate
        {{60.4, 0.2}, 604, 1, 1}, // within 1% of 60 Hz: still every refresh
        {{75, 0.3}, 600, 1, 2},   {{120, 0.3}, 600, 2, 2},   {{144, 0.3}, 600, 2, 3},
        {{165, 0.2}, 600, 2, 3},  {{50, 0.3}, 500, 1, 1}, // slower than the game: no burst
        {{90, 0.3}, 600, 1, 2},
    };
    for (const Row& row : rows) {
        RefreshPacer pacer;
        const std::vector<long> shown = shownRefreshes(pacer, row.display, 10);
        SCOPED_TRACE(testing::Message() << row.display.hz << " Hz");
        EXPECT_NEAR(double(shown.size()), double(row.frames), 1);
        long shortest = 1000, longest = 0;
        for (size_t i = 1; i < shown.size(); ++i) {
            shortest = std::min(shortest, shown[i] - shown[i - 1]);
            longest = std::max(longest, shown[i] - shown[i - 1]);
        }
        EXPECT_EQ(shortest, row.shortestHold);
        EXPECT_EQ(longest, row.longestHold);
        EXPECT_EQ(pacer.restarts(), 0);
        EXPECT_NEAR(pacer.refreshMs(), 1000 / row.display.hz, 0.5);
    }
}

TEST(RefreshPacer, ShowsTheFirstFrameAtOnce) {
    RefreshPacer pacer;
    EXPECT_TRUE(pacer.showAt(123.0));
    EXPECT_EQ(pacer.refreshMs(), 0);
}

TEST(RefreshPacer, ALateFrameIsShownAtOnceAndTheClockDropsWhatItMissed) {
    // On a 144 Hz display a frame takes 50 ms to draw: it is shown at the
    // first refresh after, and the frames after it keep 60 a second rather
    // than racing to catch up.
    const Display display{144, 0};
    RefreshPacer pacer;
    shownRefreshes(pacer, display, 1);
    const long slowFrameDone = 144 + 7; // 50 ms: seven refreshes later
    EXPECT_TRUE(pacer.showAt(display.at(slowFrameDone)));
    EXPECT_GE(pacer.droppedTicks(), 2);
    const std::vector<long> after = shownRefreshes(pacer, display, 2, slowFrameDone + 1);
    EXPECT_NEAR(double(after.size()), 120, 1);
    for (size_t i = 1; i < after.size(); ++i) {
        EXPECT_GE(after[i] - after[i - 1], 2) << "frame " << i;
        EXPECT_LE(after[i] - after[i - 1], 3) << "frame " << i;
    }
    EXPECT_EQ(pacer.restarts(), 0);
}

TEST(RefreshPacer, StartsAfreshAfterTheClockStalls) {
    // A hidden page gets no refreshes for two seconds: the first frame after
    // is shown at once and the clock counts from there, with no ticks owed.
    const Display display{120, 0};
    RefreshPacer pacer;
    shownRefreshes(pacer, display, 1);
    const long back = 120 * 3;
    EXPECT_TRUE(pacer.showAt(display.at(back)));
    EXPECT_EQ(pacer.restarts(), 1);
    EXPECT_EQ(pacer.droppedTicks(), 0);
    const std::vector<long> after = shownRefreshes(pacer, display, 1, back + 1);
    EXPECT_NEAR(double(after.size()), 60, 1);
    EXPECT_EQ(after.front(), back + 2);
}
