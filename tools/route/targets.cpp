#include "tools/route/targets.h"

#include <initializer_list>

#include "game/state.h"

int boxOfSide(int side) {
    const int r = (side - 1) / 20 + 1;
    const int k = side - 20 * (r - 1);
    int c;
    if (k <= 5)
        c = k;
    else if (k <= 15)
        c = (k - 4) / 2;
    else
        c = k - 15;
    return boxIndex(c, r);
}

namespace {
// A closed box with no key and no door left: its rule still has to fire.
bool waitsForExit(int box) {
    if (boxes[box] != 0) return false;
    const int c = (box - 1) % 5 + 1;
    const int r = (box - 1) / 5 + 1;
    for (int s : {sideTop(c, r), sideLeft(c, r), sideRight(c, r), sideBottom(c, r)})
        if (sides[s] < 0 || sides[s] == SIDE_KEY) return false;
    return true;
}
} // namespace

bool isTarget(int level, int side) {
    const int v = sides[side];
    switch (level) {
    case 1:
        return v == SIDE_KEY;
    case 2:
        return v == SIDE_KEY || (v > 0 && waitsForExit(boxOfSide(side)));
    case 3:
        return v == SIDE_KEY || v == SIDE_DOOR || (v > 0 && waitsForExit(boxOfSide(side)));
    case 4:
        return v == SIDE_DOOR;
    default:
        return false;
    }
}

int targetsLeft(int level) {
    int n = 0;
    for (int s = 1; s <= SIDE_COUNT; ++s) n += isTarget(level, s) ? 1 : 0;
    return n;
}
