// The text font: every printable ASCII glyph is rendered once at start-up
// into a coverage atlas, and texts are then blended from it straight into a
// surface's pixels in any colour, clipped at the surface's edges, with no
// font call and no allocation per text.
#pragma once

#include "platform/ports/display.h"

struct SDL_Surface;

// The font file (opened by bare name like every other file) and its size.
constexpr const char* FONT_FILE = "font.ttf";
constexpr int FONT_POINTS = 12;

// Renders the glyph atlas from a TrueType file. False, and texts draw nothing,
// when the file cannot be read.
bool loadFont(const char* path);
void releaseFont();
bool fontLoaded();

// The width in pixels the text advances over (0 without a font).
int textWidth(const char* text);
// The height of the line every glyph's pixels lie in, counted from the
// text's top (0 without a font).
int textHeight();

// Writes the text with its top-left corner at (x, y) on a 32-bit surface,
// only the glyphs' pixels, blended in the colour by their coverage.
void drawTextOnto(SDL_Surface* surface, const char* text, int x, int y, Rgb colour);
