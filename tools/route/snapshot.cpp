#include "tools/route/snapshot.h"

#include <cstring>
#include <initializer_list>

Snapshot captureState() {
    Snapshot s;
    std::memset(&s, 0, sizeof s);
    s.game = game;
    for (int i = 0; i <= SIDE_COUNT; ++i) s.sides[i] = static_cast<int8_t>(sides[i]);
    for (int i = 0; i <= BOX_COUNT; ++i) s.boxes[i] = static_cast<int8_t>(boxes[i]);
    for (int g = 0; g <= GUARD_COUNT; ++g) {
        s.guardPos[g] = static_cast<int16_t>(guards[g].pos);
        s.guardVel[g] = static_cast<int8_t>(guards[g].vel);
    }
    return s;
}

void restoreState(const Snapshot& s) {
    game = s.game;
    for (int i = 0; i <= SIDE_COUNT; ++i) sides[i] = s.sides[i];
    for (int i = 0; i <= BOX_COUNT; ++i) boxes[i] = s.boxes[i];
    for (int g = 0; g <= GUARD_COUNT; ++g) guards[g] = Guard{s.guardPos[g], s.guardVel[g]};
}

namespace {
void mix(uint64_t& h, int64_t v) {
    h ^= static_cast<uint64_t>(v);
    h *= 0x100000001b3ULL;
}
} // namespace

uint64_t stateHash(const Snapshot& s) {
    uint64_t h = 0xcbf29ce484222325ULL;
    const GameState& g = s.game;
    for (int v : {g.screen, g.preparedScreen, g.phase, g.lives, g.score, g.playerX, g.playerY,
                  g.moveX, g.moveY, g.crossingSide})
        mix(h, v);
    for (int i = 1; i <= SIDE_COUNT; ++i) mix(h, s.sides[i]);
    for (int i = 1; i <= BOX_COUNT; ++i) mix(h, s.boxes[i]);
    for (int i = 1; i <= GUARD_COUNT; ++i) mix(h, s.guardPos[i] * 8 + s.guardVel[i]);
    return h;
}
