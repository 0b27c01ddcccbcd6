#include "render/board.h"

#include "game/state.h"
#include "platform/ports/display.h"

namespace {

enum class Kind { Top, Bottom, Left, Right };

// What a level draws for keys, doors and opened boxes; 0 draws nothing.
struct LevelLook {
    SpriteId key;
    SpriteId door;
    bool sealedAsWall;
    SpriteId openedBox;
};

constexpr LevelLook looks[LEVEL_COUNT + 1] = {
    {},
    {SPRITE_CLE1, SURFACE_BACK_BUFFER, false, SURFACE_BACK_BUFFER},
    {SPRITE_CLE2, SURFACE_BACK_BUFFER, false, SPRITE_CLE3},
    {SPRITE_CLE3, SPRITE_CLE4, true, SPRITE_CLE5},
    {SURFACE_BACK_BUFFER, SPRITE_CLE5, true, SURFACE_BACK_BUFFER},
};

int sideIndex(Kind kind, int c, int r) {
    switch (kind) {
    case Kind::Top:
        return sideTop(c, r);
    case Kind::Bottom:
        return sideBottom(c, r);
    case Kind::Left:
        return sideLeft(c, r);
    case Kind::Right:
        return sideRight(c, r);
    }
    return 0;
}

// Between the corridor line (excluded) and the niche end (included).
bool occupied(Kind kind, int c, int r) {
    const int x = game.playerX;
    const int y = game.playerY;
    switch (kind) {
    case Kind::Top:
        return x == 96 * c - 48 && 64 * r - 63 <= y && y <= 64 * r - 48;
    case Kind::Bottom:
        return x == 96 * c - 48 && 64 * r - 16 <= y && y <= 64 * r - 1;
    case Kind::Left:
        return y == 64 * r - 32 && 96 * c - 95 <= x && x <= 96 * c - 80;
    case Kind::Right:
        return y == 64 * r - 32 && 96 * c - 16 <= x && x <= 96 * c - 1;
    }
    return false;
}

// Where each kind of side is drawn for cell (c, r): a key or door covers the
// niche end at (96c + keyX, 64r + keyY); a wall reaches one pixel further
// along the box's edge and one pixel into the box.
struct SideLook {
    int keyX, keyY;
    int wallX, wallY;
    SpriteId wall;
    int wallW, wallH;
};

constexpr SideLook sideLooks[4] = {
    {24, -26, 23, -26, SPRITE_BLOC_HAUT, 18, 17},   // top
    {24, 6, 23, 5, SPRITE_BLOC_BAS, 18, 17},        // bottom
    {-8, -10, -8, -11, SPRITE_BLOC_GAUCHE, 17, 18}, // left
    {56, -10, 55, -11, SPRITE_BLOC_DROITE, 17, 18}, // right
};

void drawSprite(Kind kind, int c, int r, SpriteId sprite) {
    const SideLook& look = sideLooks[static_cast<int>(kind)];
    blitSprite(96 * c + look.keyX, 64 * r + look.keyY, sprite, 16, 16);
}

void drawWall(Kind kind, int c, int r) {
    const SideLook& look = sideLooks[static_cast<int>(kind)];
    blitSprite(96 * c + look.wallX, 64 * r + look.wallY, look.wall, look.wallW, look.wallH);
}

void drawSide(const LevelLook& look, Kind kind, int c, int r) {
    const int value = sides[sideIndex(kind, c, r)];
    if (value == SIDE_KEY) {
        if (look.key) drawSprite(kind, c, r, look.key);
        return;
    }
    const bool wall = value == SIDE_WALL || (value == SIDE_SEALED && look.sealedAsWall);
    const bool door = value == SIDE_DOOR && look.door;
    if (!wall && !door) return;
    if (occupied(kind, c, r)) return;
    if (wall)
        drawWall(kind, c, r);
    else
        drawSprite(kind, c, r, look.door);
}

void drawLevelBoard(int level) {
    const LevelLook& look = looks[level];
    for (int r = 1; r <= 5; ++r) {
        for (int c = 1; c <= 5; ++c) {
            drawSide(look, Kind::Top, c, r);
            drawSide(look, Kind::Bottom, c, r);
        }
        for (int c = 1; c <= 5; ++c) {
            drawSide(look, Kind::Left, c, r);
            drawSide(look, Kind::Right, c, r);
        }
    }
    if (!look.openedBox) return;
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            if (boxes[boxIndex(c, r)] == 1)
                blitSprite(96 * c + 24, 64 * r - 10, look.openedBox, 16, 16);
}

} // namespace

void drawBoardLevel1() {
    drawLevelBoard(1);
}
void drawBoardLevel2() {
    drawLevelBoard(2);
}
void drawBoardLevel3() {
    drawLevelBoard(3);
}
void drawBoardLevel4() {
    drawLevelBoard(4);
}

void drawBoard(int level) {
    if (level >= 1 && level <= LEVEL_COUNT) drawLevelBoard(level);
}

bool sideOccupied(int side) {
    if (side < 1 || side > SIDE_COUNT) return false;
    const int r = (side - 1) / 20 + 1;
    const int k = side - 20 * (r - 1);
    if (k <= 5) return occupied(Kind::Top, k, r);
    if (k >= 16) return occupied(Kind::Bottom, k - 15, r);
    if (k % 2 == 0) return occupied(Kind::Left, (k - 4) / 2, r);
    return occupied(Kind::Right, (k - 5) / 2, r);
}
