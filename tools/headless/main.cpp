// tirlane-headless: runs the real game code with scripted keys, no window,
// no audio and no pacing, and prints a per-call trace of the game state. It
// also plays replays written by the window game and checks where they end
// (--replay), and writes a replay of its own run (--write-replay).
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/sound.h"
#include "platform/replay/key_script.h"
#include "platform/replay/replay.h"
#include "platform/session/session.h"
#include "tools/trace_line.h"

namespace {

struct Shot {
    long at;
    std::string file;
};

struct Options {
    long calls = -1;
    const char* input = nullptr;
    const char* replay = nullptr;      // a replay to play and check
    const char* writeReplay = nullptr; // where to write a replay of this run
    bool trace = false;
    bool noPictures = false;     // run without drawing; the game goes the same way
    bool printEnd = false;       // with --replay: print the run's own end state
    std::vector<Shot> shots;     // after call C
    std::vector<Shot> flipShots; // at flip F
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "tirlane-headless: %s\n", message.c_str());
    std::exit(2);
}

long numberArg(int argc, char** argv, int& i, const char* name) {
    long v = 0;
    if (i + 1 >= argc) fail(std::string("missing value for ") + name);
    if (!parseCount(argv[++i], v))
        fail(std::string("bad value for ") + name + ": '" + argv[i] + "'");
    return v;
}

const char* textArg(int argc, char** argv, int& i, const char* name) {
    if (i + 1 >= argc) fail(std::string("missing value for ") + name);
    return argv[++i];
}

Options parseArgs(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--calls") {
            o.calls = numberArg(argc, argv, i, "--calls");
        } else if (a == "--input") {
            o.input = textArg(argc, argv, i, "--input");
        } else if (a == "--replay") {
            o.replay = textArg(argc, argv, i, "--replay");
        } else if (a == "--write-replay") {
            o.writeReplay = textArg(argc, argv, i, "--write-replay");
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--no-pictures") {
            o.noPictures = true;
        } else if (a == "--print-end") {
            o.printEnd = true;
        } else if (a == "--shot" || a == "--shot-flip") {
            const long at = numberArg(argc, argv, i, a.c_str());
            const char* file = textArg(argc, argv, i, a.c_str());
            (a == "--shot" ? o.shots : o.flipShots).push_back({at, file});
        } else {
            fail("unknown argument '" + a + "'");
        }
    }
    if (o.replay && o.input) fail("--input and --replay cannot be combined");
    if (o.replay && o.writeReplay) fail("--replay and --write-replay cannot be combined");
    if (o.calls < 0 && !o.replay) fail("--calls N is required");
    if (o.noPictures && (!o.shots.empty() || !o.flipShots.empty()))
        fail("--no-pictures and --shot/--shot-flip cannot be combined");
    if (o.printEnd && !o.replay) fail("--print-end needs --replay");
    return o;
}

std::vector<KeyEvent> readInput(const char* path) {
    std::vector<KeyEvent> events;
    std::string error;
    if (path && !readKeyScript(path, events, error)) fail(error);
    return events;
}

Options options;
bool tracing = false;

void onCue(const char* file) {
    if (tracing) std::printf("cue %ld %s\n", flipCount(), file);
}

void onSave(int32_t value) {
    if (tracing) std::printf("save %d\n", value);
}

size_t nextFlipShot = 0;
std::vector<Shot> flipShotsSorted;
Replay replay;

// The run's best game: the highest score any game in it reached, and the
// flip it was first reached at (a board ranks equal scores by the time taken).
int32_t bestScore = 0;
long bestFlips = 0;

void noteBest() {
    if (game.score > bestScore) {
        bestScore = game.score;
        bestFlips = flipCount();
    }
}

// A replay's end, or the call --calls stopped it at: 0 when the run matches
// the file there, else 3 with a line saying where it went another way.
int report(const SessionEnd& end) {
    // What this run reached, whatever the file claims: a board takes its
    // score from here.
    if (options.printEnd) {
        noteBest();
        std::printf("best score=%d flips=%ld\n", static_cast<int>(bestScore), bestFlips);
        std::printf("end %s\n", describeReplayState(currentReplayState(end.calls)).c_str());
    }
    std::fflush(stdout);
    // A slowed run replays the same calls: its pace is said, never checked.
    if (replay.speed != 100)
        std::fprintf(stderr, "tirlane-headless: %s: recorded at speed %d\n", options.replay,
                     replay.speed);
    if (end.difference.empty()) return 0;
    std::fprintf(stderr, "tirlane-headless: %s: does not replay: %s\n", options.replay,
                 end.difference.c_str());
    return 3;
}

// The replay's window was closed within this call at this flip: the game
// ended there, saving as Escape does, with the rest of the call never run.
[[noreturn]] void endedWithinCall(const SessionEnd& end) {
    std::exit(report(end));
}

void present(const uint32_t* pixels, int pitch) {
    const long flip = flipCount();
    while (nextFlipShot < flipShotsSorted.size() && flipShotsSorted[nextFlipShot].at <= flip) {
        if (flipShotsSorted[nextFlipShot].at == flip && pixels)
            writeScreenshot(flipShotsSorted[nextFlipShot].file.c_str(), pixels, pitch);
        ++nextFlipShot;
    }
}

void afterCall(long call) {
    noteBest();
    if (tracing) {
        char line[TRACE_LINE_SIZE];
        int n = formatTraceLine(line, sizeof line - 1, call);
        line[n++] = '\n';
        std::fwrite(line, 1, n, stdout);
    }
    for (const Shot& shot : options.shots)
        if (shot.at == call && backBufferPixels())
            writeScreenshot(shot.file.c_str(), backBufferPixels(), backBufferPitch());
}

// No window, no waiting: every call runs at once.
FrontEnd runner() {
    FrontEnd f;
    f.present = present;
    f.afterCall = afterCall;
    f.endedWithinCall = endedWithinCall;
    return f;
}

} // namespace

int main(int argc, char** argv) {
    options = parseArgs(argc, argv);
    std::vector<KeyEvent> events = readInput(options.input);
    SessionPlan plan;
    plan.calls = options.calls;
    plan.keys = &events;
    if (options.replay) {
        std::string error;
        if (!readReplay(options.replay, replay, error)) fail(error);
        plan.playback = &replay;
        plan.keys = &replay.events;
        plan.stopAtFirstDifference = true;
    }
    if (options.writeReplay)
        plan.recording = {events.size() + 16, static_cast<size_t>(options.calls / 1000 + 64),
                          static_cast<size_t>(options.calls / REPLAY_CHECK_EVERY + 2)};
    tracing = options.trace;

    flipShotsSorted = options.flipShots;
    std::stable_sort(flipShotsSorted.begin(), flipShotsSorted.end(),
                     [](const Shot& a, const Shot& b) { return a.at < b.at; });

    // TIRLANE_LINE_BUFFERED=1 (the sanitized runs): a sanitizer report ends
    // the program without flushing, so every line goes out as it is written.
    static char outBuffer[1 << 16];
    const char* lineBuffered = std::getenv("TIRLANE_LINE_BUFFERED");
    const bool byLine = lineBuffered && std::strcmp(lineBuffered, "1") == 0;
    std::setvbuf(stdout, outBuffer, byLine ? _IOLBF : _IOFBF, sizeof outBuffer);
#ifdef _WIN32
    // Lines end in a bare \n on Windows too, so traces compare byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
#endif

    setCueObserver(onCue);
    setSaveObserver(onSave);
    setDrawing(!options.noPictures);
    if (!initDisplay() || !initSurfaces()) {
        std::fprintf(stderr, "tirlane-headless: cannot set up the back buffer\n");
        return 1;
    }
    const SessionEnd end = runSession(runner(), plan);
    std::fflush(stdout);
    int status = 0;
    if (options.writeReplay &&
        !writeRecording(options.writeReplay, (std::string(options.writeReplay) + ".new").c_str())) {
        std::fprintf(stderr, "tirlane-headless: cannot write replay '%s'\n", options.writeReplay);
        status = 1;
    }
    if (options.replay) status = report(end);
    releaseDisplay();
    releaseSound();
    return status;
}
