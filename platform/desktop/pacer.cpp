#include "platform/desktop/pacer.h"

#include <algorithm>
#include <cmath>

namespace {
uint64_t fromMicroseconds(uint64_t frequency, uint64_t us) {
    return frequency * us / 1000000;
}
} // namespace

FramePacer::FramePacer(PacerClock& clock, int speed)
    : clock(clock), speedPercent(uint64_t(std::clamp(speed, 50, 100))),
      frequency(clock.ticksPerSecond()), periodTicks(frequency * 100 / (RATE * speedPercent)),
      stallTicks(frequency / 4), graceTicks(periodTicks / 2), leadTicks(periodTicks / 4),
      baseMargin(fromMicroseconds(frequency, PACER_MARGIN_BASE_US)),
      maxMargin(fromMicroseconds(frequency, PACER_MARGIN_MAX_US)),
      headroom(fromMicroseconds(frequency, PACER_MARGIN_HEADROOM_US)), marginTicks(baseMargin) {}

void FramePacer::restartAt(uint64_t at) {
    started = true;
    origin = at;
    tick = 0;
}

// The moment the picture held to the tick `floor` appears: the tick itself
// with the timer. With vsync, the first vblank a lead after the tick, counted
// in whole periods from the last present's return (just after a vblank): a
// present held back to its tick still reaches that vblank, whichever way the
// display's vblanks drift against the ticks.
uint64_t FramePacer::flipTarget(uint64_t floor) const {
    if (pacing == PacerMode::Timer || !phaseKnown) return floor;
    const uint64_t earliest = floor + leadTicks;
    if (earliest <= lastReturn) return lastReturn + periodTicks;
    const uint64_t periods = (earliest - lastReturn + periodTicks - 1) / periodTicks;
    return lastReturn + periods * periodTicks;
}

void FramePacer::waitToReadKeys(IdleCalls::Next next) {
    // The keys are read as this returns: at once after a call that showed
    // nothing (also when the game was paused meanwhile), else on waking.
    keysReadAt = clock.now();
    if (started) {
        switch (next) {
        case IdleCalls::Next::AtOnce:
            return;
        case IdleCalls::Next::NextTick:
            ++tick;
            break;
        case IdleCalls::Next::AfterPicture:
            break;
        }
    }
    shownSinceWake = false;
    const uint64_t now = clock.now();
    if (!started || now > tickTime(tick) + stallTicks) {
        // The first call, or the first after a stall: a fresh clock whose
        // first tick is a margin away, with no debt carried over.
        if (started) ++restartCount;
        restartAt(now + marginTicks);
        phaseKnown = false;
    }
    // Ticks that passed while the game was away get no picture, but one that
    // passed by no more than the grace is still shown, a little late.
    while (flipTarget(tickTime(tick)) + (pacing == PacerMode::Timer ? graceTicks : 0) < now) {
        ++tick;
        ++droppedCount;
    }
    aimedAt = flipTarget(tickTime(tick));
    wakeAt = aimedAt - std::min(aimedAt, marginTicks);
    waitUntil(clock, wakeAt); // on time: a late wake-up would make a late picture
    keysReadAt = clock.now();
}

void FramePacer::waitForTick() {
    const uint64_t now = clock.now();
    keysPicture = !shownSinceWake;
    const bool stalled = started && now > tickTime(tick) + stallTicks;
    if (!started || stalled) {
        // A stall inside a frame: this picture is shown at once and the
        // clock starts afresh from it.
        if (started) ++restartCount;
        restartAt(now);
        phaseKnown = false;
    }
    uint64_t due = tickTime(tick);
    if (pacing == PacerMode::Timer && now > due) {
        // Missed its tick. A little late, it is shown at once, which keeps
        // the flips nearly even; later than that, on the next tick, and the
        // old picture stays on the screen a tick longer. Either way no game
        // frame is skipped or run twice.
        ++lateCount;
        if (now > due + graceTicks) {
            while (tickTime(tick) <= now) {
                ++tick;
                ++droppedCount;
            }
            due = tickTime(tick);
        }
    }
    // With vsync a picture past its tick is presented at once: the present
    // itself waits for the vblank it aims at.
    aimedAt = flipTarget(due);
    floorHeld = now < due;
    // A stall (the machine suspended, the game stopped) is no slow frame: a
    // wider margin would only read every key early for a third of a second.
    if (keysPicture && !stalled) adaptMargin(now);
    waitUntil(clock, due);
}

void FramePacer::adaptMargin(uint64_t ready) {
    neededIndex = (neededIndex + 1) % PACER_MARGIN_MEMORY;
    // From the keys' reading, not the planned wake-up: a wake-up that came
    // late (the game stopped in its sleep, or paused) did not need the time.
    neededTicks[neededIndex] = (ready > keysReadAt ? ready - keysReadAt : 0) + headroom;
    marginTicks = baseMargin;
    for (const uint64_t needed : neededTicks) marginTicks = std::max(marginTicks, needed);
    marginTicks = std::min(marginTicks, maxMargin);
}

// The picture came later than the margin allowed for: the last need counts
// as that much longer.
void FramePacer::growMargin(uint64_t by) {
    neededTicks[neededIndex] = marginTicks + by;
    marginTicks = std::min(maxMargin, marginTicks + by);
}

void FramePacer::presented() {
    const uint64_t now = clock.now();
    shownSinceWake = true;
    ++tick;
    const uint64_t interval = lastReturnSeen ? now - lastReturn : 0;
    lastReturn = now;
    lastReturnSeen = true;
    if (pacing != PacerMode::Timer) judgeVsync(interval);
    // Ticks that passed while presenting get no picture, unless they passed
    // by no more than the grace. With vsync a picture lands up to a lead and
    // a period after its tick, so the next tick may have passed already; it
    // is given up only when even its vblank has.
    const uint64_t slack = pacing == PacerMode::Timer ? graceTicks : leadTicks + periodTicks / 2;
    while (tickTime(tick) + slack < now) {
        ++tick;
        ++droppedCount;
    }
}

void FramePacer::useVsync(bool on) {
    // With vsync a picture lands up to a lead and a period after its tick;
    // the timer takes over one period after the last picture, so the ticks
    // the vsync'd pictures lagged behind are not caught up in a burst.
    if (!on && pacing != PacerMode::Timer && lastReturnSeen) restartAt(lastReturn + periodTicks);
    pacing = on ? PacerMode::VsyncOnTrial : PacerMode::Timer;
    phaseKnown = false;
    trialCount = 0;
    judged = 0;
    judgedTicks = 0;
    judgedRefreshes = 0;
    offLattice = 0;
}

// After a present with vsync on: follows the display and checks that it
// really shows one picture per tick of 60 Hz.
void FramePacer::judgeVsync(uint64_t interval) {
    const uint64_t now = lastReturn;
    const bool predicted = phaseKnown;
    phaseKnown = true; // this return follows a vblank: the next ones are predicted from it
    // Start-up: the first presents may return at once or late, and the trial
    // ignores them.
    if (pacing == PacerMode::VsyncOnTrial && ++trialCount <= TRIAL_SKIP) return;
    if (!predicted) return;
    if (keysPicture && !floorHeld && now > aimedAt + headroom) {
        // Shown later than predicted: the vblank was missed (the frame took
        // too long), or the present took longer than the margin left it.
        if (now > aimedAt + periodTicks / 2) ++lateCount;
        growMargin(std::min(now - aimedAt, periodTicks / 8));
    }

    // Returning sooner than 3/4 of a period, the present did not wait for a
    // vblank at 60 Hz: on trial that ends the trial.
    if (pacing == PacerMode::VsyncOnTrial && interval < periodTicks * 3 / 4) {
        return useVsync(false);
    }
    // The intervals counted in whole refreshes of 60 Hz: their mean is the
    // display's refresh period; off the lattice they show another rate.
    const uint64_t refreshes = std::max<uint64_t>(1, (interval + periodTicks / 2) / periodTicks);
    const uint64_t lattice = refreshes * periodTicks;
    const uint64_t off = interval > lattice ? interval - lattice : lattice - interval;
    if (off > periodTicks / 8) ++offLattice;
    // More than a quarter of a judgement off the lattice: no need to wait
    // for the rest (the game would run slow meanwhile).
    if (offLattice * 4 > JUDGED_FLIPS) return useVsync(false);
    ++judged;
    judgedTicks += interval;
    judgedRefreshes += long(refreshes);
    if (judged < JUDGED_FLIPS) return;
    const uint64_t expected = uint64_t(judgedRefreshes) * periodTicks;
    const uint64_t drift = judgedTicks > expected ? judgedTicks - expected : expected - judgedTicks;
    const bool steady = drift * 100 <= expected;
    judged = 0;
    judgedTicks = 0;
    judgedRefreshes = 0;
    offLattice = 0;
    if (!steady) return useVsync(false);
    pacing = PacerMode::Vsync;
}

void waitUntil(PacerClock& clock, uint64_t deadline) {
    const uint64_t spinTicks = clock.ticksPerSecond() * PACER_SPIN_US / 1000000;
    for (uint64_t t = clock.now(); t < deadline; t = clock.now()) {
        const uint64_t left = deadline - t;
        if (left > spinTicks) {
            clock.sleep(left - spinTicks);
        } else {
            clock.spin();
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
