// Replays: hostile files are refused with one clear line, a recording keeps
// exactly the events that change the game, and a recording cut short for
// lack of room still replays to where it says it ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/frame.h"
#include "game/state.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/keyboard.h"
#include "platform/replay/key_script.h"
#include "platform/replay/replay.h"
#include "tests/support.h"

namespace {

const std::string HEADER =
    std::string("# tirlane replay 1\n# game ") + TIRLANE_VERSION + "\n# hiscore start 0\n";
const char* const END =
    "# end calls=10 flips=10 score=0 hiscore=0 lives=3 screen=0 digest=0123456789abcdef\n";

class ReplayFiles : public gametest::GameTest {
  protected:
    void TearDown() override {
        stopPlayback();
        setLoadObserver(nullptr);
        startRecording(0, 0, 0); // recording off
        gametest::GameTest::TearDown();
    }

    // Plays `calls` calls of a script, recording, and returns the replay text.
    std::string recordRun(const std::vector<KeyEvent>& script, long calls, size_t maxEvents) {
        startRecording(maxEvents, 64, 64);
        setLoadObserver(recordHiscoreRead);
        game.hiscore = loadHiscore();
        size_t next = 0;
        long call = 0;
        for (; call < calls; ++call) {
            setReplayCall(call);
            deliverKeyEvents(script, next, call);
            if (quitRequested()) break;
            runFrame();
            digestCall();
        }
        finishRecording(currentReplayState(call));
        setLoadObserver(nullptr);
        return recordingText();
    }

    // Plays a replay file from program-start state; "" when it ends where it says.
    std::string playBack(const char* path) {
        Replay replay;
        std::string error;
        if (!readReplay(path, replay, error)) return error;
        resetGameState();
        clearQuitRequest();
        startPlayback(replay);
        game.hiscore = loadHiscore();
        size_t next = 0;
        long call = 0;
        for (; call < replay.end.calls; ++call) {
            setReplayCall(call);
            deliverKeyEvents(replay.events, next, call);
            if (quitRequested()) break;
            runFrame();
            digestCall();
        }
        const std::string result = comparePlaybackEnd(currentReplayState(call));
        stopPlayback();
        return result;
    }
};

TEST_F(ReplayFiles, HostileFilesAreRefusedWithOneClearLine) {
    struct Case {
        const char* name;
        std::string text;
        const char* mentions;
    };
    const std::string h = HEADER, e = END;
    const Case cases[] = {
        {"empty", "", "empty"},
        {"garbage",
         std::string("\x7f"
                     "ELF\x01\x02\0\0garbage\n",
                     17),
         "not a Tirlane replay"},
        {"a key script", "0 down 32\n1 up 32\n", "not a Tirlane replay"},
        {"a later format", "# tirlane replay 2\n" + e, "format 2"},
        {"no end line", h + "0 down 32\n", "cut short"},
        {"last line cut", h + "0 down 32\n" + e.substr(0, 30), "cut short"},
        {"lines after the end", h + e + "3 down 38\n", "after the end"},
        {"decreasing calls", h + "5 down 38\n4 up 38\n" + e, "decreases"},
        {"a huge call", h + "99999999999999999999 down 38\n" + e, "expected"},
        {"a call past the limit", h + "100000001 down 38\n" + e, "expected"},
        {"a code the game never sees", h + "3 down 65\n" + e, "key code 65"},
        {"a negative code", h + "3 down -38\n" + e, "expected"},
        {"an event after the last call", h + "11 down 38\n" + e, "after the last call"},
        {"no start-up hiscore", "# tirlane replay 1\n" + e, "no start-up hiscore"},
        {"two start-up hiscores", h + "# hiscore start 5\n" + e, "second start-up"},
        {"a hiscore beyond 32 bits", h + "# hiscore 3 4294967296\n" + e, "hiscore line"},
        {"reads out of order", h + "# hiscore 6 0\n# hiscore 4 0\n" + e, "out of order"},
        {"an end without its digest",
         h + "# end calls=10 flips=10 score=0 hiscore=0 lives=3 screen=0\n", "end line"},
        {"an end with a huge count",
         h + "# end calls=999999999999 flips=1 score=0 hiscore=0 lives=3 screen=0 "
             "digest=0123456789abcdef\n",
         "end line"},
        {"a quit that is not the end", h + "# quit 4 7\n" + e, "quit line"},
        {"a quit at a flip the end is not at", h + "# quit 10 7\n" + e, "quit line"},
        {"an event after the truncation", h + "10 down 38\n# truncated 10\n" + e,
         "after the truncation"},
        {"another version", "# tirlane replay 1\n# game 0.9.0\n# hiscore start 0\n" + e,
         "Tirlane 0.9.0, this is Tirlane " TIRLANE_VERSION},
        {"a check past the end", h + "# check 600 0123456789abcdef\n" + e, "check line"},
        {"a crash that is not the end", h + "# crashed 9\n" + e, "crashed line"},
        {"a line far too long", h + std::string(4000, '7') + "\n" + e, "too long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream("bad.replay", std::ios::binary) << c.text;
        Replay replay;
        std::string error;
        EXPECT_FALSE(readReplay("bad.replay", replay, error));
        EXPECT_NE(error.find(c.mentions), std::string::npos) << "error: " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    Replay replay;
    std::string error;
    std::ofstream("huge.replay") << HEADER;
    std::filesystem::resize_file("huge.replay", 100 << 20); // a sparse 100 MB
    EXPECT_FALSE(readReplay("huge.replay", replay, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_FALSE(readReplay(".", replay, error)); // a folder
    EXPECT_FALSE(readReplay("missing.replay", replay, error));
}

TEST_F(ReplayFiles, RecordingKeepsTheEventsThatChangeTheGame) {
    // Space starts a game; Up is held with the system's repeats; a key-up of
    // a key not held; Left pressed over Up and let go; Escape twice.
    const std::vector<KeyEvent> script = {
        {2, true, KEY_SPACE}, {3, false, KEY_SPACE}, {6, true, KEY_UP},      {7, true, KEY_UP},
        {8, true, KEY_UP},    {9, false, KEY_DOWN},  {10, true, KEY_LEFT},   {12, false, KEY_LEFT},
        {12, false, KEY_UP},  {14, true, 65},        {20, true, KEY_ESCAPE}, {20, true, KEY_ESCAPE},
    };
    const std::string text = recordRun(script, 30, 100);
    std::vector<std::string> keyLines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') keyLines.push_back(line);
    const std::vector<std::string> expected = {"2 down 32", "3 up 32",    "6 down 38", "10 down 37",
                                               "12 up 37",  "20 down 27", "20 down 27"};
    EXPECT_EQ(keyLines, expected) << text;
    EXPECT_NE(text.find("# hiscore start 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("# end calls=20 "), std::string::npos) << text;

    std::ofstream("run.replay") << text;
    EXPECT_EQ(playBack("run.replay"), "");
}

// With room for only three events the recording stops before the call of
// the fourth, says so, ends there, and still replays exactly.
TEST_F(ReplayFiles, ARecordingWithoutRoomEndsWhereItStopped) {
    const std::vector<KeyEvent> script = {
        {2, true, KEY_SPACE}, {3, false, KEY_SPACE}, {6, true, KEY_UP},
        {40, false, KEY_UP},  {41, true, KEY_RIGHT}, {60, false, KEY_RIGHT},
    };
    const std::string text = recordRun(script, 80, 3);
    EXPECT_NE(text.find("# truncated 40\n"), std::string::npos) << text;
    EXPECT_NE(text.find("# end calls=40 "), std::string::npos) << text;
    EXPECT_EQ(text.find("40 up 38"), std::string::npos) << text;
    std::ofstream("cut.replay") << text;
    EXPECT_EQ(playBack("cut.replay"), "");

    // The same file with an event that matters moved is caught.
    std::string moved = text;
    moved.replace(moved.find("6 down 38"), 9, "7 down 38");
    std::ofstream("moved.replay") << moved;
    EXPECT_NE(playBack("moved.replay").find("went another way"), std::string::npos);
}

// A crash within a call leaves the recording up to that call: the state the
// call began in, whatever the crash left half done, with the check lines
// before it, and that plays back exactly.
TEST_F(ReplayFiles, ACrashLeavesTheRecordingUpToTheCallItHappenedIn) {
    std::vector<KeyEvent> script;
    std::string error;
    ASSERT_TRUE(readKeyScript(TIRLANE_SOURCE_DIR "/tests/data/win.txt", script, error)) << error;
    startRecording(1000, 64, 64);
    EXPECT_FALSE(writeCrashRecording("early.replay", "early.replay.new")); // no call yet
    EXPECT_FALSE(std::filesystem::exists("early.replay"));

    for (const long crashAt : {0L, 1L, 700L, 1801L}) {
        SCOPED_TRACE(crashAt);
        resetGameState();
        clearQuitRequest();
        startRecording(1000, 64, 64);
        setLoadObserver(recordHiscoreRead);
        game.hiscore = loadHiscore();
        size_t next = 0;
        for (long call = 0; call <= crashAt; ++call) {
            setReplayCall(call);
            deliverKeyEvents(script, next, call);
            ASSERT_FALSE(quitRequested());
            runFrame();
            if (call < crashAt) digestCall(); // the crashing call never finishes
        }
        setLoadObserver(nullptr);
        std::ofstream("crash.replay") << "an earlier run's replay\n";
        ASSERT_TRUE(writeCrashRecording("crash.replay", "crash.replay.new"));
        std::ifstream in("crash.replay");
        const std::string text(std::istreambuf_iterator<char>(in), {});
        const std::string ending = "# crashed " + std::to_string(crashAt) +
                                   "\n# end calls=" + std::to_string(crashAt) + " ";
        EXPECT_NE(text.find(ending), std::string::npos) << text;
        EXPECT_EQ(text.find("# check ") != std::string::npos, crashAt > REPLAY_CHECK_EVERY) << text;
        EXPECT_EQ(playBack("crash.replay"), "") << text;
    }
}

} // namespace
