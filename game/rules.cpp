#include "game/rules.h"

#include "game/state.h"
#include "platform/ports/sound.h"

namespace {

// The box whose niche the figure is leaving, 2 pixels short of the corridor.
struct Exit {
    int leaving, opposite, adjacent1, adjacent2;
    int box;
};

bool centreRow(int y) {
    return y % 64 != 0 && y % 32 == 0;
}
bool centreColumn(int x) {
    return x % 96 != 0 && x % 48 == 0;
}

bool findExit(Exit& exit) {
    if (game.phase != 1) return false;
    const int x = game.playerX;
    const int y = game.playerY;
    int c, r;
    if (game.moveX > 0 && centreRow(y) && (x + 2) % 96 == 0) {
        c = (x + 2) / 96;
        r = (y + 32) / 64;
        exit = {sideRight(c, r), sideLeft(c, r), sideTop(c, r), sideBottom(c, r), 0};
    } else if (game.moveX < 0 && centreRow(y) && (x - 2) % 96 == 0) {
        c = (x - 2) / 96 + 1;
        r = (y + 32) / 64;
        exit = {sideLeft(c, r), sideRight(c, r), sideTop(c, r), sideBottom(c, r), 0};
    } else if (game.moveY > 0 && centreColumn(x) && (y + 2) % 64 == 0) {
        c = (x + 48) / 96;
        r = (y + 2) / 64;
        exit = {sideBottom(c, r), sideTop(c, r), sideLeft(c, r), sideRight(c, r), 0};
    } else if (game.moveY < 0 && centreColumn(x) && (y - 2) % 64 == 0) {
        c = (x + 48) / 96;
        r = (y - 2) / 64 + 1;
        exit = {sideTop(c, r), sideBottom(c, r), sideLeft(c, r), sideRight(c, r), 0};
    } else {
        return false;
    }
    exit.box = boxIndex(c, r);
    return true;
}

// Nothing happens while another side of the box still holds its key.
bool otherKeysLeft(const Exit& exit) {
    return sides[exit.opposite] == SIDE_KEY || sides[exit.adjacent1] == SIDE_KEY ||
           sides[exit.adjacent2] == SIDE_KEY;
}

void setAllSides(const Exit& exit, int value) {
    sides[exit.leaving] = value;
    sides[exit.opposite] = value;
    sides[exit.adjacent1] = value;
    sides[exit.adjacent2] = value;
}

} // namespace

void applyBoxRule() {
    Exit exit;
    if (!findExit(exit) || otherKeysLeft(exit)) return;
    setAllSides(exit, SIDE_WALL);
    boxes[exit.box] = 1;
    playCue("Ding.wav");
}

void applyDoorRule() {
    Exit exit;
    if (!findExit(exit) || otherKeysLeft(exit)) return;
    if (sides[exit.opposite] >= 0) {
        setAllSides(exit, SIDE_DOOR);
        return;
    }
    if (sides[exit.opposite] == SIDE_SEALED && sides[exit.adjacent1] == SIDE_SEALED &&
        sides[exit.adjacent2] == SIDE_SEALED) {
        boxes[exit.box] = 1;
        playCue("Ding.wav");
    }
}
