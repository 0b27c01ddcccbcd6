// The frame driver: counting a niche entry half-way in, the level targets,
// the level preparations, the end screens' key wait, and the key handling.
#include <gtest/gtest.h>

#include "game/frame.h"
#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/keyboard.h"
#include "tests/support.h"

using gametest::GameTest;
using gametest::standAt;

namespace {

using Frame = GameTest;

// Counts one entry into side 7 with the given distance left.
void completeInto(int value, int moveX, int moveY) {
    sides[7] = value;
    game.crossingSide = 7;
    game.moveX = moveX;
    game.moveY = moveY;
    completeEntry();
}

TEST_F(Frame, EntryCountsOnlyHalfWayIntoTheStep) {
    game.screen = 1;
    for (int d : {16, 14, 12, 10, 6, 4, 2}) {
        for (int sign : {1, -1}) {
            completeInto(4, sign * d, 0);
            completeInto(4, 0, sign * d);
        }
    }
    EXPECT_EQ(sides[7], 4);
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(game.crossingSide, 7);

    int expected = 0;
    for (auto [mx, my] : {std::pair{8, 0}, {-8, 0}, {0, 8}, {0, -8}}) {
        completeInto(4, mx, my);
        expected += 10;
        EXPECT_EQ(sides[7], 3);
        EXPECT_EQ(game.score, expected);
        EXPECT_EQ(game.crossingSide, 0);
    }
    EXPECT_EQ(cueNames(), std::vector<std::string>(4, "Cle.wav"));

    // With no side being entered nothing is counted.
    game.crossingSide = 0;
    game.moveX = -8;
    completeEntry();
    EXPECT_EQ(game.score, expected);
}

// A key side entered again and again runs 4, 3, 2, 1, 0 and pays only once;
// a door pays on levels 3 and 4.
TEST_F(Frame, PointsPerLevelAndNewValue) {
    struct Row {
        int level, before, points;
    };
    const Row rows[] = {
        {1, 4, 10}, {1, 3, 0},   {1, 2, 0},    {1, 1, 0},   {2, 4, 20},
        {2, 3, 0},  {2, 1, 0},   {3, 4, 40},   {3, -1, 80}, {3, 3, 0},
        {3, 2, 0},  {4, 4, 130}, {4, -1, 130}, {4, 3, 0},   {4, 1, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "level " << r.level << " from " << r.before);
        const size_t cuesBefore = cues().size();
        game.screen = r.level;
        game.score = 0;
        completeInto(r.before, -8, 0);
        EXPECT_EQ(sides[7], r.before - 1);
        EXPECT_EQ(game.score, r.points);
        EXPECT_EQ(cues().size() - cuesBefore, r.points ? 1u : 0u);
        EXPECT_EQ(game.screen, r.level);
    }
}

TEST_F(Frame, ExactTargetEndsTheLevel) {
    struct Row {
        int level, target, next, before, points;
    };
    const Row rows[] = {{1, 990, 2, 4, 10},
                        {2, 2970, 3, 4, 20},
                        {3, 14930, 4, -1, 80},
                        {3, 14930, 4, 4, 40},
                        {4, 27800, SCREEN_VICTORY, -1, 130}};
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "level " << r.level);
        game.screen = r.level;
        game.score = r.target - r.points;
        completeInto(r.before, 8, 0);
        EXPECT_EQ(game.score, r.target);
        EXPECT_EQ(game.screen, r.next);

        // Short of the target, or past it, the level goes on.
        for (int start : {r.target - r.points - 10, r.target + 10}) {
            game.screen = r.level;
            game.score = start;
            completeInto(r.before, 8, 0);
            EXPECT_EQ(game.screen, r.level);
        }

        // The comparison follows every counted entry, paying or not.
        game.screen = r.level;
        game.score = r.target;
        completeInto(2, 8, 0);
        EXPECT_EQ(game.screen, r.next);
    }
}

// The start rows, written out independently of the game's own table.
struct StartRow {
    int level, all, preset, presetValue, x, y;
    int guard[13];
};
const StartRow startRows[] = {
    {1, 4, 22, 3, 144, 80, {0, 496, -16, -16, 496, 496, 496, 336, 336, 336, 336, -16, 336}},
    {2, 4, 76, 3, 48, 240, {0, 496, -16, 496, 496, 496, -16, -16, -16, 336, -16, 336, 336}},
    {3, 4, 13, 3, 368, 32, {0, 496, 496, -16, -16, 496, 496, 336, -16, 336, -16, -16, -16}},
    {4, -1, 50, -2, 208, 160, {0, -16, 496, -16, 496, -16, 496, -16, 336, -16, 336, -16, 336}},
};

TEST_F(Frame, PreparationAppliesTheStartRow) {
    for (const StartRow& row : startRows) {
        SCOPED_TRACE(::testing::Message() << "level " << row.level);
        for (int s = 1; s <= SIDE_COUNT; ++s) sides[s] = 1;
        for (int b = 1; b <= BOX_COUNT; ++b) boxes[b] = 1;
        for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{100, 2};
        game.moveX = 6;
        game.moveY = -4;
        game.phase = 1;
        game.lives = 1;
        game.score = 1234;
        game.hiscore = 5000;
        game.screen = row.level;
        game.preparedScreen = row.level - 1;
        const long before = flips();
        prepareLevel(row.level);

        for (int s = 1; s <= SIDE_COUNT; ++s)
            EXPECT_EQ(sides[s], s == row.preset ? row.presetValue : row.all) << "side " << s;
        for (int g = 1; g <= GUARD_COUNT; ++g) {
            EXPECT_EQ(guards[g].pos, row.guard[g]) << "guard " << g;
            EXPECT_EQ(guards[g].vel, 0) << "guard " << g;
        }
        if (row.level > 1) {
            for (int b = 1; b <= BOX_COUNT; ++b) EXPECT_EQ(boxes[b], 0) << "box " << b;
        }
        EXPECT_EQ(game.playerX, row.x);
        EXPECT_EQ(game.playerY, row.y);
        EXPECT_EQ(game.moveX, 0);
        EXPECT_EQ(game.moveY, 0);
        EXPECT_EQ(game.phase, 1);
        EXPECT_EQ(game.lives, 1);
        EXPECT_EQ(game.score, 1234);
        EXPECT_EQ(game.preparedScreen, row.level);
        // Levels 2 to 4 open with the banner (471 frames) and the blink (100).
        EXPECT_EQ(flips() - before, row.level == 1 ? 0 : 571);
    }
    EXPECT_TRUE(saves().empty()); // the score never equalled the hiscore
}

TEST_F(Frame, LevelOnePreparationCallDrawsNothing) {
    game.screen = 1;
    runFrame();
    EXPECT_EQ(flips(), 0);
    EXPECT_EQ(game.preparedScreen, 1);
    runFrame();
    EXPECT_EQ(flips(), 1);
    EXPECT_TRUE(saves().empty());
}

// The call that prepares levels 2 to 4 goes on to a full frame; it saves
// only when the score is the record at that moment.
TEST_F(Frame, LaterLevelsPrepareThenPlayAFrame) {
    for (int level = 2; level <= 4; ++level) {
        for (bool record : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "level " << level << " record " << record);
            game.screen = level;
            game.preparedScreen = level - 1;
            game.phase = 0;
            game.score = 990;
            game.hiscore = record ? 990 : 2000;
            const long before = flips();
            const size_t savesBefore = saves().size();
            runFrame();
            EXPECT_EQ(flips() - before, 572);
            EXPECT_EQ(saves().size() - savesBefore, record ? 1u : 0u);
            EXPECT_EQ(game.screen, level);
            EXPECT_EQ(game.preparedScreen, level);
        }
    }
}

// A strike found in the frame that completes a level survives the next
// level's preparation: that level's first full frame runs the death.
TEST_F(Frame, StrikeInTheLastFrameOfALevelCostsALifeOnTheNext) {
    game.screen = 1;
    runFrame();
    for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{-16, 0};
    guards[8] = Guard{30, 2}; // on x = 96, arriving level with the figure
    game.score = 980;
    standAt(90, 32);
    game.moveX = -10;
    game.phase = 1;
    sides[7] = 4;
    game.crossingSide = 7;
    runFrame();
    EXPECT_EQ(game.score, 990);
    EXPECT_EQ(game.screen, 2);
    EXPECT_EQ(game.phase, 2);

    const long before = flips();
    runFrame();
    EXPECT_EQ(flips() - before, 471 + 100 + 50 + 100 + 1);
    EXPECT_EQ(game.lives, 2);
    EXPECT_EQ(game.phase, 0);
    EXPECT_EQ(game.playerX, 48);
    EXPECT_EQ(game.playerY, 240);
}

// The last life lost: the game-over screen follows and that frame does not
// show the player.
TEST_F(Frame, LastDeathSwitchesToGameOverWithoutThePlayer) {
    useSprites({{"Table.bmp", 0x000080}, {"Joueur.bmp", 0xC00000}});
    game.screen = 1;
    runFrame();
    game.lives = 0;
    standAt(300, 64);
    game.phase = 2;
    auto& shown = watch({{144 + 72 + 8, 80 + 22 + 8}});
    runFrame();
    EXPECT_EQ(game.lives, -1);
    EXPECT_EQ(game.screen, SCREEN_GAME_OVER);
    EXPECT_EQ(game.phase, 0);
    EXPECT_EQ(game.playerX, 144);
    ASSERT_EQ(shown[0].shown.size(), 51u);
    EXPECT_EQ(shown[0].shown.back(), 0x000080u);
}

// Drives one end screen call with the key held as given; returns the flips.
long endCall(int key) {
    game.heldKey = key;
    const long before = flipCount();
    runFrame();
    return flipCount() - before;
}

TEST_F(Frame, EndScreenWaitsForReleasePressRelease) {
    for (int screen : {SCREEN_GAME_OVER, SCREEN_VICTORY}) {
        SCOPED_TRACE(::testing::Message() << "screen " << screen);
        game.screen = screen;
        game.preparedScreen = 1;
        game.phase = 2; // a strike left over from the last frame of play
        game.score = 500;
        game.hiscore = 900;
        game.lives = screen == SCREEN_GAME_OVER ? -1 : 2;
        const size_t savesBefore = saves().size();

        EXPECT_EQ(endCall(KEY_RIGHT), 133); // the key is still down from the play
        EXPECT_EQ(game.preparedScreen, screen);
        EXPECT_EQ(game.phase, 0);
        EXPECT_EQ(endCall(KEY_RIGHT), 0);
        EXPECT_EQ(game.phase, 0);
        EXPECT_EQ(endCall(0), 0);
        EXPECT_EQ(game.phase, 1);
        EXPECT_EQ(endCall(0), 0);
        EXPECT_EQ(game.phase, 1);
        EXPECT_EQ(endCall(KEY_SPACE), 0);
        EXPECT_EQ(game.phase, 2);
        EXPECT_EQ(endCall(KEY_SPACE), 0);
        EXPECT_EQ(game.screen, screen);
        EXPECT_EQ(saves().size(), savesBefore);

        EXPECT_EQ(endCall(0), 0);
        EXPECT_EQ(game.screen, SCREEN_TITLE);
        EXPECT_EQ(game.preparedScreen, 0);
        EXPECT_EQ(game.phase, 0);
        EXPECT_EQ(game.lives, 3);
        EXPECT_EQ(game.score, 0);
        EXPECT_EQ(game.hiscore, 900);
        // Only the victory screen saves when it leaves, record or not.
        EXPECT_EQ(saves().size() - savesBefore, screen == SCREEN_VICTORY ? 1u : 0u);
    }
}

// A struck phase must not let the first call skip the wait; with no key held
// the first call only arms it.
TEST_F(Frame, EndScreenOnceOnlyPartResetsTheStrike) {
    game.screen = SCREEN_GAME_OVER;
    game.phase = 2;
    game.score = 700;
    game.hiscore = 700;
    EXPECT_EQ(endCall(0), 391); // with the record: the congratulation comes first
    EXPECT_EQ(game.screen, SCREEN_GAME_OVER);
    EXPECT_EQ(game.phase, 1);
    EXPECT_EQ(saves(), std::vector<int32_t>{700});
}

class Keys : public GameTest {};

TEST_F(Keys, HeldKeyFollowsTheLastPressedKey) {
    keyDown(KEY_RIGHT);
    EXPECT_EQ(game.heldKey, KEY_RIGHT);
    keyDown(KEY_UP);
    EXPECT_EQ(game.heldKey, KEY_UP);
    keyUp(KEY_RIGHT);
    EXPECT_EQ(game.heldKey, KEY_UP);
    keyDown(KEY_UP); // key repeat
    EXPECT_EQ(game.heldKey, KEY_UP);
    keyUp(KEY_UP);
    EXPECT_EQ(game.heldKey, 0); // Right is still down but is no longer seen
    for (int code : {KEY_SPACE, KEY_LEFT, KEY_DOWN}) {
        keyDown(code);
        EXPECT_EQ(game.heldKey, code);
    }
    for (int other : {13, 36, 41, 65, 0}) {
        keyDown(other);
        keyUp(other);
        EXPECT_EQ(game.heldKey, KEY_DOWN) << other;
    }
    keyUp(KEY_DOWN);
    EXPECT_EQ(game.heldKey, 0);
    EXPECT_FALSE(quitRequested());
}

TEST_F(Keys, EscapeSavesOnlyARecordAndQuits) {
    useSprites({{"Table.bmp", 0x000080}});
    game.score = 10;
    game.hiscore = 20;
    keyDown(KEY_ESCAPE);
    EXPECT_TRUE(saves().empty());
    EXPECT_TRUE(quitRequested());
    EXPECT_FALSE(displayReady());
    EXPECT_EQ(game.heldKey, 0);

    game.hiscore = 10;
    keyDown(KEY_ESCAPE); // a second Escape: saves again, nothing left to release
    keyUp(KEY_ESCAPE);
    EXPECT_EQ(saves(), std::vector<int32_t>{10});
    EXPECT_TRUE(quitRequested());
    EXPECT_FALSE(displayReady());
}

} // namespace
