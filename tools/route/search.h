// The look-ahead: from a standing figure, find the earliest safe way into
// the niche of a target side, by trying every wait and step on copies of the
// game state, frame by frame, with the real game code.
#pragma once

#include <vector>

// One decision of a route: 0 lets the figure stand for one call; an arrow
// key starts a step, held until the figure stands again.
using Route = std::vector<int>;

struct SearchLimits {
    int horizon = 3000;        // calls looked ahead at most
    int layerWidth = 1500;     // states kept per call
    long totalStates = 250000; // states kept in all
};

struct SearchResult {
    bool found = false;
    Route route;
    int calls = 0;     // calls the route takes
    long expanded = 0; // states tried
    long states = 0;   // states kept
    int lastCall = 0;  // the furthest call looked at
};

// The live state must be a decision point: a level screen, prepared, with
// the figure standing (phase 0). The live state is left as it was. With a
// lookahead of n, a niche counts only if from there n more targets can be
// reached one after the other, so the figure does not walk into a trap.
SearchResult findSafeRoute(const SearchLimits& limits, int lookahead);

// A safe way to send a resting guard off its end, ending at a crossing of
// two inner corridors or at the end of a niche. A guard resting beside a
// crossing of an outer corridor shuts the niches behind that crossing.
SearchResult findUnblockingRoute(const SearchLimits& limits, int guard);

// Plays a route on the live state; false if a step is refused or struck.
bool playRoute(const Route& route);

// Without guards: the shortest walk into the niche of a target side. Used
// only when no safe route exists within the horizon; it may cost a life.
Route walkToNearestTarget();

// True when the live state waits for a decision of the player.
bool atDecisionPoint();
