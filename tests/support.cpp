#include "tests/support.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/keyboard.h"
#include "platform/ports/sound.h"

namespace fs = std::filesystem;

namespace gametest {

namespace {
long startFlips = 0;
std::vector<CueAt> recordedCues;
std::vector<int32_t> recordedSaves;
std::vector<Watch> watches;

void onCue(const char* file) {
    recordedCues.push_back({flipCount() - startFlips, file});
}
void onSave(int32_t value) {
    recordedSaves.push_back(value);
}
void onFlip(const uint32_t* pixels, int pitch) {
    for (Watch& w : watches) w.shown.push_back(pixels[w.y * pitch + w.x]);
}
} // namespace

void GameTest::SetUp() {
    previous = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "tirlane-game-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    fs::current_path(folder);

    resetGameState();
    clearQuitRequest();
    recordedCues.clear();
    recordedSaves.clear();
    watches.clear();
    startFlips = firstFlip = flipCount();
    setCueObserver(onCue);
    setSaveObserver(onSave);
}

void GameTest::TearDown() {
    setCueObserver(nullptr);
    setSaveObserver(nullptr);
    setPresenter(nullptr);
    releaseDisplay();
    clearQuitRequest();
    resetGameState();
    fs::current_path(previous);
    fs::remove_all(folder);
}

long GameTest::flips() const {
    return flipCount() - firstFlip;
}
const std::vector<CueAt>& GameTest::cues() const {
    return recordedCues;
}
const std::vector<int32_t>& GameTest::saves() const {
    return recordedSaves;
}
std::vector<std::string> GameTest::cueNames() const {
    std::vector<std::string> names;
    for (const CueAt& c : recordedCues) names.push_back(c.name);
    return names;
}

void GameTest::useSprites(const std::vector<std::pair<const char*, uint32_t>>& sprites) {
    std::vector<uint32_t> picture(SCREEN_W * SCREEN_H);
    for (const auto& [file, colour] : sprites) {
        std::fill(picture.begin(), picture.end(), colour);
        ASSERT_TRUE(writeScreenshot(file, picture.data(), SCREEN_W)) << file;
    }
    ASSERT_TRUE(initDisplay());
    ASSERT_TRUE(initSurfaces());
}

std::vector<Watch>& GameTest::watch(const std::vector<std::pair<int, int>>& points) {
    watches.clear();
    for (const auto& [x, y] : points) watches.push_back({x, y, {}});
    setPresenter(onFlip);
    return watches;
}

void GameTest::storeHiscore(int32_t value) {
    char bytes[8];
    encodeHiscore(value, bytes);
    std::ofstream("Score", std::ios::binary).write(bytes, sizeof bytes);
}

void standAt(int x, int y) {
    game.playerX = x;
    game.playerY = y;
    game.moveX = 0;
    game.moveY = 0;
    game.phase = 0;
}

} // namespace gametest
