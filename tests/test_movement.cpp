// The player's steps: which held key starts which step from every kind of
// standing place, the side each niche leads to, and the 2-pixel walk.
#include <gtest/gtest.h>

#include "game/frame.h"
#include "game/movement.h"
#include "game/state.h"
#include "tests/support.h"

using gametest::GameTest;
using gametest::standAt;

namespace {

constexpr int REFUSE = -1; // nothing changes
constexpr int STEP = 0;    // a step that enters no niche
// Any other outcome is the side whose niche the step enters.

struct Place {
    const char* what;
    int x, y;
    int left, right, up, down;
};

const Place places[] = {
    {"crossing", 96, 64, STEP, STEP, STEP, STEP},
    {"top-left corner", 0, 0, REFUSE, STEP, REFUSE, STEP},
    {"bottom-right corner", 480, 320, STEP, REFUSE, STEP, REFUSE},
    {"top-right corner", 480, 0, STEP, REFUSE, REFUSE, STEP},
    {"horizontal corridor, centre column", 48, 64, STEP, STEP, 16, 21},
    {"top corridor, centre column", 48, 0, STEP, STEP, REFUSE, 1},
    {"bottom corridor, centre column", 432, 320, STEP, STEP, 100, REFUSE},
    {"horizontal corridor elsewhere", 16, 0, STEP, STEP, REFUSE, REFUSE},
    {"horizontal corridor elsewhere, inside", 272, 192, STEP, STEP, REFUSE, REFUSE},
    {"vertical corridor, centre row", 96, 32, 7, 8, STEP, STEP},
    {"left corridor, centre row", 0, 32, REFUSE, 6, STEP, STEP},
    {"right corridor, centre row", 480, 288, 95, REFUSE, STEP, STEP},
    {"vertical corridor elsewhere", 0, 16, REFUSE, REFUSE, STEP, STEP},
    {"vertical corridor elsewhere, inside", 288, 208, REFUSE, REFUSE, STEP, STEP},
    {"end of a top niche (level 1 start)", 144, 80, REFUSE, REFUSE, STEP, REFUSE},
    {"end of a top niche, top row", 48, 16, REFUSE, REFUSE, STEP, REFUSE},
    {"end of a bottom niche", 48, 48, REFUSE, REFUSE, REFUSE, STEP},
    {"end of a bottom niche, bottom row", 432, 304, REFUSE, REFUSE, REFUSE, STEP},
    {"end of a left niche", 16, 32, STEP, REFUSE, REFUSE, REFUSE},
    {"end of a right niche", 80, 32, REFUSE, STEP, REFUSE, REFUSE},
    {"end of a right niche, right column", 464, 288, REFUSE, STEP, REFUSE, REFUSE},
};

class Movement : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        game.screen = 1;
        for (int s = 1; s <= SIDE_COUNT; ++s) sides[s] = SIDE_KEY;
    }
    // Tries one key from (x, y) with a stale crossingSide left behind.
    static void press(int x, int y, int key) {
        standAt(x, y);
        game.crossingSide = 55;
        game.heldKey = key;
        readMoveInput();
    }
};

// Every kind of standing place against every arrow. The edge refusals hold
// with every side holding a key, so the board edge is tested before any side.
TEST_F(Movement, DecisionTableForEveryPlaceAndKey) {
    struct Dir {
        int key, dx, dy;
        int Place::*outcome;
    };
    const Dir dirs[] = {{KEY_LEFT, -16, 0, &Place::left},
                        {KEY_RIGHT, 16, 0, &Place::right},
                        {KEY_UP, 0, -16, &Place::up},
                        {KEY_DOWN, 0, 16, &Place::down}};
    for (const Place& p : places) {
        for (const Dir& d : dirs) {
            SCOPED_TRACE(::testing::Message()
                         << p.what << " (" << p.x << ", " << p.y << ") key " << d.key);
            press(p.x, p.y, d.key);
            const int outcome = p.*d.outcome;
            EXPECT_EQ(game.playerX, p.x);
            EXPECT_EQ(game.playerY, p.y);
            if (outcome == REFUSE) {
                EXPECT_EQ(game.phase, 0);
                EXPECT_EQ(game.moveX, 0);
                EXPECT_EQ(game.moveY, 0);
                EXPECT_EQ(game.crossingSide, 55);
            } else {
                EXPECT_EQ(game.phase, 1);
                EXPECT_EQ(game.moveX, d.dx);
                EXPECT_EQ(game.moveY, d.dy);
                // A plain step can never complete an entry, so it forgets any stale one.
                EXPECT_EQ(game.crossingSide, outcome);
            }
        }
    }
}

TEST_F(Movement, KeysOtherThanArrowsNeverStartAStep) {
    for (int key : {0, KEY_SPACE, KEY_ESCAPE, 36, 41, 65}) {
        press(96, 64, key);
        EXPECT_EQ(game.phase, 0) << key;
        EXPECT_EQ(game.moveX | game.moveY, 0) << key;
    }
}

// Walls (0) and opened doors (-2) keep the figure out; keys at any count and
// locked doors let it in.
TEST_F(Movement, SideValueDecidesTheEntry) {
    struct Mouth {
        int x, y, key, side;
    };
    const Mouth mouths[] = {{96, 32, KEY_LEFT, 7},
                            {96, 32, KEY_RIGHT, 8},
                            {48, 64, KEY_UP, 16},
                            {48, 64, KEY_DOWN, 21}};
    for (const Mouth& m : mouths) {
        for (int value : {4, 3, 2, 1, -1, 0, -2}) {
            SCOPED_TRACE(::testing::Message() << "side " << m.side << " value " << value);
            sides[m.side] = value;
            press(m.x, m.y, m.key);
            const bool admitted = value != SIDE_WALL && value != SIDE_SEALED;
            EXPECT_EQ(game.phase, admitted ? 1 : 0);
            EXPECT_EQ(game.crossingSide, admitted ? m.side : 55);
            EXPECT_EQ(sides[m.side], value); // entering changes the side only half-way in
        }
    }
}

TEST(SideIndex, NumberingOfTheFirstAndLastCell) {
    EXPECT_EQ(sideTop(1, 1), 1);
    EXPECT_EQ(sideLeft(1, 1), 6);
    EXPECT_EQ(sideRight(1, 1), 7);
    EXPECT_EQ(sideBottom(1, 1), 16);
    EXPECT_EQ(sideBottom(5, 5), 100);
    EXPECT_EQ(boxIndex(5, 5), 25);
}

// Over all 25 cells the niche entered from each corridor is the cell's own
// side, and the four sides of all cells number 1..100 once each.
TEST_F(Movement, EveryNicheLeadsToItsCellsSide) {
    int seen[SIDE_COUNT + 1] = {};
    for (int r = 1; r <= 5; ++r) {
        for (int c = 1; c <= 5; ++c) {
            SCOPED_TRACE(::testing::Message() << "cell (" << c << ", " << r << ")");
            const int cx = 96 * c - 48, cy = 64 * r - 32;
            press(96 * (c - 1), cy, KEY_RIGHT);
            EXPECT_EQ(game.crossingSide, sideLeft(c, r));
            press(96 * c, cy, KEY_LEFT);
            EXPECT_EQ(game.crossingSide, sideRight(c, r));
            press(cx, 64 * (r - 1), KEY_DOWN);
            EXPECT_EQ(game.crossingSide, sideTop(c, r));
            press(cx, 64 * r, KEY_UP);
            EXPECT_EQ(game.crossingSide, sideBottom(c, r));
            for (int s : {sideTop(c, r), sideLeft(c, r), sideRight(c, r), sideBottom(c, r)})
                if (s >= 1 && s <= SIDE_COUNT) ++seen[s];
        }
    }
    for (int s = 1; s <= SIDE_COUNT; ++s) EXPECT_EQ(seen[s], 1) << "side " << s;
}

// Each level starts at the end of the niche of its pre-set side: stepping out
// and back in enters exactly that side.
TEST_F(Movement, LevelStartsAreNicheEndsOfTheirPresetSides) {
    struct Start {
        int level, x, y, outKey, inKey, side;
    };
    const Start starts[] = {{1, 144, 80, KEY_UP, KEY_DOWN, 22},
                            {2, 48, 240, KEY_DOWN, KEY_UP, 76},
                            {3, 368, 32, KEY_RIGHT, KEY_LEFT, 13},
                            {4, 208, 160, KEY_LEFT, KEY_RIGHT, 50}};
    for (const Start& s : starts) {
        SCOPED_TRACE(::testing::Message() << "level " << s.level);
        EXPECT_EQ(levelDefs[s.level].startX, s.x);
        EXPECT_EQ(levelDefs[s.level].startY, s.y);
        press(s.x, s.y, s.outKey);
        ASSERT_EQ(game.phase, 1);
        for (int i = 0; i < 8; ++i) stepPlayer();
        game.heldKey = s.inKey;
        readMoveInput();
        EXPECT_EQ(game.crossingSide, s.side);
    }
}

TEST_F(Movement, StepPlayerWalksTwoPixelsPerCall) {
    standAt(48, 64);
    game.moveY = -16;
    game.phase = 1;
    for (int i = 0; i < 4; ++i) stepPlayer();
    EXPECT_EQ(game.playerY, 56);
    EXPECT_EQ(game.moveY, -8);
    EXPECT_EQ(game.phase, 1);
    for (int i = 0; i < 4; ++i) stepPlayer();
    EXPECT_EQ(game.playerX, 48);
    EXPECT_EQ(game.playerY, 48);
    EXPECT_EQ(game.moveY, 0);
    EXPECT_EQ(game.phase, 0);

    standAt(96, 32);
    game.moveX = 16;
    game.phase = 1;
    for (int i = 0; i < 8; ++i) stepPlayer();
    EXPECT_EQ(game.playerX, 112);
    EXPECT_EQ(game.phase, 0);
}

TEST_F(Movement, StepPlayerWithNothingLeftOnlyEndsThePhase) {
    standAt(48, 240);
    game.phase = 1;
    stepPlayer();
    EXPECT_EQ(game.playerX, 48);
    EXPECT_EQ(game.playerY, 240);
    EXPECT_EQ(game.phase, 0);
}

// A strike during a step into a niche abandons the entry: after the death no
// later step, into a niche or not, pays for that side.
TEST_F(Movement, StrikeDuringANicheEntryForgetsTheEntry) {
    game.screen = 1;
    game.preparedScreen = 0;
    runFrame(); // prepares level 1
    for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{-16, 0};
    standAt(96, 32);
    game.heldKey = KEY_LEFT;
    runFrame(); // starts the step into side 7
    ASSERT_EQ(game.crossingSide, 7);
    runFrame();
    game.phase = 2; // struck 2 pixels into the niche
    game.heldKey = 0;
    runFrame();
    EXPECT_EQ(game.lives, 2);
    EXPECT_EQ(game.crossingSide, 0);
    EXPECT_EQ(sides[7], SIDE_KEY);

    game.heldKey = KEY_UP; // out of the start niche onto the corridor
    for (int i = 0; i < 9; ++i) runFrame();
    EXPECT_EQ(game.playerY, 64);
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(sides[7], SIDE_KEY);
}

} // namespace
