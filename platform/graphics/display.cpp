#include "platform/ports/display.h"

#include <SDL2/SDL.h>

#include <iterator>

#include "platform/graphics/bmp.h"
#include "platform/graphics/text.h"
#include "platform/storage/paths.h"

namespace {
constexpr Uint32 PIXEL_FORMAT = SDL_PIXELFORMAT_XRGB8888;

// The handles: absent until created, absent again once released. The display
// is the back buffer's pixel format; the window belongs to the shell, which
// sees frames only through the presenter.
SDL_PixelFormat* display = nullptr;
SDL_Surface* backBuffer = nullptr;
SDL_Surface* sprites[SPRITE_COUNT + 1] = {};

long flips = 0;
bool drawing = true;
Presenter presenter = nullptr;

// The release order: the two backgrounds go before the back buffer, the
// small sprites after it.
constexpr SpriteId RELEASE_ORDER_BEFORE_BACK_BUFFER[] = {SPRITE_PRESENTATION, SPRITE_TABLE};
constexpr SpriteId RELEASE_ORDER_AFTER_BACK_BUFFER[] = {
    SPRITE_POINT,    SPRITE_JOUEUR,      SPRITE_TOUCHE1,     SPRITE_TOUCHE2,
    SPRITE_TOUCHE3,  SPRITE_GARDE,       SPRITE_CLE1,        SPRITE_CLE2,
    SPRITE_CLE3,     SPRITE_CLE4,        SPRITE_CLE5,        SPRITE_BLOC_HAUT,
    SPRITE_BLOC_BAS, SPRITE_BLOC_GAUCHE, SPRITE_BLOC_DROITE, SPRITE_E,
    SPRITE_I,        SPRITE_L,           SPRITE_N,           SPRITE_O,
    SPRITE_S,        SPRITE_U,           SPRITE_W,           SPRITE_Y};
static_assert(std::size(RELEASE_ORDER_BEFORE_BACK_BUFFER) +
                  std::size(RELEASE_ORDER_AFTER_BACK_BUFFER) ==
              SPRITE_COUNT);

void release(SDL_Surface*& surface) {
    SDL_FreeSurface(surface);
    surface = nullptr;
}

bool hasKeyPixel(const SDL_Surface* s) {
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) +
                                                            y * s->pitch);
        for (int x = 0; x < s->w; ++x)
            if (row[x] == SPRITE_KEY_COLOUR) return true;
    }
    return false;
}

// A sprite is a plain copy of its file's picture; one with any pure green
// pixel gets the colour key, run-length coded since the key skips whole runs.
SDL_Surface* loadSprite(const char* file) {
    SDL_Surface* s = loadBmpFile(file);
    if (!s) return nullptr;
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    if (hasKeyPixel(s)) SDL_SetColorKey(s, SDL_TRUE | SDL_RLEACCEL, SPRITE_KEY_COLOUR);
    return s;
}

SDL_Surface* surfaceFor(SpriteId id) {
    if (id == SURFACE_BACK_BUFFER) return backBuffer;
    if (id < 1 || id > SPRITE_COUNT) return nullptr;
    return sprites[id];
}

void clearBackBuffer() {
    SDL_FillRect(backBuffer, nullptr, 0);
}

// The first blit of a sprite builds its blit map and run-length code; doing
// that once here keeps every frame free of allocation.
void warmUpBlits() {
    for (int id = 1; id <= SPRITE_COUNT; ++id) {
        if (!sprites[id]) continue;
        SDL_Rect area{0, 0, SDL_min(sprites[id]->w, SCREEN_W), SDL_min(sprites[id]->h, SCREEN_H)};
        SDL_Rect at = area;
        SDL_BlitSurface(sprites[id], &area, backBuffer, &at);
    }
    clearBackBuffer();
}
} // namespace

bool initDisplay() {
    if (!display) display = SDL_AllocFormat(PIXEL_FORMAT);
    return display != nullptr;
}

bool initSurfaces() {
    if (!display) return false;
    if (backBuffer) return true;
    backBuffer = SDL_CreateRGBSurfaceWithFormat(0, SCREEN_W, SCREEN_H, 32, PIXEL_FORMAT);
    if (!backBuffer) {
        SDL_FreeFormat(display);
        display = nullptr;
        return false;
    }
    SDL_SetSurfaceBlendMode(backBuffer, SDL_BLENDMODE_NONE);
    clearBackBuffer();

    loadFont(fontPath().c_str()); // without it every text draws nothing
    for (int id = 1; id <= SPRITE_COUNT; ++id) {
        sprites[id] = loadSprite(assetPath(spriteTable[id].file).c_str());
        if (id == SPRITE_TABLE && sprites[id]) {
            drawText(SPRITE_TABLE, "Score :", 120, 440, Rgb{250, 80, 220});
            drawText(SPRITE_TABLE, "Hiscore :", 400, 440, Rgb{250, 50, 50});
        }
    }
    warmUpBlits();
    return true;
}

void releaseDisplay() {
    if (!display) return;
    for (SpriteId id : RELEASE_ORDER_BEFORE_BACK_BUFFER) release(sprites[id]);
    release(backBuffer);
    for (SpriteId id : RELEASE_ORDER_AFTER_BACK_BUFFER) release(sprites[id]);
    releaseFont();
    SDL_FreeFormat(display);
    display = nullptr;
}

bool displayReady() {
    return backBuffer != nullptr;
}

bool spritePresent(SpriteId sprite) {
    return sprite != SURFACE_BACK_BUFFER && surfaceFor(sprite) != nullptr;
}

void setDrawing(bool on) {
    drawing = on;
}

void blitSprite(int x, int y, SpriteId sprite, int w, int h) {
    if (!drawing) return;
    SDL_Surface* source = sprite == SURFACE_BACK_BUFFER ? nullptr : surfaceFor(sprite);
    if (!source || !backBuffer || w <= 0 || h <= 0) return;
    // All or nothing: no part of a sprite is drawn unless all of it fits.
    if (x < 0 || y < 0 || w > SCREEN_W || h > SCREEN_H || x > SCREEN_W - w || y > SCREEN_H - h)
        return;
    if (source->w < w || source->h < h) return;
    if (!SDL_HasColorKey(source)) {
        // Nothing transparent: a plain row-by-row memcpy. SDL's own copying
        // blit streams its writes past the cache, which makes the full-screen
        // background cost twice a memcpy and leaves every sprite drawn over it
        // waiting on memory.
        uint8_t* to = static_cast<uint8_t*>(backBuffer->pixels) + y * backBuffer->pitch + x * 4;
        SDL_ConvertPixels(w, h, PIXEL_FORMAT, source->pixels, source->pitch, PIXEL_FORMAT, to,
                          backBuffer->pitch);
        return;
    }
    SDL_Rect area{0, 0, w, h};
    SDL_Rect at{x, y, w, h};
    SDL_BlitSurface(source, &area, backBuffer, &at);
}

int drawText(SpriteId target, const char* text, int x, int y, Rgb colour) {
    SDL_Surface* surface = surfaceFor(target);
    if (!surface) return 0;
    if (drawing) drawTextOnto(surface, text, x, y, colour);
    return 1;
}

void flipFrame() {
    ++flips;
    if (presenter && backBuffer) presenter(backBufferPixels(), backBufferPitch());
}

long flipCount() {
    return flips;
}

void setPresenter(Presenter p) {
    presenter = p;
}

const uint32_t* backBufferPixels() {
    return backBuffer ? static_cast<const uint32_t*>(backBuffer->pixels) : nullptr;
}

int backBufferPitch() {
    return backBuffer ? backBuffer->pitch / 4 : 0;
}

bool writeScreenshot(const char* path, const uint32_t* pixels, int pitch) {
    if (!path || !pixels || pitch < SCREEN_W) return false;
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(pixels), SCREEN_W, SCREEN_H, 32, pitch * 4, PIXEL_FORMAT);
    if (!picture) return false;
    const bool written = SDL_SaveBMP(picture, path) == 0; // 24-bit: the format has no alpha
    SDL_FreeSurface(picture);
    return written;
}
