// The display: a 640 x 480 software back buffer, the 26 colour-keyed sprites
// and the three drawing operations every frame is made of. The game sees only
// these plain types; the SDL surfaces behind them stay inside platform/.
#pragma once

#include <cstdint>

constexpr int SCREEN_W = 640;
constexpr int SCREEN_H = 480;

// Pure green is transparent in every sprite, the backgrounds included.
constexpr uint32_t SPRITE_KEY_COLOUR = 0x00FF00; // as 0xRRGGBB

// The sprites, in loading order. 0 names the back buffer as a text target.
enum SpriteId : int {
    SURFACE_BACK_BUFFER = 0,
    SPRITE_TABLE = 1,
    SPRITE_PRESENTATION,
    SPRITE_JOUEUR,
    SPRITE_POINT,
    SPRITE_TOUCHE1,
    SPRITE_TOUCHE2,
    SPRITE_TOUCHE3,
    SPRITE_GARDE,
    SPRITE_CLE1,
    SPRITE_CLE2,
    SPRITE_CLE3,
    SPRITE_CLE4,
    SPRITE_CLE5,
    SPRITE_BLOC_HAUT,
    SPRITE_BLOC_BAS,
    SPRITE_BLOC_GAUCHE,
    SPRITE_BLOC_DROITE,
    SPRITE_E,
    SPRITE_I,
    SPRITE_L,
    SPRITE_N,
    SPRITE_O,
    SPRITE_S,
    SPRITE_U,
    SPRITE_W,
    SPRITE_Y,
};
constexpr int SPRITE_COUNT = 26;

struct SpriteInfo {
    const char* file;
    int width, height; // the drawn size; the file must be at least this large
};
extern const SpriteInfo spriteTable[SPRITE_COUNT + 1]; // 1..26

struct Rgb {
    uint8_t r, g, b;
};

// Creates the back buffer's pixel format holder. False leaves nothing held.
bool initDisplay();
// Creates the back buffer, loads every sprite by bare name from the working
// directory and writes the two labels onto the background. Missing or bad
// files leave their sprite absent; only a failed back buffer returns false.
bool initSurfaces();
// Releases every surface in a fixed order, then the display. A second call
// does nothing.
void releaseDisplay();
bool displayReady();
// Whether the sprite's file was loaded; the back buffer (0) is no sprite.
bool spritePresent(SpriteId sprite);

// Copies the top-left w x h of a sprite to (x, y) with the colour key.
// Draws nothing at all when the destination is not wholly on the screen,
// the sprite is absent, or it is smaller than w x h.
void blitSprite(int x, int y, SpriteId sprite, int w, int h);

// Writes text with a transparent background, clipped at the target's edges.
// Returns 1 when drawn, 0 when the target is absent.
int drawText(SpriteId target, const char* text, int x, int y, Rgb colour);

// Drawing on (the default) or off. While off, blitSprite and drawText leave
// every pixel alone (drawText still answers whether its target is there), so
// a run checked only for where it goes skips the pictures' cost; flips are
// counted and the presenter called as ever, and the game goes the same way.
void setDrawing(bool on);

// Shows the finished frame: counts the flip and hands the back buffer to the
// presenter, which may wait for the next display tick.
void flipFrame();
long flipCount();

// The presenter sees each finished frame; pixels are 0x00RRGGBB, pitch in
// pixels. The default presenter does nothing.
using Presenter = void (*)(const uint32_t* pixels, int pitch);
void setPresenter(Presenter presenter);

// The back buffer as it stands (null when absent), for tests and screenshots.
const uint32_t* backBufferPixels();
int backBufferPitch();
// Writes a 640 x 480 picture (0x00RRGGBB, given pitch) as a 24-bit BMP.
bool writeScreenshot(const char* path, const uint32_t* pixels, int pitch);
