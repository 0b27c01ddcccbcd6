#include "tests/render_support.h"

#include <SDL2/SDL.h>
#include <unistd.h>

#include <string>

#include "game/state.h"
#include "platform/ports/sound.h"

namespace fs = std::filesystem;

namespace {

std::vector<FrameSummary> summaries;
std::vector<uint32_t> watchedText;
std::vector<uint32_t> kept;
long keepIndex = -1;

void summarise(const uint32_t* pixels, int pitch) {
    if (!pixels) return;
    FrameSummary s;
    s.text.resize(watchedText.size());
    for (int y = 0; y < SCREEN_H; ++y) {
        const uint32_t* row = pixels + static_cast<long>(y) * pitch;
        for (int x = 0; x < SCREEN_W; ++x) {
            const uint32_t p = row[x];
            if (const int k = spriteAt(p)) {
                s.sprite[k].add(x, y);
                continue;
            }
            for (size_t t = 0; t < watchedText.size(); ++t)
                if (p == watchedText[t]) s.text[t].add(x, y);
        }
    }
    if (static_cast<long>(summaries.size()) == keepIndex) {
        kept.assign(SCREEN_W * SCREEN_H, 0);
        for (int y = 0; y < SCREEN_H; ++y)
            for (int x = 0; x < SCREEN_W; ++x)
                kept[y * SCREEN_W + x] = pixels[static_cast<long>(y) * pitch + x];
    }
    summaries.push_back(std::move(s));
}

// A solid sprite of its drawn size with a two-pixel margin of spill colour.
void writeSprite(const fs::path& folder, int k) {
    const SpriteInfo& info = spriteTable[k];
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, info.width + 2, info.height + 2, 24,
                                                    SDL_PIXELFORMAT_RGB24);
    ASSERT_NE(s, nullptr) << SDL_GetError();
    const uint32_t c = spriteColour(k);
    SDL_FillRect(
        s, nullptr,
        SDL_MapRGB(s->format, SPILL_COLOUR >> 16, (SPILL_COLOUR >> 8) & 0xFF, SPILL_COLOUR & 0xFF));
    SDL_Rect drawn{0, 0, info.width, info.height};
    SDL_FillRect(s, &drawn, SDL_MapRGB(s->format, c >> 16, (c >> 8) & 0xFF, c & 0xFF));
    const std::string path = (folder / info.file).string();
    ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(s);
}

} // namespace

uint32_t spriteColour(int sprite) {
    return rgb(0x40 + 6 * sprite, 0x10, 0x80);
}

int spriteAt(uint32_t pixel) {
    if ((pixel & 0xFFFF) != 0x1080) return 0;
    const int red = static_cast<int>(pixel >> 16);
    if (red < 0x40 + 6 || (red - 0x40) % 6 != 0) return 0;
    const int k = (red - 0x40) / 6;
    return k <= SPRITE_COUNT ? k : 0;
}

void ColourSpread::add(int x, int y) {
    ++count;
    if (x < minX) minX = x;
    if (x > maxX) maxX = x;
    if (y < minY) minY = y;
    if (y > maxY) maxY = y;
}

void RenderTest::SetUp() {
    static int serial = 0;
    folder_ = fs::temp_directory_path() /
              ("tirlane-render-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
    fs::create_directories(folder_);
    for (int k = 1; k <= SPRITE_COUNT; ++k) writeSprite(folder_, k);
    fs::copy_file(fs::path(TIRLANE_ASSETS_DIR) / "font.ttf", folder_ / "font.ttf");

    releaseDisplay(); // whatever an earlier test left set up
    previous_ = fs::current_path();
    fs::current_path(folder_);
    const bool ready = initDisplay() && initSurfaces();
    fs::current_path(previous_);
    ASSERT_TRUE(ready);
    ASSERT_NE(backBufferPixels(), nullptr);
    for (int k = 1; k <= SPRITE_COUNT; ++k) ASSERT_TRUE(spritePresent(static_cast<SpriteId>(k)));
    resetGameState();
}

void RenderTest::TearDown() {
    setPresenter(nullptr);
    setCueObserver(nullptr);
    summaries.clear();
    kept.clear();
    keepIndex = -1;
    releaseDisplay();
    resetGameState();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

uint32_t RenderTest::pixel(int x, int y) const {
    return backBufferPixels()[static_cast<long>(y) * backBufferPitch() + x];
}

bool RenderTest::filled(const Rect& r, uint32_t colour) const {
    return countIn(r, colour) == static_cast<long>(r.w) * r.h;
}

long RenderTest::countIn(const Rect& r, uint32_t colour) const {
    long n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            if (x >= 0 && y >= 0 && x < SCREEN_W && y < SCREEN_H && pixel(x, y) == colour) ++n;
    return n;
}

void RenderTest::clearBoard() {
    for (int s = 1; s <= SIDE_COUNT; ++s) sides[s] = SIDE_TAKEN;
    for (int b = 1; b <= BOX_COUNT; ++b) boxes[b] = 0;
    game.playerX = 0; // a corridor crossing: no niche is occupied
    game.playerY = 0;
}

std::vector<uint32_t> RenderTest::snapshot() const {
    std::vector<uint32_t> copy(SCREEN_W * SCREEN_H);
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x) copy[y * SCREEN_W + x] = pixel(x, y);
    return copy;
}

Rect RenderTest::changedArea(const std::vector<uint32_t>& before) const {
    int minX = SCREEN_W, maxX = -1, minY = SCREEN_H, maxY = -1;
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x)
            if (pixel(x, y) != before[y * SCREEN_W + x]) {
                if (x < minX) minX = x;
                if (x > maxX) maxX = x;
                if (y < minY) minY = y;
                if (y > maxY) maxY = y;
            }
    if (maxX < 0) return {0, 0, 0, 0};
    return {minX, minY, maxX - minX + 1, maxY - minY + 1};
}

void RenderTest::watchFrames(std::vector<uint32_t> textColours, long keepFrame) {
    watchedText = std::move(textColours);
    summaries.clear();
    summaries.reserve(600);
    kept.clear();
    keepIndex = keepFrame;
    setPresenter(summarise);
}

const std::vector<FrameSummary>& RenderTest::frames() {
    return summaries;
}

const std::vector<uint32_t>& RenderTest::keptFrame() {
    return kept;
}
