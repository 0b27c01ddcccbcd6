// A compact copy of the whole game state (the record and the three tables),
// so the route finder can try a move, look at what happens and step back.
#pragma once

#include <cstdint>

#include "game/state.h"

struct Snapshot {
    GameState game;
    int8_t sides[SIDE_COUNT + 1];
    int8_t boxes[BOX_COUNT + 1];
    int16_t guardPos[GUARD_COUNT + 1];
    int8_t guardVel[GUARD_COUNT + 1];
};

// Copies the live game state into a snapshot.
Snapshot captureState();
// Puts a snapshot back as the live game state.
void restoreState(const Snapshot& s);
// A hash of everything that can decide what happens next; the held key is
// left out, since a standing figure reads whichever key the caller sets.
uint64_t stateHash(const Snapshot& s);
