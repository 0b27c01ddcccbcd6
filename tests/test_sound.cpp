#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/state.h"
#include "platform/ports/sound.h"
#include "tests/scratch.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> startedCues;
void recordCue(const char* file) {
    startedCues.emplace_back(file);
}

// A one-second 16-bit mono square wave: long enough to still be playing when
// the test looks at the channel.
void writeWav(const char* name) {
    const uint32_t rate = 22050, samples = rate;
    const uint32_t dataBytes = samples * 2;
    std::ofstream out(name, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < samples; ++i) u16((i / 50) % 2 ? 0x2000 : 0xE000);
}

class SoundCues : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1); // never touch a real device
        startedCues.clear();
        setCueObserver(recordCue);
        savedSoundOn = game.soundOn;
        game.soundOn = 1;
    }
    void TearDown() override {
        releaseSound();
        setCueObserver(nullptr);
        game.soundOn = savedSoundOn;
    }

    ScratchFolder scratch{"tirlane-sound"};
    const fs::path& folder = scratch.path();
    uint8_t savedSoundOn = 1;
};

} // namespace

TEST_F(SoundCues, OnlyTheSoundSwitchAtOneStartsCues) {
    struct Case {
        uint8_t soundOn;
        bool started;
    };
    const Case cases[] = {{1, true}, {0, false}, {2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.soundOn));
        startedCues.clear();
        game.soundOn = c.soundOn;
        playCue("Cle.wav");
        EXPECT_EQ(startedCues.size(), c.started ? 1u : 0u);
    }
}

TEST_F(SoundCues, CuesBeforeSetUpAreTracedInOrderAndSilent) {
    const std::vector<std::string> order = {"Electrocut.wav", "Clignot.wav", "Clignot.wav",
                                            "Rires.wav", "Nothing.wav"};
    for (const std::string& name : order) playCue(name.c_str());
    EXPECT_EQ(startedCues, order);
}

TEST_F(SoundCues, ReleaseWithoutSetUpAndTwiceIsHarmless) {
    releaseSound();
    initSound(); // no WAV files in this folder: every cue is missing
    playCue("Fin.wav");
    releaseSound();
    releaseSound();
    playCue("Ding.wav");
    EXPECT_EQ(startedCues, (std::vector<std::string>{"Fin.wav", "Ding.wav"}));
}

TEST_F(SoundCues, OneCueAtATimeFromPreloadedFiles) {
    writeWav("Cle.wav");
    writeWav("Ding.wav");
    initSound();
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&frequency, &format, &channels), 0) << "the dummy device did not open";

    // The files are gone once loaded: playing must not need them.
    fs::remove("Cle.wav");
    fs::remove("Ding.wav");

    playCue("Cle.wav");
    ASSERT_EQ(Mix_Playing(0), 1);
    Mix_Chunk* first = Mix_GetChunk(0);

    playCue("Ding.wav"); // cuts the first cue off
    EXPECT_NE(Mix_GetChunk(0), first);
    EXPECT_EQ(Mix_Playing(-1), 1);
    Mix_Chunk* second = Mix_GetChunk(0);

    playCue("Bravo.wav"); // never loaded: silent, the current cue plays on
    playCue("Unknown.wav");
    game.soundOn = 0;
    playCue("Cle.wav");
    EXPECT_EQ(Mix_GetChunk(0), second);
    EXPECT_EQ(Mix_Playing(-1), 1);

    EXPECT_EQ(startedCues,
              (std::vector<std::string>{"Cle.wav", "Ding.wav", "Bravo.wav", "Unknown.wav"}));
}

TEST_F(SoundCues, SetUpAgainAfterRelease) {
    writeWav("Fin.wav");
    initSound();
    releaseSound();
    initSound();
    playCue("Fin.wav");
    EXPECT_EQ(Mix_Playing(0), 1);
}

// Muted, every cue still starts and plays, in silence; paused, the cue that
// plays holds still and goes on from there.
TEST_F(SoundCues, MuteSilencesCuesTheGameStillStarts) {
    writeWav("Cle.wav");
    setSoundMuted(true); // before the device opens, as --mute does
    initSound();
    playCue("Cle.wav");
    EXPECT_EQ(startedCues, std::vector<std::string>{"Cle.wav"});
    EXPECT_EQ(Mix_Playing(0), 1);
    EXPECT_EQ(Mix_Volume(0, -1), 0);
    setSoundMuted(false);
    EXPECT_EQ(Mix_Volume(0, -1), MIX_MAX_VOLUME);
    EXPECT_EQ(Mix_Playing(0), 1); // the same cue, heard again

    pauseCues(true);
    EXPECT_EQ(Mix_Paused(0), 1);
    pauseCues(false);
    EXPECT_EQ(Mix_Paused(0), 0);
    EXPECT_EQ(Mix_Playing(0), 1);
}
