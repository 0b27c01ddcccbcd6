// The display on the software back buffer, with small synthetic sprites
// written into a scratch folder: all-or-nothing blits, the colour key, sprite
// sizes, clipped transparent text and the lifecycle of the handles.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/graphics/text.h"
#include "platform/ports/display.h"
#include "tests/scratch.h"

namespace fs = std::filesystem;

namespace {
constexpr uint32_t BLACK = 0x000000, RED = 0xFF0000, BLUE = 0x0000FF, WHITE = 0xFFFFFF;
constexpr uint32_t GREEN = SPRITE_KEY_COLOUR;
const char* BANNER = "Well Done ! Now you have to open doors . . .";

struct Hole {
    int x, y, w, h;
};

// A solid sprite file, optionally with a pure green rectangle in it.
void writeSprite(const char* file, int w, int h, uint32_t colour, Hole hole = {0, 0, 0, 0}) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_XRGB8888);
    ASSERT_NE(s, nullptr);
    SDL_FillRect(s, nullptr, colour);
    SDL_Rect r{hole.x, hole.y, hole.w, hole.h};
    if (hole.w > 0) SDL_FillRect(s, &r, GREEN);
    ASSERT_EQ(SDL_SaveBMP(s, file), 0);
    SDL_FreeSurface(s);
}

uint32_t pixel(int x, int y) {
    return backBufferPixels()[y * backBufferPitch() + x] & 0xFFFFFF;
}

int countPixels(uint32_t colour, int x0 = 0, int y0 = 0, int x1 = SCREEN_W, int y1 = SCREEN_H) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += pixel(x, y) == colour;
    return n;
}

int countNot(uint32_t colour, int x0 = 0, int y0 = 0, int x1 = SCREEN_W, int y1 = SCREEN_H) {
    return (x1 - x0) * (y1 - y0) - countPixels(colour, x0, y0, x1, y1);
}

uint32_t rgb(Rgb c) {
    return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

// Each test runs in a scratch folder of its own, as the game runs in its
// run folder, and leaves the display released.
class Display : public ::testing::Test {
  protected:
    void SetUp() override {}
    void TearDown() override {
        releaseDisplay();
        setPresenter(nullptr);
    }
    void copyFont() { fs::copy_file(fs::path(TIRLANE_ASSETS_DIR) / "font.ttf", FONT_FILE); }
    // The usual set: a black title background to wipe the screen with, a
    // red figure, a blue guard with a green hole, and a full-size letter.
    void writeUsualSprites() {
        copyFont();
        writeSprite("Presentation.bmp", 640, 480, BLACK);
        writeSprite("Joueur.bmp", 16, 16, RED);
        writeSprite("Garde.bmp", 16, 16, BLUE, {4, 6, 8, 3});
        writeSprite("Y.bmp", 62, 85, WHITE);
    }
    void start() {
        ASSERT_TRUE(initDisplay());
        ASSERT_TRUE(initSurfaces());
    }
    void wipe() { blitSprite(0, 0, SPRITE_PRESENTATION, 640, 480); }

    ScratchFolder scratch{"tirlane-display"};
};
} // namespace

TEST_F(Display, BlitIsAllOrNothing) {
    writeUsualSprites();
    start();
    struct Case {
        int x, y;
        SpriteId sprite;
        int w, h;
        int drawn; // pixels of the sprite's colour expected
    };
    const Case cases[] = {
        {0, 0, SPRITE_JOUEUR, 16, 16, 256},
        {624, 464, SPRITE_JOUEUR, 16, 16, 256},
        {300, 200, SPRITE_JOUEUR, 16, 16, 256},
        {-1, 0, SPRITE_JOUEUR, 16, 16, 0},
        {0, -1, SPRITE_JOUEUR, 16, 16, 0},
        {625, 0, SPRITE_JOUEUR, 16, 16, 0},
        {0, 465, SPRITE_JOUEUR, 16, 16, 0},
        {625, 465, SPRITE_JOUEUR, 16, 16, 0},
        {578, 200, SPRITE_Y, 62, 85, 62 * 85},
        {600, 200, SPRITE_Y, 62, 85, 0},
        {0, 0, SPRITE_JOUEUR, 8, 4, 32},
        {0, 0, SPRITE_JOUEUR, 17, 16, 0},
        {0, 0, SPRITE_JOUEUR, 16, 17, 0},
        {0, 0, SPRITE_POINT, 2, 2, 0},
        {0, 0, SURFACE_BACK_BUFFER, 16, 16, 0},
        {0, 0, static_cast<SpriteId>(27), 16, 16, 0},
        {-2147483647, 0, SPRITE_JOUEUR, 16, 16, 0},
        {2147483647, 0, SPRITE_JOUEUR, 16, 16, 0},
    };
    for (const Case& c : cases) {
        wipe();
        blitSprite(c.x, c.y, c.sprite, c.w, c.h);
        const uint32_t colour = c.sprite == SPRITE_Y ? WHITE : RED;
        EXPECT_EQ(countPixels(colour), c.drawn) << c.x << "," << c.y << " sprite " << c.sprite;
        EXPECT_EQ(countNot(BLACK), c.drawn) << c.x << "," << c.y << " sprite " << c.sprite;
        if (c.drawn == 256) {
            EXPECT_EQ(pixel(c.x + 15, c.y + 15), RED);
        }
    }
}

TEST_F(Display, KeyColourShowsWhatIsBeneath) {
    writeUsualSprites();
    start();
    wipe();
    blitSprite(100, 100, SPRITE_JOUEUR, 16, 16);
    blitSprite(100, 100, SPRITE_GARDE, 16, 16);
    EXPECT_EQ(countPixels(RED), 8 * 3);
    EXPECT_EQ(countPixels(BLUE), 256 - 8 * 3);
    EXPECT_EQ(pixel(104, 106), RED);
    EXPECT_EQ(pixel(111, 108), RED);
    EXPECT_EQ(pixel(103, 106), BLUE);
    EXPECT_EQ(countPixels(GREEN), 0);
}

TEST_F(Display, SpriteSizeAgainstItsDrawnSize) {
    copyFont();
    writeSprite("Presentation.bmp", 640, 480, BLACK);
    writeSprite("Cle1.bmp", 15, 16, RED);                  // one column short
    writeSprite("Cle2.bmp", 16, 15, RED);                  // one row short
    writeSprite("Cle3.bmp", 20, 24, BLUE, {16, 0, 4, 24}); // wider and taller than drawn
    start();
    for (SpriteId small : {SPRITE_CLE1, SPRITE_CLE2}) {
        wipe();
        blitSprite(50, 50, small, 16, 16);
        EXPECT_EQ(countNot(BLACK), 0) << "sprite " << small;
    }
    // A larger picture is cut to its top-left 16 x 16: neither its key strip
    // nor its lower rows reach the screen.
    writeSprite("unused.bmp", 1, 1, RED);
    wipe();
    blitSprite(50, 50, SPRITE_CLE3, 16, 16);
    EXPECT_EQ(countPixels(BLUE), 256);
    EXPECT_EQ(countPixels(BLUE, 50, 50, 66, 66), 256);
}

TEST_F(Display, BannerWidthLetsItLeaveTheScreen) {
    writeUsualSprites();
    start();
    // The banner scrolls from x = 639 to x = -301 in 2-pixel steps; the font is
    // chosen so that it enters with a sliver and is gone in the last frame.
    const int width = textWidth(BANNER);
    EXPECT_GE(width, 300);
    EXPECT_LE(width, 340);
    EXPECT_LE(textWidth("Score :"), 50);   // the score follows at x = 170
    EXPECT_LE(textWidth("Hiscore :"), 63); // the hiscore follows at x = 463
    EXPECT_GE(textHeight(), 12);
    EXPECT_LE(textHeight(), 16);

    const Rgb blue{50, 50, 250};
    struct Case {
        int x;
        bool someDrawn;
    };
    for (const Case c : {Case{639, true}, Case{-100, true}, Case{-width + 4, true},
                         Case{-301, false}, Case{640, false}}) {
        wipe();
        EXPECT_EQ(drawText(SURFACE_BACK_BUFFER, BANNER, c.x, 415, blue), 1);
        const int drawn = countNot(BLACK);
        EXPECT_EQ(drawn > 0, c.someDrawn) << "x = " << c.x;
        // Nothing outside the text's own line.
        EXPECT_EQ(countNot(BLACK, 0, 0, 640, 415), 0) << "x = " << c.x;
        EXPECT_EQ(countNot(BLACK, 0, 415 + textHeight(), 640, 480), 0) << "x = " << c.x;
        if (c.x == 639) {
            EXPECT_EQ(drawn, countNot(BLACK, 639, 0, 640, 480));
        }
        if (c.x == -100) {
            EXPECT_EQ(countNot(BLACK, width - 100, 0, 640, 480), 0);
        }
    }
}

TEST_F(Display, TextIsTransparentInItsColourAndClipped) {
    writeUsualSprites();
    writeSprite("Table.bmp", 640, 480, WHITE);
    start();
    const Rgb yellow{250, 250, 0};
    blitSprite(0, 0, SPRITE_TABLE, 640, 480);
    drawText(SURFACE_BACK_BUFFER, "Congratulations, you have done the HiScore !", 174, 100, yellow);
    const int right = 174 + textWidth("Congratulations, you have done the HiScore !");
    // Fully covered pixels take the exact colour; the background shows
    // between the glyphs; nothing is drawn outside the text's box.
    EXPECT_GT(countPixels(rgb(yellow), 174, 100, right, 100 + textHeight()), 100);
    EXPECT_GT(countPixels(WHITE, 174, 100, right, 100 + textHeight()), 1000);
    EXPECT_EQ(countNot(WHITE, 0, 0, 640, 400) -
                  countNot(WHITE, 173, 100, right + 1, 100 + textHeight()),
              0);

    // Off every edge: the part inside shows, and far away nothing happens.
    for (auto [x, y] : {std::pair{-20, -5}, {600, 470}, {-3, 474}, {630, 0}}) {
        wipe();
        EXPECT_EQ(drawText(SURFACE_BACK_BUFFER, "Hiscore :", x, y, yellow), 1);
        EXPECT_GT(countNot(BLACK), 0) << x << "," << y;
    }
    wipe();
    for (auto [x, y] : {std::pair{-2147483647, 0},
                        {2147483647, 0},
                        {0, -2147483647},
                        {0, 2147483647},
                        {0, 480},
                        {0, -40}})
        drawText(SURFACE_BACK_BUFFER, "Hiscore :", x, y, yellow);
    drawText(SURFACE_BACK_BUFFER, nullptr, 0, 0, yellow);
    EXPECT_EQ(countNot(BLACK), 0);
}

TEST_F(Display, GlyphAtlasMatchesTheFontRenderer) {
    writeUsualSprites();
    start();
    wipe();
    // Glyphs reaching back before their pen ('j', 'J', 'Y') sit inside the line;
    // the font renderer shifts a whole line that starts with one.
    const char* text = "Well, Y0ur j0b {quickly} @ 120% Jewels!";
    drawText(SURFACE_BACK_BUFFER, text, 20, 30, Rgb{255, 255, 255});

    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = TTF_OpenFont(FONT_FILE, FONT_POINTS);
    ASSERT_NE(font, nullptr);
    SDL_Surface* line = TTF_RenderText_Blended(font, text, SDL_Color{255, 255, 255, 255});
    ASSERT_NE(line, nullptr);
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(line, SDL_PIXELFORMAT_ARGB8888, 0);
    ASSERT_NE(argb, nullptr);
    EXPECT_EQ(argb->w, textWidth(text));
    int differing = 0;
    for (int y = 0; y < argb->h; ++y)
        for (int x = 0; x < argb->w; ++x) {
            const uint32_t alpha = reinterpret_cast<const uint32_t*>(
                                       static_cast<uint8_t*>(argb->pixels) + y * argb->pitch)[x] >>
                                   24;
            differing += (pixel(20 + x, 30 + y) & 0xFF) != alpha;
        }
    EXPECT_EQ(differing, 0);
    SDL_FreeSurface(argb);
    SDL_FreeSurface(line);
    TTF_CloseFont(font);
    TTF_Quit();
}

TEST_F(Display, LabelsAreWrittenOntoTheBackground) {
    writeUsualSprites();
    writeSprite("Table.bmp", 640, 480, BLACK, {0, 0, 640, 10}); // keyed strip on top
    start();
    wipe();
    blitSprite(300, 0, SPRITE_JOUEUR, 16, 16);
    blitSprite(0, 0, SPRITE_TABLE, 640, 480);
    EXPECT_EQ(countPixels(RED), 16 * 10); // the strip lets the figure show through
    EXPECT_GT(countPixels(rgb({250, 80, 220}), 120, 440, 170, 460), 20);
    EXPECT_GT(countPixels(rgb({250, 50, 50}), 400, 440, 463, 460), 20);
    EXPECT_EQ(countNot(BLACK, 0, 10, 640, 440), 0);
    // Text can still be written onto the sprite later.
    EXPECT_EQ(drawText(SPRITE_TABLE, "0", 10, 100, Rgb{0, 0, 255}), 1);
    blitSprite(0, 0, SPRITE_TABLE, 640, 480);
    EXPECT_GT(countPixels(BLUE, 10, 100, 20, 120), 0);
}

TEST_F(Display, MissingFilesLeaveOnlyTexts) {
    copyFont();
    writeSprite("Joueur.bmp", 8, 8, RED); // too small for its drawn size, still loaded
    {
        std::FILE* f = std::fopen("Garde.bmp", "wb"); // not a picture
        std::fputs("BM this is not a bitmap at all", f);
        std::fclose(f);
    }
    start();
    EXPECT_TRUE(displayReady());
    EXPECT_TRUE(spritePresent(SPRITE_JOUEUR));
    for (int id = 1; id <= SPRITE_COUNT; ++id) {
        if (id != SPRITE_JOUEUR) {
            EXPECT_FALSE(spritePresent(static_cast<SpriteId>(id))) << id;
        }
        blitSprite(0, 0, static_cast<SpriteId>(id), spriteTable[id].width, spriteTable[id].height);
    }
    EXPECT_EQ(countNot(BLACK), 0);
    EXPECT_EQ(drawText(SPRITE_TABLE, "Score :", 120, 440, Rgb{250, 80, 220}), 0);
    EXPECT_EQ(drawText(SURFACE_BACK_BUFFER, "0", 170, 440, Rgb{250, 80, 220}), 1);
    EXPECT_GT(countNot(BLACK), 0);
}

TEST_F(Display, WithoutTheFontTextsDrawNothing) {
    writeSprite("Presentation.bmp", 640, 480, BLACK);
    start();
    EXPECT_FALSE(fontLoaded());
    EXPECT_EQ(drawText(SURFACE_BACK_BUFFER, BANNER, 0, 415, Rgb{50, 50, 250}), 1);
    EXPECT_EQ(countNot(BLACK), 0);
}

namespace {
const uint32_t* presented = nullptr;
int presentedPitch = 0;
int presentations = 0;
void recordFrame(const uint32_t* pixels, int pitch) {
    presented = pixels;
    presentedPitch = pitch;
    ++presentations;
}
} // namespace

TEST_F(Display, LifecycleAndPersistentBackBuffer) {
    writeUsualSprites();
    EXPECT_FALSE(initSurfaces()); // no display yet
    EXPECT_EQ(backBufferPixels(), nullptr);
    EXPECT_EQ(drawText(SURFACE_BACK_BUFFER, "x", 0, 0, Rgb{1, 2, 3}), 0);
    start();
    EXPECT_TRUE(displayReady());
    ASSERT_NE(backBufferPixels(), nullptr);
    EXPECT_EQ(backBufferPitch(), SCREEN_W);
    EXPECT_EQ(countNot(BLACK), 0); // black before the first frame

    presentations = 0;
    setPresenter(recordFrame);
    const long before = flipCount();
    blitSprite(10, 10, SPRITE_JOUEUR, 16, 16);
    flipFrame();
    flipFrame(); // nothing drawn: the picture stays
    EXPECT_EQ(flipCount(), before + 2);
    EXPECT_EQ(presentations, 2);
    EXPECT_EQ(presented, backBufferPixels());
    EXPECT_EQ(presentedPitch, SCREEN_W);
    EXPECT_EQ(countPixels(RED), 256);
    setPresenter(nullptr);
    flipFrame();
    EXPECT_EQ(flipCount(), before + 3);

    releaseDisplay();
    EXPECT_FALSE(displayReady());
    EXPECT_EQ(backBufferPixels(), nullptr);
    EXPECT_EQ(backBufferPitch(), 0);
    EXPECT_FALSE(spritePresent(SPRITE_JOUEUR));
    EXPECT_EQ(drawText(SPRITE_JOUEUR, "x", 0, 0, Rgb{1, 2, 3}), 0);
    blitSprite(10, 10, SPRITE_JOUEUR, 16, 16); // harmless
    releaseDisplay();                          // a second release does nothing
    EXPECT_FALSE(initSurfaces());              // the display went too

    start(); // and the whole set-up can run again
    EXPECT_TRUE(spritePresent(SPRITE_JOUEUR));
    EXPECT_EQ(countNot(BLACK), 0);
}

TEST_F(Display, ScreenshotIsA24BitPictureOfTheFrame) {
    writeUsualSprites();
    start();
    wipe();
    blitSprite(20, 30, SPRITE_GARDE, 16, 16);
    drawText(SURFACE_BACK_BUFFER, "Hiscore :", 400, 440, Rgb{250, 50, 50});
    ASSERT_TRUE(writeScreenshot("shot.bmp", backBufferPixels(), backBufferPitch()));
    EXPECT_FALSE(writeScreenshot("bad.bmp", nullptr, SCREEN_W));
    EXPECT_FALSE(writeScreenshot("bad.bmp", backBufferPixels(), SCREEN_W - 1));

    SDL_Surface* shot = SDL_LoadBMP("shot.bmp");
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->format->BitsPerPixel, 24);
    SDL_Surface* back = SDL_ConvertSurfaceFormat(shot, SDL_PIXELFORMAT_XRGB8888, 0);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->w, SCREEN_W);
    ASSERT_EQ(back->h, SCREEN_H);
    int differing = 0;
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x)
            differing += (reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(back->pixels) +
                                                            y * back->pitch)[x] &
                          0xFFFFFF) != pixel(x, y);
    EXPECT_EQ(differing, 0);
    SDL_FreeSurface(back);
    SDL_FreeSurface(shot);
}
