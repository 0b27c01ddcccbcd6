// A game's run, from its first call of runFrame until it ends: the one loop
// the desktop game, the headless runner and the page all run. Each turn
// waits for its moment, hands over the waiting events, runs one call and
// digests it; what differs between the front ends comes in as a FrontEnd:
// how to wait for the next tick or refresh, where events come from and how a
// picture is shown. The loop owns the rest: the rule for calls that show
// nothing (idle_calls.h), scripted keys, recording a replay or playing one
// back and checking its end, and the game ending within a call (the window
// closed, Escape while paused, a replay that was closed there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/replay/key_script.h"
#include "platform/replay/replay.h"
#include "platform/session/idle_calls.h"

struct SessionEnd {
    long calls = 0;         // the calls that ran
    bool playback = false;  // a replay was played back...
    bool stopped = false;   // ...and the player stopped it (Escape)
    std::string difference; // where it went another way; empty when it matched
};

// What a front end supplies; a null entry has nothing to do.
struct FrontEnd {
    // Before a call's events are handled: waits until it is time to read
    // the keys for the call's picture. `next` says how the last call went.
    void (*waitForTurn)(IdleCalls::Next next) = nullptr;
    // Hands over the events waiting since the last call.
    void (*handleEvents)() = nullptr;
    // Whether the game is paused, and the wait while it is: between calls
    // (`withinCall` false) or within one, at a present.
    bool (*paused)() = nullptr;
    void (*holdWhilePaused)(bool withinCall) = nullptr;
    // Shows a finished frame (it may wait for its tick or refresh), then
    // what acts on the window at once within a call.
    void (*present)(const uint32_t* pixels, int pitch) = nullptr;
    void (*handleEventsWithinCall)() = nullptr;
    // Before and after each call: the page's pacing, the runner's trace and
    // screenshots, a picture held at --stop-at.
    void (*beforeCall)(long call) = nullptr;
    void (*afterCall)(long call) = nullptr;
    // The game ended within a call, saved as Escape saves; `end` says how it
    // stood. The desktop and the runner end the program here; the page
    // returns, and the rest of the call runs without the display.
    void (*endedWithinCall)(const SessionEnd& end) = nullptr;
};

// Room for the recording of a run (0 events: no recording); recording never
// allocates once the run has begun.
struct RecordingRoom {
    size_t events = 0, reads = 0, checks = 0;
};

struct SessionPlan {
    long calls = -1;                             // at most this many calls; -1: no limit
    const std::vector<KeyEvent>* keys = nullptr; // keys delivered before their calls
    const Replay* playback = nullptr;            // a replay to play and check
    bool stopAtFirstDifference = false;          // a replay that went astray stops there
    RecordingRoom recording;                     // record the run as a replay
};

// Runs the game until Escape (or closing) asks it to end, the planned calls
// have run, or the replay has been played. The stored hiscore is loaded
// before the first call, so an early Escape keeps a stored record.
SessionEnd runSession(const FrontEnd& frontEnd, const SessionPlan& plan);

// The call running, or about to.
long sessionCall();
// The record as the run began (the hiscore loaded before the first call).
int32_t sessionRecordAtStart();
