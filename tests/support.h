// Helpers for the game-logic tests: every test runs in a fresh working folder
// (the hiscore file lands there), with the game reset and the cues, saves and
// flips it causes recorded. Sprites are optional solid-colour stand-ins whose
// pixels can be watched frame by frame.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace gametest {

struct CueAt {
    long flips; // flips done since the test began when the cue started
    std::string name;
};

// A point on the screen and the colours it showed, one per flip.
struct Watch {
    int x, y;
    std::vector<uint32_t> shown;
};

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Flips since the test began.
    long flips() const;
    const std::vector<CueAt>& cues() const;
    const std::vector<int32_t>& saves() const;
    // Names of the cues only, in order.
    std::vector<std::string> cueNames() const;

    // Writes a one-colour 640 x 480 BMP for each named sprite file into the
    // folder and sets up the display on them; the others stay absent.
    void useSprites(const std::vector<std::pair<const char*, uint32_t>>& sprites);
    // Records, at every flip from now on, the colour of each screen point.
    std::vector<Watch>& watch(const std::vector<std::pair<int, int>>& points);

    // Writes the hiscore file with this value, as the game would.
    static void storeHiscore(int32_t value);

    std::filesystem::path folder;

  private:
    std::filesystem::path previous;
    long firstFlip = 0;
};

// Puts the figure standing at (x, y) with no step under way.
void standAt(int x, int y);

} // namespace gametest
