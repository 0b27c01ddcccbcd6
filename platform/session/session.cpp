#include "platform/session/session.h"

#include <climits>

#include "game/frame.h"
#include "game/keys.h"
#include "game/state.h"
#include "platform/input/events.h"
#include "platform/input/game_keys.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/keyboard.h"

namespace {

const FrontEnd* front = nullptr;
const SessionPlan* plan = nullptr;
long call = 0;
int32_t recordAtStart = 0;

// How the run stands after `calls` calls: for a replay, where it differs
// from the file, up to there when the run stopped short of the replay's end
// (and had not gone astray), else at its end.
SessionEnd standing(long calls, bool atReplayEnd) {
    SessionEnd end;
    end.calls = calls;
    if (!plan->playback) return end;
    end.playback = true;
    end.stopped = stoppedByPlayer();
    if (end.stopped) return end;
    end.difference = atReplayEnd || playbackWentAstray()
                         ? comparePlaybackEnd(currentReplayState(calls))
                         : comparePlaybackUpTo(calls);
    return end;
}

long replayCalls() {
    const Replay& r = *plan->playback;
    return r.end.calls + (r.quitCall >= 0 ? 1 : 0);
}

// The game ends in the middle of a call: saved as Escape saves, and recorded
// as ending at this flip. The player ended it (the window closed, SIGTERM,
// Escape while paused), which stops a replay playing as Escape does; or the
// replay playing was closed here.
void endWithinCall(bool byPlayer) {
    recordQuitWithinCall();
    if (!quitRequested()) keyDown(KEY_ESCAPE);
    finishRecording(currentReplayState(call));
    SessionEnd end =
        byPlayer ? SessionEnd{call, plan->playback != nullptr, true, {}} : standing(call, true);
    if (front->endedWithinCall) front->endedWithinCall(end);
}

void endedByPlayer() {
    endWithinCall(true);
}

// Every finished frame: shown, then what acts at once within a call, then
// held while paused. A replay closed within this call ends at its flip.
void present(const uint32_t* pixels, int pitch) {
    if (front->present) front->present(pixels, pitch);
    if (front->handleEventsWithinCall) front->handleEventsWithinCall();
    if (front->holdWhilePaused && front->paused && front->paused()) front->holdWhilePaused(true);
    const Replay* replay = plan->playback;
    if (replay && replay->quitCall == call && replay->quitFlip == replayFlips() && !quitRequested())
        endWithinCall(false);
}

} // namespace

long sessionCall() {
    return call;
}

int32_t sessionRecordAtStart() {
    return recordAtStart;
}

SessionEnd runSession(const FrontEnd& frontEnd, const SessionPlan& sessionPlan) {
    front = &frontEnd;
    plan = &sessionPlan;
    call = 0;
    setPresenter(present);
    setEndWithinCall(endedByPlayer);
    if (plan->playback) {
        startPlayback(*plan->playback);
        ignoreGameKeys(true);
    } else if (plan->recording.events > 0) {
        startRecording(plan->recording.events, plan->recording.reads, plan->recording.checks);
        setLoadObserver(recordHiscoreRead);
    }
    // Loaded before the first frame, so an early Escape keeps a stored record.
    game.hiscore = loadHiscore();
    recordAtStart = game.hiscore;

    // A replay that ended within a call runs into that call, up to its flip.
    long lastCall = plan->calls >= 0 ? plan->calls : LONG_MAX;
    if (plan->playback && replayCalls() < lastCall) lastCall = replayCalls();
    size_t nextKey = 0;
    IdleCalls idleCalls;
    bool showed = true;
    while (!quitRequested() && call < lastCall) {
        if (front->waitForTurn) front->waitForTurn(idleCalls.next(showed));
        setReplayCall(call);
        if (front->handleEvents) front->handleEvents();
        if (front->paused && front->paused()) {
            // Paused, no frame runs at all; the call then takes its turn at
            // once, as after a call that showed nothing.
            if (front->holdWhilePaused) front->holdWhilePaused(false);
            showed = false;
            continue;
        }
        if (plan->keys) deliverKeyEvents(*plan->keys, nextKey, call);
        if (quitRequested()) break;
        if (front->beforeCall) front->beforeCall(call);
        const long flips = flipCount();
        runFrame();
        showed = flipCount() != flips;
        digestCall();
        if (front->afterCall) front->afterCall(call);
        ++call;
        if (plan->stopAtFirstDifference && playbackWentAstray()) break;
    }
    finishRecording(currentReplayState(call));
    setEndWithinCall(nullptr);
    return standing(call, plan->playback && call >= replayCalls());
}
