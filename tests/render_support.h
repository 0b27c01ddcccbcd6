// Drawing tests: a temporary folder of solid-colour sprites, the display set
// up on them, and helpers that read the back buffer and the presented frames.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/ports/display.h"

// Each sprite file is one solid colour from which the sprite can be told
// back: red 0x40 + 6k, green 0x10, blue 0x80 for sprite k. The files are two
// pixels larger than their drawn size each way, that margin in SPILL_COLOUR,
// so a blit that copies more than its drawn size shows.
uint32_t spriteColour(int sprite);
constexpr uint32_t SPILL_COLOUR = 0x00FFFF;
// The sprite a pixel shows, or 0 when it is no sprite's colour.
int spriteAt(uint32_t pixel);

constexpr uint32_t rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

struct Rect {
    int x, y, w, h;
};

// Where one colour shows in a picture.
struct ColourSpread {
    long count = 0;
    int minX = SCREEN_W, maxX = -1, minY = SCREEN_H, maxY = -1;
    void add(int x, int y);
};

// What one presented frame showed: every sprite's and every watched text
// colour's pixels.
struct FrameSummary {
    ColourSpread sprite[SPRITE_COUNT + 1];
    std::vector<ColourSpread> text; // in the order of the watched colours
};

// Sets up the display on synthetic sprites in a fresh temporary folder (with
// the real font) and resets the game state; tears it all down afterwards.
class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    uint32_t pixel(int x, int y) const;
    // Every pixel of the rectangle shows the colour.
    bool filled(const Rect& r, uint32_t colour) const;
    // How many pixels of the rectangle show the colour.
    long countIn(const Rect& r, uint32_t colour) const;
    // Sets every side to a value that no level draws, so only what a test
    // sets shows.
    static void clearBoard();

    // A copy of the back buffer, and the pixels that differ from it now.
    std::vector<uint32_t> snapshot() const;
    // The smallest rectangle holding every changed pixel (w = 0 if none).
    Rect changedArea(const std::vector<uint32_t>& before) const;

    // Records a summary of every presented frame from now on, watching these
    // text colours; the frame with index keepFrame is also kept whole.
    static void watchFrames(std::vector<uint32_t> textColours, long keepFrame = -1);
    static const std::vector<FrameSummary>& frames();
    static const std::vector<uint32_t>& keptFrame();

  private:
    std::filesystem::path folder_;
    std::filesystem::path previous_;
};
