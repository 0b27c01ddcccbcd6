// Tirlane: the game in a window of its own. Opens the window, sets up the
// display, the sound and the stored hiscore, then runs the game's session
// (platform/session/session.h) until Escape (or closing the window) ends it.
// The game's pictures, sounds and record are found through
// platform/storage/paths.h.
#include <SDL.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/desktop/desktop_window.h"
#include "platform/desktop/options.h"
#include "platform/graphics/pause_screen.h"
#include "platform/input/events.h"
#include "platform/input/gamepads.h"
#include "platform/input/pause.h"
#include "platform/input/settings_menu.h"
#include "platform/ports/display.h"
#include "platform/ports/keyboard.h"
#include "platform/ports/sound.h"
#include "platform/replay/replay.h"
#include "platform/replay/run_files.h"
#include "platform/session/session.h"
#include "platform/settings/settings.h"
#include "platform/storage/files.h"
#include "platform/storage/paths.h"
#include "platform/window/front_end.h"
#include "platform/window/window.h"

namespace {

constexpr RecordingRoom RECORDING = {
    1 << 20, // key events: hours of the busiest play
    1 << 16, // hiscore reads: a title set-up every minute and more
    1 << 17, // check lines: two weeks of play
};

Options options;
Replay replay;

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

void shutDown() {
    setPresenter(nullptr);
    releaseSound();
    releasePauseScreen();
    closeGamepads();
    closeWindow();
    SDL_Quit();
}

// A played replay's end: 0, or 3 with a line saying where it went another way.
int report(const SessionEnd& end) {
    if (end.difference.empty()) return 0;
    std::fprintf(stderr, "tirlane: %s does not replay: %s\n", options.replay,
                 end.difference.c_str());
    return 3;
}

// The game ended within a call: saved and recorded as Escape would have,
// and no further frame runs.
[[noreturn]] void endedWithinCall(const SessionEnd& end) {
    const int status = report(end);
    if (!end.playback) writeRunReplays(sessionRecordAtStart());
    shutDown();
    std::exit(status);
}

// --stop-at: the picture stays until Escape.
void afterCall(long call) {
    if (call != options.stopAt) return;
    while (!quitRequested()) {
        handlePendingEvents();
        waitWhilePaused(false);
        showPicture(backBufferPixels(), backBufferPitch());
        SDL_Delay(20);
    }
}

// Each turn sleeps until a small margin before the next tick, handles every
// waiting event, then runs one frame, whose picture is presented on that
// tick: the keys are read at the last moment before the picture that answers
// them.
FrontEnd window() {
    FrontEnd f = windowFrontEnd();
    f.waitForTurn = waitToReadKeys;
    f.afterCall = afterCall;
    f.endedWithinCall = endedWithinCall;
    return f;
}

// The settings screen's scale shows at once.
void applySettings() {
    setPictureFit(currentSettings().scale == PictureScale::Fit);
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
    }

    if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail("cannot open the display");
    if (noScreenFound()) {
        SDL_SetError("no screen found (neither DISPLAY nor WAYLAND_DISPLAY is set)");
        return fail("cannot open the display");
    }
    // The settings live beside the record or in the player's config folder,
    // so the files are located first.
    locateFiles();
    loadSettings();
    Settings& settings = currentSettings();
    // Without gamepad support the keyboard still plays; the player's own pad
    // descriptions come before the first pad is opened.
    if (const char* pads = configPath(CONFIG_PAD_DATABASE); pads && isPlainFile(pads))
        SDL_GameControllerAddMappingsFromFile(pads);
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);

    // A replay plays at the pace it was recorded at unless told otherwise.
    const int speed = options.speed    ? options.speed
                      : options.replay ? replay.speed
                                       : settings.speed;
    setGameSpeed(speed);
    setRecordedSpeed(speed);
    applySettings();
    setSettingsApplier(applySettings);
    // --window and --mute hold for this run; what the player then switches
    // is kept from the state the run is in.
    const bool fullScreen = options.fullScreen && !settings.windowed;
    screenWindowed() = !fullScreen;
    const char* failure = nullptr;
    if (!openWindow(fullScreen, &failure)) return fail(failure);
    SDL_ShowCursor(SDL_DISABLE);

    // A back buffer that cannot be set up ends the program before its first
    // frame, with a reason the player can act on.
    if (!initDisplay() || !initSurfaces()) return fail("cannot set up the back buffer");
    initPauseScreen();
    setSoundMuted(options.mute || settings.muted);
    initSound(); // no audio device: the game runs silent

    SessionPlan plan;
    if (options.replay) {
        plan.playback = &replay;
        plan.keys = &replay.events;
    } else {
        plan.recording = RECORDING;
        keepRunReplays();
    }
    const SessionEnd end = runSession(window(), plan);

    const int result = report(end);
    if (!end.playback) writeRunReplays(sessionRecordAtStart());
    shutDown();
    return result;
}
