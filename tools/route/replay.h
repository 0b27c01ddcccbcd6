// Replays recorded key events on a freshly started game, as tirlane-headless
// does, and sums up what the run did.
#pragma once

#include <vector>

#include "tools/route/recorder.h"

struct ReplaySummary {
    long calls = 0;
    long flips = 0;
    bool reachedVictory = false;
    bool reachedGameOver = false;
    int endLives = 0; // lives and score on entering the end screen
    int endScore = 0;
    int finalScreen = -1;
    int finalLives = 0;
    int finalScore = 0;
};

// The working directory must hold no "Score" of value: it is removed first,
// as a fresh run folder has none.
ReplaySummary replayEvents(const std::vector<KeyEvent>& events, long calls);
