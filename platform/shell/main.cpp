// Tirlane: the game in a window of its own. Opens the window, sets up the
// display, the sound and the stored hiscore, then runs one frame per turn of
// the loop until Escape (or closing the window) asks the game to end.
// The game's pictures, sounds and record are found through platform/paths.h.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "game/frame.h"
#include "game/state.h"
#include "platform/display.h"
#include "platform/events.h"
#include "platform/hiscore.h"
#include "platform/keyboard.h"
#include "platform/paths.h"
#include "platform/sound.h"
#include "platform/window.h"

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
    std::fprintf(out, "usage: tirlane [--window] [--help] [--version]\n");
}

void help() {
    usage(stdout);
    std::printf("\n"
                "A small arcade maze game: take the keys hanging in the niches of the boxes and\n"
                "keep out of the guards' reach, through four levels.\n"
                "\n"
                "  --window     start in a window instead of full screen\n"
                "  --help       show this help and exit\n"
                "  --version    show the version and exit\n"
                "\n"
                "Keys: Space starts a game, the arrow keys walk, Escape quits,\n"
                "Alt+Enter or F11 switches between full screen and a window.\n"
                "The best score is kept in the file Score: in the working folder when the\n"
                "game runs from a folder holding its pictures, otherwise in\n"
                "$XDG_DATA_HOME/tirlane/ (by default ~/.local/share/tirlane/).\n");
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

int main(int argc, char** argv) {
    bool fullScreen = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            fullScreen = false;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            help();
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tirlane %s\n", TIRLANE_VERSION);
            return 0;
        } else {
            std::fprintf(stderr, "tirlane: unknown option %s\n", argv[i]);
            usage(stderr);
            return 2;
        }
    }

    if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail("cannot open the display");
    if (noScreenFound()) {
        SDL_SetError("no screen found (neither DISPLAY nor WAYLAND_DISPLAY is set)");
        return fail("cannot open the display");
    }
    // Without gamepad support the keyboard still plays.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);

    const char* failure = nullptr;
    if (!openWindow(fullScreen, &failure)) return fail(failure);
    SDL_ShowCursor(SDL_DISABLE);

    // A back buffer that cannot be set up ends the program before its first
    // frame, with a reason the player can act on.
    locateFiles();
    if (!initDisplay() || !initSurfaces()) return fail("cannot set up the back buffer");
    setPresenter(presentFrame);
    initSound(); // no audio device: the game runs silent
    // Loaded before the first frame, so an early Escape keeps a stored record.
    game.hiscore = loadHiscore();

    // Every waiting event is handled, then one frame runs; once the game has
    // been asked to end no further frame runs.
    while (!quitRequested()) {
        handlePendingEvents();
        if (quitRequested()) break;
        runFrame();
    }

    setPresenter(nullptr);
    releaseSound();
    closeGamepads();
    closeWindow();
    SDL_Quit();
    return 0;
}
