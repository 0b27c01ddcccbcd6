// The banners between levels and the two end sequences, frame by frame as the
// presenter receives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/state.h"
#include "platform/graphics/text.h"
#include "platform/ports/display.h"
#include "platform/ports/sound.h"
#include "render/banners.h"
#include "render/hud.h"
#include "tests/render_support.h"

namespace {

constexpr uint32_t BANNER_BLUE = rgb(50, 50, 250);
constexpr uint32_t CONGRATULATION_YELLOW = rgb(250, 250, 0);

struct Letter {
    SpriteId sprite;
    int w, h, y, stop; // stop 0: the Y, which has none
};
const std::vector<Letter> YOU_LOSE = {
    {SPRITE_Y, 62, 85, 200, 0},   {SPRITE_O, 40, 46, 210, 180}, {SPRITE_U, 48, 39, 210, 235},
    {SPRITE_L, 52, 52, 205, 320}, {SPRITE_O, 40, 46, 210, 388}, {SPRITE_S, 45, 44, 210, 435},
    {SPRITE_E, 37, 49, 210, 490},
};
const std::vector<Letter> YOU_WIN = {
    {SPRITE_Y, 62, 85, 200, 0},   {SPRITE_O, 40, 46, 210, 180}, {SPRITE_U, 48, 39, 210, 235},
    {SPRITE_W, 91, 54, 205, 320}, {SPRITE_I, 33, 65, 185, 415}, {SPRITE_N, 59, 40, 210, 460},
};
constexpr int SLIDE_FRAMES = 133;

std::vector<std::pair<std::string, long>> cues;
void recordCue(const char* file) {
    cues.emplace_back(file, flipCount());
}

class Sequences : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        cues.clear();
        setCueObserver(recordCue);
        firstFlip_ = flipCount();
    }
    long flipsDone() const { return flipCount() - firstFlip_; }
    // The cues as (name, flips of this sequence before it started).
    std::vector<std::pair<std::string, long>> cuesSeen() const {
        std::vector<std::pair<std::string, long>> seen = cues;
        for (auto& cue : seen) cue.second -= firstFlip_;
        return seen;
    }

    // Checks the slide frames from frames()[first] on against a picture of
    // the letters painted here: in table order, each at max(n, stop), and
    // only once it fits wholly on the screen.
    static void checkSlide(const std::vector<Letter>& letters, size_t first) {
        ASSERT_GE(frames().size(), first + SLIDE_FRAMES);
        static int paint[SCREEN_H][SCREEN_W];
        for (int i = 0; i < SLIDE_FRAMES; ++i) {
            const int n = 640 - 4 * i;
            const FrameSummary& f = frames()[first + i];
            SCOPED_TRACE("slide frame " + std::to_string(i) + ", n = " + std::to_string(n));
            for (auto& row : paint)
                for (int& p : row) p = 0;
            for (const Letter& l : letters) {
                const int x0 = std::max(n, l.stop);
                if (x0 + l.w > SCREEN_W) continue;
                for (int y = l.y; y < l.y + l.h; ++y)
                    for (int x = x0; x < x0 + l.w; ++x) paint[y][x] = l.sprite;
            }
            ColourSpread want[SPRITE_COUNT + 1];
            for (int y = 0; y < SCREEN_H; ++y)
                for (int x = 0; x < SCREEN_W; ++x)
                    if (paint[y][x]) want[paint[y][x]].add(x, y);
            for (const Letter& l : letters) {
                const ColourSpread &got = f.sprite[l.sprite], &w = want[l.sprite];
                EXPECT_TRUE(got.count == w.count && got.minX == w.minX && got.maxX == w.maxX &&
                            got.minY == w.minY && got.maxY == w.maxY)
                    << spriteTable[l.sprite].file << ": " << got.count << " pixels in x "
                    << got.minX << ".." << got.maxX << ", y " << got.minY << ".." << got.maxY
                    << "; expected " << w.count << " in x " << w.minX << ".." << w.maxX << ", y "
                    << w.minY << ".." << w.maxY;
            }
            // Nothing of the board, only background, score line and letters.
            for (SpriteId s : {SPRITE_GARDE, SPRITE_CLE1, SPRITE_CLE3, SPRITE_BLOC_HAUT})
                EXPECT_EQ(f.sprite[s].count, 0);
            EXPECT_GT(f.sprite[SPRITE_TABLE].count, 0);
        }
    }

    // The last slide frame: every letter stands whole at its stop.
    void checkFinalLetters(const std::vector<Letter>& letters) {
        ASSERT_EQ(keptFrame().size(), static_cast<size_t>(SCREEN_W * SCREEN_H));
        auto at = [](int x, int y) { return keptFrame()[y * SCREEN_W + x]; };
        long area[SPRITE_COUNT + 1] = {};
        for (const Letter& l : letters) {
            const int x0 = l.stop ? l.stop : 112;
            area[l.sprite] += static_cast<long>(l.w) * l.h;
            long inside = 0;
            for (int y = l.y; y < l.y + l.h; ++y)
                for (int x = x0; x < x0 + l.w; ++x) inside += at(x, y) == spriteColour(l.sprite);
            EXPECT_EQ(inside, static_cast<long>(l.w) * l.h)
                << spriteTable[l.sprite].file << " at x = " << x0;
        }
        for (const Letter& l : letters) {
            long total = 0;
            for (uint32_t p : keptFrame()) total += p == spriteColour(l.sprite);
            EXPECT_EQ(total, area[l.sprite]) << spriteTable[l.sprite].file;
        }
    }

    long firstFlip_ = 0;
};

TEST_F(Sequences, TextsReadExactly) {
    EXPECT_STREQ(BANNER_LEVEL2, "Well Done ! Now you have to open doors . . .");
    EXPECT_STREQ(BANNER_LEVEL3, "To take jewels, you have to open box");
    EXPECT_STREQ(BANNER_LEVEL4, "Do you want to complete the game  ?");
    EXPECT_STREQ(CONGRATULATIONS, "Congratulations, you have done the HiScore !");
    EXPECT_STREQ(BUT_DOTS, "But . . .");
}

// The banner enters at x = 639 and moves 2 pixels a frame to x = -301, clipped
// at both edges, over the background, score line and lives.
TEST_F(Sequences, BannerScrollsAcrossTheFootOfTheScreen) {
    ASSERT_TRUE(fontLoaded());
    const char* text = BANNER_LEVEL2;
    const int width = textWidth(text);
    const int height = textHeight();
    ASSERT_GT(width, 0);
    game.lives = 2;
    constexpr int KEPT = 100;
    watchFrames({BANNER_BLUE}, KEPT);
    scrollBanner(text);
    EXPECT_EQ(flipsDone(), 471);
    ASSERT_EQ(frames().size(), 471u);

    long wholeCount = -1;
    int wholeOffset = 0;
    for (int k = 0; k < 471; ++k) {
        const int x = 639 - 2 * k;
        const ColourSpread& t = frames()[k].text[0];
        SCOPED_TRACE("banner frame " + std::to_string(k) + ", text at x = " + std::to_string(x));
        EXPECT_EQ(frames()[k].sprite[SPRITE_JOUEUR].count, 2 * 256);
        EXPECT_EQ(frames()[k].sprite[SPRITE_GARDE].count, 0);
        if (t.count == 0) {
            EXPECT_TRUE(x >= 637 || x + width <= 2) << "the text is missing";
            continue;
        }
        EXPECT_GE(t.minX, x - 2);
        EXPECT_LE(t.maxX, x + width + 1);
        EXPECT_GE(t.minY, 415);
        EXPECT_LT(t.maxY, 415 + 2 * height);
        if (x >= 2 && x + width <= 638) { // wholly on the screen
            if (wholeCount < 0) {
                wholeCount = t.count;
                wholeOffset = t.minX - x;
            }
            EXPECT_EQ(t.count, wholeCount);
            EXPECT_EQ(t.minX - x, wholeOffset);
        }
    }
    EXPECT_GT(wholeCount, 0);
    const ColourSpread& first = frames()[0].text[0];
    if (first.count) {
        EXPECT_GE(first.minX, 639);
    }
    EXPECT_GT(frames()[3].text[0].count, 0); // at x = 633 the first letter shows
    const ColourSpread& lastFrame = frames()[470].text[0];
    if (lastFrame.count) {
        EXPECT_LT(lastFrame.maxX, -301 + width);
    }

    // The kept frame is exactly the score screen with the text written on it.
    const std::vector<uint32_t> shown = keptFrame();
    drawHud();
    drawLives();
    drawText(SURFACE_BACK_BUFFER, text, 639 - 2 * KEPT, 415, Rgb{50, 50, 250});
    EXPECT_TRUE(snapshot() == shown) << "banner frame " << KEPT << " differs";
}

TEST_F(Sequences, EveryBannerLasts471Frames) {
    for (const char* text : {BANNER_LEVEL2, BANNER_LEVEL3, BANNER_LEVEL4}) {
        const long before = flipCount();
        scrollBanner(text);
        EXPECT_EQ(flipCount() - before, 471) << text;
    }
}

TEST_F(Sequences, GameOverWithoutTheRecordSlidesYouLose) {
    game.score = 40;
    game.hiscore = 90;
    game.lives = -1;
    watchFrames({CONGRATULATION_YELLOW}, SLIDE_FRAMES - 1);
    playGameOverSequence();
    EXPECT_EQ(flipsDone(), SLIDE_FRAMES);
    EXPECT_EQ(cuesSeen(), (std::vector<std::pair<std::string, long>>{{"Rires.wav", 0}}));
    checkSlide(YOU_LOSE, 0);
    for (const FrameSummary& f : frames()) {
        EXPECT_EQ(f.text[0].count, 0) << "congratulation without the record";
        EXPECT_EQ(f.sprite[SPRITE_JOUEUR].count, 0) << "no lives are left to show";
    }
    // The two O's and the E come first, at n = 600; nothing shows before.
    const FrameSummary& n600 = frames()[10];
    EXPECT_EQ(n600.sprite[SPRITE_E].count, 37 * 49);
    EXPECT_EQ(n600.sprite[SPRITE_O].count, 3 * 46);
    EXPECT_EQ(frames()[9].sprite[SPRITE_E].count + frames()[9].sprite[SPRITE_O].count, 0);
    checkFinalLetters(YOU_LOSE);
    EXPECT_EQ(game.hiscore, 90);
}

TEST_F(Sequences, GameOverHoldingTheRecordCongratulatesFirst) {
    game.score = 0; // a game lost at 0 with a hiscore of 0 holds the record
    game.hiscore = 0;
    game.lives = -1;
    ASSERT_TRUE(fontLoaded());
    const int height = textHeight();
    watchFrames({CONGRATULATION_YELLOW}, 199 + 59 + SLIDE_FRAMES - 1);
    playGameOverSequence();
    EXPECT_EQ(flipsDone(), 391);
    EXPECT_EQ(cuesSeen(),
              (std::vector<std::pair<std::string, long>>{{"Bravo.wav", 0}, {"Rires.wav", 258}}));
    ASSERT_EQ(frames().size(), 391u);
    for (int i = 0; i < 391; ++i) {
        const ColourSpread& yellow = frames()[i].text[0];
        const bool withBut = i >= 199;
        SCOPED_TRACE("frame " + std::to_string(i));
        ASSERT_GT(yellow.count, 0);
        EXPECT_GE(yellow.minX, 172);
        EXPECT_GE(yellow.minY, 100);
        if (withBut) {
            EXPECT_GE(yellow.maxY, 150);
            EXPECT_LT(yellow.maxY, 150 + 2 * height);
        } else {
            EXPECT_LT(yellow.maxY, 150);
        }
        if (i < 258) {
            EXPECT_EQ(frames()[i].sprite[SPRITE_O].count, 0);
        }
    }
    checkSlide(YOU_LOSE, 258);
    checkFinalLetters(YOU_LOSE);
}

TEST_F(Sequences, VictoryBelowTheRecordSlidesYouWin) {
    game.score = 27800;
    game.hiscore = 30000;
    game.lives = 1;
    watchFrames({CONGRATULATION_YELLOW}, SLIDE_FRAMES - 1);
    playVictorySequence();
    EXPECT_EQ(flipsDone(), SLIDE_FRAMES);
    EXPECT_EQ(cuesSeen(), (std::vector<std::pair<std::string, long>>{{"Fin.wav", 0}}));
    checkSlide(YOU_WIN, 0);
    for (const FrameSummary& f : frames()) {
        EXPECT_EQ(f.text[0].count, 0);
        EXPECT_EQ(f.sprite[SPRITE_JOUEUR].count, 256) << "the life left shows";
    }
    // The I is the narrowest and shows first, at n = 604.
    EXPECT_EQ(frames()[8].sprite[SPRITE_I].count, 0);
    EXPECT_EQ(frames()[9].sprite[SPRITE_I].count, 33 * 65);
    checkFinalLetters(YOU_WIN);
}

TEST_F(Sequences, VictoryHoldingTheRecordCongratulatesWithoutBut) {
    game.score = 27800;
    game.hiscore = 27800;
    ASSERT_TRUE(fontLoaded());
    watchFrames({CONGRATULATION_YELLOW});
    playVictorySequence();
    EXPECT_EQ(flipsDone(), 332);
    EXPECT_EQ(cuesSeen(), (std::vector<std::pair<std::string, long>>{{"Fin.wav", 0}}));
    ASSERT_EQ(frames().size(), 332u);
    for (int i = 0; i < 332; ++i) {
        const ColourSpread& yellow = frames()[i].text[0];
        ASSERT_GT(yellow.count, 0) << "frame " << i;
        EXPECT_LT(yellow.maxY, 150) << "frame " << i;
        if (i < 199) {
            EXPECT_EQ(frames()[i].sprite[SPRITE_Y].count, 0);
        }
    }
    checkSlide(YOU_WIN, 199);
}

// A victory that beats the stored record: the hiscore is only raised by the
// slide's first frame, so the 199 congratulation frames are skipped, but the
// congratulation stands above the letters in every slide frame.
TEST_F(Sequences, RecordVictoryShowsTheCongratulationDuringTheSlide) {
    game.score = 27800;
    game.hiscore = 14930;
    watchFrames({CONGRATULATION_YELLOW});
    playVictorySequence();
    EXPECT_EQ(flipsDone(), SLIDE_FRAMES);
    EXPECT_EQ(game.hiscore, 27800);
    ASSERT_EQ(frames().size(), static_cast<size_t>(SLIDE_FRAMES));
    for (int i = 0; i < SLIDE_FRAMES; ++i)
        EXPECT_GT(frames()[i].text[0].count, 0) << "slide frame " << i;
    checkSlide(YOU_WIN, 0);
}

} // namespace
