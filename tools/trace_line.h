// The headless runner's trace line: the game state after a call, one field
// per value in a fixed order. Shared by the runner and the browser build's
// test mode, which report the same state in the same words.
#pragma once

#include <cstddef>

// The longest line the state can make, with room to spare.
constexpr size_t TRACE_LINE_SIZE = 2048;

// Writes "call=C flips=F screen=... boxes=..." (no newline) for call `call`
// into `line` and returns its length.
int formatTraceLine(char* line, size_t size, long call);
