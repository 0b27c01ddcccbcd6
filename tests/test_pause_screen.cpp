// The paused picture: the frame darkened with the word PAUSED, made from a
// copy so the game's own back buffer never changes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/graphics/pause_screen.h"
#include "platform/graphics/text.h"
#include "platform/ports/display.h"
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

namespace {

// A copy of the bundled font whose descender reaches `descender` font units
// below the baseline (in both tables FreeType may read it from), so that its
// line is as tall as the font says while its glyphs stay small.
void writeFontWithDescender(const fs::path& to, int16_t descender) {
    std::ifstream in(fs::path(TIRLANE_ASSETS_DIR) / "font.ttf", std::ios::binary);
    std::string font{std::istreambuf_iterator<char>(in), {}};
    auto u16 = [&](size_t at) { return size_t(uint8_t(font[at])) << 8 | uint8_t(font[at + 1]); };
    auto u32 = [&](size_t at) { return u16(at) << 16 | u16(at + 2); };
    auto put16 = [&](size_t at, int value) {
        font[at] = char(value >> 8 & 0xFF);
        font[at + 1] = char(value & 0xFF);
    };
    int patched = 0;
    for (size_t table = 0, tables = u16(4); table < tables; ++table) {
        const size_t entry = 12 + 16 * table, offset = u32(entry + 8);
        if (font.compare(entry, 4, "hhea") == 0) {
            put16(offset + 6, descender); // descender
            ++patched;
        } else if (font.compare(entry, 4, "OS/2") == 0) {
            put16(offset + 70, descender);  // sTypoDescender
            put16(offset + 76, -descender); // usWinDescent
            ++patched;
        }
    }
    ASSERT_EQ(patched, 2) << "the bundled font lacks its hhea or OS/2 table";
    std::ofstream(to, std::ios::binary).write(font.data(), std::streamsize(font.size()));
}

} // namespace

// Any font.ttf may lie in the folder: a line too tall for the word leaves the
// word out rather than cutting it or writing outside the picture (the
// sanitizers see any such write), and the hint saying how to go on shows.
TEST_F(PauseScreen, KeepsTheWordAndHintWithinThePictureWhateverTheFont) {
    const struct {
        const char* what;
        int16_t descender; // font units below the baseline; 0: as shipped
        bool word;
    } cases[] = {
        {"the bundled font", 0, true},
        {"a line taller than the word's room, the word still reaching the top", -19000, false},
        {"the deepest descender a font can give", -32768, false},
    };
    fs::copy_file(fs::path(TIRLANE_ASSETS_DIR) / "Table.bmp", folder / "Table.bmp");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(folder / "font.ttf");
        if (c.descender == 0)
            fs::copy_file(fs::path(TIRLANE_ASSETS_DIR) / "font.ttf", folder / "font.ttf");
        else
            writeFontWithDescender(folder / "font.ttf", c.descender);
        ASSERT_TRUE(initDisplay());
        ASSERT_TRUE(initSurfaces());
        ASSERT_TRUE(fontLoaded());
        ASSERT_TRUE(initPauseScreen());
        blitSprite(0, 0, SPRITE_TABLE, SCREEN_W, SCREEN_H);
        const uint32_t* paused = pauseScreenOf(backBufferPixels(), backBufferPitch());
        ASSERT_NE(paused, nullptr);

        long gold = 0, parchment = 0;
        for (int i = 0; i < SCREEN_W * SCREEN_H; ++i) {
            gold += paused[i] == 0xFFEC8C;
            parchment += paused[i] == 0xEEE2C0;
        }
        if (c.word)
            EXPECT_GT(gold, 200) << "the word is missing";
        else
            EXPECT_EQ(gold, 0) << "a word that cannot fit was drawn cut";
        EXPECT_GT(parchment, 30) << "the hint is not on the picture";
        releasePauseScreen();
        releaseDisplay();
    }
}
