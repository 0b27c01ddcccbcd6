// End to end through tirlane-headless: scripted keys in, the per-call trace
// out, run in a fresh folder each time.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support.h"

namespace fs = std::filesystem;

namespace {

struct Output {
    int status = -1;
    std::vector<std::string> lines; // standard output
    std::string errors;             // standard error
};

// One call line as a field map ("call" -> "3", "x" -> "144", ...).
std::map<std::string, std::string> fields(const std::string& line) {
    std::map<std::string, std::string> f;
    std::istringstream in(line);
    std::string word;
    while (in >> word) {
        const size_t eq = word.find('=');
        if (eq != std::string::npos) f[word.substr(0, eq)] = word.substr(eq + 1);
    }
    return f;
}

class Trace : public gametest::GameTest {
  protected:
    Output run(const std::string& args, const std::string& input = "") {
        if (!input.empty()) std::ofstream("keys.txt") << input;
        const std::string command = std::string("'") + TIRLANE_HEADLESS + "' " + args +
                                    (input.empty() ? "" : " --input keys.txt") + " 2>errors.txt";
        Output r;
        FILE* out = popen(command.c_str(), "r");
        if (!out) return r;
        char buffer[4096];
        std::string line;
        while (std::fgets(buffer, sizeof buffer, out)) {
            line += buffer;
            if (!line.empty() && line.back() == '\n') {
                line.pop_back();
                r.lines.push_back(line);
                line.clear();
            }
        }
        const int status = pclose(out);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err("errors.txt");
        r.errors.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
        return r;
    }
    // The call line of call C.
    static std::map<std::string, std::string> call(const Output& r, int c) {
        const std::string prefix = "call=" + std::to_string(c) + " ";
        for (const std::string& l : r.lines)
            if (l.rfind(prefix, 0) == 0) return fields(l);
        ADD_FAILURE() << "no line for call " << c;
        return {};
    }
    // Index of the call line of call C in the output, -1 if absent.
    static int lineOf(const Output& r, int c) {
        const std::string prefix = "call=" + std::to_string(c) + " ";
        for (size_t i = 0; i < r.lines.size(); ++i)
            if (r.lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
        return -1;
    }
};

TEST_F(Trace, SpacePreparesLevelOneInTheNextCallWithoutAFlip) {
    const Output r = run("--calls 3 --trace", "0 down 32\n1 up 32\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(call(r, 0)["screen"], "1");
    EXPECT_EQ(call(r, 0)["flips"], "1");
    EXPECT_EQ(r.lines[0], "cue 1 Cle.wav");
    auto c1 = call(r, 1);
    EXPECT_EQ(c1["flips"], "1");
    EXPECT_EQ(c1["screen"], "1");
    EXPECT_EQ(c1["prepared"], "1");
    EXPECT_EQ(c1["x"], "144");
    EXPECT_EQ(c1["y"], "80");
    EXPECT_EQ(call(r, 2)["flips"], "2");
}

// Up out of the start niche (call 2), then Right held from call 11: a step
// every nine calls.
TEST_F(Trace, HoldingRightWalksSixteenPixelsEveryNineCalls) {
    const Output r =
        run("--calls 40 --trace", "0 down 32\n1 up 32\n2 down 38\n3 up 38\n11 down 39\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    auto c10 = call(r, 10);
    EXPECT_EQ(c10["x"], "144");
    EXPECT_EQ(c10["y"], "64");
    EXPECT_EQ(c10["phase"], "0");
    EXPECT_EQ(call(r, 11)["x"], "144"); // the frame that starts a step does not move
    EXPECT_EQ(call(r, 12)["x"], "146");
    for (int c : {19, 28, 37}) EXPECT_EQ(call(r, c)["x"], std::to_string(144 + 16 * (c - 10) / 9));
    EXPECT_EQ(call(r, 37)["score"], "0");
}

// Up twice from the start: out of the niche, then into the niche of side 17,
// which pays at the fourth 2-pixel move.
TEST_F(Trace, EntryPaysAtTheFourthMove) {
    const Output r = run("--calls 20 --trace", "0 down 32\n1 up 32\n2 down 38\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(call(r, 11)["cross"], "17");
    EXPECT_EQ(call(r, 14)["score"], "0");
    EXPECT_EQ(call(r, 14)["my"], "-10");
    auto c15 = call(r, 15);
    EXPECT_EQ(c15["score"], "10");
    EXPECT_EQ(c15["my"], "-8");
    EXPECT_EQ(c15["cross"], "0");
    const int at = lineOf(r, 15);
    ASSERT_GT(at, 0);
    EXPECT_EQ(r.lines[at - 1].rfind("cue ", 0), 0u);
    EXPECT_NE(r.lines[at - 1].find(" Cle.wav"), std::string::npos);
    // Side 17 is the 17th entry of the sides list.
    std::istringstream sides(c15["sides"]);
    std::string value;
    for (int s = 1; s <= 17; ++s) std::getline(sides, value, ',');
    EXPECT_EQ(value, "3");
}

TEST_F(Trace, EscapeEndsTheRunBeforeItsCall) {
    const Output r = run("--calls 10 --trace", "5 down 27\n5 down 32\n");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_GE(lineOf(r, 4), 0);
    EXPECT_EQ(lineOf(r, 5), -1);
    ASSERT_FALSE(r.lines.empty());
    EXPECT_EQ(r.lines.back(), "save 0");
    EXPECT_TRUE(fs::exists(folder / "Score"));
}

TEST_F(Trace, BadArgumentsAndInputsExitWithStatusTwo) {
    struct Case {
        const char* args;
        const char* input;
        const char* mustMention;
    };
    const Case cases[] = {
        {"--calls 5", "# keys\n\n0 down 32\n1 up 32\n\n# then\n3 sideways 40\n", "7"},
        {"--calls 5", "0 down 32\n2 down\n", "2"},
        {"--calls 5", "3 down 32\n1 up 32\n", "2"},
        {"--calls 5 --bogus", "", nullptr},
        {"--trace", "", nullptr},
        {"--calls", "", nullptr},
        {"--calls five", "", nullptr},
        {"--calls 5 --input missing.txt", "", nullptr},
        {"--calls 5 --no-pictures --shot 2 a.bmp", "", "--no-pictures"},
        {"--calls 5 --shot-flip 2 a.bmp --no-pictures", "", "--no-pictures"},
        {"--calls 5 --print-end", "", "--print-end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const Output r = run(c.args, c.input);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.lines.empty()); // nothing was run
        EXPECT_FALSE(r.errors.empty());
        EXPECT_EQ(r.errors.find('\n'), r.errors.size() - 1); // one line
        if (c.mustMention) {
            EXPECT_NE(r.errors.find(c.mustMention), std::string::npos) << r.errors;
        }
        fs::remove("keys.txt");
    }
    EXPECT_FALSE(fs::exists(folder / "Score"));
}

// A replay is played until it differs from the run, and stopped at the first
// check line that does, naming its call; --calls checks it only that far.
TEST_F(Trace, AReplayIsCheckedUpToItsFirstDifferenceOrTheCallAsked) {
    std::ifstream win(TIRLANE_SOURCE_DIR "/tests/data/win.txt");
    ASSERT_EQ(run("--calls 2000 --write-replay run.replay",
                  std::string(std::istreambuf_iterator<char>(win), {}))
                  .status,
              0);
    std::ifstream in("run.replay");
    const std::string recorded(std::istreambuf_iterator<char>(in), {});
    ASSERT_NE(recorded.find("\n# check 1200 "), std::string::npos) << recorded;

    // The first arrow pressed, two calls later: the walk is off from there.
    std::string moved = recorded;
    const size_t arrow = moved.find(" down 38\n");
    ASSERT_NE(arrow, std::string::npos);
    const size_t start = moved.rfind('\n', arrow) + 1;
    const long at = std::stol(moved.substr(start, arrow - start));
    ASSERT_LT(at, 500);
    moved.replace(start, arrow - start, std::to_string(at + 2));
    // The check line at 1200 altered: everything else goes as recorded.
    std::string altered = recorded;
    const size_t digit = altered.find("\n# check 1200 ") + 14;
    altered[digit] = altered[digit] == '0' ? '1' : '0';
    // Older files have no check lines.
    std::string unchecked;
    std::istringstream lines(recorded);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("# check ", 0) != 0) unchecked += line + "\n";

    struct Case {
        const char* name;
        const std::string& text;
        const char* args;
        int status;
        int calls; // the calls played
        const char* mentions;
    };
    const Case cases[] = {
        {"as recorded", recorded, "", 0, 2000, ""},
        {"as recorded, up to call 1300", recorded, " --calls 1300", 0, 1300, ""},
        {"without check lines", unchecked, "", 0, 2000, ""},
        {"a key moved", moved, "", 3, 600, "by call 600"},
        {"a key moved, up to call 1300", moved, " --calls 1300", 3, 600, "by call 600"},
        {"a check line altered", altered, "", 3, 1200, "by call 1200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream("case.replay", std::ios::binary) << c.text;
        const Output r = run(std::string("--trace --replay case.replay") + c.args);
        EXPECT_EQ(r.status, c.status) << r.errors;
        EXPECT_GE(lineOf(r, c.calls - 1), 0);
        EXPECT_EQ(lineOf(r, c.calls), -1);
        EXPECT_NE(r.errors.find(c.mentions), std::string::npos) << r.errors;
    }
}

// The whole winning game, played back with the real pictures and without
// drawing any: both check the same, and --print-end says what the run itself
// reached, not what the file claims, so a file that lies about its score is
// refused and still printed with the run's own.
TEST_F(Trace, TheWinningGameChecksTheSameWithoutPicturesAndPrintsItsOwnBest) {
    for (const fs::directory_entry& e : fs::directory_iterator(TIRLANE_ASSETS_DIR))
        fs::copy_file(e.path(), folder / e.path().filename(), fs::copy_options::overwrite_existing);
    std::ifstream win(TIRLANE_SOURCE_DIR "/tests/data/win.txt");
    ASSERT_EQ(run("--calls 40000 --write-replay win.replay",
                  std::string(std::istreambuf_iterator<char>(win), {}))
                  .status,
              0);
    std::ifstream in("win.replay");
    const std::string recorded(std::istreambuf_iterator<char>(in), {});
    const size_t endLine = recorded.rfind("\n# end ");
    ASSERT_NE(endLine, std::string::npos);
    const std::string end = recorded.substr(endLine + 7, recorded.size() - endLine - 8);
    // The file claims a higher score at its end than the run reaches.
    std::string boasting = recorded;
    const size_t score = boasting.find(" score=", endLine);
    boasting.replace(score, 8, " score=9");

    struct Case {
        const char* name;
        const std::string& text;
        const char* args;
        int status;
    };
    const Case cases[] = {
        {"with pictures", recorded, "", 0},
        {"without pictures", recorded, " --no-pictures", 0},
        {"boasting, without pictures", boasting, " --no-pictures", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream("case.replay", std::ios::binary) << c.text;
        const Output r = run(std::string("--replay case.replay --print-end") + c.args);
        EXPECT_EQ(r.status, c.status) << r.errors;
        ASSERT_EQ(r.lines.size(), 2u);
        const auto best = fields(r.lines[0]);
        EXPECT_EQ(r.lines[0].rfind("best ", 0), 0u) << r.lines[0];
        EXPECT_EQ(best.at("score"), "27800");
        EXPECT_GT(std::stol(best.at("flips")), 0);
        EXPECT_EQ(r.lines[1], "end " + end);
    }
}

} // namespace

namespace {

TEST_F(Trace, BadReplaysExitWithStatusTwoAndRunNothing) {
    struct Case {
        const char* name;
        std::string text;
        const char* args;
    };
    const Case cases[] = {
        {"garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), ""},
        {"cut short", "# tirlane replay 1\n# hiscore start 0\n0 down 32\n1 up 3", ""},
        {"a huge call", "# tirlane replay 1\n# hiscore start 0\n123456789012345678901 down 32\n",
         ""},
        {"decreasing calls", "# tirlane replay 1\n# hiscore start 0\n9 down 38\n8 up 38\n", ""},
        {"with --input as well", "# tirlane replay 1\n", " --input keys.txt"},
        {"another version",
         "# tirlane replay 1\n# game 0.9.0\n# hiscore start 0\n# end calls=10 flips=10 score=0 "
         "hiscore=0 lives=3 screen=0 digest=0123456789abcdef\n",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream("bad.replay", std::ios::binary) << c.text;
        std::ofstream("keys.txt") << "0 down 32\n";
        const Output r = run(std::string("--trace --replay bad.replay") + c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.lines.empty());                                    // nothing was run
        EXPECT_EQ(r.errors.find('\n'), r.errors.size() - 1) << r.errors; // one line
        if (std::string(c.name) == "another version") {
            EXPECT_NE(r.errors.find("0.9.0, this is Tirlane " TIRLANE_VERSION), std::string::npos)
                << r.errors;
        }
    }
    EXPECT_FALSE(fs::exists(folder / "Score"));
}

} // namespace
