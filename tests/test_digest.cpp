// The digest is what makes a replay catch a run that went another way: a
// field of the game's state it leaves out could change without the replay
// noticing. Every field and every table entry must move it.
#include <gtest/gtest.h>

#include <cstring>

#include "game/digest.h"
#include "game/state.h"

namespace {

// The record is fourteen 32-bit fields and the sound flag. A new field makes
// this fail until it is digested too and counted here.
static_assert(sizeof(GameState) == 15 * sizeof(int32_t),
              "a field was added to GameState: mix it into digestGameState");

// Flips the lowest bit of the lowest byte of the n-th 32-bit word of the
// record: a different value for every field, the sound flag included.
void flipWord(int n) {
    unsigned char bytes[sizeof(GameState)];
    std::memcpy(bytes, &game, sizeof bytes);
    bytes[n * sizeof(int32_t)] ^= 1;
    std::memcpy(&game, bytes, sizeof bytes);
}

} // namespace

TEST(Digest, EveryFieldAndTableEntryChangesIt) {
    resetGameState();
    applyLevelStart(1);
    const uint64_t before = digestGameState(DIGEST_START);
    EXPECT_EQ(digestGameState(DIGEST_START), before); // the same state, the same digest

    struct Change {
        const char* what;
        int count;
        void (*apply)(int i); // changes entry i, and again to undo it
    };
    const Change changes[] = {
        {"a field of the record", int(sizeof(GameState) / sizeof(int32_t)), flipWord},
        {"a side", SIDE_COUNT, [](int i) { sides[i + 1] ^= 1; }},
        {"a box", BOX_COUNT, [](int i) { boxes[i + 1] ^= 1; }},
        {"a guard's position", GUARD_COUNT, [](int i) { guards[i + 1].pos ^= 1; }},
        {"a guard's speed", GUARD_COUNT, [](int i) { guards[i + 1].vel ^= 1; }},
    };
    for (const Change& change : changes) {
        for (int i = 0; i < change.count; ++i) {
            change.apply(i);
            EXPECT_NE(digestGameState(DIGEST_START), before) << change.what << " " << i;
            change.apply(i);
            EXPECT_EQ(digestGameState(DIGEST_START), before) << change.what << " " << i;
        }
    }
}
