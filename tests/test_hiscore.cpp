#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "game/state.h"
#include "platform/ports/hiscore.h"
#include "platform/storage/files.h"
#include "tests/scratch.h"

namespace fs = std::filesystem;

namespace {

std::vector<int32_t> savedValues;
void recordSave(int32_t hiscore) {
    savedValues.push_back(hiscore);
}

// Every test runs in a fresh folder of its own, as the game's working folder.
class HiscoreFile : public ::testing::Test {
  protected:
    void SetUp() override {
        savedValues.clear();
        setSaveObserver(recordSave);
        savedHiscore = game.hiscore;
    }
    void TearDown() override {
        setSaveObserver(nullptr);
        game.hiscore = savedHiscore;
    }

    static std::string readScore() {
        std::ifstream in("Score", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeScore(const std::string& bytes) {
        std::ofstream("Score", std::ios::binary) << bytes;
    }
    // Nothing but "Score" (if anything) may be left in the folder after a save.
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    ScratchFolder scratch{"tirlane-score"};
    const fs::path& folder = scratch.path();
    int32_t savedHiscore = 0;
};

std::string bytes8(const char* text) {
    return std::string(text, 8);
}

} // namespace

TEST_F(HiscoreFile, SaveWritesTheExactEightBytesAndLoadsThemBack) {
    struct Case {
        int32_t hiscore;
        std::string bytes;
    };
    const Case cases[] = {
        {0, bytes8("-2\0\0\0\0\0\0")},  {1, bytes8("1\0\0\0\0\0\0\0")},
        {990, bytes8("2968\0\0\0\0")},  {27800, bytes8("83398\0\0\0")},
        {3333334, bytes8("10000000")}, // eight digits: no room for the zero byte
        {33333333, bytes8("99999997")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hiscore);
        game.hiscore = c.hiscore;
        saveHiscore();
        EXPECT_EQ(readScore(), c.bytes);
        EXPECT_EQ(fs::file_size("Score"), 8u);
        EXPECT_EQ(loadHiscore(), c.hiscore);
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"Score"});
    }
    EXPECT_EQ(savedValues, (std::vector<int32_t>{0, 1, 990, 27800, 3333334, 33333333}));
}

TEST_F(HiscoreFile, HandEditedFilesLoadTheirLeadingNumber) {
    struct Case {
        std::string bytes;
        int32_t hiscore;
    };
    const Case cases[] = {
        {"", 0},
        {"7", 3},
        {"10", 4},
        {"-5", -1},
        {"-3", 0},  // -1 / 3 truncates toward zero...
        {"-6", -1}, // ...and -4 / 3 too
        {"abc", 0},
        {"-", 0},
        {"+-5", 0},
        {" \t\n+13", 5},
        {std::string("12\0"
                     "999",
                     6),
         4},                     // the zero byte ends the number
        {"1234567890", 4115226}, // only eight bytes are ever read
        {"99999999999", 33333333},
        {"-2147483648", -715827},
        {"        99", 0}, // the digits lie past the eighth byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        writeScore(c.bytes);
        EXPECT_EQ(loadHiscore(), c.hiscore);
    }
}

TEST(HiscoreCodec, DecodeReadsNoFurtherThanItIsTold) {
    EXPECT_EQ(decodeHiscore("10999", 2), 4);
    EXPECT_EQ(decodeHiscore("123456789", 9), 4115226);
    EXPECT_EQ(decodeHiscore("55", 0), 0);
}

TEST(HiscoreCodec, ExtremeHiscoresAreClampedNotWrapped) {
    struct Case {
        int32_t hiscore;
        std::string bytes;
    };
    const Case cases[] = {
        {INT32_MAX, "21474836"},
        {1000000000, "21474836"}, // 3 * h - 2 is past the 32-bit range
        {INT32_MIN, "-2147483"},
        {-1000000000, "-2147483"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hiscore);
        char out[8];
        encodeHiscore(c.hiscore, out);
        EXPECT_EQ(std::string(out, 8), c.bytes);
    }
}

TEST(HiscoreCodec, EveryStorableHiscoreRoundTrips) {
    char out[8];
    int32_t failures = 0;
    for (int32_t h = 0; h <= 33333333; ++h) {
        encodeHiscore(h, out);
        if (decodeHiscore(out, 8) != h && ++failures <= 5) ADD_FAILURE() << "hiscore " << h;
    }
    EXPECT_EQ(failures, 0);
}

TEST_F(HiscoreFile, AbsentFileLoadsZero) {
    EXPECT_EQ(loadHiscore(), 0);
}

TEST_F(HiscoreFile, TwoSavesInARowLeaveTheSameFile) {
    writeScore("garbage that is longer than eight bytes");
    game.hiscore = 540;
    saveHiscore();
    saveHiscore();
    EXPECT_EQ(readScore(), bytes8("1618\0\0\0\0"));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"Score"});
    EXPECT_EQ(savedValues, (std::vector<int32_t>{540, 540}));
}

TEST_F(HiscoreFile, FolderNamedScoreLoadsZeroAndSurvivesASave) {
    fs::create_directory("Score");
    EXPECT_EQ(loadHiscore(), 0);
    game.hiscore = 77;
    saveHiscore();
    EXPECT_TRUE(fs::is_directory("Score"));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"Score"});
    EXPECT_EQ(savedValues, std::vector<int32_t>{77}); // the observer traces the attempt
}

TEST_F(HiscoreFile, ReadOnlyFolderKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "running as root: a read-only folder still takes writes";
    game.hiscore = 12;
    saveHiscore();
    ASSERT_EQ(chmod(folder.c_str(), 0500), 0);
    game.hiscore = 400;
    saveHiscore();
    EXPECT_EQ(readScore(), bytes8("34\0\0\0\0\0\0"));
    EXPECT_EQ(loadHiscore(), 12);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"Score"});
    EXPECT_EQ(savedValues, (std::vector<int32_t>{12, 400}));
}

namespace {

// What game `who` saves the `i`th time: a record, and a replay far larger than
// one write of the disk's, headed by who wrote it so a whole one can be told.
constexpr int SAVES = 150;
int32_t recordOf(int who, int i) {
    std::mt19937 rng(unsigned(1000 * who + i));
    return std::uniform_int_distribution<int32_t>(0, 3000000)(rng);
}
std::string replayOf(int who, int i) {
    const std::string head = std::to_string(who) + " " + std::to_string(i) + "\n";
    std::string text = head;
    while (text.size() < 256 * 1024) text += static_cast<char>('a' + (text.size() + who) % 26);
    return text + head;
}

} // namespace

// Two games quitting at once, again and again, into one folder: every file
// read at any moment is one whole save, each save says it landed, and the
// record only ever rises, to the highest either game saved.
TEST_F(HiscoreFile, TwoGamesSavingAtOnceKeepWholeFilesAndTheHigherRecord) {
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    pid_t games[2];
    for (int who = 0; who < 2; ++who) {
        games[who] = fork();
        ASSERT_GE(games[who], 0);
        if (games[who] == 0) {
            close(go[1]);
            char start = 0;
            if (read(go[0], &start, 1) != 0) _exit(4); // both start when the pipe closes
            int failures = 0;
            for (int i = 0; i < SAVES; ++i) {
                game.hiscore = recordOf(who, i);
                saveHiscore();
                const std::string replay = replayOf(who, i);
                if (!replaceFile("last.replay", "replay.new", replay.data(), replay.size()))
                    ++failures;
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    close(go[0]);
    close(go[1]);

    int32_t highest = 0;
    for (int who = 0; who < 2; ++who)
        for (int i = 0; i < SAVES; ++i) highest = std::max(highest, recordOf(who, i));

    // Watches the files while the games save, until both have ended.
    int32_t seen = INT32_MIN;
    int reads = 0, running = 2, status[2] = {-1, -1};
    while (running > 0) {
        for (int who = 0; who < 2; ++who) {
            if (status[who] != -1) continue;
            int code = 0;
            if (waitpid(games[who], &code, WNOHANG) == games[who]) {
                status[who] = code;
                --running;
            }
        }
        char bytes[9];
        const size_t n = readFileStart("Score", bytes, sizeof bytes);
        if (n > 0) {
            ASSERT_EQ(n, 8u) << "a torn record";
            const int32_t stored = decodeHiscore(bytes, n);
            char whole[8];
            encodeHiscore(stored, whole);
            ASSERT_EQ(std::string(bytes, 8), std::string(whole, 8)) << "a torn record";
            ASSERT_GE(stored, seen) << "the record fell";
            seen = stored;
        }
        std::ifstream in("last.replay", std::ios::binary);
        const std::string replay{std::istreambuf_iterator<char>(in), {}};
        if (!replay.empty()) {
            int who = -1, i = -1;
            ASSERT_EQ(std::sscanf(replay.c_str(), "%d %d", &who, &i), 2) << "a torn replay";
            ASSERT_TRUE(who >= 0 && who < 2 && i >= 0 && i < SAVES) << "a torn replay";
            ASSERT_EQ(replay, replayOf(who, i)) << "a torn replay";
            ++reads;
        }
    }
    for (int who = 0; who < 2; ++who) {
        SCOPED_TRACE(who);
        ASSERT_TRUE(WIFEXITED(status[who]));
        EXPECT_EQ(WEXITSTATUS(status[who]), 0) << "a save said it failed";
    }
    EXPECT_GT(reads, 0);
    EXPECT_EQ(loadHiscore(), highest);
    for (const std::string& name : folderEntries())
        EXPECT_TRUE(name == "Score" || name == "last.replay") << name << " left behind";
}
