// The title screen: the demo script, proven by what one whole cycle of the
// demonstration must do, and Space starting a game.
#include <gtest/gtest.h>

#include "game/frame.h"
#include "game/state.h"
#include "game/title.h"
#include "tests/support.h"

using gametest::GameTest;

namespace {

using Title = GameTest;

constexpr int CYCLE_FRAMES = 4679;

TEST(DemoScript, HeaderAndEntryRange) {
    EXPECT_EQ(demoScript[0], 0);
    EXPECT_EQ(demoScript[1], 440);
    for (int i = 2; i < DEMO_SCRIPT_WORDS; ++i) {
        EXPECT_GE(demoScript[i], 0) << "word " << i;
        EXPECT_LE(demoScript[i], 255) << "word " << i;
    }
}

TEST(DemoScript, SideDotsFollowTheirNicheEnds) {
    for (int r = 1; r <= 5; ++r) {
        for (int c = 1; c <= 5; ++c) {
            struct Dot {
                int side, x, y;
            };
            const Dot dots[] = {{20 * (r - 1) + c, 24 * c + 246, 16 * r + 17},
                                {20 * (r - 1) + 4 + 2 * c, 24 * c + 238, 16 * r + 21},
                                {20 * (r - 1) + 5 + 2 * c, 24 * c + 254, 16 * r + 21},
                                {20 * (r - 1) + 15 + c, 24 * c + 246, 16 * r + 25}};
            for (const Dot& d : dots) {
                int x = 0, y = 0;
                sideDotPosition(d.side, x, y);
                EXPECT_EQ(x, d.x) << "side " << d.side;
                EXPECT_EQ(y, d.y) << "side " << d.side;
            }
        }
    }
}

TEST_F(Title, FirstMovesAfterOneHundredFrames) {
    for (int frame = 1; frame <= 100; ++frame) {
        runFrame();
        ASSERT_EQ(game.playerX, 294) << frame;
        ASSERT_EQ(game.playerY, 49) << frame;
    }
    EXPECT_EQ(flips(), 100);
    runFrame();
    EXPECT_EQ(game.playerY, 48);
    for (int frame = 102; frame <= 104; ++frame) runFrame();
    EXPECT_EQ(game.playerX, 294);
    EXPECT_EQ(game.playerY, 45);

    // Now on the corridor of guard 2, which starts from its end at 254.
    EXPECT_EQ(guards[2].vel, 0);
    runFrame();
    EXPECT_EQ(guards[2].pos, 255);
    EXPECT_EQ(guards[2].vel, 1);
    for (int frame = 106; frame <= 164; ++frame) {
        runFrame();
        ASSERT_EQ(game.playerY, 45);
        ASSERT_EQ(game.playerX, 294 + frame - 104);
    }
    runFrame();
    EXPECT_EQ(game.playerX, 354);
    EXPECT_NE(game.playerY, 45); // the next entry sets off again
}

// One whole cycle: 4679 frames that eat every key dot and bring the dot home;
// the next set-up reads the hiscore file again. The dot walks every corridor,
// so every miniature guard runs, always between its two ends.
TEST_F(Title, WholeCycleEatsEveryKeyAndStartsOver) {
    bool ran[GUARD_COUNT + 1] = {};
    for (int frame = 1; frame < CYCLE_FRAMES; ++frame) {
        runFrame();
        ASSERT_EQ(game.phase, 1) << "frame " << frame;
        ASSERT_EQ(game.screen, SCREEN_TITLE);
        for (int g = 1; g <= GUARD_COUNT; ++g) {
            const int low = g <= 6 ? 254 : 25, high = g <= 6 ? 382 : 113;
            ASSERT_GE(guards[g].pos, low) << "guard " << g << " frame " << frame;
            ASSERT_LE(guards[g].pos, high) << "guard " << g << " frame " << frame;
            if (guards[g].vel == 0) {
                ASSERT_TRUE(guards[g].pos == low || guards[g].pos == high) << "guard " << g;
            }
            ran[g] = ran[g] || guards[g].vel != 0;
        }
    }
    for (int g = 1; g <= GUARD_COUNT; ++g) EXPECT_TRUE(ran[g]) << "guard " << g;
    storeHiscore(4321);
    runFrame();
    EXPECT_EQ(game.phase, 0);
    EXPECT_EQ(game.demoPos, 442);
    EXPECT_EQ(game.playerX, 294);
    EXPECT_EQ(game.playerY, 49);
    for (int s = 1; s <= SIDE_COUNT; ++s) EXPECT_EQ(sides[s], s == 22 ? 3 : 0) << "side " << s;
    EXPECT_EQ(game.hiscore, 0);

    runFrame(); // the next cycle's set-up
    EXPECT_EQ(game.hiscore, 4321);
    EXPECT_EQ(game.phase, 1);
    EXPECT_EQ(sides[1], SIDE_KEY);
    EXPECT_EQ(game.demoWait, 99);
    EXPECT_EQ(flips(), CYCLE_FRAMES + 1);
}

TEST_F(Title, SpaceHeldFromTheStartBeginsTheGame) {
    game.heldKey = KEY_SPACE;
    runFrame();
    EXPECT_EQ(flips(), 1);
    EXPECT_EQ(game.screen, 1);
    EXPECT_EQ(game.phase, 0);
    ASSERT_EQ(cues().size(), 1u);
    EXPECT_EQ(cues()[0].name, "Cle.wav");
    EXPECT_EQ(cues()[0].flips, 1); // after the title frame was shown

    runFrame(); // level 1's preparation, nothing shown
    EXPECT_EQ(flips(), 1);
    EXPECT_EQ(game.preparedScreen, 1);
    EXPECT_EQ(game.playerX, 144);
    EXPECT_EQ(game.playerY, 80);
    EXPECT_EQ(sides[22], SIDE_TAKEN);
    EXPECT_EQ(sides[1], SIDE_KEY);
}

} // namespace
