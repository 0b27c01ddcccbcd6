// The level picture: background and score line, life icons, the board's keys,
// walls, doors and opened boxes, the guards, the player and the hit frames.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "game/state.h"
#include "platform/graphics/text.h"
#include "platform/ports/display.h"
#include "render/board.h"
#include "render/figures.h"
#include "render/hud.h"
#include "tests/render_support.h"

namespace {

enum Kind { TOP, BOTTOM, LEFT, RIGHT };
constexpr Kind KINDS[] = {TOP, BOTTOM, LEFT, RIGHT};
const char* const KIND_NAMES[] = {"top", "bottom", "left", "right"};

int sideIndexOf(Kind kind, int c, int r) {
    const int b = 20 * (r - 1);
    switch (kind) {
    case TOP:
        return b + c;
    case BOTTOM:
        return b + 15 + c;
    case LEFT:
        return b + 4 + 2 * c;
    case RIGHT:
        return b + 5 + 2 * c;
    }
    return 0;
}

// The player's position at the end of the side's niche, in playfield pixels.
void nicheEnd(Kind kind, int c, int r, int& x, int& y) {
    switch (kind) {
    case TOP:
        x = 96 * c - 48, y = 64 * r - 48;
        return;
    case BOTTOM:
        x = 96 * c - 48, y = 64 * r - 16;
        return;
    case LEFT:
        x = 96 * (c - 1) + 16, y = 64 * r - 32;
        return;
    case RIGHT:
        x = 96 * (c - 1) + 80, y = 64 * r - 32;
        return;
    }
}

// A key or door covers the figure standing at the niche end.
Rect keyRect(Kind kind, int c, int r) {
    int x = 0, y = 0;
    nicheEnd(kind, c, r, x, y);
    return {x + 72, y + 22, 16, 16};
}

Rect wallRect(Kind kind, int c, int r) {
    switch (kind) {
    case TOP:
        return {96 * c + 23, 64 * r - 26, 18, 17};
    case BOTTOM:
        return {96 * c + 23, 64 * r + 5, 18, 17};
    case LEFT:
        return {96 * c - 8, 64 * r - 11, 17, 18};
    case RIGHT:
        return {96 * c + 55, 64 * r - 11, 17, 18};
    }
    return {};
}

SpriteId wallSprite(Kind kind) {
    constexpr SpriteId walls[] = {SPRITE_BLOC_HAUT, SPRITE_BLOC_BAS, SPRITE_BLOC_GAUCHE,
                                  SPRITE_BLOC_DROITE};
    return walls[kind];
}

Rect boxRect(int c, int r) {
    return {96 * c + 24, 64 * r - 10, 16, 16};
}

constexpr Rect SCREEN = {0, 0, SCREEN_W, SCREEN_H};

std::string describe(const Rect& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%d,%d %dx%d)", r.x, r.y, r.w, r.h);
    return text;
}

class Board : public RenderTest {
  protected:
    void background() { blitSprite(0, 0, SPRITE_TABLE, SCREEN_W, SCREEN_H); }

    // The one-pixel ring around the rectangle still shows the background.
    bool ringIsBackground(const Rect& r) const {
        const uint32_t table = spriteColour(SPRITE_TABLE);
        for (int x = r.x - 1; x <= r.x + r.w; ++x)
            if (pixel(x, r.y - 1) != table || pixel(x, r.y + r.h) != table) return false;
        for (int y = r.y; y < r.y + r.h; ++y)
            if (pixel(r.x - 1, y) != table || pixel(r.x + r.w, y) != table) return false;
        return true;
    }

    // Draws the board on a clean background; returns what changed.
    Rect drawAndDiff(int level) {
        background();
        const std::vector<uint32_t> before = snapshot();
        drawBoard(level);
        return changedArea(before);
    }
};

// What each level shows for each side value, checked on all 100 sides at once.
TEST_F(Board, EachLevelDrawsEachSideValueWithItsSprite) {
    enum Shows { NOTHING, KEY_SPRITE, WALL };
    struct Case {
        int level;
        int value;
        Shows shows;
        SpriteId sprite; // for KEY_SPRITE: the 16 x 16 sprite at the niche end
    };
    const Case cases[] = {
        {1, 4, KEY_SPRITE, SPRITE_CLE1},
        {2, 4, KEY_SPRITE, SPRITE_CLE2},
        {3, 4, KEY_SPRITE, SPRITE_CLE3},
        {4, 4, NOTHING, {}},
        {1, 3, NOTHING, {}},
        {2, 2, NOTHING, {}},
        {3, 1, NOTHING, {}},
        {4, 3, NOTHING, {}},
        {1, 0, WALL, {}},
        {2, 0, WALL, {}},
        {3, 0, WALL, {}},
        {4, 0, WALL, {}},
        {1, -1, NOTHING, {}},
        {2, -1, NOTHING, {}},
        {3, -1, KEY_SPRITE, SPRITE_CLE4},
        {4, -1, KEY_SPRITE, SPRITE_CLE5},
        {1, -2, NOTHING, {}},
        {2, -2, NOTHING, {}},
        {3, -2, WALL, {}},
        {4, -2, WALL, {}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE("level " + std::to_string(t.level) + ", every side at " +
                     std::to_string(t.value));
        clearBoard();
        for (int s = 1; s <= SIDE_COUNT; ++s) sides[s] = t.value;
        const Rect changed = drawAndDiff(t.level);
        if (t.shows == NOTHING) {
            EXPECT_EQ(changed.w, 0) << "something drawn at " << describe(changed);
            continue;
        }
        for (Kind kind : KINDS)
            for (int r = 1; r <= 5; ++r)
                for (int c = 1; c <= 5; ++c) {
                    const Rect at = t.shows == WALL ? wallRect(kind, c, r) : keyRect(kind, c, r);
                    const SpriteId sprite = t.shows == WALL ? wallSprite(kind) : t.sprite;
                    EXPECT_TRUE(filled(at, spriteColour(sprite)) && ringIsBackground(at))
                        << KIND_NAMES[kind] << " side of cell (" << c << "," << r
                        << ") not exactly at " << describe(at);
                }
        // Nothing else: each sprite's pixels are exactly its 25 or 100 copies.
        if (t.shows == WALL) {
            for (Kind kind : KINDS)
                EXPECT_EQ(countIn(SCREEN, spriteColour(wallSprite(kind))), 25L * 18 * 17)
                    << KIND_NAMES[kind];
        } else {
            EXPECT_EQ(countIn(SCREEN, spriteColour(t.sprite)), 100L * 16 * 16);
        }
    }
}

// One side at a time: the side index picks the right cell and kind.
TEST_F(Board, EachSideIndexDrawsAtItsOwnCellAndKind) {
    for (int level : {1, 3}) {
        for (Kind kind : KINDS)
            for (int r = 1; r <= 5; ++r)
                for (int c = 1; c <= 5; ++c) {
                    const int side = sideIndexOf(kind, c, r);
                    SCOPED_TRACE("level " + std::to_string(level) + " side " +
                                 std::to_string(side));
                    clearBoard();
                    sides[side] = level == 1 ? SIDE_WALL : SIDE_DOOR;
                    const Rect want = level == 1 ? wallRect(kind, c, r) : keyRect(kind, c, r);
                    const SpriteId sprite = level == 1 ? wallSprite(kind) : SPRITE_CLE4;
                    const Rect changed = drawAndDiff(level);
                    EXPECT_EQ(describe(changed), describe(want));
                    EXPECT_TRUE(filled(want, spriteColour(sprite)));
                }
    }
}

TEST_F(Board, OpenedBoxesShowOnLevelsTwoAndThreeOnly) {
    for (int level = 1; level <= 4; ++level) {
        const SpriteId sprite = level == 2 ? SPRITE_CLE3 : SPRITE_CLE5;
        const bool shown = level == 2 || level == 3;
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 5; ++c) {
                SCOPED_TRACE("level " + std::to_string(level) + " box (" + std::to_string(c) + "," +
                             std::to_string(r) + ")");
                clearBoard();
                boxes[c + 5 * (r - 1)] = 1;
                const Rect changed = drawAndDiff(level);
                if (!shown) {
                    EXPECT_EQ(changed.w, 0);
                    continue;
                }
                EXPECT_EQ(describe(changed), describe(boxRect(c, r)));
                EXPECT_TRUE(filled(boxRect(c, r), spriteColour(sprite)));
            }
    }
}

// The box shares its top row with the top wall and its bottom row with the
// bottom wall of its cell, and covers both there.
TEST_F(Board, OpenedBoxIsDrawnOverTheWallsOfItsCell) {
    struct Case {
        int level, closed;
        SpriteId box;
    };
    for (const Case& t : {Case{2, SIDE_WALL, SPRITE_CLE3}, Case{3, SIDE_SEALED, SPRITE_CLE5}}) {
        SCOPED_TRACE("level " + std::to_string(t.level));
        const int c = 3, r = 2;
        clearBoard();
        sides[sideIndexOf(TOP, c, r)] = t.closed;
        sides[sideIndexOf(BOTTOM, c, r)] = t.closed;
        boxes[c + 5 * (r - 1)] = 1;
        drawAndDiff(t.level);
        const Rect box = boxRect(c, r);
        EXPECT_TRUE(filled(box, spriteColour(t.box)));
        const Rect top = wallRect(TOP, c, r), bottom = wallRect(BOTTOM, c, r);
        // The shared rows, outside the box's columns, still show the walls.
        EXPECT_EQ(top.y + top.h - 1, box.y);
        EXPECT_EQ(bottom.y, box.y + box.h - 1);
        EXPECT_EQ(pixel(box.x - 1, box.y), spriteColour(SPRITE_BLOC_HAUT));
        EXPECT_EQ(pixel(box.x + 16, box.y), spriteColour(SPRITE_BLOC_HAUT));
        EXPECT_EQ(pixel(box.x - 1, box.y + 15), spriteColour(SPRITE_BLOC_BAS));
        EXPECT_EQ(pixel(box.x + 16, box.y + 15), spriteColour(SPRITE_BLOC_BAS));
        EXPECT_TRUE(filled({top.x, top.y, top.w, top.h - 1}, spriteColour(SPRITE_BLOC_HAUT)));
        EXPECT_TRUE(filled({bottom.x, bottom.y + 1, bottom.w, bottom.h - 1},
                           spriteColour(SPRITE_BLOC_BAS)));
    }
}

// A closed side is left out while the player stands in its niche, from just
// off the corridor line to the niche end; keys are drawn all the same.
TEST_F(Board, ClosedSideInsideTheOccupiedNicheIsNotDrawn) {
    struct Case {
        int level;
        Kind kind;
        int c, r, value;
        int playerX, playerY;
        bool drawn;
    };
    const Case cases[] = {
        // Level 1's start: the top side of cell (2, 2), side 22.
        {1, TOP, 2, 2, SIDE_WALL, 144, 80, false},
        {1, TOP, 2, 2, SIDE_WALL, 144, 66, false},
        {1, TOP, 2, 2, SIDE_WALL, 144, 65, false},
        {1, TOP, 2, 2, SIDE_WALL, 144, 64, true},
        {1, TOP, 2, 2, SIDE_WALL, 240, 80, true}, // another column
        {1, BOTTOM, 2, 2, SIDE_WALL, 144, 112, false},
        {1, BOTTOM, 2, 2, SIDE_WALL, 144, 127, false},
        {1, BOTTOM, 2, 2, SIDE_WALL, 144, 128, true},
        {1, BOTTOM, 2, 2, SIDE_WALL, 144, 144, true}, // the facing niche of (2, 3)
        {1, LEFT, 2, 2, SIDE_WALL, 112, 96, false},
        {1, LEFT, 2, 2, SIDE_WALL, 97, 96, false},
        {1, LEFT, 2, 2, SIDE_WALL, 96, 96, true},
        {1, RIGHT, 3, 2, SIDE_WALL, 272, 96, false},
        {1, RIGHT, 3, 2, SIDE_WALL, 274, 96, false},
        {1, RIGHT, 3, 2, SIDE_WALL, 287, 96, false},
        {1, RIGHT, 3, 2, SIDE_WALL, 288, 96, true},
        {1, RIGHT, 3, 2, SIDE_WALL, 304, 96, true}, // the facing niche of (4, 2)
        {1, RIGHT, 5, 5, SIDE_WALL, 464, 288, false},
        {1, RIGHT, 5, 5, SIDE_WALL, 480, 288, true},
        // Doors and opened doors follow the same rule.
        {3, LEFT, 3, 3, SIDE_DOOR, 208, 160, false},
        {3, LEFT, 3, 3, SIDE_DOOR, 192, 160, true},
        {4, LEFT, 3, 3, SIDE_SEALED, 208, 160, false},
        {4, LEFT, 3, 3, SIDE_SEALED, 192, 160, true},
        {4, BOTTOM, 1, 4, SIDE_DOOR, 48, 240, false},
        {3, RIGHT, 4, 1, SIDE_SEALED, 368, 32, false},
        // Keys show whatever the player's position.
        {1, TOP, 2, 2, SIDE_KEY, 144, 80, true},
        {2, BOTTOM, 1, 4, SIDE_KEY, 48, 240, true},
        {3, RIGHT, 4, 1, SIDE_KEY, 368, 32, true},
    };
    for (const Case& t : cases) {
        const int side = sideIndexOf(t.kind, t.c, t.r);
        SCOPED_TRACE("level " + std::to_string(t.level) + " side " + std::to_string(side) + " at " +
                     std::to_string(t.value) + ", player at (" + std::to_string(t.playerX) + "," +
                     std::to_string(t.playerY) + ")");
        clearBoard();
        sides[side] = t.value;
        game.playerX = t.playerX;
        game.playerY = t.playerY;
        const bool wall = t.value == SIDE_WALL || t.value == SIDE_SEALED;
        if (t.value != SIDE_KEY) {
            EXPECT_EQ(sideOccupied(side), !t.drawn);
        }
        const Rect changed = drawAndDiff(t.level);
        if (!t.drawn) {
            EXPECT_EQ(changed.w, 0) << "drawn at " << describe(changed);
            continue;
        }
        const Rect want = wall ? wallRect(t.kind, t.c, t.r) : keyRect(t.kind, t.c, t.r);
        EXPECT_EQ(describe(changed), describe(want));
    }
}

TEST_F(Board, SideOccupiedOnlyByThePlayerInsideThatNiche) {
    // At each niche end exactly that one side is occupied; on corridors none.
    for (Kind kind : KINDS)
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 5; ++c) {
                nicheEnd(kind, c, r, game.playerX, game.playerY);
                for (int s = 1; s <= SIDE_COUNT; ++s)
                    EXPECT_EQ(sideOccupied(s), s == sideIndexOf(kind, c, r))
                        << "player at (" << game.playerX << "," << game.playerY << "), side " << s;
            }
    // Every corridor point, horizontal and vertical corridors alike.
    for (int y = 0; y <= 320; y += 16)
        for (int x = 0; x <= 480; x += 16) {
            if (x % 96 != 0 && y % 64 != 0) continue;
            game.playerX = x;
            game.playerY = y;
            for (int s = 1; s <= SIDE_COUNT; ++s)
                EXPECT_FALSE(sideOccupied(s)) << "corridor (" << x << "," << y << "), side " << s;
        }
}

TEST_F(Board, DrawBoardMatchesEachLevelsOwnDrawing) {
    void (*const own[])() = {nullptr, drawBoardLevel1, drawBoardLevel2, drawBoardLevel3,
                             drawBoardLevel4};
    const int values[] = {4, 3, 2, 1, 0, -1, -2};
    for (int level = 1; level <= 4; ++level) {
        clearBoard();
        for (int s = 1; s <= SIDE_COUNT; ++s) sides[s] = values[(s * 7 + s / 9) % 7];
        for (int b = 1; b <= BOX_COUNT; b += 3) boxes[b] = 1;
        game.playerX = 144, game.playerY = 80;
        background();
        own[level]();
        const std::vector<uint32_t> viaOwn = snapshot();
        const Rect changed = drawAndDiff(level);
        background();
        drawBoard(level);
        EXPECT_EQ(snapshot(), viaOwn) << "level " << level;
        EXPECT_GT(changed.w, 0);
    }
}

TEST_F(Board, LifeIconsStayCentred) {
    struct Case {
        int lives;
        std::vector<int> xs;
    };
    const Case cases[] = {{3, {293, 311, 329}}, {2, {302, 320}}, {1, {311}}, {0, {}}, {-1, {}}};
    for (const Case& t : cases) {
        SCOPED_TRACE("lives " + std::to_string(t.lives));
        game.lives = t.lives;
        background();
        drawLives();
        for (int x : t.xs) EXPECT_TRUE(filled({x, 390, 16, 16}, spriteColour(SPRITE_JOUEUR))) << x;
        EXPECT_EQ(countIn(SCREEN, spriteColour(SPRITE_JOUEUR)),
                  256L * static_cast<long>(t.xs.size()));
    }
}

// The hiscore is written in the record colour while the score holds it.
TEST_F(Board, HudRaisesTheHiscoreAndColoursIt) {
    const uint32_t scoreColour = rgb(250, 80, 220);
    const uint32_t record = rgb(250, 50, 230), plain = rgb(250, 50, 50);
    struct Case {
        int score, hiscore, shownHiscore;
        uint32_t colour;
    };
    const Case cases[] = {
        {0, 0, 0, record}, {50, 20, 50, record}, {20, 50, 50, plain}, {990, 990, 990, record}};
    ASSERT_TRUE(fontLoaded());
    const int height = textHeight();
    for (const Case& t : cases) {
        SCOPED_TRACE("score " + std::to_string(t.score) + " hiscore " + std::to_string(t.hiscore));
        game.score = t.score;
        game.hiscore = t.hiscore;
        drawHud();
        EXPECT_EQ(game.hiscore, t.shownHiscore);
        EXPECT_EQ(game.score, t.score);
        const std::vector<uint32_t> hud = snapshot();
        EXPECT_EQ(pixel(0, 0), spriteColour(SPRITE_TABLE));
        EXPECT_EQ(pixel(639, 479), spriteColour(SPRITE_TABLE));

        const std::string score = std::to_string(t.score);
        const std::string hiscore = std::to_string(t.shownHiscore);
        const Rect scoreArea{170, 440, textWidth(score.c_str()), height};
        const Rect hiscoreArea{463, 440, textWidth(hiscore.c_str()), height};
        EXPECT_GT(countIn(scoreArea, scoreColour), 0);
        EXPECT_GT(countIn(hiscoreArea, t.colour), 0);
        EXPECT_EQ(countIn(hiscoreArea, t.colour == record ? plain : record), 0);

        // The same picture as the background with both numbers written on it.
        blitSprite(0, 0, SPRITE_TABLE, SCREEN_W, SCREEN_H);
        drawText(SURFACE_BACK_BUFFER, score.c_str(), 170, 440, Rgb{250, 80, 220});
        drawText(SURFACE_BACK_BUFFER, hiscore.c_str(), 463, 440,
                 Rgb{250, 50, static_cast<uint8_t>(t.colour == record ? 230 : 50)});
        EXPECT_TRUE(snapshot() == hud) << "the score line differs from its numbers";
    }
}

TEST_F(Board, GuardsStandWhereTheirPositionsSay) {
    // (pos, expected screen x, y) for guards 1..12; no two overlap.
    const int table[GUARD_COUNT + 1][3] = {
        {},
        {-16, 56, 22},
        {496, 568, 86},
        {40, 112, 150},
        {200, 272, 214},
        {320, 392, 278},
        {450, 522, 342},
        {-16, 72, 6},
        {336, 168, 358},
        {100, 264, 122},
        {30, 360, 52},
        {200, 456, 222},
        {336, 552, 358},
    };
    for (int g = 1; g <= GUARD_COUNT; ++g) guards[g].pos = table[g][0];
    background();
    drawGuards();
    for (int g = 1; g <= GUARD_COUNT; ++g)
        EXPECT_TRUE(filled({table[g][1], table[g][2], 16, 16}, spriteColour(SPRITE_GARDE)))
            << "guard " << g;
    EXPECT_EQ(countIn(SCREEN, spriteColour(SPRITE_GARDE)), 12L * 256);
}

TEST_F(Board, PlayerAndHitFramesAtThePlayersPosition) {
    const SpriteId hits[] = {SPRITE_TOUCHE1, SPRITE_TOUCHE2, SPRITE_TOUCHE3};
    for (auto [x, y] : {std::pair{144, 80}, std::pair{0, 0}, std::pair{480, 320}}) {
        game.playerX = x, game.playerY = y;
        const Rect at{x + 72, y + 22, 16, 16};
        background();
        std::vector<uint32_t> before = snapshot();
        drawPlayer();
        EXPECT_EQ(describe(changedArea(before)), describe(at));
        EXPECT_TRUE(filled(at, spriteColour(SPRITE_JOUEUR)));
        for (int n = 1; n <= 3; ++n) {
            background();
            before = snapshot();
            drawHitFrame(n);
            EXPECT_EQ(describe(changedArea(before)), describe(at)) << "hit frame " << n;
            EXPECT_TRUE(filled(at, spriteColour(hits[n - 1]))) << "hit frame " << n;
        }
    }
}

} // namespace
