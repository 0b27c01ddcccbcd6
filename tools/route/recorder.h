// Plays the real game one call at a time and writes down every key event,
// in the runner's input format: "C down CODE" / "C up CODE".
#pragma once

#include <cstdio>
#include <vector>

#include "platform/replay/key_script.h"

struct Recorder {
    std::vector<KeyEvent> events;
    long call = 0; // index of the next call of runFrame
    int held = 0;  // the key held down now, 0 for none

    // Lets go of the held key and presses another one before the next call.
    void hold(int code);
    // Runs one call of runFrame.
    void run();
};

// Writes the events, after a header line, to a file; false on failure.
bool writeEvents(const char* path, const char* header, const std::vector<KeyEvent>& events);
