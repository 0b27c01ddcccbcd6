#include "render/hud.h"

#include <cstdio>

#include "game/state.h"
#include "platform/ports/display.h"

namespace {
constexpr Rgb SCORE_COLOUR = {250, 80, 220};
constexpr Rgb RECORD_COLOUR = {250, 50, 230}; // the hiscore while this game holds it
constexpr Rgb HISCORE_COLOUR = {250, 50, 50};
} // namespace

void drawHud() {
    blitSprite(0, 0, SPRITE_TABLE, SCREEN_W, SCREEN_H);
    if (game.score > game.hiscore) game.hiscore = game.score;

    char text[16];
    std::snprintf(text, sizeof text, "%d", game.score);
    drawText(SURFACE_BACK_BUFFER, text, 170, 440, SCORE_COLOUR);
    std::snprintf(text, sizeof text, "%d", game.hiscore);
    drawText(SURFACE_BACK_BUFFER, text, 463, 440,
             game.score == game.hiscore ? RECORD_COLOUR : HISCORE_COLOUR);
}

// One icon per spare life, 18 pixels apart, the row centred on x = 319.
void drawLives() {
    for (int i = 1; i <= game.lives; ++i)
        blitSprite(18 * i - 9 * game.lives + 302, 390, SPRITE_JOUEUR, 16, 16);
}
