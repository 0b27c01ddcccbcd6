// Faults from outside the game: a power cut (here a SIGKILL) in the middle
// of saving the record, no audio device, and sound files that are not what
// their names promise. The game must go on silently and never lose a record.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "game/state.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/sound.h"
#include "tests/scratch.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> startedCues;
void recordCue(const char* file) {
    startedCues.emplace_back(file);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Little-endian fields for hand-made RIFF files.
std::string le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}
std::string le16(uint16_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}

// A RIFF/WAVE file with one "fmt " block and one "data" block whose stated
// sizes may lie about what follows.
std::string wave(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits,
                 uint32_t dataClaimed, size_t dataGiven) {
    const uint16_t align = static_cast<uint16_t>(channels * (bits / 8));
    std::string fmt =
        le16(format) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
    std::string body = "WAVEfmt " + le32(16) + fmt + "data" + le32(dataClaimed);
    body += std::string(dataGiven, '\x40');
    return "RIFF" + le32(static_cast<uint32_t>(body.size())) + body;
}

std::string randomBytes(std::mt19937& rng, size_t n) {
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

// Every test runs in a fresh folder of its own, as the game's working folder.
class FaultFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        savedHiscore = game.hiscore;
        savedSoundOn = game.soundOn;
        game.soundOn = 1;
        startedCues.clear();
        setCueObserver(recordCue);
    }
    void TearDown() override {
        releaseSound();
        setCueObserver(nullptr);
        game.hiscore = savedHiscore;
        game.soundOn = savedSoundOn;
    }

    ScratchFolder scratch{"tirlane-faults"};
    const fs::path& folder = scratch.path();
    int32_t savedHiscore = 0;
    uint8_t savedSoundOn = 1;
};

} // namespace

// A child saves two records in turn as fast as it can and is killed at a
// random moment; whatever moment that was, "Score" holds one whole record.
TEST_F(FaultFolder, KilledWhileSavingLeavesOneWholeRecord) {
    const int32_t records[2] = {990, 27800}; // "2968" and "83398": different lengths
    game.hiscore = records[0];
    saveHiscore();

    // Kills spread over a few saves' time, whatever this disk's speed.
    const auto before = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) saveHiscore();
    const auto oneSave = std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::steady_clock::now() - before) /
                         10;
    std::mt19937 rng(20240607);
    std::uniform_int_distribution<long> delay(0, 4 * oneSave.count() + 50);

    int landed[2] = {0, 0};
    const int rounds = 250;
    for (int round = 0; round < rounds; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            for (unsigned i = 1;; ++i) {
                game.hiscore = records[i % 2];
                saveHiscore();
                if (i == 1 && write(ready[1], "s", 1) != 1) _exit(3);
            }
        }
        close(ready[1]);
        char started = 0;
        ASSERT_EQ(read(ready[0], &started, 1), 1) << "the saving child never started";
        close(ready[0]);
        usleep(static_cast<useconds_t>(delay(rng)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the child ended by itself";

        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(fs::is_regular_file("Score"));
        const std::string bytes = readFile("Score");
        ASSERT_EQ(bytes.size(), 8u);
        const int32_t loaded = loadHiscore();
        ASSERT_TRUE(loaded == records[0] || loaded == records[1]) << "loaded " << loaded;
        char expected[8];
        encodeHiscore(loaded, expected);
        ASSERT_EQ(bytes, std::string(expected, 8)) << "the record is torn";
        ++landed[loaded == records[1]];
    }

    // A kill between creating the temporary file and renaming it leaves that
    // file behind; it is never read, and the record itself is whole.
    int leftovers = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename() != "Score") ++leftovers;
    std::printf("[ info ] %d kills: %d left %d, %d left %d; %d temporary files left; one save "
                "takes %ld us\n",
                rounds, landed[0], records[0], landed[1], records[1], leftovers,
                static_cast<long>(oneSave.count()));
}

TEST_F(FaultFolder, NoAudioDeviceLeavesTheGameSilent) {
    writeFile("Cle.wav", wave(1, 1, 22050, 16, 4410, 4410));
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    initSound();
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0) << "an audio device opened";
    for (const char* cue : {"Cle.wav", "Ding.wav", "Fin.wav"}) playCue(cue);
    EXPECT_EQ(startedCues.size(), 3u) << "the game's cues go on as if heard";
    releaseSound();
    releaseSound();

    // The same folder with a device: the file itself was fine all along.
    initSound();
    playCue("Cle.wav");
    EXPECT_EQ(Mix_Playing(0), 1);
}

// Whatever is named "Cle.wav", set-up and every cue go on; a file that is
// not a sound at all stays silent.
TEST_F(FaultFolder, SoundFilesThatAreNotSoundsStaySilent) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::mt19937 rng(99);
    struct Case {
        const char* what;
        std::string bytes;
        bool silent; // false: the loader may play what it could read
    };
    std::vector<Case> cases = {
        {"empty", "", true},
        {"random bytes", randomBytes(rng, 4096), true},
        {"RIFF header only", "RIFF" + le32(0xFFFFFFF0) + "WAVE", true},
        {"no data block", "RIFF" + le32(28) + "WAVEfmt " + le32(16) + std::string(16, '\0'), true},
        {"no channels", wave(1, 0, 22050, 16, 100, 100), true},
        {"no sample rate", wave(1, 1, 0, 16, 100, 100), true},
        {"zero-bit samples", wave(1, 1, 22050, 0, 100, 100), true},
        {"unknown encoding", wave(0x1234, 1, 22050, 16, 100, 100), true},
        {"ADPCM without its tables", wave(2, 2, 22050, 4, 100, 100), true},
        {"data claimed but absent", wave(1, 2, 44100, 16, 0x7FFFFFF0, 10), false},
        {"odd data length", wave(1, 2, 44100, 16, 3, 3), false},
        {"huge channel count", wave(1, 0xFFFF, 22050, 16, 1000, 1000), true},
    };
    for (int i = 0; i < 20; ++i) {
        std::string bytes = wave(1, 1, 22050, 16, 400, 400);
        const size_t cut = rng() % bytes.size();
        cases.push_back({"truncated", bytes.substr(0, cut), cut < 44});
        std::string noisy = bytes;
        for (int n = 0; n < 6; ++n) noisy[12 + rng() % 32] = static_cast<char>(rng());
        cases.push_back({"header noise", noisy, false});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile("Cle.wav", c.bytes);
        initSound();
        ASSERT_NE(Mix_QuerySpec(nullptr, nullptr, nullptr), 0) << "the dummy device did not open";
        playCue("Cle.wav");
        if (c.silent) {
            EXPECT_EQ(Mix_Playing(0), 0);
        }
        releaseSound();
    }

    // A folder where the file should be.
    fs::remove("Cle.wav");
    fs::create_directory("Cle.wav");
    initSound();
    playCue("Cle.wav");
    EXPECT_EQ(Mix_Playing(0), 0);
    EXPECT_EQ(startedCues.size(), cases.size() + 1);
}

// A pipe named like a cue would make a blocking open wait for a writer that
// never comes. Set-up happens in a child with an alarm, so a hang fails the
// test instead of stalling the suite.
TEST_F(FaultFolder, PipeInPlaceOfASoundDoesNotHangSetUp) {
    ASSERT_EQ(mkfifo("Cle.wav", 0600), 0);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(5);
        initSound();
        playCue("Cle.wav");
        releaseSound();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "set-up hung on the pipe (ended by signal "
        << (WIFSIGNALED(status) ? WTERMSIG(status) : 0) << ")";
}
