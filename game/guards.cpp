#include "game/guards.h"

#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/sound.h"
#include "render/board.h"
#include "render/figures.h"
#include "render/hud.h"

namespace {

constexpr int GUARD_SPEED = 2;
constexpr int STRIKE_REACH = 10; // exclusive, on both axes

int farEnd(int g) {
    return g <= 6 ? GUARD_FAR_END_H : GUARD_FAR_END_V;
}

// A guard at rest starts inwards from whichever end it stands at.
void trigger(int g) {
    if (g < 1 || g > GUARD_COUNT) return;
    Guard& guard = guards[g];
    if (guard.vel != 0) return;
    if (guard.pos == GUARD_NEAR_END) guard.vel = GUARD_SPEED;
    if (guard.pos == farEnd(g)) guard.vel = -GUARD_SPEED;
}

void drawSequenceBoard() {
    drawHud();
    drawLives();
    drawBoard(game.screen);
    drawGuards();
}

bool within(int a, int centre) {
    return centre - STRIKE_REACH < a && a < centre + STRIKE_REACH;
}

} // namespace

void stepGuards() {
    if (game.screen == 4) {
        // Level 4: every guard shuttles without pause, one frame at each end.
        for (int g = 1; g <= GUARD_COUNT; ++g) {
            Guard& guard = guards[g];
            guard.pos += guard.vel;
            if (guard.pos == GUARD_NEAR_END) guard.vel = GUARD_SPEED;
            if (guard.pos == farEnd(g)) guard.vel = -GUARD_SPEED;
        }
        return;
    }

    // Levels 1 to 3: a guard runs across once when the player stands on its
    // corridor line.
    if (game.playerY % 64 == 0) trigger(game.playerY / 64 + 1);
    if (game.playerX % 96 == 0) trigger(game.playerX / 96 + 7);
    for (int g = 1; g <= GUARD_COUNT; ++g) {
        Guard& guard = guards[g];
        guard.pos += guard.vel;
        if (guard.pos == GUARD_NEAR_END || guard.pos == farEnd(g)) guard.vel = 0;
    }
}

void checkCollision() {
    bool struck = false;
    for (int g = 1; g <= 6; ++g)
        if (within(game.playerY, 64 * (g - 1)) && within(game.playerX, guards[g].pos))
            struck = true;
    for (int g = 7; g <= GUARD_COUNT; ++g)
        if (within(game.playerX, 96 * (g - 7)) && within(game.playerY, guards[g].pos))
            struck = true;
    if (struck) game.phase = 2;
}

void playDeath() {
    playCue("Electrocut.wav");
    // The hit sprites cycle 1, 3, 2, changing every second frame.
    static constexpr int hitCycle[3] = {1, 3, 2};
    int counter = 0;
    for (int i = 1; i <= 50; ++i) {
        if (i % 2 == 0) ++counter;
        drawSequenceBoard();
        drawHitFrame(hitCycle[counter % 3]);
        flipFrame();
    }

    const LevelDef& def = levelDefs[game.screen];
    game.playerX = def.startX;
    game.playerY = def.startY;
    game.moveX = 0;
    game.moveY = 0;
    // The abandoned step can no longer count its niche entry.
    game.crossingSide = 0;
    --game.lives;
    if (game.lives != -1) playRespawnBlink();
}

void playRespawnBlink() {
    bool shown = false;
    for (int i = 1; i <= 100; ++i) {
        drawSequenceBoard();
        if (i <= 25 || (i >= 51 && i <= 74)) {
            drawPlayer();
            shown = true;
        } else {
            if (shown) playCue("Clignot.wav");
            shown = false;
        }
        flipFrame();
    }
}
