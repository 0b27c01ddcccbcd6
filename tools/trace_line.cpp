#include "tools/trace_line.h"

#include <cstdio>

#include "game/state.h"
#include "platform/ports/display.h"

int formatTraceLine(char* line, size_t size, long call) {
    int n =
        std::snprintf(line, size,
                      "call=%ld flips=%ld screen=%d phase=%d prepared=%d score=%d hiscore=%d "
                      "lives=%d x=%d y=%d mx=%d my=%d cross=%d key=%d demo=%d wait=%d guards=",
                      call, flipCount(), game.screen, game.phase, game.preparedScreen, game.score,
                      game.hiscore, game.lives, game.playerX, game.playerY, game.moveX, game.moveY,
                      game.crossingSide, game.heldKey, game.demoPos, game.demoWait);
    for (int g = 1; g <= GUARD_COUNT; ++g)
        n += std::snprintf(line + n, size - n, "%s%d:%d", g > 1 ? "," : "", guards[g].pos,
                           guards[g].vel);
    n += std::snprintf(line + n, size - n, " sides=");
    for (int s = 1; s <= SIDE_COUNT; ++s)
        n += std::snprintf(line + n, size - n, "%s%d", s > 1 ? "," : "", sides[s]);
    n += std::snprintf(line + n, size - n, " boxes=");
    for (int b = 1; b <= BOX_COUNT; ++b) line[n++] = boxes[b] ? '1' : '0';
    line[n] = '\0';
    return n;
}
