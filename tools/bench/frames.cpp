// The cost of composing one frame, against the cost of copying one.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "game/state.h"
#include "game/title.h"
#include "platform/ports/display.h"
#include "render/board.h"
#include "render/figures.h"
#include "render/hud.h"

namespace {

// Level 3 with every side a wall or a door, every box opened, all twelve
// guards on the board, three spare lives and five-digit numbers: the most a
// level frame ever draws.
void setUpHeaviestLevel() {
    resetGameState();
    game.screen = 3;
    game.preparedScreen = 3;
    game.lives = 3;
    game.score = 12340;
    game.hiscore = 23450;
    for (int s = 1; s <= SIDE_COUNT; ++s) sides[s] = s % 2 ? SIDE_WALL : SIDE_DOOR;
    for (int b = 1; b <= BOX_COUNT; ++b) boxes[b] = 1;
    for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{40 * g, 2};
    // On a corridor crossing, away from every niche.
    game.playerX = 0;
    game.playerY = 0;
}

void composeHeaviestLevel() {
    drawHud();
    drawLives();
    drawBoardLevel3();
    drawGuards();
    drawPlayer();
}

void BM_FrameMemcpy(benchmark::State& state) {
    std::vector<uint32_t> from(SCREEN_W * SCREEN_H, 0x123456), to(SCREEN_W * SCREEN_H);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * to.size() * sizeof(uint32_t));
}
BENCHMARK(BM_FrameMemcpy);

void BM_HeaviestLevelFrame(benchmark::State& state) {
    setUpHeaviestLevel();
    for (auto _ : state) {
        composeHeaviestLevel();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HeaviestLevelFrame);

// The background alone, to tell its share from the sprites'.
void BM_LevelBackground(benchmark::State& state) {
    for (auto _ : state) {
        blitSprite(0, 0, SPRITE_TABLE, SCREEN_W, SCREEN_H);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LevelBackground);

// The two numbers of the score line.
void BM_ScoreText(benchmark::State& state) {
    for (auto _ : state) {
        drawText(SURFACE_BACK_BUFFER, "12340", 170, 440, Rgb{250, 80, 220});
        drawText(SURFACE_BACK_BUFFER, "23450", 463, 440, Rgb{250, 50, 50});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScoreText);

// One 16 x 16 keyed sprite, the unit the board is made of.
void BM_OneSprite(benchmark::State& state) {
    for (auto _ : state) {
        blitSprite(200, 200, SPRITE_GARDE, 16, 16);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_OneSprite);

// The title frame: runTitleFrame draws and flips; with no presenter the flip
// only counts. The demonstration runs on, as in the game, and starts over.
void BM_TitleFrame(benchmark::State& state) {
    resetGameState();
    setPresenter(nullptr);
    for (auto _ : state) {
        runTitleFrame();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TitleFrame);

} // namespace
