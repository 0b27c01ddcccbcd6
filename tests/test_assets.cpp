// The shipped pictures and sounds: every sprite loads at least at the size the
// game copies from it, with pure green only where the game must see through
// it; the status texts stay legible on the background; every cue is a short
// 16-bit PCM clip without clicks; and the generator rebuilds them exactly.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path assets = TIRLANE_ASSETS_DIR;

enum class Shape {
    Background, // no pure green at all
    Figure,     // a shape on pure green: clear corners, ink inside
    Letter,     // a shape with a clear border all around
    Wall,       // covers its whole rectangle
    Dot,        // only its top-left 2 x 2 is used, and it must show
};

struct SpriteCase {
    const char* file;
    int w, h; // the rectangle the game copies
    Shape shape;
};

const SpriteCase sprites[] = {
    {"Table.bmp", 640, 480, Shape::Background}, {"Presentation.bmp", 640, 480, Shape::Background},
    {"Joueur.bmp", 16, 16, Shape::Figure},      {"Point.bmp", 2, 2, Shape::Dot},
    {"Touche1.bmp", 16, 16, Shape::Figure},     {"Touche2.bmp", 16, 16, Shape::Figure},
    {"Touche3.bmp", 16, 16, Shape::Figure},     {"Garde.bmp", 16, 16, Shape::Figure},
    {"Cle1.bmp", 16, 16, Shape::Figure},        {"Cle2.bmp", 16, 16, Shape::Figure},
    {"Cle3.bmp", 16, 16, Shape::Figure},        {"Cle4.bmp", 16, 16, Shape::Figure},
    {"Cle5.bmp", 16, 16, Shape::Figure},        {"BlocHaut.bmp", 18, 17, Shape::Wall},
    {"BlocBas.bmp", 18, 17, Shape::Wall},       {"BlocGauche.bmp", 17, 18, Shape::Wall},
    {"BlocDroite.bmp", 17, 18, Shape::Wall},    {"E.bmp", 37, 49, Shape::Letter},
    {"I.bmp", 33, 65, Shape::Letter},           {"L.bmp", 52, 52, Shape::Letter},
    {"N.bmp", 59, 40, Shape::Letter},           {"O.bmp", 40, 46, Shape::Letter},
    {"S.bmp", 45, 44, Shape::Letter},           {"U.bmp", 48, 39, Shape::Letter},
    {"W.bmp", 91, 54, Shape::Letter},           {"Y.bmp", 62, 85, Shape::Letter},
};

void PrintTo(const SpriteCase& c, std::ostream* os) {
    *os << c.file;
}

const char* const cues[] = {"Cle.wav",   "Ding.wav",  "Electrocut.wav", "Clignot.wav",
                            "Bravo.wav", "Rires.wav", "Fin.wav"};

constexpr uint32_t GREEN = 0x00FF00;

// A loaded picture as 0xRRGGBB values.
struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

bool loadPicture(const fs::path& file, Picture& out) {
    SDL_Surface* raw = SDL_LoadBMP(file.c_str());
    if (!raw) return false;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(raw);
    if (!rgb) return false;
    out.w = rgb->w;
    out.h = rgb->h;
    out.px.resize(static_cast<size_t>(out.w) * out.h);
    SDL_LockSurface(rgb);
    for (int y = 0; y < out.h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(rgb->pixels) + static_cast<size_t>(y) * rgb->pitch);
        for (int x = 0; x < out.w; ++x)
            out.px[static_cast<size_t>(y) * out.w + x] = row[x] & 0xFFFFFF;
    }
    SDL_UnlockSurface(rgb);
    SDL_FreeSurface(rgb);
    return true;
}

int countGreen(const Picture& p, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += p.at(x, y) == GREEN;
    return n;
}

// Relative luminance and contrast ratio, as used for text legibility.
double luminance(uint32_t rgb) {
    auto channel = [](uint32_t c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(rgb >> 16 & 0xFF) + 0.7152 * channel(rgb >> 8 & 0xFF) +
           0.0722 * channel(rgb & 0xFF);
}
double contrast(uint32_t a, uint32_t b) {
    double la = luminance(a), lb = luminance(b);
    if (la < lb) std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

// The worst contrast of a text colour against any pixel of a strip.
double worstContrast(const Picture& p, uint32_t text, int x0, int y0, int x1, int y1) {
    double worst = 1e9;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) worst = std::min(worst, contrast(text, p.at(x, y)));
    return worst;
}

std::vector<uint8_t> readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

class SpriteFile : public ::testing::TestWithParam<SpriteCase> {};

TEST_P(SpriteFile, LoadsAtItsDrawnSizeWithGreenOnlyWhereTransparent) {
    const SpriteCase& c = GetParam();
    Picture p;
    ASSERT_TRUE(loadPicture(assets / c.file, p)) << SDL_GetError();
    ASSERT_GE(p.w, c.w);
    ASSERT_GE(p.h, c.h);
    const int area = c.w * c.h;
    const int green = countGreen(p, 0, 0, c.w, c.h);
    switch (c.shape) {
    case Shape::Background:
        EXPECT_EQ(green, 0) << "a green pixel would show the previous frame through";
        break;
    case Shape::Wall:
        EXPECT_EQ(green, 0) << "a wall must hide the whole niche";
        break;
    case Shape::Dot:
        EXPECT_EQ(green, 0);
        break;
    case Shape::Letter:
        for (int x = 0; x < c.w; ++x) {
            EXPECT_EQ(p.at(x, 0), GREEN) << "top border at x " << x;
            EXPECT_EQ(p.at(x, c.h - 1), GREEN) << "bottom border at x " << x;
        }
        for (int y = 0; y < c.h; ++y) {
            EXPECT_EQ(p.at(0, y), GREEN) << "left border at y " << y;
            EXPECT_EQ(p.at(c.w - 1, y), GREEN) << "right border at y " << y;
        }
        [[fallthrough]];
    case Shape::Figure:
        EXPECT_EQ(p.at(0, 0), GREEN);
        EXPECT_EQ(p.at(c.w - 1, 0), GREEN);
        EXPECT_EQ(p.at(0, c.h - 1), GREEN);
        EXPECT_EQ(p.at(c.w - 1, c.h - 1), GREEN);
        // Ink covers a fair part of the rectangle, and not all of it.
        EXPECT_GT(area - green, area / 5);
        EXPECT_GT(green, area / 20);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Assets, SpriteFile, ::testing::ValuesIn(sprites), [](const auto& info) {
    std::string name = info.param.file;
    return name.substr(0, name.find('.'));
});

TEST(AssetPictures, FiguresOfTheSameSizeAllDiffer) {
    // The keys, doors and figures must be told apart at a glance.
    std::vector<Picture> figures;
    std::vector<std::string> names;
    for (const SpriteCase& c : sprites) {
        if (c.shape != Shape::Figure) continue;
        Picture p;
        ASSERT_TRUE(loadPicture(assets / c.file, p)) << c.file;
        for (size_t i = 0; i < figures.size(); ++i) {
            int differing = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) differing += p.at(x, y) != figures[i].at(x, y);
            EXPECT_GT(differing, 40) << c.file << " looks like " << names[i];
        }
        figures.push_back(p);
        names.push_back(c.file);
    }
}

TEST(AssetPictures, StatusTextsReadOnTheBackground) {
    Picture table;
    ASSERT_TRUE(loadPicture(assets / "Table.bmp", table));
    // The banner scrolls across the whole width at y = 415 in dark blue.
    EXPECT_GE(worstContrast(table, 0x3232FA, 0, 415, 640, 430), 3.0);
    // The score line: labels and numbers in pink, magenta and red at y = 440.
    for (uint32_t colour : {0xFA50DCu, 0xFA32E6u, 0xFA3232u}) {
        EXPECT_GE(worstContrast(table, colour, 120, 440, 280, 455), 3.0);
        EXPECT_GE(worstContrast(table, colour, 400, 440, 580, 455), 3.0);
    }
}

TEST(AssetPictures, MiniatureDotsStandOutOnTheTitlePanel) {
    Picture title, point;
    ASSERT_TRUE(loadPicture(assets / "Presentation.bmp", title));
    ASSERT_TRUE(loadPicture(assets / "Point.bmp", point));
    // Every place a dot can stand: the corridors of the miniature, with the
    // guards' resting places at their ends.
    double worst = 1e9;
    for (int y = 25; y <= 113; ++y)
        for (int x = 254; x <= 382; ++x) {
            const bool onColumn = (x - 258) % 24 == 0 && x >= 258;
            const bool onRow = (y - 29) % 16 == 0 && y >= 29;
            if (!onColumn && !onRow) continue;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    worst = std::min(worst, contrast(point.at(dx, dy), title.at(x + dx, y + dy)));
        }
    EXPECT_GE(worst, 3.0);
}

// The WAV header fields the game's sound layer relies on.
struct WavInfo {
    bool ok = false;
    uint32_t rate = 0;
    uint32_t samples = 0;
    int16_t first = 0, last = 0, peak = 0;
};

WavInfo readWav(const fs::path& file) {
    WavInfo info;
    const std::vector<uint8_t> b = readFile(file);
    if (b.size() < 44 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return info;
    size_t at = 12;
    bool pcm16mono = false;
    while (at + 8 <= b.size()) {
        const std::string id(b.begin() + at, b.begin() + at + 4);
        const uint32_t size = le(b, at + 4, 4);
        if (id == "fmt ") {
            pcm16mono = le(b, at + 8, 2) == 1 && le(b, at + 10, 2) == 1 && le(b, at + 22, 2) == 16;
            info.rate = le(b, at + 12, 4);
        } else if (id == "data" && pcm16mono && at + 8 + size <= b.size() && size >= 4) {
            info.samples = size / 2;
            auto sample = [&](size_t i) { return static_cast<int16_t>(le(b, at + 8 + 2 * i, 2)); };
            info.first = sample(0);
            info.last = sample(info.samples - 1);
            for (size_t i = 0; i < info.samples; ++i)
                info.peak = std::max<int16_t>(info.peak, static_cast<int16_t>(std::abs(sample(i))));
            info.ok = true;
        }
        at += 8 + size + (size & 1);
    }
    return info;
}

TEST(AssetSounds, EveryCueIsAShortCleanClip) {
    for (const char* cue : cues) {
        SCOPED_TRACE(cue);
        const WavInfo w = readWav(assets / cue);
        ASSERT_TRUE(w.ok) << "not a 16-bit PCM mono WAV";
        EXPECT_TRUE(w.rate == 22050 || w.rate == 44100);
        const double seconds = static_cast<double>(w.samples) / w.rate;
        EXPECT_GT(seconds, 0.05);
        EXPECT_LT(seconds, 3.0);
        // Silent ends, so starting or cutting a cue does not click; loud
        // enough to hear, never clipped.
        EXPECT_LT(std::abs(w.first), 200);
        EXPECT_LT(std::abs(w.last), 200);
        EXPECT_GT(w.peak, 6000);
        EXPECT_LT(w.peak, 32000);
    }
    // The buzz lasts about as long as the 50-frame death sequence.
    const WavInfo buzz = readWav(assets / "Electrocut.wav");
    EXPECT_NEAR(static_cast<double>(buzz.samples) / buzz.rate, 50.0 / 60.0, 0.15);
}

TEST(AssetSounds, EveryCueLoadsInTheMixer) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
        Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 1024) != 0) {
        GTEST_SKIP() << "no audio device, even a dummy one: the headers are checked above";
    }
    for (const char* cue : cues) {
        Mix_Chunk* chunk = Mix_LoadWAV((assets / cue).c_str());
        EXPECT_NE(chunk, nullptr) << cue << ": " << Mix_GetError();
        if (chunk) {
            EXPECT_GT(chunk->alen, 0u);
            Mix_FreeChunk(chunk);
        }
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

TEST(AssetGenerator, RebuildsTheShippedFilesByteForByte) {
    if (std::system("python3 --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
    const fs::path out = fs::temp_directory_path() / ("tirlane-assets-" + std::to_string(getpid()));
    fs::remove_all(out);
    const std::string command =
        "python3 \"" TIRLANE_SOURCE_DIR "/tools/assetgen/generate.py\" --out \"" + out.string() +
        "\" --icons-out \"" + (out / "icons").string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (entry.is_directory()) continue;
        const fs::path name = fs::relative(entry.path(), out);
        const fs::path shipped = name.parent_path() == "icons"
                                     ? fs::path(TIRLANE_SOURCE_DIR) / "dist" / name
                                     : assets / name;
        SCOPED_TRACE(name.string());
        ASSERT_TRUE(fs::exists(shipped)) << "generated but not shipped";
        EXPECT_TRUE(readFile(entry.path()) == readFile(shipped)) << "differs from the shipped file";
        ++compared;
    }
    // Pictures, sounds, the desktop's six icons, the web app's two and the
    // Windows icon.
    EXPECT_EQ(compared, 26 + 7 + 6 + 2 + 1);
    fs::remove_all(out);
}

} // namespace
