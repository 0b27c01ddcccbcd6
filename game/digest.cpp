#include "game/digest.h"

#include <initializer_list>

#include "game/state.h"

namespace {
constexpr uint64_t DIGEST_PRIME = 0x100000001b3ull;
} // namespace

uint64_t digestMix(uint64_t digest, int64_t value) {
    for (int i = 0; i < 8; ++i) {
        digest ^= static_cast<uint8_t>(value >> (8 * i));
        digest *= DIGEST_PRIME;
    }
    return digest;
}

uint64_t digestGameState(uint64_t digest) {
    const GameState& g = game;
    // A field added to the record must be added here too: the digest test
    // changes every field in turn and expects the digest to change.
    for (int32_t field :
         {g.screen, g.preparedScreen, g.phase, g.lives, g.score, g.hiscore, g.playerX, g.playerY,
          g.moveX, g.moveY, g.crossingSide, g.heldKey, g.demoPos, g.demoWait, int32_t(g.soundOn)})
        digest = digestMix(digest, field);
    for (int i = 1; i <= SIDE_COUNT; ++i) digest = digestMix(digest, sides[i]);
    for (int i = 1; i <= BOX_COUNT; ++i) digest = digestMix(digest, boxes[i]);
    for (int i = 1; i <= GUARD_COUNT; ++i)
        digest = digestMix(digest, int64_t(guards[i].pos) << 32 | uint32_t(guards[i].vel));
    return digest;
}
