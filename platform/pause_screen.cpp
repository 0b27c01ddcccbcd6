#include "platform/pause_screen.h"

#include <SDL.h>

#include <algorithm>
#include <memory>

#include "platform/display.h"
#include "platform/text.h"

namespace {

constexpr const char* WORD = "PAUSED";
constexpr const char* HINT = "Press P to play on";
constexpr int WORD_SCALE = 4;
constexpr Rgb WORD_COLOUR = {255, 236, 140}; // the gold of the keys
constexpr Rgb SHADOW_COLOUR = {8, 6, 20};    // the night of the board's edge
constexpr Rgb HINT_COLOUR = {238, 226, 192}; // parchment

std::unique_ptr<uint32_t[]> picture;
SDL_Surface* pictureSurface = nullptr; // the picture, for drawing the hint onto
SDL_Surface* wordMask = nullptr;       // the word at its own size, as coverage

// The frame at two fifths of its brightness.
uint32_t darken(uint32_t p) {
    const uint32_t r = (p >> 16 & 0xFF) * 2 / 5, g = (p >> 8 & 0xFF) * 2 / 5,
                   b = (p & 0xFF) * 2 / 5;
    return r << 16 | g << 8 | b;
}

uint32_t blend(uint32_t under, Rgb colour, uint32_t alpha) {
    auto mix = [&](uint32_t a, uint32_t b) { return (a * (255 - alpha) + b * alpha) / 255; };
    return mix(under >> 16 & 0xFF, colour.r) << 16 | mix(under >> 8 & 0xFF, colour.g) << 8 |
           mix(under & 0xFF, colour.b);
}

// Draws the word's coverage scaled up, centred, its top at y.
void drawWord(int y, int shift, Rgb colour) {
    if (!wordMask) return;
    const int w = std::min(textWidth(WORD), wordMask->w), h = std::min(textHeight(), wordMask->h);
    const int left = (SCREEN_W - w * WORD_SCALE) / 2 + shift;
    y += shift;
    const auto* mask = static_cast<const uint32_t*>(wordMask->pixels);
    const int maskPitch = wordMask->pitch / 4;
    for (int my = 0; my < h; ++my) {
        for (int mx = 0; mx < w; ++mx) {
            const uint32_t alpha = mask[my * maskPitch + mx] & 0xFF;
            if (alpha == 0) continue;
            for (int dy = 0; dy < WORD_SCALE; ++dy) {
                uint32_t* row = picture.get() + (y + my * WORD_SCALE + dy) * SCREEN_W;
                for (int dx = 0; dx < WORD_SCALE; ++dx) {
                    uint32_t& p = row[left + mx * WORD_SCALE + dx];
                    p = blend(p, colour, alpha);
                }
            }
        }
    }
}

} // namespace

bool initPauseScreen() {
    if (picture) return true;
    picture.reset(new (std::nothrow) uint32_t[SCREEN_W * SCREEN_H]);
    if (!picture) return false;
    pictureSurface = SDL_CreateRGBSurfaceWithFormatFrom(picture.get(), SCREEN_W, SCREEN_H, 32,
                                                        SCREEN_W * 4, SDL_PIXELFORMAT_XRGB8888);
    const int w = textWidth(WORD), h = textHeight();
    if (w > 0 && h > 0 && w * WORD_SCALE <= SCREEN_W) {
        wordMask = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_XRGB8888);
        if (wordMask) {
            SDL_FillRect(wordMask, nullptr, 0);
            drawTextOnto(wordMask, WORD, 0, 0, Rgb{255, 255, 255});
        }
    }
    return true;
}

void releasePauseScreen() {
    if (pictureSurface) SDL_FreeSurface(pictureSurface);
    pictureSurface = nullptr;
    picture.reset();
    if (wordMask) SDL_FreeSurface(wordMask);
    wordMask = nullptr;
}

const uint32_t* pauseScreenOf(const uint32_t* frame, int pitch) {
    if (!picture || !frame) return nullptr;
    for (int y = 0; y < SCREEN_H; ++y) {
        const uint32_t* in = frame + y * pitch;
        uint32_t* out = picture.get() + y * SCREEN_W;
        for (int x = 0; x < SCREEN_W; ++x) out[x] = darken(in[x]);
    }
    const int wordHeight = textHeight() * WORD_SCALE;
    const int top = (SCREEN_H - wordHeight) / 2 - 12;
    drawWord(top, WORD_SCALE / 2, SHADOW_COLOUR);
    drawWord(top, 0, WORD_COLOUR);
    if (pictureSurface)
        drawTextOnto(pictureSurface, HINT, (SCREEN_W - textWidth(HINT)) / 2, top + wordHeight + 16,
                     HINT_COLOUR);
    return picture.get();
}
