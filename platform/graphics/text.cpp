#include "platform/graphics/text.h"
#include "platform/storage/files.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
constexpr int FIRST_GLYPH = 32;
constexpr int LAST_GLYPH = 126;
constexpr int GLYPHS = LAST_GLYPH - FIRST_GLYPH + 1;
// Room for any glyph of a small font; larger ones are cut.
constexpr int CELL = 32;

struct Glyph {
    int left;    // columns the picture starts before the pen (a 'j' reaches back)
    int width;   // columns of coverage
    int height;  // rows of coverage, from the top of the line
    int advance; // how far the pen moves on
    uint8_t coverage[CELL][CELL];
};

Glyph glyphs[GLYPHS];
int lineHeight = 0;
bool loaded = false;

const Glyph* glyphFor(char c) {
    const int code = static_cast<unsigned char>(c);
    // Anything outside printable ASCII takes a blank's place.
    if (code < FIRST_GLYPH || code > LAST_GLYPH) return &glyphs[0];
    return &glyphs[code - FIRST_GLYPH];
}

// Renders one glyph white on transparent and keeps its alpha as coverage.
bool renderGlyph(TTF_Font* font, int code, Glyph& g) {
    std::memset(&g, 0, sizeof g);
    int minX, maxX, minY, maxY;
    if (TTF_GlyphMetrics32(font, code, &minX, &maxX, &minY, &maxY, &g.advance) != 0) return false;
    g.left = std::clamp(minX, -CELL, 0);
    if (code == ' ') return true; // nothing to draw
    SDL_Surface* picture = TTF_RenderGlyph32_Blended(font, code, SDL_Color{255, 255, 255, 255});
    if (!picture) return false;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(picture, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(picture);
    if (!argb) return false;
    g.width = std::min(argb->w, CELL);
    g.height = std::min(argb->h, CELL);
    SDL_LockSurface(argb);
    for (int y = 0; y < g.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
        for (int x = 0; x < g.width; ++x) g.coverage[y][x] = static_cast<uint8_t>(row[x] >> 24);
    }
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    return true;
}

uint32_t blend(uint32_t under, Rgb c, uint32_t a) {
    const uint32_t r = (c.r * a + ((under >> 16) & 0xFF) * (255 - a) + 127) / 255;
    const uint32_t g = (c.g * a + ((under >> 8) & 0xFF) * (255 - a) + 127) / 255;
    const uint32_t b = (c.b * a + (under & 0xFF) * (255 - a) + 127) / 255;
    return (r << 16) | (g << 8) | b;
}

void drawGlyph(SDL_Surface* s, const Glyph& g, int x, int y, Rgb colour) {
    const int x0 = std::max(x, 0), x1 = std::min(x + g.width, s->w);
    const int y0 = std::max(y, 0), y1 = std::min(y + g.height, s->h);
    for (int py = y0; py < y1; ++py) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + py * s->pitch);
        const uint8_t* cover = g.coverage[py - y];
        for (int px = x0; px < x1; ++px) {
            const uint32_t a = cover[px - x];
            if (a == 255) {
                row[px] = (uint32_t{colour.r} << 16) | (uint32_t{colour.g} << 8) | colour.b;
            } else if (a != 0) {
                row[px] = blend(row[px], colour, a);
            }
        }
    }
}
} // namespace

bool loadFont(const char* path) {
    releaseFont();
    if (!isPlainFile(path) || TTF_Init() != 0) return false;
    TTF_Font* font = TTF_OpenFont(path, FONT_POINTS);
    bool ok = font != nullptr;
    if (font) {
        lineHeight = TTF_FontHeight(font);
        for (int code = FIRST_GLYPH; ok && code <= LAST_GLYPH; ++code) {
            ok = renderGlyph(font, code, glyphs[code - FIRST_GLYPH]);
            // Deep descenders ('j') reach a row below the font's nominal line.
            lineHeight = std::max(lineHeight, glyphs[code - FIRST_GLYPH].height);
        }
        TTF_CloseFont(font);
    }
    TTF_Quit();
    loaded = ok;
    if (!ok) lineHeight = 0;
    return ok;
}

void releaseFont() {
    loaded = false;
    lineHeight = 0;
}

bool fontLoaded() {
    return loaded;
}

int textWidth(const char* text) {
    if (!loaded || !text) return 0;
    int width = 0;
    for (const char* p = text; *p; ++p) width += glyphFor(*p)->advance;
    return width;
}

int textHeight() {
    return lineHeight;
}

void drawTextOnto(SDL_Surface* surface, const char* text, int x, int y, Rgb colour) {
    if (!loaded || !surface || !text || surface->format->BytesPerPixel != 4) return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    // The pen runs in 64 bits so that no position far off the surface overflows.
    long long pen = x;
    for (const char* p = text; *p && pen < surface->w + CELL; ++p) {
        const Glyph& g = *glyphFor(*p);
        const long long left = pen + g.left;
        if (left + g.width > 0 && left < surface->w && y < surface->h && y > -CELL)
            drawGlyph(surface, g, static_cast<int>(left), y, colour);
        pen += g.advance;
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
}
