#include "render/figures.h"

#include "game/state.h"
#include "platform/ports/display.h"

void drawGuards() {
    for (int g = 1; g <= 6; ++g)
        blitSprite(guards[g].pos + PLAYFIELD_X, 64 * (g - 1) + PLAYFIELD_Y, SPRITE_GARDE, 16, 16);
    for (int g = 7; g <= GUARD_COUNT; ++g)
        blitSprite(96 * (g - 7) + PLAYFIELD_X, guards[g].pos + PLAYFIELD_Y, SPRITE_GARDE, 16, 16);
}

void drawPlayer() {
    blitSprite(game.playerX + PLAYFIELD_X, game.playerY + PLAYFIELD_Y, SPRITE_JOUEUR, 16, 16);
}

void drawHitFrame(int n) {
    static constexpr SpriteId hitSprites[4] = {SURFACE_BACK_BUFFER, SPRITE_TOUCHE1, SPRITE_TOUCHE2,
                                               SPRITE_TOUCHE3};
    if (n < 1 || n > 3) return;
    blitSprite(game.playerX + PLAYFIELD_X, game.playerY + PLAYFIELD_Y, hitSprites[n], 16, 16);
}
