// Tirlane: the game in a window of its own. Opens the window, sets up the
// display, the sound and the stored hiscore, then runs one frame per turn of
// the loop until Escape (or closing the window) asks the game to end.
//
//   tirlane [--window]    --window starts in a window instead of full screen
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "game/frame.h"
#include "game/state.h"
#include "platform/display.h"
#include "platform/events.h"
#include "platform/hiscore.h"
#include "platform/keyboard.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "tirlane: %s: %s\n", what, SDL_GetError());
    closeWindow();
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
    std::fprintf(out, "usage: tirlane [--window]\n");
}

} // namespace

int main(int argc, char** argv) {
    bool fullScreen = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            fullScreen = false;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            usage(stdout);
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
    if (!initDisplay() || !initSurfaces()) {
        std::fprintf(stderr, "tirlane: cannot set up the back buffer: %s\n", SDL_GetError());
        releaseDisplay();
        closeWindow();
        SDL_Quit();
        return 1;
    }
    setPresenter(presentFrame);
    initSound(); // no audio device: the game runs silent
    // Loaded before the first frame, so an early Escape keeps a stored record.
    game.hiscore = loadHiscore();

    // Each turn sleeps until a small margin before the next tick, handles
    // every waiting event, then runs one frame, whose picture is presented on
    // that tick: the keys are read at the last moment before the picture that
    // answers them. Once the game has been asked to end no further frame runs.
    while (!quitRequested()) {
        waitToReadKeys();
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
