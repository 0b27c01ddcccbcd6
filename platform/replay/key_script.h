// Key scripts: the headless runner's input files ("C down CODE" or
// "C up CODE", C the 0-based call the event comes before; blank lines and
// '#' comments ignored), shared by the runner and the measuring tools, and
// the body of every replay (platform/replay.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct KeyEvent {
    long call; // delivered before this call of runFrame
    bool down;
    int code;
};

// Parses a whole non-negative decimal number; false for anything else.
bool parseCount(const char* text, long& value);

// One key line, "C down CODE" or "C up CODE" (the key scripts' and the
// replays' alike); false for anything else.
bool parseKeyLine(const char* text, KeyEvent& event);

// Reads an input file. False, with one line saying why (the line number for
// a bad line) in `error`, when the file cannot be read or a line is malformed
// or its call index decreases.
bool readKeyScript(const char* path, std::vector<KeyEvent>& events, std::string& error);

// Delivers the events of `call` through the game's key handling, in order
// (and to the replay recording, when one runs); `next` is the index of the
// first event not yet delivered.
void deliverKeyEvents(const std::vector<KeyEvent>& events, size_t& next, long call);
