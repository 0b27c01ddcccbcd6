// The guards: when they start, how they run and stop, when they strike, and
// the death and respawn sequences that follow a strike.
#include <gtest/gtest.h>

#include "game/frame.h"
#include "game/guards.h"
#include "game/state.h"
#include "tests/support.h"

using gametest::GameTest;
using gametest::standAt;

namespace {

class Guards : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        game.screen = 1;
        game.preparedScreen = 1;
        // Every guard at rest at its near end, 16 pixels off the board.
        for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{GUARD_NEAR_END, 0};
    }
    static int farEnd(int g) { return g <= 6 ? 496 : 336; }
};

TEST_F(Guards, CrossingStartsBothGuardsInOneFrame) {
    guards[2] = Guard{-16, 0};
    guards[8] = Guard{336, 0};
    standAt(96, 64);
    stepGuards();
    EXPECT_EQ(guards[2].pos, -14);
    EXPECT_EQ(guards[2].vel, 2);
    EXPECT_EQ(guards[8].pos, 334);
    EXPECT_EQ(guards[8].vel, -2);
    for (int g : {1, 3, 4, 5, 6, 7, 9, 10, 11, 12}) EXPECT_EQ(guards[g].vel, 0) << g;
}

// Each guard starts inwards from either end when the figure stands on its
// corridor line, and only then.
TEST_F(Guards, EachGuardStartsFromEitherEnd) {
    for (int g = 1; g <= GUARD_COUNT; ++g) {
        for (bool far : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "guard " << g << (far ? " far" : " near"));
            const int end = far ? farEnd(g) : GUARD_NEAR_END;
            guards[g] = Guard{end, 0};
            // Beside the line nobody starts.
            if (g <= 6)
                standAt(16, 64 * (g - 1) + 16 * (g == 6 ? -1 : 1));
            else
                standAt(96 * (g - 7) + 16 * (g == 12 ? -1 : 1), 32);
            stepGuards();
            EXPECT_EQ(guards[g].pos, end);
            if (g <= 6)
                standAt(16, 64 * (g - 1));
            else
                standAt(96 * (g - 7), 16);
            stepGuards();
            EXPECT_EQ(guards[g].vel, far ? -2 : 2);
            EXPECT_EQ(guards[g].pos, end + guards[g].vel);
            guards[g] = Guard{GUARD_NEAR_END, 0};
        }
    }
}

// A running guard ignores the trigger, runs to the far end, stops there and
// stays until the figure is on its corridor again, then starts back.
TEST_F(Guards, RunAcrossStopAndStartBack) {
    guards[2] = Guard{100, -2};
    standAt(16, 64);
    stepGuards();
    EXPECT_EQ(guards[2].vel, -2);
    EXPECT_EQ(guards[2].pos, 98);

    guards[2] = Guard{-16, 0};
    stepGuards();     // started
    standAt(144, 80); // off the corridor from now on
    int frames = 1;
    while (guards[2].vel != 0 && frames < 1000) {
        stepGuards();
        ++frames;
    }
    EXPECT_EQ(frames, 256); // 512 pixels at 2 per frame
    EXPECT_EQ(guards[2].pos, 496);
    for (int i = 0; i < 10; ++i) stepGuards();
    EXPECT_EQ(guards[2].pos, 496);
    EXPECT_EQ(guards[2].vel, 0);

    standAt(16, 64); // back on the corridor: one frame at the end, then back
    stepGuards();
    EXPECT_EQ(guards[2].pos, 494);
}

// On level 4 every guard turns at once: the first frame only points it
// inwards, from the second on it never stands still again.
TEST_F(Guards, LevelFourShuttleNeverRests) {
    game.screen = 4;
    prepareLevel(4);
    standAt(208, 160);
    int before[GUARD_COUNT + 1];
    for (int g = 1; g <= GUARD_COUNT; ++g) before[g] = guards[g].pos;
    stepGuards();
    for (int g = 1; g <= GUARD_COUNT; ++g) {
        EXPECT_EQ(guards[g].pos, before[g]) << g;
        EXPECT_EQ(guards[g].vel, before[g] == GUARD_NEAR_END ? 2 : -2) << g;
    }
    int atEnd[GUARD_COUNT + 1] = {};
    for (int frame = 2; frame <= 1200; ++frame) {
        for (int g = 1; g <= GUARD_COUNT; ++g) before[g] = guards[g].pos;
        stepGuards();
        for (int g = 1; g <= GUARD_COUNT; ++g) {
            ASSERT_NE(guards[g].pos, before[g]) << "guard " << g << " frame " << frame;
            ASSERT_NE(guards[g].vel, 0);
            ASSERT_GE(guards[g].pos, GUARD_NEAR_END);
            ASSERT_LE(guards[g].pos, farEnd(g));
            if (guards[g].pos == GUARD_NEAR_END || guards[g].pos == farEnd(g)) ++atEnd[g];
        }
    }
    // Horizontal guards cross 512 pixels in 256 frames, vertical 352 in 176.
    for (int g = 1; g <= GUARD_COUNT; ++g) EXPECT_EQ(atEnd[g], g <= 6 ? 4 : 6) << g;
}

struct Reach {
    const char* what;
    int guard, pos, x, y;
    bool struck;
};

const Reach reaches[] = {
    {"along a horizontal corridor, 8 ahead", 2, 208, 200, 64, true},
    {"along a horizontal corridor, 8 behind", 2, 192, 200, 64, true},
    {"along a horizontal corridor, 10 ahead", 2, 210, 200, 64, false},
    {"along a horizontal corridor, 10 behind", 2, 190, 200, 64, false},
    {"8 below the line", 2, 144, 144, 72, true},
    {"8 above the line", 2, 144, 144, 56, true},
    {"10 below the line", 2, 144, 144, 74, false},
    {"10 above the line", 2, 144, 144, 54, false},
    {"at the end of a top niche", 2, 144, 144, 80, false},
    {"at the end of a bottom niche", 2, 144, 144, 48, false},
    {"along a vertical corridor, 8 below", 8, 108, 96, 100, true},
    {"along a vertical corridor, 10 below", 8, 110, 96, 100, false},
    {"along a vertical corridor, 8 above", 8, 92, 96, 100, true},
    {"along a vertical corridor, 10 above", 8, 90, 96, 100, false},
    {"8 left of the line", 8, 32, 88, 32, true},
    {"8 right of the line", 8, 32, 104, 32, true},
    {"10 right of the line", 8, 32, 106, 32, false},
    {"10 left of the line", 8, 32, 86, 32, false},
    {"at the end of a left niche", 7, 32, 16, 32, false},
    {"at the end of a right niche", 8, 32, 80, 32, false},
    {"near guard resting at its end", 1, -16, 0, 0, false},
    {"far guard resting at its end", 6, 496, 480, 320, false},
    {"upper guard resting at its end", 7, -16, 0, 0, false},
    {"lower guard resting at its end", 12, 336, 480, 320, false},
};

TEST_F(Guards, StrikeDistances) {
    for (const Reach& r : reaches) {
        SCOPED_TRACE(r.what);
        for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{GUARD_NEAR_END, 0};
        guards[r.guard].pos = r.pos;
        standAt(r.x, r.y);
        game.phase = 1;
        checkCollision();
        EXPECT_EQ(game.phase, r.struck ? 2 : 1);
    }
}

// A strike: 50 hit frames where the figure was struck (Touche 1, 3, 3, 2, 2,
// 1, 1, ...), one life less, then 100 frames of blinking at the start.
TEST_F(Guards, DeathSequenceThenBlink) {
    const uint32_t table = 0x000080, player = 0xC00000;
    const uint32_t hit[4] = {0, 0x101010, 0x202020, 0x303030};
    useSprites({{"Table.bmp", table},
                {"Joueur.bmp", player},
                {"Touche1.bmp", hit[1]},
                {"Touche2.bmp", hit[2]},
                {"Touche3.bmp", hit[3]}});
    guards[8] = Guard{60, 2};
    standAt(96, 64);
    game.phase = 2;
    // The struck place, the start position, then a line across the life icons.
    std::vector<std::pair<int, int>> points = {{96 + 72 + 8, 64 + 22 + 8},
                                               {144 + 72 + 8, 80 + 22 + 8}};
    for (int x = 200; x < 440; ++x) points.push_back({x, 398});
    auto& w = watch(points);
    auto iconPixels = [&](int frame) {
        int n = 0;
        for (size_t p = 2; p < w.size(); ++p) n += w[p].shown[frame - 1] == player;
        return n;
    };
    runFrame();

    ASSERT_EQ(w[0].shown.size(), 151u);
    static constexpr int hitOrder[3] = {1, 3, 2};
    for (int i = 1; i <= 50; ++i) {
        EXPECT_EQ(w[0].shown[i - 1], hit[hitOrder[(i / 2) % 3]]) << "death frame " << i;
        EXPECT_EQ(iconPixels(i), 3 * 16) << "three icons in death frame " << i;
    }
    for (int i = 1; i <= 100; ++i) {
        const bool shown = i <= 25 || (i >= 51 && i <= 74);
        EXPECT_EQ(w[1].shown[50 + i - 1], shown ? player : table) << "blink frame " << i;
        EXPECT_EQ(iconPixels(50 + i), 2 * 16) << "two icons in blink frame " << i;
    }
    EXPECT_EQ(w[1].shown[150], player); // the regular frame shows the figure again

    ASSERT_EQ(cues().size(), 3u);
    EXPECT_EQ(cues()[0].name, "Electrocut.wav");
    EXPECT_EQ(cues()[0].flips, 0);
    EXPECT_EQ(cues()[1].name, "Clignot.wav");
    EXPECT_EQ(cues()[1].flips, 50 + 25); // in blink frame 26
    EXPECT_EQ(cues()[2].name, "Clignot.wav");
    EXPECT_EQ(cues()[2].flips, 50 + 74); // in blink frame 75

    EXPECT_EQ(game.lives, 2);
    EXPECT_EQ(game.phase, 0);
    EXPECT_EQ(game.playerX, 144);
    EXPECT_EQ(game.playerY, 80);
    EXPECT_EQ(game.moveX | game.moveY, 0);
    // The guards stand still through the sequences and the frame after them.
    EXPECT_EQ(guards[8].pos, 60);
}

TEST_F(Guards, StrikeOnTheLastLifeEndsTheGame) {
    game.lives = 0;
    standAt(96, 64);
    game.phase = 2;
    game.score = 300;
    game.hiscore = 400;
    playDeath();
    EXPECT_EQ(flips(), 50);
    EXPECT_EQ(game.lives, -1);
    EXPECT_EQ(cueNames(), std::vector<std::string>{"Electrocut.wav"});

    game.lives = 0;
    game.phase = 2;
    runFrame();
    EXPECT_EQ(flips(), 50 + 51);
    EXPECT_EQ(game.screen, SCREEN_GAME_OVER);
    runFrame(); // the game-over sequence, no record
    EXPECT_EQ(flips(), 50 + 51 + 133);
    EXPECT_EQ(game.preparedScreen, SCREEN_GAME_OVER);
}

} // namespace
