// The two scripted games: one played to victory with the look-ahead, one
// that walks into the guards until the game is over. Both start on the title
// with Space and end back on the title after a release, press and release.
#pragma once

#include "tools/route/recorder.h"

struct PlayReport {
    bool ok = false;
    const char* failure = "";
    int deaths = 0;
    long searches = 0;
    long statesTried = 0;
};

PlayReport playToVictory(Recorder& rec);
PlayReport playToGameOver(Recorder& rec);
