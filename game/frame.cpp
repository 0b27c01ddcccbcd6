#include "game/frame.h"

#include "game/guards.h"
#include "game/movement.h"
#include "game/rules.h"
#include "game/state.h"
#include "game/title.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/sound.h"
#include "render/banners.h"
#include "render/board.h"
#include "render/figures.h"
#include "render/hud.h"

// Points, exact target and the screen that follows, per level. The targets
// are the cumulative scores once every side of the level has paid.
const LevelRules levelRules[5] = {
    {}, {10, 0, 990, 2}, {20, 0, 2970, 3}, {40, 80, 14930, 4}, {130, 130, 27800, SCREEN_VICTORY},
};

namespace {
const char* const bannerTexts[5] = {nullptr, nullptr, BANNER_LEVEL2, BANNER_LEVEL3, BANNER_LEVEL4};

void levelFrame(int level) {
    if (game.preparedScreen == level - 1) {
        prepareLevel(level);
        if (level == 1) return; // level 1's first picture comes with the next call
    }

    drawHud();
    drawLives();
    if (level == 2) applyBoxRule();
    if (level == 3) applyDoorRule();
    drawBoard(level);

    switch (game.phase) {
    case 0:
        stepGuards();
        readMoveInput();
        break;
    case 1:
        stepPlayer();
        stepGuards();
        completeEntry();
        break;
    case 2:
        playDeath();
        if (game.lives == -1) game.screen = SCREEN_GAME_OVER;
        game.phase = 0;
        break;
    default:
        break;
    }

    drawGuards();
    if (game.screen != SCREEN_GAME_OVER) drawPlayer();
    checkCollision();
    flipFrame();
}
} // namespace

void prepareLevel(int level) {
    applyLevelStart(level);
    if (level > 1) {
        for (int b = 1; b <= BOX_COUNT; ++b) boxes[b] = 0;
        if (game.score == game.hiscore) saveHiscore();
        scrollBanner(bannerTexts[level]);
        playRespawnBlink();
    }
    game.preparedScreen = level;
}

// Half-way into the niche the entry counts: the side drops by one and may pay.
void completeEntry() {
    if (game.crossingSide == 0) return;
    if (game.moveX != 8 && game.moveX != -8 && game.moveY != 8 && game.moveY != -8) return;

    const int level = game.screen;
    const LevelRules& rules = levelRules[level];
    const int value = --sides[game.crossingSide];
    int points = 0;
    if (value == SIDE_TAKEN) points = rules.pointsOnTaken;
    if (value == SIDE_SEALED) points = rules.pointsOnSealed;
    if (points > 0) {
        game.score += points;
        playCue("Cle.wav");
    }
    game.crossingSide = 0;
    if (game.score == rules.target) game.screen = rules.nextScreen;
}

// Screens 5 and 6: the end sequence once, then release, press, release.
void runEndScreen() {
    const int screen = game.screen;
    if (game.preparedScreen != screen) {
        if (screen == SCREEN_GAME_OVER) {
            if (game.score == game.hiscore) saveHiscore();
            playGameOverSequence();
        } else {
            playVictorySequence();
        }
        game.preparedScreen = screen;
        game.phase = 0;
    }

    if (game.heldKey == 0 && game.phase == 0) game.phase = 1;
    if (game.heldKey != 0 && game.phase == 1) game.phase = 2;
    if (game.heldKey == 0 && game.phase == 2) {
        if (screen == SCREEN_VICTORY) saveHiscore();
        game.lives = 3;
        game.score = 0;
        game.screen = SCREEN_TITLE;
        game.preparedScreen = 0;
        game.phase = 0;
    }
}

void runFrame() {
    const int screen = game.screen;
    if (screen == SCREEN_TITLE)
        runTitleFrame();
    else if (screen >= 1 && screen <= LEVEL_COUNT)
        levelFrame(screen);
    else if (screen == SCREEN_GAME_OVER || screen == SCREEN_VICTORY)
        runEndScreen();
}
