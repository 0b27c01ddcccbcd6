// The page's test mode: a test harness sets `window.tirlaneTest` before the
// page loads, and the game then takes its keys from a key script (the
// headless runner's format) as well as from the browser, may stop after a
// number of calls, may run unpaced (all along, or up to a call), and reports
// its state after every call in `Module.tirlaneTest.state`, in the headless
// runner's trace fields.
#pragma once

#include <vector>

#include "platform/replay/key_script.h"

struct WebTestRun {
    long calls = -1; // stop after this many calls; -1: never
    bool paced = true;
    long pacedFrom = -1; // unpaced, the run turns paced from this call on; -1: never
    bool logPresents = false;
    std::vector<KeyEvent> events;
};

// Reads the page's test settings into `run`; false when the page runs no test.
bool readTestRun(WebTestRun& run);
// Hands the page the state after call `call` of a session (0 for the game's
// first run, then one more for each start again).
void publishState(int session, long call);
// Tells the page that the run stopped at its last call.
void publishStopped();
