#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/desktop/pacer.h"

namespace {

// A nanosecond clock that moves only when told to, or when the pacer sleeps
// (waking a little late, as real sleeps do) or spins.
class FakeClock final : public PacerClock {
  public:
    uint64_t time = 5'000'000'000; // not zero: deadlines must not assume it
    uint64_t oversleep = 0;
    int sleeps = 0, spins = 0;

    uint64_t now() override { return time; }
    uint64_t ticksPerSecond() override { return 1'000'000'000; }
    void sleep(uint64_t ticks) override {
        ++sleeps;
        time += ticks + oversleep;
    }
    void spin() override {
        ++spins;
        time += 20'000;
    }
};

constexpr uint64_t SECOND = 1'000'000'000;
constexpr uint64_t MS = 1'000'000;
constexpr uint64_t US = 1'000;
constexpr uint64_t PERIOD = SECOND / 60;
constexpr uint64_t MARGIN = PACER_MARGIN_BASE_US * US;

// Whether `later` falls n ticks of 60 Hz after `earlier`: to the nanosecond
// but for the fake spin's 20 us steps (the last stretch of a wait is spun).
::testing::AssertionResult ticksAfter(uint64_t earlier, uint64_t later, uint64_t n) {
    const int64_t off = int64_t(later - earlier) - int64_t(n * SECOND / 60);
    if (off >= -20'001 && off <= 20'001) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "off by " << off << " ns from " << n << " ticks";
}

// The screen as the presents see it. Without vsync a present takes `cost`
// and the picture appears as it is called. With vsync the picture appears on
// the first vblank after the present's work, and the present returns just
// after that vblank; a display that ignores vsync returns at once.
struct FakeDisplay {
    bool vsync = false;
    bool blocks = true;
    uint64_t firstVblank = 5'003'000'000;
    uint64_t refresh = PERIOD;
    uint64_t cost = 300 * US;

    uint64_t vblankFrom(uint64_t t) const {
        if (t <= firstVblank) return firstVblank;
        return firstVblank + (t - firstVblank + refresh - 1) / refresh * refresh;
    }
    // Switches to another refresh rate from the moment `t` on.
    void changeRate(uint64_t t, double hz) {
        firstVblank = vblankFrom(t);
        refresh = uint64_t(double(SECOND) / hz);
    }
    // Presents at the clock's time; returns when the picture appeared.
    uint64_t present(FakeClock& clock) const {
        const uint64_t called = clock.time;
        clock.time += cost;
        if (!vsync || !blocks) return called;
        const uint64_t shown = vblankFrom(clock.time);
        clock.time = shown + 50 * US;
        return shown;
    }
};

// The window game's loop driven by the fake clock: each call waits, reads
// the keys, works, and presents unless it draws nothing.
struct Game {
    explicit Game(int speed = 100) : pacer(clock, speed) {}
    FakeClock clock;
    FramePacer pacer;
    FakeDisplay display;
    uint64_t readAt = 0;  // when the last call read the keys
    uint64_t shownAt = 0; // when the last picture appeared
    long pictures = 0;
    IdleCalls idleCalls;     // the loop's rule for calls that show nothing
    long picturesAtRead = 0; // pictures when the keys were last read

    // The loop's wait before a call, told whether the last call showed anything.
    void readKeys() {
        pacer.waitToReadKeys(idleCalls.next(pictures != picturesAtRead));
        picturesAtRead = pictures;
    }
    void call(uint64_t work, bool draws = true) {
        readKeys();
        readAt = clock.time;
        clock.time += work;
        if (draws) present();
    }
    // One picture of a blocking sequence, drawn inside a call.
    void present() {
        pacer.waitForTick();
        shownAt = display.present(clock);
        pacer.presented();
        ++pictures;
    }
    void useVsync() {
        display.vsync = true;
        pacer.useVsync(true);
    }
    // Runs calls of 300 us of work and returns the pictures' moments.
    std::vector<uint64_t> play(int calls) {
        std::vector<uint64_t> shown;
        for (int i = 0; i < calls; ++i) {
            call(300 * US);
            shown.push_back(shownAt);
        }
        return shown;
    }
};

} // namespace

TEST(Pacer, KeysAreReadAMarginBeforeEachTickAndThePictureShownOnIt) {
    // Frames of uneven cost within the margin, sleeps that wake late and a
    // present that takes 1.7 ms: the keys are read a margin before each tick,
    // every picture is presented on its tick, and 600 ticks take ten seconds.
    Game game;
    game.clock.oversleep = 300 * US;
    game.display.cost = 1700 * US;
    const uint64_t workNs[] = {100 * US, 400 * US, 200 * US, 300 * US, 0};
    game.call(0);
    const uint64_t first = game.shownAt;
    for (uint64_t n = 1; n <= 600; ++n) {
        game.call(workNs[n % 5]);
        const uint64_t tick = first + n * SECOND / 60;
        ASSERT_GE(game.shownAt, tick) << "tick " << n;
        ASSERT_LT(game.shownAt, tick + 30 * US) << "tick " << n;
        ASSERT_GE(game.readAt, tick - MARGIN) << "tick " << n;
        ASSERT_LE(game.readAt, tick - MARGIN + 20 * US) << "tick " << n;
    }
    EXPECT_EQ(game.pacer.margin(), MARGIN);
    EXPECT_EQ(game.pacer.lateFrames(), 0);
    EXPECT_EQ(game.pacer.droppedTicks(), 0);
    EXPECT_EQ(game.pacer.restarts(), 0);
}

TEST(Pacer, LongFrameIsShownLateAndWidensTheMargin) {
    // Each row: the work of one frame after the keys were read, the tick its
    // picture lands on (1 = the tick it was meant for) and how long after
    // that tick. A picture a little late is shown at once; one that overruns
    // further is shown on the next tick. Either way its game frame is neither
    // skipped nor run twice, the margin grows to cover the frame, and the
    // next frame, as long as this one, is on time. A third of a second later
    // the margin is back.
    struct Row {
        uint64_t work;
        uint64_t tickOfPicture;
        uint64_t lateBy;
    };
    const Row rows[] = {
        {300 * US, 1, 0},                   // within the margin
        {800 * US, 1, 0},                   // close: on time, the margin grows
        {1500 * US, 1, 1500 * US - MARGIN}, // a little late: at once
        {7 * MS, 1, 7 * MS - MARGIN},       // still within half a period
        {10 * MS, 2, 0},                    // overrun: the next tick
        {20 * MS, 3, 0},                    // past the next tick too
        {200 * MS, 13, 0},                  // long, but no stall yet
    };
    for (const Row& row : rows) {
        Game game;
        game.play(30);
        const uint64_t before = game.shownAt;
        const long pictures = game.pictures;
        game.call(row.work);
        EXPECT_EQ(game.pictures, pictures + 1) << "work " << row.work;
        EXPECT_TRUE(ticksAfter(before, game.shownAt - row.lateBy, row.tickOfPicture))
            << "work " << row.work;
        const bool late = row.lateBy > 0 || row.tickOfPicture > 1;
        EXPECT_EQ(game.pacer.lateFrames(), late ? 1 : 0) << "work " << row.work;
        EXPECT_EQ(game.pacer.droppedTicks(), long(row.tickOfPicture) - 1) << "work " << row.work;
        const uint64_t widened = row.work + PACER_MARGIN_HEADROOM_US * US;
        EXPECT_EQ(game.pacer.margin(),
                  std::max(MARGIN, std::min(widened, PACER_MARGIN_MAX_US * US)))
            << "work " << row.work;

        // The same work again fits the widened margin (up to its maximum),
        // and the picture is back on the grid of ticks.
        game.call(std::min(row.work, (PACER_MARGIN_MAX_US - PACER_MARGIN_HEADROOM_US) * US));
        EXPECT_TRUE(ticksAfter(before, game.shownAt, row.tickOfPicture + 1)) << "work " << row.work;
        EXPECT_EQ(game.pictures, pictures + 2) << "work " << row.work;

        // A third of a second of light frames narrows the margin back.
        const uint64_t widenedMargin = game.pacer.margin();
        game.play(PACER_MARGIN_MEMORY - 1);
        EXPECT_EQ(game.pacer.margin(), widenedMargin) << "work " << row.work;
        game.play(1);
        EXPECT_EQ(game.pacer.margin(), MARGIN) << "work " << row.work;
        EXPECT_EQ(game.pacer.lateFrames(), late ? 1 : 0) << "work " << row.work;
    }
}

TEST(Pacer, PresentThatOverrunsTheNextTick) {
    // A present that returns after the next tick (the X server was busy):
    // shortly after, the next picture is still shown for that tick, a little
    // late; well after, that tick gets no picture and the next picture waits
    // for the one after. Then the pictures are back on their ticks.
    struct Row {
        uint64_t presentCost;
        bool catchesUp;
    };
    for (const Row row : {Row{18 * MS, true}, Row{28 * MS, false}}) {
        Game game;
        game.play(30);
        const uint64_t first = game.shownAt;
        game.display.cost = row.presentCost;
        game.call(300 * US);
        game.display.cost = 300 * US;
        const uint64_t returned = game.clock.time;
        game.call(300 * US);
        if (row.catchesUp) {
            EXPECT_EQ(game.readAt, returned) << row.presentCost;
            EXPECT_EQ(game.shownAt, returned + 300 * US) << row.presentCost;
            EXPECT_EQ(game.pacer.lateFrames(), 1) << row.presentCost;
        } else {
            EXPECT_TRUE(ticksAfter(first, game.shownAt, 3)) << row.presentCost;
            EXPECT_EQ(game.pacer.droppedTicks(), 1) << row.presentCost;
        }
        game.call(300 * US);
        EXPECT_TRUE(ticksAfter(first, game.shownAt, 3 + (row.catchesUp ? 0 : 1)))
            << row.presentCost;
    }
}

TEST(Pacer, StallStartsTheClockAfresh) {
    // Two seconds away (a suspended machine), in the middle of a frame or in
    // the loop's own sleep: the picture is shown as soon as it is ready,
    // nothing is counted as dropped, and the ticks go on from there.
    for (const bool inFrame : {true, false}) {
        Game game;
        game.play(10);
        if (inFrame) {
            game.call(2 * SECOND + 12345);
            EXPECT_EQ(game.shownAt, game.readAt + 2 * SECOND + 12345);
        } else {
            game.clock.oversleep = 2 * SECOND;
            game.call(300 * US);
            game.clock.oversleep = 0;
            EXPECT_EQ(game.shownAt, game.readAt + 300 * US);
        }
        const uint64_t back = game.shownAt;
        EXPECT_EQ(game.pacer.restarts(), 1);
        EXPECT_EQ(game.pacer.droppedTicks(), 0);
        const std::vector<uint64_t> next = game.play(3);
        for (uint64_t n = 0; n < next.size(); ++n) EXPECT_TRUE(ticksAfter(back, next[n], n + 1));
    }
}

TEST(Pacer, StallIsAQuarterOfASecondPastTheTick) {
    // A frame ready up to a quarter of a second after its tick is a long
    // frame: shown on the next free tick, the margin wide. Past that it is a
    // stall: shown at once, the clock started afresh from it.
    struct Row {
        uint64_t work;
        bool stall;
    };
    for (const Row row : {Row{240 * MS, false}, Row{262 * MS, true}}) {
        Game game;
        game.play(10);
        game.call(row.work);
        EXPECT_EQ(game.pacer.restarts(), row.stall ? 1 : 0) << row.work;
        EXPECT_EQ(game.pacer.droppedTicks() > 0, !row.stall) << row.work;
        EXPECT_EQ(game.shownAt == game.readAt + row.work, row.stall) << row.work;
        EXPECT_EQ(game.pacer.margin(), row.stall ? MARGIN : PACER_MARGIN_MAX_US * US) << row.work;
    }
}

TEST(Pacer, StopsAndPausesLeaveTheMarginAsItWas) {
    // The game stopped (SIGSTOP, a suspended machine) in its sleep or within
    // a frame, or paused between calls: none of it is a slow frame, and the
    // keys of the pictures after it are still read a base margin before each.
    struct Row {
        const char* name;
        void (*away)(Game&);
    };
    const Row rows[] = {
        {"stopped 2 s in the sleep",
         [](Game& g) {
             g.clock.oversleep = 2 * SECOND;
             g.call(300 * US);
             g.clock.oversleep = 0;
         }},
        {"stopped 100 ms in the sleep",
         [](Game& g) {
             g.clock.oversleep = 100 * MS;
             g.call(300 * US);
             g.clock.oversleep = 0;
         }},
        {"stopped 2 s within a frame", [](Game& g) { g.call(2 * SECOND); }},
        {"paused 3 s between calls",
         [](Game& g) {
             g.call(50 * US, false); // the call that saw P stops before its frame
             g.clock.time += 3 * SECOND;
             g.call(300 * US);
         }},
        {"paused 120 ms between calls",
         [](Game& g) {
             g.call(50 * US, false);
             g.clock.time += 120 * MS;
             g.call(300 * US);
         }},
    };
    for (const Row& row : rows) {
        Game game;
        game.play(30);
        row.away(game);
        EXPECT_EQ(game.pacer.margin(), MARGIN) << row.name;
        uint64_t earliest = 0; // the longest from the keys to their picture
        for (int i = 0; i < PACER_MARGIN_MEMORY; ++i) {
            game.call(300 * US);
            earliest = std::max(earliest, game.shownAt - game.readAt);
        }
        EXPECT_LE(earliest, MARGIN + 20 * US) << row.name;
    }
}

TEST(Pacer, CallsThatDrawNothingNeitherDelayThePictureNorSpin) {
    Game game;
    game.play(10);
    // Space read on the title: the next call prepares level 1 and draws
    // nothing, and level 1's first picture still comes on the next tick.
    const uint64_t title = game.shownAt;
    game.call(50 * US, false);
    const uint64_t preparedAt = game.readAt;
    game.call(300 * US);
    EXPECT_EQ(game.readAt, preparedAt + 50 * US) << "the call after it runs at once";
    EXPECT_TRUE(ticksAfter(title, game.shownAt, 1));

    // An end screen waiting for a key draws nothing, call after call: two
    // calls a tick, with a sleep between, never a busy loop.
    const uint64_t start = game.clock.time;
    const int sleeps = game.clock.sleeps;
    for (int i = 0; i < 120; ++i) game.call(20 * US, false);
    EXPECT_GE(game.clock.time - start, 59 * PERIOD);
    EXPECT_LE(game.clock.time - start, 60 * PERIOD);
    EXPECT_GE(game.clock.sleeps - sleeps, 59);
    // The title that follows is shown on a tick of the same clock.
    game.call(300 * US);
    EXPECT_TRUE(ticksAfter(title, game.shownAt, 62));
    EXPECT_EQ(game.pacer.droppedTicks(), 0);
}

TEST(Pacer, VsyncPredictsTheVblankAndReadsTheKeysAMarginBeforeIt) {
    // Displays a little slower than 60 Hz, at 60 and a little faster, for 50
    // seconds. The keys for every picture are read a margin before the vblank
    // that shows it, as predicted from the presents' returns. Every vblank
    // shows a new picture, except that a faster display must show one twice
    // now and then (once in 20 seconds at 60.05 Hz), since no picture comes
    // before its tick.
    struct Row {
        double hz;
        int repeatedVblanks;
    };
    for (const Row row : {Row{59.94, 0}, Row{60.0, 0}, Row{60.05, 2}}) {
        Game game;
        game.useVsync();
        game.display.refresh = uint64_t(double(SECOND) / row.hz);
        game.play(200);
        EXPECT_EQ(game.pacer.mode(), PacerMode::Vsync) << row.hz;
        int repeated = 0;
        for (int i = 0; i < 3000; ++i) {
            const uint64_t last = game.shownAt;
            game.call(300 * US);
            const uint64_t next = game.display.vblankFrom(last + 1);
            ASSERT_GE(game.shownAt, next) << row.hz << " Hz, picture " << i;
            ASSERT_LE(game.shownAt, next + game.display.refresh) << row.hz << " Hz, picture " << i;
            if (game.shownAt > next) ++repeated;
            ASSERT_GE(game.readAt + game.pacer.margin(), game.shownAt - 100 * US) << row.hz;
            ASSERT_LE(game.readAt + game.pacer.margin(), game.shownAt + 100 * US) << row.hz;
        }
        EXPECT_EQ(repeated, row.repeatedVblanks) << row.hz << " Hz";
        EXPECT_EQ(game.pacer.lateFrames(), 0) << row.hz;
    }
}

TEST(Pacer, VsyncJudgedByTheDisplaysRate) {
    // Vsync is trusted only while the display shows one picture per tick of
    // 60 Hz within 1 %; faster or slower displays fall back to the timer.
    struct Row {
        double hz;
        PacerMode mode;
    };
    const Row rows[] = {
        {60.0, PacerMode::Vsync},  {59.94, PacerMode::Vsync}, {60.4, PacerMode::Vsync},
        {59.5, PacerMode::Vsync},  {120.0, PacerMode::Vsync}, {61.0, PacerMode::Timer},
        {59.0, PacerMode::Timer},  {50.0, PacerMode::Timer},  {75.0, PacerMode::Timer},
        {144.0, PacerMode::Timer},
    };
    for (const Row& row : rows) {
        Game game;
        game.useVsync();
        game.display.refresh = uint64_t(double(SECOND) / row.hz);
        game.play(int(FramePacer::TRIAL_SKIP + 3 * FramePacer::JUDGED_FLIPS));
        EXPECT_EQ(game.pacer.mode(), row.mode) << row.hz << " Hz";
    }
}

TEST(Pacer, VsyncKeepsTheTicksAsAFloor) {
    // Vsync trusted, then the display turns faster than 60 Hz, or its
    // presents stop waiting (a hidden window): no picture comes before its
    // tick, so the game keeps to 60 pictures a second, in a blocking sequence
    // whose pictures are ready at once and frame after frame. Paced by the
    // display it would show 75 or 144 a second, and without any wait as many
    // as it can draw.
    struct Row {
        double hz;
        bool blocks;
    };
    for (const Row row : {Row{75.0, true}, Row{144.0, true}, Row{60.0, false}}) {
        Game game;
        game.useVsync();
        game.play(200);
        ASSERT_EQ(game.pacer.mode(), PacerMode::Vsync);
        game.display.blocks = row.blocks;
        game.display.changeRate(game.clock.time, row.hz);

        game.readKeys();
        game.present();
        const uint64_t first = game.shownAt;
        for (int i = 0; i < 60; ++i) game.present();
        // The first picture may land up to a lead and a period after its
        // tick, the others on theirs.
        EXPECT_GE(game.shownAt - first, 58 * PERIOD) << row.hz << " Hz";
        EXPECT_LE(game.shownAt - first, 61 * PERIOD) << row.hz << " Hz";

        const std::vector<uint64_t> shown = game.play(200);
        for (size_t i = 60; i < shown.size(); ++i) {
            EXPECT_GE(shown[i] - shown[i - 60], 59 * PERIOD) << row.hz << " Hz, " << i;
        }
    }
}

TEST(Pacer, VsyncGivenUpWhenTheRateDriftsAndJudgedAgainAfterADisplayChange) {
    for (const double hz : {75.0, 50.0, 61.0}) {
        Game game;
        game.useVsync();
        game.play(200);
        ASSERT_EQ(game.pacer.mode(), PacerMode::Vsync);
        // The display switches to another rate: the drift is seen within two
        // judgements and the timer takes over, from the last picture on (the
        // pictures lagged their ticks with vsync; no burst catches them up).
        game.display.changeRate(game.clock.time, hz);
        for (int i = 0; i < 2 * FramePacer::JUDGED_FLIPS; ++i) {
            if (game.pacer.mode() == PacerMode::Timer) break;
            game.call(300 * US);
        }
        ASSERT_EQ(game.pacer.mode(), PacerMode::Timer) << hz << " Hz";
        game.display.vsync = false; // as the window turns it off
        // (the last vsync'd present returned just after its vblank)
        for (uint64_t last = game.clock.time, i = 0; i < 5; ++i, last = game.shownAt) {
            game.call(300 * US);
            EXPECT_TRUE(ticksAfter(last, game.shownAt, 1)) << hz << " Hz";
        }
        // Back on a 60 Hz display (the window moved): judged again, trusted.
        game.display.changeRate(game.clock.time, 60.0);
        game.useVsync();
        game.play(200);
        EXPECT_EQ(game.pacer.mode(), PacerMode::Vsync) << hz << " Hz";
    }
}

TEST(Pacer, TrialIgnoresEarlyReturnsOfTheFramesItSkips) {
    // A driver that at start-up lets a present take 40 ms now and then and
    // returns the others at once: in a blocking sequence the present after a
    // slow one returns sooner than 3/4 of a period after it. While the trial
    // skips those frames that is no verdict, and once vsync works at 60 Hz it
    // is kept; the first such early return after the skipped frames ends the
    // trial at once.
    for (const bool worksLater : {true, false}) {
        Game game;
        game.useVsync();
        game.readKeys();
        int early = 0;
        for (int i = 0; i < 200; ++i) {
            const bool startUp = i < int(FramePacer::TRIAL_SKIP) - 2;
            const bool erratic = startUp || !worksLater;
            game.display.blocks = !erratic;
            game.display.cost = erratic && i % 5 == 0 ? 40 * MS : 300 * US;
            const uint64_t last = game.clock.time;
            game.present();
            if (startUp && i % 5 == 1 && game.clock.time - last < PERIOD * 3 / 4) ++early;
            if (i == int(FramePacer::TRIAL_SKIP) - 1) {
                EXPECT_EQ(game.pacer.mode(), PacerMode::VsyncOnTrial);
            }
            if (i == int(FramePacer::TRIAL_SKIP) + 10 && !worksLater) {
                EXPECT_EQ(game.pacer.mode(), PacerMode::Timer);
            }
        }
        EXPECT_GT(early, 0);
        EXPECT_EQ(game.pacer.mode(), worksLater ? PacerMode::Vsync : PacerMode::Timer);
    }
}

TEST(Pacer, VsyncTrialAndJudgementThresholds) {
    // A blocking sequence whose presents return the given intervals apart
    // (in hundredths of a period, over and over; never before the picture's
    // tick), all averaging 60 Hz. On trial, a return sooner than 3/4 of a
    // period ends the trial at once; once judged, an interval more than an
    // eighth of a period off the lattice counts against vsync, and more than
    // a quarter of such intervals give it up.
    struct Row {
        std::vector<int> hundredths;
        PacerMode mode;
    };
    const std::vector<int> steady(9, 100);
    auto with = [&](std::vector<int> tail) {
        std::vector<int> all = steady;
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };
    const Row rows[] = {
        {{100}, PacerMode::Vsync},
        {with({80, 120}), PacerMode::Vsync},                         // on trial, 0.8 of a period
        {with({70, 130}), PacerMode::Timer},                         // on trial, 0.7
        {{110, 90}, PacerMode::Vsync},                               // a tenth off: on the lattice
        {{115, 85}, PacerMode::Timer},                               // 0.15 off, every one
        {{120, 80, 100, 100, 100, 100, 100, 100}, PacerMode::Vsync}, // a quarter off
        {{120, 80, 100, 100, 100, 100}, PacerMode::Timer},           // a third off
    };
    for (const Row& row : rows) {
        FakeClock clock;
        FramePacer pacer(clock);
        pacer.useVsync(true);
        pacer.waitToReadKeys(IdleCalls::Next::AfterPicture);
        // The first return lags its tick by 0.4 of a period, so that shorter
        // intervals still come after their ticks.
        pacer.waitForTick();
        clock.time += PERIOD * 4 / 10;
        pacer.presented();
        uint64_t last = clock.time;
        const long flips = FramePacer::TRIAL_SKIP + 3 * FramePacer::JUDGED_FLIPS;
        for (long i = 0; i < flips; ++i) {
            const int hundredths =
                i < FramePacer::TRIAL_SKIP
                    ? 100
                    : row.hundredths[(i - FramePacer::TRIAL_SKIP) % long(row.hundredths.size())];
            const uint64_t returns = last + PERIOD * uint64_t(hundredths) / 100;
            pacer.waitForTick();
            if (pacer.mode() != PacerMode::Timer) {
                ASSERT_LE(clock.time, returns) << i; // the ticks left room for it
            }
            clock.time = std::max(clock.time, returns);
            pacer.presented();
            last = clock.time;
        }
        EXPECT_EQ(pacer.mode(), row.mode) << ::testing::PrintToString(row.hundredths);
    }
}

TEST(Pacer, BlockingSequenceKeepsItsPace) {
    // A banner: one call that shows 100 pictures, one a tick, whatever each
    // picture costs to draw, with no late one.
    Game game;
    game.play(10);
    const uint64_t start = game.shownAt;
    game.readKeys();
    for (int i = 0; i < 100; ++i) {
        game.clock.time += (i % 3) * MS;
        game.present();
        ASSERT_TRUE(ticksAfter(start, game.shownAt, uint64_t(i) + 1)) << i;
    }
    EXPECT_EQ(game.pacer.lateFrames(), 0);
}

TEST(Pacer, SlowerSpeedsShowFewerPicturesASecondOnAnEvenBeat) {
    // The speed is a percentage of the 60 calls a second; the pictures still
    // fall on an even beat, one a call.
    const struct {
        int speed;
        long perSecond;
    } speeds[] = {{100, 60}, {90, 54}, {75, 45}, {50, 30}};
    for (const auto& s : speeds) {
        SCOPED_TRACE(s.speed);
        Game game(s.speed);
        game.play(10);
        const uint64_t start = game.shownAt;
        long shown = 0;
        for (uint64_t previous = start; game.shownAt - start < 10 * SECOND; ++shown) {
            game.call(300 * US);
            const int64_t beat = int64_t(game.shownAt - previous) - int64_t(SECOND / s.perSecond);
            ASSERT_LE(std::abs(beat), 40'000) << "picture " << shown;
            previous = game.shownAt;
        }
        EXPECT_EQ(shown, s.perSecond * 10);
        EXPECT_EQ(game.pacer.lateFrames(), 0);
        EXPECT_EQ(game.pacer.droppedTicks(), 0);
    }
}

TEST(Pacer, WaitSleepsMostAndSpinsOnlyTheLastStretch) {
    FakeClock clock;
    const uint64_t deadline = clock.time + 16 * MS;
    waitUntil(clock, deadline);
    EXPECT_GE(clock.time, deadline);
    EXPECT_EQ(clock.sleeps, 1);
    EXPECT_GE(clock.spins, 1);
    EXPECT_LE(clock.spins, int(PACER_SPIN_US * 1000 / 20'000 + 1));
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
