#include "game/movement.h"

#include "game/state.h"

namespace {

void beginStep(int dx, int dy) {
    game.moveX = dx;
    game.moveY = dy;
    game.phase = 1;
}

// A step into a niche: a wall or an opened door keeps the figure out.
void enterSide(int side, int dx, int dy) {
    if (sides[side] == SIDE_WALL || sides[side] == SIDE_SEALED) return;
    game.crossingSide = side;
    beginStep(dx, dy);
}

// A step along a corridor or out of a niche enters no side, so no entry can
// be counted during it, whatever an abandoned step may have left behind.
void startStep(int dx, int dy) {
    game.crossingSide = 0;
    beginStep(dx, dy);
}

} // namespace

// The tests run in order and the first that applies decides:
// board edge, along a corridor, off the niche lines, out of a niche,
// into the box, into a niche.
void readMoveInput() {
    const int x = game.playerX;
    const int y = game.playerY;
    switch (game.heldKey) {
    case KEY_RIGHT:
        if (x == 480) return;
        if (mod(y, 64) == 0) return startStep(16, 0);
        if (mod(y, 32) != 0) return;
        if (mod(x + 16, 96) == 0) return startStep(16, 0);
        if (mod(x - 16, 96) == 0) return;
        return enterSide((y + 32) / 64 * 20 + x / 48 - 14, 16, 0);
    case KEY_LEFT:
        if (x == 0) return;
        if (mod(y, 64) == 0) return startStep(-16, 0);
        if (mod(y, 32) != 0) return;
        if (mod(x - 16, 96) == 0) return startStep(-16, 0);
        if (mod(x + 16, 96) == 0) return;
        return enterSide((y + 32) / 64 * 20 + x / 48 - 15, -16, 0);
    case KEY_DOWN:
        if (y == 320) return;
        if (mod(x, 96) == 0) return startStep(0, 16);
        if (mod(x, 48) != 0) return;
        if (mod(y + 16, 64) == 0) return startStep(0, 16);
        if (mod(y - 16, 64) == 0) return;
        return enterSide(y / 64 * 20 + (x + 48) / 96, 0, 16);
    case KEY_UP:
        if (y == 0) return;
        if (mod(x, 96) == 0) return startStep(0, -16);
        if (mod(x, 48) != 0) return;
        if (mod(y - 16, 64) == 0) return startStep(0, -16);
        if (mod(y + 16, 64) == 0) return;
        return enterSide(y / 64 * 20 + (x + 48) / 96 - 5, 0, -16);
    default:
        return;
    }
}

void stepPlayer() {
    if (game.moveX > 0) {
        game.playerX += 2;
        game.moveX -= 2;
    } else if (game.moveX < 0) {
        game.playerX -= 2;
        game.moveX += 2;
    }
    if (game.moveY > 0) {
        game.playerY += 2;
        game.moveY -= 2;
    } else if (game.moveY < 0) {
        game.playerY -= 2;
        game.moveY += 2;
    }
    if (game.moveX == 0 && game.moveY == 0) game.phase = 0;
}
