// tirlane-headless: runs the real game code with scripted keys, no window,
// no audio and no pacing, and prints a per-call trace of the game state.
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

#include "game/frame.h"
#include "game/state.h"
#include "platform/display.h"
#include "platform/hiscore.h"
#include "platform/keyboard.h"
#include "platform/sound.h"
#include "tools/keyscript.h"

namespace {

struct Shot {
    long at;
    std::string file;
};

struct Options {
    long calls = -1;
    const char* input = nullptr;
    bool trace = false;
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
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--shot" || a == "--shot-flip") {
            const long at = numberArg(argc, argv, i, a.c_str());
            const char* file = textArg(argc, argv, i, a.c_str());
            (a == "--shot" ? o.shots : o.flipShots).push_back({at, file});
        } else {
            fail("unknown argument '" + a + "'");
        }
    }
    if (o.calls < 0) fail("--calls N is required");
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

void presenter(const uint32_t* pixels, int pitch) {
    const long flip = flipCount();
    while (nextFlipShot < flipShotsSorted.size() && flipShotsSorted[nextFlipShot].at <= flip) {
        if (flipShotsSorted[nextFlipShot].at == flip && pixels)
            writeScreenshot(flipShotsSorted[nextFlipShot].file.c_str(), pixels, pitch);
        ++nextFlipShot;
    }
}

void printTrace(long call) {
    char line[2048];
    int n =
        std::snprintf(line, sizeof line,
                      "call=%ld flips=%ld screen=%d phase=%d prepared=%d score=%d hiscore=%d "
                      "lives=%d x=%d y=%d mx=%d my=%d cross=%d key=%d demo=%d wait=%d guards=",
                      call, flipCount(), game.screen, game.phase, game.preparedScreen, game.score,
                      game.hiscore, game.lives, game.playerX, game.playerY, game.moveX, game.moveY,
                      game.crossingSide, game.heldKey, game.demoPos, game.demoWait);
    for (int g = 1; g <= GUARD_COUNT; ++g)
        n += std::snprintf(line + n, sizeof line - n, "%s%d:%d", g > 1 ? "," : "", guards[g].pos,
                           guards[g].vel);
    n += std::snprintf(line + n, sizeof line - n, " sides=");
    for (int s = 1; s <= SIDE_COUNT; ++s)
        n += std::snprintf(line + n, sizeof line - n, "%s%d", s > 1 ? "," : "", sides[s]);
    n += std::snprintf(line + n, sizeof line - n, " boxes=");
    for (int b = 1; b <= BOX_COUNT; ++b) line[n++] = boxes[b] ? '1' : '0';
    line[n++] = '\n';
    std::fwrite(line, 1, n, stdout);
}

} // namespace

int main(int argc, char** argv) {
    options = parseArgs(argc, argv);
    const std::vector<KeyEvent> events = readInput(options.input);
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
    setPresenter(presenter);
    if (!initDisplay() || !initSurfaces()) {
        std::fprintf(stderr, "tirlane-headless: cannot set up the back buffer\n");
        return 1;
    }
    // The stored record is known before the first frame, so an early Escape
    // can never overwrite it with 0.
    game.hiscore = loadHiscore();

    size_t next = 0;
    for (long call = 0; call < options.calls; ++call) {
        deliverKeyEvents(events, next, call);
        if (quitRequested()) break;
        runFrame();
        if (tracing) printTrace(call);
        for (const Shot& shot : options.shots)
            if (shot.at == call && backBufferPixels())
                writeScreenshot(shot.file.c_str(), backBufferPixels(), backBufferPitch());
    }
    std::fflush(stdout);
    releaseDisplay();
    releaseSound();
    return 0;
}
