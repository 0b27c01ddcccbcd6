// The box rule of level 2 and the door rule of level 3, each tested on the
// exit step alone and as the course of one box walked through whole frames.
#include <gtest/gtest.h>

#include "game/frame.h"
#include "game/rules.h"
#include "game/state.h"
#include "tests/support.h"

using gametest::GameTest;
using gametest::standAt;

namespace {

enum Kind { TOP, LEFT, RIGHT, BOTTOM };

int sideOf(Kind k, int c, int r) {
    switch (k) {
    case TOP:
        return sideTop(c, r);
    case LEFT:
        return sideLeft(c, r);
    case RIGHT:
        return sideRight(c, r);
    default:
        return sideBottom(c, r);
    }
}
Kind opposite(Kind k) {
    return static_cast<Kind>(3 - k);
}

// The figure walking out of a niche of cell (c, r), `left` pixels short of
// the corridor.
void walkingOut(Kind k, int c, int r, int left) {
    standAt(96 * c - 48, 64 * r - 32);
    game.phase = 1;
    switch (k) {
    case TOP:
        game.playerY = 64 * (r - 1) + left, game.moveY = -left;
        break;
    case BOTTOM:
        game.playerY = 64 * r - left, game.moveY = left;
        break;
    case LEFT:
        game.playerX = 96 * (c - 1) + left, game.moveX = -left;
        break;
    case RIGHT:
        game.playerX = 96 * c - left, game.moveX = left;
        break;
    }
}

class Rules : public GameTest {
  protected:
    void setBox(Kind leaving, int leavingValue, int oppositeValue, int adj1, int adj2) {
        for (int s = 1; s <= SIDE_COUNT; ++s) sides[s] = SIDE_KEY;
        for (int b = 1; b <= BOX_COUNT; ++b) boxes[b] = 0;
        const Kind adjacent[2] = {leaving == TOP || leaving == BOTTOM ? LEFT : TOP,
                                  leaving == TOP || leaving == BOTTOM ? RIGHT : BOTTOM};
        sides[sideOf(leaving, 3, 2)] = leavingValue;
        sides[sideOf(opposite(leaving), 3, 2)] = oppositeValue;
        sides[sideOf(adjacent[0], 3, 2)] = adj1;
        sides[sideOf(adjacent[1], 3, 2)] = adj2;
        walkingOut(leaving, 3, 2, 2);
    }
    int boxSide(Kind k) const { return sides[sideOf(k, 3, 2)]; }
};

// Every exit of every box, 4 and then 2 pixels short of the corridor: only
// the last 2 pixels fire, and only that box and its four sides change.
TEST_F(Rules, BoxRuleFindsTheBoxOfEveryExit) {
    game.screen = 2;
    for (int r = 1; r <= 5; ++r) {
        for (int c = 1; c <= 5; ++c) {
            for (Kind k : {TOP, LEFT, RIGHT, BOTTOM}) {
                SCOPED_TRACE(::testing::Message() << "cell (" << c << ", " << r << ") kind " << k);
                for (int s = 1; s <= SIDE_COUNT; ++s) sides[s] = SIDE_KEY;
                for (Kind o : {TOP, LEFT, RIGHT, BOTTOM}) sides[sideOf(o, c, r)] = SIDE_TAKEN;
                boxes[boxIndex(c, r)] = 0;
                walkingOut(k, c, r, 4);
                applyBoxRule();
                EXPECT_EQ(sides[sideOf(k, c, r)], SIDE_TAKEN);
                walkingOut(k, c, r, 2);
                applyBoxRule();
                int changed = 0;
                for (int s = 1; s <= SIDE_COUNT; ++s) changed += sides[s] != SIDE_KEY;
                EXPECT_EQ(changed, 4);
                for (Kind o : {TOP, LEFT, RIGHT, BOTTOM})
                    EXPECT_EQ(sides[sideOf(o, c, r)], SIDE_WALL);
                int opened = 0;
                for (int b = 1; b <= BOX_COUNT; ++b) opened += boxes[b];
                EXPECT_EQ(opened, 1);
                EXPECT_EQ(boxes[boxIndex(c, r)], 1);
                boxes[boxIndex(c, r)] = 0;
            }
        }
    }
    EXPECT_EQ(cueNames(), std::vector<std::string>(100, "Ding.wav"));
}

// Only a key left on another side stops the box from opening; the side being
// left is not looked at.
TEST_F(Rules, BoxRuleKeyTest) {
    struct Row {
        int leaving, opp, adj1, adj2;
        bool opens;
    };
    const Row rows[] = {{3, 3, 2, 1, true},   {3, 0, 0, 0, true},  {4, 0, 0, 0, true},
                        {3, -1, -2, 0, true}, {3, 4, 3, 3, false}, {3, 3, 4, 3, false},
                        {3, 0, 0, 4, false}};
    game.screen = 2;
    for (Kind k : {TOP, LEFT, RIGHT, BOTTOM}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(::testing::Message() << "kind " << k << " opposite " << row.opp
                                              << " adjacent " << row.adj1 << "," << row.adj2);
            setBox(k, row.leaving, row.opp, row.adj1, row.adj2);
            const size_t cuesBefore = cues().size();
            applyBoxRule();
            EXPECT_EQ(boxes[boxIndex(3, 2)], row.opens ? 1 : 0);
            EXPECT_EQ(boxSide(opposite(k)), row.opens ? SIDE_WALL : row.opp);
            EXPECT_EQ(boxSide(k), row.opens ? SIDE_WALL : row.leaving);
            EXPECT_EQ(cues().size() - cuesBefore, row.opens ? 1u : 0u);
        }
    }
}

TEST_F(Rules, DoorRuleByTheOtherSides) {
    enum Result { NOTHING, DOORS, OPENS };
    struct Row {
        int leaving, opp, adj1, adj2;
        Result result;
    };
    const Row rows[] = {
        {3, 0, 3, 3, DOORS},       {3, 3, 0, 2, DOORS},       {1, 2, 1, 0, DOORS},
        {3, 4, 3, 3, NOTHING},     {3, 3, 3, 4, NOTHING},     {-2, -1, -2, -2, NOTHING},
        {-2, -2, -1, -2, NOTHING}, {-2, -2, -2, -1, NOTHING}, {-2, -2, -2, -2, OPENS},
    };
    game.screen = 3;
    for (Kind k : {TOP, LEFT, RIGHT, BOTTOM}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(::testing::Message() << "kind " << k << " opposite " << row.opp
                                              << " adjacent " << row.adj1 << "," << row.adj2);
            setBox(k, row.leaving, row.opp, row.adj1, row.adj2);
            const size_t cuesBefore = cues().size();
            applyDoorRule();
            EXPECT_EQ(boxes[boxIndex(3, 2)], row.result == OPENS ? 1 : 0);
            EXPECT_EQ(boxSide(k), row.result == DOORS ? SIDE_DOOR : row.leaving);
            EXPECT_EQ(boxSide(opposite(k)), row.result == DOORS ? SIDE_DOOR : row.opp);
            EXPECT_EQ(cues().size() - cuesBefore, row.result == OPENS ? 1u : 0u);
        }
    }
}

TEST_F(Rules, NothingHappensUnlessStepping) {
    for (int phase : {0, 2}) {
        for (int level : {2, 3}) {
            game.screen = level;
            setBox(BOTTOM, level == 2 ? 3 : -2, level == 2 ? 3 : -2, level == 2 ? 0 : -2,
                   level == 2 ? 0 : -2);
            game.phase = phase;
            level == 2 ? applyBoxRule() : applyDoorRule();
            EXPECT_EQ(boxes[boxIndex(3, 2)], 0) << "phase " << phase << " level " << level;
            EXPECT_EQ(boxSide(TOP), level == 2 ? 3 : -2);
        }
    }
    EXPECT_TRUE(cues().empty());
}

// Whole frames: the guards are parked off their ends, where nothing starts
// them, so only the figure's steps matter.
class BoxCourse : public Rules {
  protected:
    void startLevel(int level) {
        game.screen = level;
        game.preparedScreen = level - 1;
        prepareLevel(level);
        parkGuards();
    }
    static void parkGuards() {
        for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{1000, 0};
    }
    // Steps from the corridor into a niche of cell (3, 2) and back out. Returns
    // the frame of the exit in which "Ding.wav" started (1..9), or 0.
    int visit(Kind k) {
        struct Mouth {
            int x, y, in, out;
        };
        static constexpr Mouth mouths[4] = {{240, 64, KEY_DOWN, KEY_UP},
                                            {192, 96, KEY_RIGHT, KEY_LEFT},
                                            {288, 96, KEY_LEFT, KEY_RIGHT},
                                            {240, 128, KEY_UP, KEY_DOWN}};
        const Mouth& m = mouths[k];
        standAt(m.x, m.y);
        game.heldKey = m.in;
        for (int i = 0; i < 9; ++i) runFrame();
        game.heldKey = m.out;
        int dingFrame = 0;
        for (int i = 1; i <= 9; ++i) {
            const size_t before = cues().size();
            runFrame();
            for (size_t c = before; c < cues().size(); ++c)
                if (cues()[c].name == "Ding.wav") dingFrame = i;
        }
        EXPECT_EQ(game.playerX, m.x);
        EXPECT_EQ(game.playerY, m.y);
        EXPECT_EQ(game.phase, 0);
        return dingFrame;
    }
    int sideValues() const {
        return boxSide(TOP) * 1000 + boxSide(LEFT) * 100 + boxSide(RIGHT) * 10 + boxSide(BOTTOM);
    }
};

TEST_F(BoxCourse, LevelTwoOpensOnTheLastKeysExit) {
    startLevel(2);
    EXPECT_EQ(visit(TOP), 0);
    EXPECT_EQ(visit(LEFT), 0);
    EXPECT_EQ(visit(RIGHT), 0);
    EXPECT_EQ(sideValues(), 3334);
    EXPECT_EQ(boxes[boxIndex(3, 2)], 0);
    // 2 pixels short of the corridor: the 9th frame of the exit.
    EXPECT_EQ(visit(BOTTOM), 9);
    EXPECT_EQ(sideValues(), 0);
    EXPECT_EQ(boxes[boxIndex(3, 2)], 1);
    EXPECT_EQ(game.score, 80);
}

TEST_F(BoxCourse, LevelThreeTurnsKeysIntoDoorsThenOpens) {
    startLevel(3);
    for (Kind k : {TOP, LEFT, RIGHT, BOTTOM}) EXPECT_EQ(visit(k), 0);
    for (Kind k : {TOP, LEFT, RIGHT, BOTTOM}) EXPECT_EQ(boxSide(k), SIDE_DOOR);
    EXPECT_EQ(game.score, 4 * 40);
    EXPECT_EQ(visit(TOP), 0);
    EXPECT_EQ(visit(LEFT), 0);
    EXPECT_EQ(visit(RIGHT), 0);
    EXPECT_EQ(boxes[boxIndex(3, 2)], 0);
    EXPECT_EQ(visit(BOTTOM), 9);
    EXPECT_EQ(boxes[boxIndex(3, 2)], 1);
    for (Kind k : {TOP, LEFT, RIGHT, BOTTOM}) EXPECT_EQ(boxSide(k), SIDE_SEALED);
    EXPECT_EQ(game.score, 4 * 40 + 4 * 80);
    EXPECT_EQ(cueNames().back(), "Ding.wav");
}

TEST_F(BoxCourse, LevelsOneAndFourHaveNoRule) {
    for (int level : {1, 4}) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        game.score = 0;
        startLevel(level);
        for (Kind k : {TOP, LEFT, RIGHT, BOTTOM}) EXPECT_EQ(visit(k), 0);
        EXPECT_EQ(sideValues(), level == 1 ? 3333 : -2222);
        for (int b = 1; b <= BOX_COUNT; ++b) EXPECT_EQ(boxes[b], 0);
        EXPECT_EQ(game.score, level == 1 ? 40 : 4 * 130);
    }
}

// Struck on the way out of the last key's niche: the box stays closed until
// the figure enters that niche again and walks out.
TEST_F(BoxCourse, StrikeDuringTheLastExitLeavesTheBoxClosed) {
    startLevel(2);
    sides[sideTop(3, 2)] = sides[sideLeft(3, 2)] = sides[sideRight(3, 2)] = SIDE_TAKEN;
    standAt(240, 128);
    game.heldKey = KEY_UP;
    for (int i = 0; i < 9; ++i) runFrame();
    ASSERT_EQ(game.playerY, 112);
    guards[3] = Guard{240, 0}; // waiting on the corridor below
    game.heldKey = KEY_DOWN;
    for (int i = 0; i < 5; ++i) runFrame();
    EXPECT_EQ(game.phase, 2);
    runFrame();
    EXPECT_EQ(game.lives, 2);
    EXPECT_EQ(sideValues(), 3333);
    EXPECT_EQ(boxes[boxIndex(3, 2)], 0);

    parkGuards();
    EXPECT_EQ(visit(BOTTOM), 9);
    EXPECT_EQ(boxes[boxIndex(3, 2)], 1);
    EXPECT_EQ(game.score, 20); // the second entry paid nothing
}

} // namespace
