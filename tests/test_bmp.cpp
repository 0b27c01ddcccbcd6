// BMP decoding: well-formed pictures keep their exact colours (pure green
// above all, since it is the colour key), and no sequence of bytes crashes
// the decoder or makes it allocate a huge picture.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "platform/graphics/bmp.h"

namespace {
using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = (v >> 8) & 0xFF;
}
void put32(Bytes& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// A BMP with a 40-byte header. pixels are 0xRRGGBB for 24 bits, palette
// indices for 8 bits; rows are given top row first.
Bytes makeBmp(int w, int h, int bits, const std::vector<uint32_t>& pixels,
              const std::vector<uint32_t>& palette = {}, bool topDown = false) {
    const size_t rowBytes = ((w * bits + 31) / 32) * 4;
    const size_t paletteBytes = palette.size() * 4;
    const size_t offset = 54 + paletteBytes;
    Bytes b(offset + rowBytes * h, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 10, static_cast<uint32_t>(offset));
    put32(b, 14, 40);
    put32(b, 18, w);
    put32(b, 22, topDown ? -h : h);
    put16(b, 26, 1);
    put16(b, 28, bits);
    put32(b, 46, static_cast<uint32_t>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) put32(b, 54 + 4 * i, palette[i]); // B G R 0
    for (int y = 0; y < h; ++y) {
        const int fileRow = topDown ? y : h - 1 - y;
        uint8_t* row = b.data() + offset + fileRow * rowBytes;
        for (int x = 0; x < w; ++x) {
            const uint32_t v = pixels[y * w + x];
            if (bits == 8) {
                row[x] = static_cast<uint8_t>(v);
            } else {
                row[3 * x] = v & 0xFF;
                row[3 * x + 1] = (v >> 8) & 0xFF;
                row[3 * x + 2] = (v >> 16) & 0xFF;
            }
        }
    }
    return b;
}

uint32_t pixelAt(const SDL_Surface* s, int x, int y) {
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) +
                                             y * s->pitch)[x];
}

// 3 x 2: green, red, blue on top; white, black, a grey below.
const std::vector<uint32_t> SAMPLE = {0x00FF00, 0xFF0000, 0x0000FF, 0xFFFFFF, 0x000000, 0x123456};

void expectSample(SDL_Surface* s) {
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->format->format, static_cast<Uint32>(SDL_PIXELFORMAT_XRGB8888));
    ASSERT_EQ(s->w, 3);
    ASSERT_EQ(s->h, 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pixelAt(s, i % 3, i / 3), SAMPLE[i]) << "pixel " << i;
    SDL_FreeSurface(s);
}

Bytes sample24() {
    return makeBmp(3, 2, 24, SAMPLE);
}
} // namespace

TEST(Bmp, DecodesTrueColourAndPaletteWithExactGreen) {
    Bytes bottomUp = sample24();
    expectSample(decodeBmp(bottomUp.data(), bottomUp.size()));

    Bytes topDown = makeBmp(3, 2, 24, SAMPLE, {}, true);
    expectSample(decodeBmp(topDown.data(), topDown.size()));

    // The palette lists the same six colours in another order.
    const std::vector<uint32_t> palette = {0x123456, 0x00FF00, 0x000000,
                                           0xFF0000, 0xFFFFFF, 0x0000FF};
    std::vector<uint32_t> indices;
    for (uint32_t colour : SAMPLE)
        for (size_t i = 0; i < palette.size(); ++i)
            if (palette[i] == colour) indices.push_back(static_cast<uint32_t>(i));
    Bytes paletted = makeBmp(3, 2, 8, indices, palette);
    expectSample(decodeBmp(paletted.data(), paletted.size()));
}

TEST(Bmp, RefusesMalformedHeaders) {
    struct Case {
        const char* what;
        size_t at;
        int bytes; // 2 or 4
        uint32_t value;
    };
    const Case cases[] = {
        {"not BM", 0, 2, 0x4142},
        {"zero width", 18, 4, 0},
        {"negative width", 18, 4, static_cast<uint32_t>(-3)},
        {"zero height", 22, 4, 0},
        {"width 100000", 18, 4, 100000},
        {"height 100000", 22, 4, 100000},
        {"height -100000", 22, 4, static_cast<uint32_t>(-100000)},
        {"most negative height", 22, 4, 0x80000000u},
        {"width 2049", 18, 4, 2049},
        {"bit depth 3", 28, 2, 3},
        {"bit depth 0", 28, 2, 0},
        {"bit depth 64", 28, 2, 64},
        {"no planes", 26, 2, 0},
        {"run-length compression", 30, 4, 1},
        {"bit fields at 24 bits", 30, 4, 3},
        {"unknown compression", 30, 4, 0x7FFFFFFF},
        {"info header size 0", 14, 4, 0},
        {"info header size huge", 14, 4, 0xFFFFFFF0u},
        {"pixels start past the end", 10, 4, 1000},
        {"pixels start inside the header", 10, 4, 20},
        {"pixel offset wraps", 10, 4, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        Bytes b = sample24();
        if (c.bytes == 2)
            put16(b, c.at, c.value);
        else
            put32(b, c.at, c.value);
        SDL_Surface* s = decodeBmp(b.data(), b.size());
        EXPECT_EQ(s, nullptr) << c.what;
        SDL_FreeSurface(s);
    }

    // 100000 x 100000 with both sizes set at once.
    Bytes huge = sample24();
    put32(huge, 18, 100000);
    put32(huge, 22, 100000);
    EXPECT_EQ(decodeBmp(huge.data(), huge.size()), nullptr);

    // An 8-bit picture claiming more colours than 8 bits can index.
    Bytes paletted = makeBmp(2, 1, 8, {0, 1}, {0x00FF00, 0xFF0000});
    put32(paletted, 46, 257);
    EXPECT_EQ(decodeBmp(paletted.data(), paletted.size()), nullptr);
    EXPECT_EQ(decodeBmp(nullptr, 100), nullptr);
}

TEST(Bmp, RefusesEveryTruncation) {
    const Bytes whole = sample24();
    for (size_t length = 0; length < whole.size(); ++length) {
        SDL_Surface* s = decodeBmp(whole.data(), length);
        EXPECT_EQ(s, nullptr) << "cut at " << length;
        SDL_FreeSurface(s);
    }
}

TEST(Bmp, SurvivesRandomAndMutatedBytes) {
    std::mt19937 random(20240601);
    const Bytes valid = makeBmp(5, 4, 24, std::vector<uint32_t>(20, 0x00FF00));
    const Bytes paletted = makeBmp(5, 4, 8, std::vector<uint32_t>(20, 1), {0, 0x00FF00});
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes b;
        switch (round % 3) {
        case 0: // pure noise, some of it behind a BM signature
            b.resize(random() % 200);
            for (auto& v : b) v = static_cast<uint8_t>(random());
            if (b.size() >= 2 && round % 2) b[0] = 'B', b[1] = 'M';
            break;
        case 1:
        case 2: // a valid file with a few bytes changed
            b = round % 3 == 1 ? valid : paletted;
            for (int n = 1 + random() % 4; n > 0; --n)
                b[random() % b.size()] = static_cast<uint8_t>(random());
            break;
        }
        SDL_Surface* s = decodeBmp(b.data(), b.size());
        if (s) {
            ++accepted;
            EXPECT_LE(s->w, BMP_MAX_SIDE);
            EXPECT_LE(s->h, BMP_MAX_SIDE);
            EXPECT_EQ(s->format->format, static_cast<Uint32>(SDL_PIXELFORMAT_XRGB8888));
            SDL_FreeSurface(s);
        }
    }
    // Mutations that miss the header leave a good picture: the decoder is not
    // simply refusing everything.
    EXPECT_GT(accepted, 100);
}

TEST(Bmp, LoadsFilesAndRefusesMissingOnes) {
    const auto path = std::filesystem::temp_directory_path() / "tirlane-bmp-test.bmp";
    const Bytes b = sample24();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    expectSample(loadBmpFile(path.c_str()));
    std::filesystem::remove(path);
    EXPECT_EQ(loadBmpFile(path.c_str()), nullptr);
    EXPECT_EQ(loadBmpFile(nullptr), nullptr);
}
