#include "game/state.h"

GameState game;
int32_t sides[SIDE_COUNT + 1];
int32_t boxes[BOX_COUNT + 1];
Guard guards[GUARD_COUNT + 1];

// Each level starts the player at the end of the niche of its pre-set side.
const LevelDef levelDefs[LEVEL_COUNT + 1] = {
    {},
    {4, 22, 3, 144, 80, {0, 496, -16, -16, 496, 496, 496, 336, 336, 336, 336, -16, 336}},
    {4, 76, 3, 48, 240, {0, 496, -16, 496, 496, 496, -16, -16, -16, 336, -16, 336, 336}},
    {4, 13, 3, 368, 32, {0, 496, 496, -16, -16, 496, 496, 336, -16, 336, -16, -16, -16}},
    {-1, 50, -2, 208, 160, {0, -16, 496, -16, 496, -16, 496, -16, 336, -16, 336, -16, 336}},
};

void resetGameState() {
    game = GameState{};
    game.lives = 3;
    game.playerX = 294;
    game.playerY = 49;
    game.demoPos = 2;
    game.soundOn = 1;
    for (auto& s : sides) s = 0;
    for (auto& b : boxes) b = 0;
    for (auto& g : guards) g = Guard{};
}

namespace {
struct StartValues {
    StartValues() { resetGameState(); }
} startValues;
} // namespace

void applyLevelStart(int level) {
    const LevelDef& def = levelDefs[level];
    for (int i = 1; i <= SIDE_COUNT; ++i) sides[i] = def.allSides;
    sides[def.presetSide] = def.presetValue;
    for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{def.guardPos[g], 0};
    game.playerX = def.startX;
    game.playerY = def.startY;
    game.moveX = 0;
    game.moveY = 0;
}
