// Recording a run: the key events and hiscore reads as the game receives
// them, and a check line every REPLAY_CHECK_EVERY calls, into room made once
// before play, so recording never allocates.
#include <new>

#include "game/keys.h"
#include "platform/ports/keyboard.h"
#include "platform/replay/internal.h"
#include "platform/replay/replay.h"

Recorder rec;

namespace {

// Stops recording before the current call, which is about to run: the state
// now is the end of what the file holds.
void truncateHere() {
    if (rec.truncatedAt >= 0) return;
    rec.truncatedAt = run.call;
    rec.truncatedState = currentReplayState(run.call);
    // Events already stamped with this call would come after the end.
    while (rec.eventCount > 0 && rec.events[rec.eventCount - 1].call >= run.call) --rec.eventCount;
}

} // namespace

void recordCallStart(long call) {
    if (!rec.on || rec.truncatedAt >= 0 || call < 0) return;
    // Between calls: a recording with no room left for the reads of another
    // call, or for a check line due now, ends here, where the game's state
    // is the end of what it holds. (A paused game sets the same call again.)
    const bool checkDue = call > 0 && call % REPLAY_CHECK_EVERY == 0 &&
                          (rec.checkCount == 0 || rec.checks[rec.checkCount - 1].call != call);
    if (rec.readCount + 2 > rec.maxReads || (checkDue && rec.checkCount == rec.maxChecks))
        return truncateHere();
    if (checkDue) rec.checks[rec.checkCount++] = {call, run.digest};
    rec.callStart = currentReplayState(call);
    rec.callStarted = true;
}

namespace {
int recordedSpeed = 100;
} // namespace

void setRecordedSpeed(int percent) {
    recordedSpeed = percent;
    rec.speed = percent;
}

void startRecording(size_t maxEvents, size_t maxReads, size_t maxChecks) {
    rec = Recorder{};
    rec.speed = recordedSpeed;
    restartRun();
    rec.events.reset(new (std::nothrow) KeyEvent[maxEvents]);
    rec.reads.reset(new (std::nothrow) HiscoreRead[maxReads]);
    rec.checks.reset(new (std::nothrow) ReplayCheck[maxChecks]);
    rec.on = rec.events && rec.reads && rec.checks && maxReads > 0;
    rec.maxEvents = rec.on ? maxEvents : 0;
    rec.maxReads = rec.on ? maxReads : 0;
    rec.maxChecks = rec.on ? maxChecks : 0;
}

bool recording() {
    return rec.on;
}

void recordKey(bool down, int code) {
    if (!rec.on || rec.truncatedAt >= 0 || !isGameKey(code)) return;
    const bool held = code != KEY_ESCAPE;
    if (held && down && code == heldGameKey()) return; // a repeat: nothing changes
    if (!down && code != heldGameKey()) return;        // not the held key: nothing changes
    if (rec.eventCount == rec.maxEvents) return truncateHere();
    rec.events[rec.eventCount++] = {run.call < 0 ? 0 : run.call, down, code};
}

void recordHiscoreRead(int32_t value) {
    if (!rec.on || rec.truncatedAt >= 0) return;
    if (rec.readCount == rec.maxReads) return; // setReplayCall ends the recording first
    rec.reads[rec.readCount++] = {run.call, value};
}

void recordQuitWithinCall() {
    if (!rec.on || rec.truncatedAt >= 0) return;
    rec.quitCall = run.call;
    rec.quitFlip = replayFlips();
}

void finishRecording(const ReplayState& end) {
    if (!rec.on) return;
    rec.end = rec.truncatedAt >= 0 ? rec.truncatedState : end;
    rec.finished = true;
}
