#include "render/banners.h"

#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/sound.h"
#include "render/hud.h"

// Letters in drawing order; the Y has no stop and leads the slide.
const LetterDef lettersLose[7] = {
    {SPRITE_Y, 62, 85, 200, 0},   {SPRITE_O, 40, 46, 210, 180}, {SPRITE_U, 48, 39, 210, 235},
    {SPRITE_L, 52, 52, 205, 320}, {SPRITE_O, 40, 46, 210, 388}, {SPRITE_S, 45, 44, 210, 435},
    {SPRITE_E, 37, 49, 210, 490},
};
const LetterDef lettersWin[6] = {
    {SPRITE_Y, 62, 85, 200, 0},   {SPRITE_O, 40, 46, 210, 180}, {SPRITE_U, 48, 39, 210, 235},
    {SPRITE_W, 91, 54, 205, 320}, {SPRITE_I, 33, 65, 185, 415}, {SPRITE_N, 59, 40, 210, 460},
};

namespace {

constexpr Rgb BANNER_COLOUR = {50, 50, 250};
constexpr Rgb CONGRATULATION_COLOUR = {250, 250, 0};
constexpr int BANNER_FRAMES = 471;
constexpr int CONGRATULATION_FRAMES = 199;
constexpr int BUT_FRAMES = 59;

void drawCongratulations(bool withBut) {
    drawText(SURFACE_BACK_BUFFER, CONGRATULATIONS, 174, 100, CONGRATULATION_COLOUR);
    if (withBut) drawText(SURFACE_BACK_BUFFER, BUT_DOTS, 300, 150, CONGRATULATION_COLOUR);
}

void congratulate(int frames, bool withBut) {
    for (int i = 0; i < frames; ++i) {
        drawHud();
        drawLives();
        drawCongratulations(withBut);
        flipFrame();
    }
}

} // namespace

void scrollBanner(const char* text) {
    for (int k = 0; k < BANNER_FRAMES; ++k) {
        drawHud();
        drawLives();
        drawText(SURFACE_BACK_BUFFER, text, 639 - 2 * k, 415, BANNER_COLOUR);
        flipFrame();
    }
}

// The letters enter as an invisible pile at x = n (a blit must lie wholly on
// the screen) and move left together, each staying behind at its stop.
void slideLetters(const LetterDef* letters, int count, bool withBut) {
    for (int n = 640; n > 110; n -= 4) {
        drawHud();
        drawLives();
        if (game.score == game.hiscore) drawCongratulations(withBut);
        for (int i = 0; i < count; ++i) {
            const LetterDef& letter = letters[i];
            const int x = n > letter.stop ? n : letter.stop;
            blitSprite(x, letter.y, static_cast<SpriteId>(letter.sprite), letter.w, letter.h);
        }
        flipFrame();
    }
}

void playGameOverSequence() {
    if (game.score == game.hiscore) {
        playCue("Bravo.wav");
        congratulate(CONGRATULATION_FRAMES, false);
        congratulate(BUT_FRAMES, true);
    }
    playCue("Rires.wav");
    slideLetters(lettersLose, 7, true);
}

void playVictorySequence() {
    playCue("Fin.wav");
    if (game.score == game.hiscore) congratulate(CONGRATULATION_FRAMES, false);
    slideLetters(lettersWin, 6, false);
}
