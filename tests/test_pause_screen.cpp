// The paused picture: the frame darkened with the word PAUSED, made from a
// copy so the game's own back buffer never changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/display.h"
#include "platform/pause_screen.h"
#include "platform/text.h"
#include "tests/support.h"

namespace fs = std::filesystem;

class PauseScreen : public gametest::GameTest {};

TEST_F(PauseScreen, DarkensACopyAndWritesTheWord) {
    for (const char* file : {"Table.bmp", "font.ttf"})
        fs::copy_file(fs::path(TIRLANE_ASSETS_DIR) / file, folder / file);
    ASSERT_TRUE(initDisplay());
    ASSERT_TRUE(initSurfaces());
    ASSERT_TRUE(fontLoaded());
    ASSERT_TRUE(initPauseScreen());
    blitSprite(0, 0, SPRITE_TABLE, SCREEN_W, SCREEN_H);
    const uint32_t* frame = backBufferPixels();
    const int pitch = backBufferPitch();
    std::vector<uint32_t> before(frame, frame + pitch * SCREEN_H);

    const uint32_t* paused = pauseScreenOf(frame, pitch);
    ASSERT_NE(paused, nullptr);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), frame)) << "the back buffer changed";

    long darker = 0, gold = 0;
    auto brightness = [](uint32_t p) { return (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF); };
    for (int y = 0; y < SCREEN_H; ++y) {
        for (int x = 0; x < SCREEN_W; ++x) {
            const uint32_t p = paused[y * SCREEN_W + x], f = frame[y * pitch + x];
            darker += brightness(p) * 5 <= brightness(f) * 2 + 15;
            gold += p == 0xFFEC8C;
        }
    }
    EXPECT_GT(darker, SCREEN_W * SCREEN_H * 95 / 100); // all but the texts
    EXPECT_GT(gold, 200);                              // the word, four times its size
    if (const char* out = std::getenv("TIRLANE_PAUSE_SHOT")) writeScreenshot(out, paused, SCREEN_W);
    releasePauseScreen();
}
