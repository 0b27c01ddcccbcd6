// Tirlane: the game in a window of its own. Opens the window, sets up the
// display, the sound and the stored hiscore, then runs one frame per turn of
// the loop until Escape (or closing the window) asks the game to end.
// The game's pictures, sounds and record are found through platform/paths.h.
#include <SDL.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/frame.h"
#include "game/state.h"
#include "platform/replay/crash.h"
#include "platform/ports/display.h"
#include "platform/input/events.h"
#include "platform/storage/files.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/keyboard.h"
#include "platform/replay/key_script.h"
#include "platform/storage/paths.h"
#include "platform/graphics/pause_screen.h"
#include "platform/replay/replay.h"
#include "platform/ports/sound.h"
#include "platform/window/window.h"

namespace {

// Says why the game cannot start, and ends it. On Windows the reason shows in
// a message box as well: a program started from the desktop has no console.
int fail(const char* what) {
    char line[512];
    std::snprintf(line, sizeof line, "tirlane: %s: %s", what, SDL_GetError());
    std::fprintf(stderr, "%s\n", line);
    releaseDisplay();
    closeWindow();
#ifdef _WIN32
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Tirlane", line, nullptr);
#endif
    SDL_Quit();
    return 1;
}

// SDL falls back on an invisible video driver when it finds no screen; the
// game uses one only when asked for it by name (the tests do).
bool noScreenFound() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked && *asked) return false;
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

void usage(std::FILE* out) {
    std::fprintf(out, "usage: tirlane [--window] [--mute] [--replay FILE [--stop-at CALL]]\n"
                      "       tirlane --help | --version\n");
}

void help() {
    usage(stdout);
    std::printf(
        "\n"
        "A small arcade maze game: take the keys hanging in the niches of the boxes and\n"
        "keep out of the guards' reach, through four levels.\n"
        "\n"
        "  --window          start in a window instead of full screen\n"
        "  --mute            start with the sound muted\n"
        "  --replay FILE     play a replay (last.replay, record.replay) at the normal pace\n"
        "  --stop-at CALL    with --replay: stop after that call and keep its picture\n"
        "                    until Escape\n"
        "  --help            show this help and exit\n"
        "  --version         show the version and exit\n"
        "\n"
        "Keys: Space starts a game, the arrow keys walk, Escape quits, P or Pause\n"
        "pauses, M mutes, Alt+Enter or F11 switches between full screen and a window.\n"
        "The best score is kept in the file Score, with the replays of the last run\n"
        "(last.replay) and of the last record (record.replay): in the working folder\n"
        "when the game runs uninstalled from a folder holding its pictures,\n"
        "otherwise in $XDG_DATA_HOME/tirlane/ (by default ~/.local/share/tirlane/).\n");
}

struct Options {
    bool fullScreen = true;
    bool mute = false;
    const char* replay = nullptr;
    long stopAt = -1;
};

// Parses the command line; -1 to go on, else the exit status.
int parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--window") == 0) {
            o.fullScreen = false;
        } else if (std::strcmp(a, "--mute") == 0) {
            o.mute = true;
        } else if (std::strcmp(a, "--replay") == 0 && i + 1 < argc) {
            o.replay = argv[++i];
        } else if (std::strcmp(a, "--stop-at") == 0 && i + 1 < argc) {
            if (!parseCount(argv[++i], o.stopAt)) {
                std::fprintf(stderr, "tirlane: bad call for --stop-at: %s\n", argv[i]);
                usage(stderr);
                return 2;
            }
        } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            help();
            return 0;
        } else if (std::strcmp(a, "--version") == 0) {
            std::printf("tirlane %s\n", TIRLANE_VERSION);
            return 0;
        } else {
            std::fprintf(stderr, "tirlane: %s %s\n",
                         std::strcmp(a, "--replay") == 0 || std::strcmp(a, "--stop-at") == 0
                             ? "missing value for"
                             : "unknown option",
                         a);
            usage(stderr);
            return 2;
        }
    }
    if (o.stopAt >= 0 && !o.replay) {
        std::fprintf(stderr, "tirlane: --stop-at goes with --replay\n");
        usage(stderr);
        return 2;
    }
    return -1;
}

// --- The run: recorded as a replay, or a replay played back.

constexpr size_t RECORDED_EVENTS = 1 << 20; // hours of the busiest play
constexpr size_t RECORDED_READS = 1 << 16;  // a title set-up every minute and more
constexpr size_t RECORDED_CHECKS = 1 << 17; // two weeks of play

Options options;
Replay replay;
bool playing = false;
bool replaysWritten = false; // by writeReplays: a crash after it leaves them be
long call = 0;               // the call running, or about to
int32_t recordAtStart = 0;
int32_t bestSaved = INT32_MIN;

// Only a record that reached the file counts: record.replay goes with the
// record in "Score", never with one that failed to save or lost to a higher
// one another game stored meanwhile.
void noteSave(int32_t hiscore) {
    if (lastSaveKeptRecord() && hiscore > bestSaved) bestSaved = hiscore;
}

// Writes last.replay, and record.replay when the run raised the record.
void writeReplays() {
    if (playing || !recording()) return;
    finishRecording(currentReplayState(call));
    if (!prepareRecordFolder()) {
        reportFailedSave(recordPath(RECORD_LAST_REPLAY));
        return;
    }
    const char* temp = recordPath(RECORD_REPLAY_TEMP);
    writeRecording(recordPath(RECORD_LAST_REPLAY), temp);
    if (bestSaved > recordAtStart) writeRecording(recordPath(RECORD_BEST_REPLAY), temp);
}

// A crash leaves last.replay up to the call it happened in; when that cannot
// be written, no last.replay at all, never the one of an earlier run.
void writeCrashReplay() {
    if (playing || replaysWritten || !prepareRecordFolder()) return;
    const char* path = recordPath(RECORD_LAST_REPLAY);
    if (!writeCrashRecording(path, recordPath(RECORD_REPLAY_TEMP)) && path) removeFile(path);
}

void shutDown() {
    setPresenter(nullptr);
    releaseSound();
    releasePauseScreen();
    closeGamepads();
    closeWindow();
    SDL_Quit();
}

// Where a played replay stands against its end line: 0, or 3 with a line.
int checkPlayback() {
    if (stoppedByPlayer()) return 0;
    const std::string difference = comparePlaybackEnd(currentReplayState(call));
    if (difference.empty()) return 0;
    std::fprintf(stderr, "tirlane: %s does not replay: %s\n", options.replay, difference.c_str());
    return 3;
}

// The game ends in the middle of a call (the window closed, SIGTERM, Escape
// while paused): saved as Escape saves, recorded as ending at this flip.
[[noreturn]] void endWithinCall() {
    if (!playing) {
        recordQuitWithinCall();
        keyDown(KEY_ESCAPE);
    }
    writeReplays();
    replaysWritten = true;
    shutDown();
    std::exit(0);
}

// A replay closed within a call ends there; the rest of the call never ran.
void playbackPresenter(const uint32_t* pixels, int pitch) {
    presentFrame(pixels, pitch);
    if (replay.quitCall == call && replay.quitFlip == replayFlips()) {
        const int status = checkPlayback();
        shutDown();
        std::exit(status);
    }
}

// --stop-at: the picture stays until Escape.
void holdPicture() {
    while (!quitRequested()) {
        handlePendingEvents();
        waitWhilePaused(false);
        showPicture(backBufferPixels(), backBufferPitch());
        SDL_Delay(20);
    }
}

// Finds the pictures, sounds and the record's folder; when no folder holds
// the pictures, says where it looked and plays on without them.
void locateFiles() {
    if (locateGameFiles() != FilesLayout::NotFound) return;
    const std::string& installed = installedAssetFolder();
    std::fprintf(stderr, "tirlane: no game pictures found in %s%s%s; playing without them\n",
                 workingFolder().c_str(), installed.empty() ? "" : " nor in ", installed.c_str());
}

} // namespace

// A windowed Windows program has no console of its own: started from a
// command prompt, it writes its help, version and messages to that one.
static void useParentConsole() {
#ifdef _WIN32
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::FILE* ignored = nullptr;
    if (_fileno(stdout) < 0) ignored = std::freopen("CONOUT$", "w", stdout);
    if (_fileno(stderr) < 0) ignored = std::freopen("CONOUT$", "w", stderr);
    (void)ignored;
#endif
}

int main(int argc, char** argv) {
    useParentConsole();
    const int status = parseOptions(argc, argv, options);
    if (status >= 0) return status;
    // A replay that cannot be played is refused before anything opens.
    if (options.replay) {
        std::string error;
        if (!readReplay(options.replay, replay, error)) {
            std::fprintf(stderr, "tirlane: %s\n", error.c_str());
            return 2;
        }
        playing = true;
    }

    if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail("cannot open the display");
    if (noScreenFound()) {
        SDL_SetError("no screen found (neither DISPLAY nor WAYLAND_DISPLAY is set)");
        return fail("cannot open the display");
    }
    // Without gamepad support the keyboard still plays.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);

    const char* failure = nullptr;
    if (!openWindow(options.fullScreen, &failure)) return fail(failure);
    SDL_ShowCursor(SDL_DISABLE);

    // A back buffer that cannot be set up ends the program before its first
    // frame, with a reason the player can act on.
    locateFiles();
    if (!initDisplay() || !initSurfaces()) return fail("cannot set up the back buffer");
    initPauseScreen();
    setSoundMuted(options.mute);
    initSound(); // no audio device: the game runs silent
    setEndWithinCall(endWithinCall);
    if (playing) {
        startPlayback(replay);
        ignoreGameKeys(true);
        setPresenter(playbackPresenter);
    } else {
        startRecording(RECORDED_EVENTS, RECORDED_READS, RECORDED_CHECKS);
        installCrashHandler(writeCrashReplay);
        setLoadObserver(recordHiscoreRead);
        setSaveObserver(noteSave);
        setPresenter(presentFrame);
    }
    // Loaded before the first frame, so an early Escape keeps a stored record.
    game.hiscore = loadHiscore();
    recordAtStart = game.hiscore;

    // Each turn sleeps until a small margin before the next tick, handles
    // every waiting event, then runs one frame, whose picture is presented on
    // that tick: the keys are read at the last moment before the picture that
    // answers them. Once the game has been asked to end no further frame runs;
    // paused, no frame runs at all. A replay that ended within a call runs
    // into that call, up to its flip.
    const long lastCall = playing ? replay.end.calls + (replay.quitCall >= 0 ? 1 : 0) : LONG_MAX;
    size_t next = 0;
    while (!quitRequested() && call < lastCall) {
        waitToReadKeys();
        setReplayCall(call);
        handlePendingEvents();
        if (gamePaused()) {
            waitWhilePaused(false);
            continue;
        }
        if (playing) deliverKeyEvents(replay.events, next, call);
        if (quitRequested()) break;
        runFrame();
        digestCall();
        if (call++ == options.stopAt) holdPicture();
    }

    const int end = playing ? checkPlayback() : 0;
    writeReplays();
    replaysWritten = true;
    shutDown();
    return end;
}
