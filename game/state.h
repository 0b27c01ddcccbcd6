// The game record and the fixed tables: the one place where game state lives.
// Tables are indexed from 1 (element 0 is never used), so the index formulas
// of the board read the same here as on paper.
#pragma once

#include <cstdint>

#include "game/keys.h"

// Side values: what hangs in (or closes) the niche of a box side.
constexpr int SIDE_KEY = 4;     // a key hangs in the niche
constexpr int SIDE_TAKEN = 3;   // the key was taken by the first entry
constexpr int SIDE_WALL = 0;    // closed
constexpr int SIDE_DOOR = -1;   // a locked door, entering opens it
constexpr int SIDE_SEALED = -2; // an opened door, closed for good

constexpr int SIDE_COUNT = 100;
constexpr int BOX_COUNT = 25;
constexpr int GUARD_COUNT = 12;
constexpr int LEVEL_COUNT = 4;

// Screens.
constexpr int SCREEN_TITLE = 0;
constexpr int SCREEN_GAME_OVER = 5;
constexpr int SCREEN_VICTORY = 6;

// Playfield position (x, y) is drawn at screen (x + 72, y + 22).
constexpr int PLAYFIELD_X = 72;
constexpr int PLAYFIELD_Y = 22;

// Guard ends: the near end is the same for all, the far end depends on the axis.
constexpr int GUARD_NEAR_END = -16;
constexpr int GUARD_FAR_END_H = 496; // guards 1..6, along x
constexpr int GUARD_FAR_END_V = 336; // guards 7..12, along y

struct Guard {
    int32_t pos; // position along its corridor
    int32_t vel; // -2, 0 or +2 in the levels; -1, 0 or +1 on the title
};

struct GameState {
    int32_t screen;
    int32_t preparedScreen;
    int32_t phase;
    int32_t lives;
    int32_t score;
    int32_t hiscore;
    int32_t playerX, playerY;
    int32_t moveX, moveY;
    int32_t crossingSide;
    int32_t heldKey;
    int32_t demoPos;
    int32_t demoWait;
    uint8_t soundOn;
};

extern GameState game;
extern int32_t sides[SIDE_COUNT + 1];
extern int32_t boxes[BOX_COUNT + 1];
extern Guard guards[GUARD_COUNT + 1];

// One row of the level start table.
struct LevelDef {
    int32_t allSides;    // every side starts at this value...
    int32_t presetSide;  // ...then this one side...
    int32_t presetValue; // ...gets this value
    int32_t startX, startY;
    int32_t guardPos[GUARD_COUNT + 1]; // 1..12
};

extern const LevelDef levelDefs[LEVEL_COUNT + 1]; // 1..4

// Puts the record and the tables back to their program-start values.
void resetGameState();

// Applies a level's start row: sides, pre-set side, guards at rest at their
// ends, the player on the start position with no step left. Boxes are reset
// by the caller where the level wants it.
void applyLevelStart(int level);

// Side indices of the box of cell (c, r), c and r from 1 to 5.
constexpr int sideTop(int c, int r) {
    return 20 * (r - 1) + c;
}
constexpr int sideLeft(int c, int r) {
    return 20 * (r - 1) + 4 + 2 * c;
}
constexpr int sideRight(int c, int r) {
    return 20 * (r - 1) + 5 + 2 * c;
}
constexpr int sideBottom(int c, int r) {
    return 20 * (r - 1) + 15 + c;
}
constexpr int boxIndex(int c, int r) {
    return c + 5 * (r - 1);
}
