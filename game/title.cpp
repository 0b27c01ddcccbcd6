#include "game/title.h"

#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/sound.h"

// The demonstration's moves. Word 0 is reserved, word 1 counts the entries.
// An entry v with h = v / 2: h <= 120 moves to x = h + 258 (v even) or
// y = h + 29 (v odd); h > 120 waits 2h - 240 frames.
// clang-format off
const int16_t demoScript[DEMO_SCRIPT_WORDS] = {
    0, 440,
    33, 192, 97, 144, 253, 48, 81, 56, 253, 40, 254, 48, 161, 129, 0, 24, 121, 255, 255, 255,
    255, 137, 254, 129, 253, 0, 145, 8, 255, 255, 255, 255, 255, 255, 0, 8, 255, 0, 113, 8,
    253, 0, 81, 8, 253, 0, 49, 8, 253, 0, 17, 8, 253, 0, 9, 253, 1, 24, 9, 253,
    1, 72, 9, 255, 255, 1, 120, 9, 253, 1, 168, 9, 253, 1, 216, 9, 253, 1, 240, 17,
    232, 253, 240, 49, 232, 253, 255, 240, 81, 232, 253, 240, 113, 232, 253, 255, 255, 240, 232, 255,
    255, 240, 145, 232, 253, 240, 161, 216, 153, 253, 161, 168, 153, 255, 255, 161, 120, 153, 253, 161,
    72, 153, 253, 161, 24, 153, 253, 161, 0, 129, 72, 121, 253, 137, 255, 255, 253, 129, 120, 121,
    253, 137, 253, 129, 168, 121, 255, 255, 255, 255, 137, 255, 255, 255, 129, 216, 121, 253, 137, 253,
    129, 192, 145, 200, 253, 184, 253, 192, 113, 184, 255, 255, 200, 253, 192, 81, 200, 255, 253, 184,
    253, 192, 49, 184, 253, 200, 255, 253, 192, 17, 184, 253, 200, 253, 192, 33, 216, 25, 253, 41,
    253, 33, 200, 253, 168, 25, 253, 41, 253, 33, 144, 49, 152, 255, 255, 144, 17, 152, 253, 136,
    253, 144, 49, 136, 253, 144, 65, 168, 57, 253, 73, 253, 65, 216, 57, 253, 73, 255, 65, 192,
    97, 216, 89, 253, 105, 253, 97, 168, 89, 255, 255, 105, 253, 97, 144, 81, 152, 253, 144, 113,
    152, 255, 144, 145, 152, 253, 136, 255, 253, 144, 113, 136, 253, 144, 81, 136, 253, 144, 65, 120,
    73, 253, 65, 96, 81, 104, 253, 96, 97, 120, 89, 253, 105, 253, 97, 96, 113, 104, 255, 255,
    96, 145, 104, 253, 88, 255, 96, 113, 88, 255, 255, 255, 96, 81, 88, 253, 96, 49, 88, 253,
    96, 17, 88, 255, 255, 104, 253, 96, 33, 120, 25, 253, 41, 253, 33, 96, 49, 104, 253, 96,
    65, 120, 57, 255, 255, 255, 255, 65, 72, 57, 253, 73, 253, 65, 48, 97, 72, 89, 253, 105,
    255, 255, 255, 255, 255, 255, 97, 48, 113, 56, 253, 48, 145, 56, 253, 40, 255, 254, 48, 113,
    40, 255, 255, 255, 255, 48, 97, 24, 105, 253, 89, 253, 97, 48, 17, 56, 255, 255, 255, 255,
    255, 40, 255, 253, 48, 33, 24, 25, 253, 41, 253, 33, 48, 65, 24, 57, 253, 73, 253, 65,
    48, 49, 40, 253, 56, 255, 48, 33, 72, 25, 255, 255, 41, 255, 255, 255, 255, 255, 255, 255
};
// clang-format on

namespace {

// The miniature: a playfield position (x, y) shows at (258 + x/4, 29 + y/4).
constexpr int MINI_LEFT = 258;
constexpr int MINI_TOP = 29;
constexpr int MINI_NEAR = 254;   // horizontal guards' near end (x)
constexpr int MINI_FAR_H = 382;  // horizontal guards' far end (x)
constexpr int MINI_TOP_END = 25; // vertical guards' near end (y)
constexpr int MINI_FAR_V = 113;  // vertical guards' far end (y)

constexpr int titleGuardStart[GUARD_COUNT + 1] = {0,   382, 254, 254, 382, 382, 382,
                                                  113, 113, 113, 113, 25,  113};

void dot(int x, int y) {
    blitSprite(x, y, SPRITE_POINT, 2, 2);
}

void setUpMiniature() {
    for (int i = 1; i <= SIDE_COUNT; ++i) sides[i] = SIDE_KEY;
    sides[22] = SIDE_TAKEN;
    for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{titleGuardStart[g], 0};
    game.playerX = 294;
    game.playerY = 49;
    game.moveX = 0;
    game.moveY = 0;
    game.hiscore = loadHiscore();
    game.phase = 1;
    game.demoWait = 100;
    game.demoPos = 2;
}

void startTitleGuard(int g, int nearEnd, int farEnd) {
    if (g < 1 || g > GUARD_COUNT) return;
    Guard& guard = guards[g];
    if (guard.vel != 0) return;
    guard.vel = guard.pos == nearEnd ? 1 : guard.pos == farEnd ? -1 : 0;
}

void readScript() {
    if (game.moveX != 0 || game.moveY != 0 || game.demoWait != 0) return;
    if (game.demoPos >= demoScript[1] + 2) return;
    const int v = demoScript[game.demoPos++];
    const int h = v / 2;
    if (h > 120)
        game.demoWait = 2 * h - 240;
    else if (v % 2 == 0)
        game.moveX = h + MINI_LEFT - game.playerX;
    else
        game.moveY = h + MINI_TOP - game.playerY;
}

int towardZero(int& move) {
    if (move > 0) {
        --move;
        return 1;
    }
    if (move < 0) {
        ++move;
        return -1;
    }
    return 0;
}

} // namespace

void sideDotPosition(int side, int& x, int& y) {
    const int r = (side - 1) / 20 + 1;
    const int k = side - 20 * (r - 1); // 1..20 within the row
    if (k <= 5) {
        x = 24 * k + 246;
        y = 16 * r + 17;
    } else if (k <= 15) {
        const int c = (k - 4) / 2; // left sides are even, right sides odd
        x = k % 2 == 0 ? 24 * c + 238 : 24 * c + 254;
        y = 16 * r + 21;
    } else {
        x = 24 * (k - 15) + 246;
        y = 16 * r + 25;
    }
}

void runTitleFrame() {
    if (game.phase == 0) setUpMiniature();

    blitSprite(0, 0, SPRITE_PRESENTATION, SCREEN_W, SCREEN_H);
    for (int g = 1; g <= 6; ++g) dot(guards[g].pos, 16 * g + 13);
    for (int g = 7; g <= GUARD_COUNT; ++g) dot(24 * g + 90, guards[g].pos);

    // The player's dot eats the key dot it stands on.
    for (int side = 1; side <= SIDE_COUNT; ++side) {
        int x, y;
        sideDotPosition(side, x, y);
        if (sides[side] == SIDE_KEY && x == game.playerX && y == game.playerY) sides[side] = 0;
    }
    for (int side = 1; side <= SIDE_COUNT; ++side) {
        if (sides[side] != SIDE_KEY) continue;
        int x, y;
        sideDotPosition(side, x, y);
        dot(x, y);
    }
    dot(game.playerX, game.playerY);

    if ((game.playerY - MINI_TOP) % 16 == 0)
        startTitleGuard((game.playerY - MINI_TOP) / 16 + 1, MINI_NEAR, MINI_FAR_H);
    if ((game.playerX - MINI_LEFT) % 24 == 0)
        startTitleGuard((game.playerX - MINI_LEFT) / 24 + 7, MINI_TOP_END, MINI_FAR_V);
    for (int g = 1; g <= GUARD_COUNT; ++g) {
        Guard& guard = guards[g];
        guard.pos += guard.vel;
        const bool atEnd = g <= 6 ? (guard.pos == MINI_NEAR || guard.pos == MINI_FAR_H)
                                  : (guard.pos == MINI_TOP_END || guard.pos == MINI_FAR_V);
        if (atEnd) guard.vel = 0;
    }

    flipFrame();

    readScript();
    game.playerX += towardZero(game.moveX);
    game.playerY += towardZero(game.moveY);
    if (game.demoWait > 0) --game.demoWait;
    if (game.demoPos == demoScript[1] + 2) game.phase = 0;

    if (game.heldKey == KEY_SPACE) {
        playCue("Cle.wav");
        game.screen = 1;
        game.phase = 0;
    }
}
