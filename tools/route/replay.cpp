#include "tools/route/replay.h"

#include <cstdio>

#include "game/frame.h"
#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/keyboard.h"

ReplaySummary replayEvents(const std::vector<KeyEvent>& events, long calls) {
    std::remove("Score");
    resetGameState();
    clearQuitRequest();
    game.hiscore = loadHiscore();
    const long flipsBefore = flipCount();

    ReplaySummary summary;
    size_t next = 0;
    for (long call = 0; call < calls; ++call) {
        deliverKeyEvents(events, next, call);
        if (quitRequested()) break;
        const int before = game.screen;
        const int lives = game.lives;
        const int score = game.score;
        runFrame();
        ++summary.calls;
        const bool entered = game.screen != before;
        if (entered && game.screen == SCREEN_VICTORY) {
            summary.reachedVictory = true;
            summary.endLives = game.lives;
            summary.endScore = game.score;
        }
        if (entered && game.screen == SCREEN_GAME_OVER) {
            summary.reachedGameOver = true;
            summary.endLives = lives;
            summary.endScore = score;
        }
    }
    summary.flips = flipCount() - flipsBefore;
    summary.finalScreen = game.screen;
    summary.finalLives = game.lives;
    summary.finalScore = game.score;
    return summary;
}
