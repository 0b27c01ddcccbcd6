#include <gtest/gtest.h>

#include "game/state.h"

TEST(State, ResetGivesProgramStartValues) {
    game.score = 77;
    sides[5] = 1;
    resetGameState();
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(game.lives, 3);
    EXPECT_EQ(game.playerX, 294);
    EXPECT_EQ(game.playerY, 49);
    EXPECT_EQ(game.demoPos, 2);
    EXPECT_EQ(game.soundOn, 1);
    EXPECT_EQ(sides[5], 0);
}
