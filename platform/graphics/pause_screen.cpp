#include "platform/graphics/pause_screen.h"

#include <SDL.h>

#include <algorithm>
#include <memory>

#include "platform/graphics/text.h"
#include "platform/ports/display.h"

namespace {

constexpr const char* WORD = "PAUSED";
constexpr const char* HINT = "Press P to play on";
constexpr int WORD_SCALE = 4;
constexpr int SHADOW_SHIFT = WORD_SCALE / 2; // the shadow lies down and right
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

// Where the word and the hint go. The word stands a little above the middle
// with the hint under it; a font whose line is too tall for both to fit (the
// folder may hold any font.ttf) shows the hint alone, since it says how to
// go on.
struct Layout {
    bool word = false;
    int wordTop = 0;
    int hintTop = 0;
};
Layout layout;

Layout layoutFor(int wordWidth, int lineHeight) {
    Layout l;
    const int wordHeight = lineHeight * WORD_SCALE;
    l.wordTop = (SCREEN_H - wordHeight) / 2 - 12;
    l.hintTop = l.wordTop + wordHeight + 16;
    l.word = wordWidth > 0 && lineHeight > 0 && wordWidth * WORD_SCALE + SHADOW_SHIFT <= SCREEN_W &&
             l.wordTop >= 0 && l.hintTop + lineHeight <= SCREEN_H;
    if (!l.word) l.hintTop = std::max(0, (SCREEN_H - lineHeight) / 2);
    return l;
}

// Draws the word's coverage scaled up, centred, its top at y, clipped to the
// picture.
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
                const int py = y + my * WORD_SCALE + dy;
                if (py < 0 || py >= SCREEN_H) continue;
                uint32_t* row = picture.get() + py * SCREEN_W;
                for (int dx = 0; dx < WORD_SCALE; ++dx) {
                    const int px = left + mx * WORD_SCALE + dx;
                    if (px < 0 || px >= SCREEN_W) continue;
                    row[px] = blend(row[px], colour, alpha);
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
    layout = layoutFor(w, h);
    if (layout.word) {
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
    layout = Layout{};
}

namespace {

void darkenInto(const uint32_t* frame, int pitch) {
    for (int y = 0; y < SCREEN_H; ++y) {
        const uint32_t* in = frame + y * pitch;
        uint32_t* out = picture.get() + y * SCREEN_W;
        for (int x = 0; x < SCREEN_W; ++x) out[x] = darken(in[x]);
    }
}

// Text with the board's night under it, as the word PAUSED has, so it reads
// over the brightest walls.
void drawShadowed(const char* text, int x, int y, Rgb colour) {
    drawTextOnto(pictureSurface, text, x + 1, y + 1, SHADOW_COLOUR);
    drawTextOnto(pictureSurface, text, x, y, colour);
}

} // namespace

const uint32_t* settingsScreenOf(const uint32_t* frame, int pitch, const SettingsRow* rows,
                                 int count, int chosen, const char* footer) {
    if (!picture || !frame || !pictureSurface) return nullptr;
    darkenInto(frame, pitch);
    const int line = std::max(textHeight(), 1) + 9;
    constexpr const char* TITLE = "SETTINGS";
    const int nameLeft = SCREEN_W / 2 - 150, valueLeft = SCREEN_W / 2 + 10;
    int y = std::max(0, (SCREEN_H - line * (count + 4)) / 2);
    // The list on a darker panel, so it reads over the brightest walls.
    const int panelTop = std::max(0, y - line / 2),
              panelBottom = std::min(SCREEN_H, y + line * (count + 3) + line / 2);
    for (int py = panelTop; py < panelBottom; ++py)
        for (int px = 40; px < SCREEN_W - 40; ++px)
            picture[py * SCREEN_W + px] = darken(darken(picture[py * SCREEN_W + px]));
    drawShadowed(TITLE, (SCREEN_W - textWidth(TITLE)) / 2, y, WORD_COLOUR);
    y += line * 2;
    for (int i = 0; i < count; ++i, y += line) {
        const Rgb colour = i == chosen ? WORD_COLOUR : HINT_COLOUR;
        if (i == chosen) drawShadowed(">", nameLeft - 20, y, colour);
        drawShadowed(rows[i].name, nameLeft, y, colour);
        drawShadowed(rows[i].value, valueLeft, y, colour);
    }
    if (footer) drawShadowed(footer, (SCREEN_W - textWidth(footer)) / 2, y + line, HINT_COLOUR);
    return picture.get();
}

const uint32_t* pauseScreenOf(const uint32_t* frame, int pitch) {
    if (!picture || !frame) return nullptr;
    darkenInto(frame, pitch);
    drawWord(layout.wordTop, SHADOW_SHIFT, SHADOW_COLOUR);
    drawWord(layout.wordTop, 0, WORD_COLOUR);
    if (pictureSurface)
        drawTextOnto(pictureSurface, HINT, (SCREEN_W - textWidth(HINT)) / 2, layout.hintTop,
                     HINT_COLOUR);
    return picture.get();
}
