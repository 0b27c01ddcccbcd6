// Tirlane in a browser: the same game on the page's canvas. Names the game's
// folders (the assets preloaded into one, the record put back from the
// browser's storage into the other), sets up the window, the display and the
// sound, then runs one
// frame per turn of the loop as the desktop does, each frame's flips waiting
// for the display's refreshes. A page cannot quit: once Escape has saved and
// released the display, the page shows that the game has ended, and its
// button (or Space) starts the game afresh in the same page.
#include <SDL.h>
#include <emscripten.h>
#include <sys/stat.h>

#include <cstdio>

#include "game/frame.h"
#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/input/events.h"
#include "platform/ports/hiscore.h"
#include "platform/session/idle_calls.h"
#include "platform/ports/keyboard.h"
#include "platform/storage/paths.h"
#include "platform/graphics/pause_screen.h"
#include "platform/ports/sound.h"
#include "platform/web/record_store.h"
#include "platform/web/test_hooks.h"
#include "platform/web/window_web.h"
#include "platform/window/window.h"

// The bodies of EM_JS are JavaScript, kept as written.
// clang-format off
// Shows or hides the page's notice that the game has ended.
EM_JS(void, showGameEnded, (int ended), {
    if (Module.tirlaneShowEnded) Module.tirlaneShowEnded(ended !== 0);
});

// Whether the page's button asked to start again (the request is taken).
EM_JS(int, takeStartAgain, (), {
    var asked = Module.tirlaneStartAgain === true;
    Module.tirlaneStartAgain = false;
    return asked ? 1 : 0;
});
// clang-format on

namespace {

// The build preloads the assets into the first; the second, in memory, holds
// "Score" while the page is open.
constexpr const char* ASSET_FOLDER = "/game/";
constexpr const char* RECORD_FOLDER = "/record/";

WebTestRun test;
bool testing = false;
size_t nextTestEvent = 0;

int fail(const char* what) {
    std::fprintf(stderr, "tirlane: %s: %s\n", what, SDL_GetError());
    return 1;
}

void onSave(int32_t) {
    keepRecord(recordPath(RECORD_SCORE));
}

// Escape while paused inside a sequence ends the game there, saving as Escape
// does. A page cannot leave the call: with the display released, the rest of
// it draws and shows nothing and returns at once, and no call follows.
void endWithinCall() {
    if (!quitRequested()) keyDown(KEY_ESCAPE);
}

// A test run that has made its calls shows the last flipped frame and stops.
[[noreturn]] void stopTestRun() {
    showBackBuffer();
    publishStopped();
    for (;;) waitForRefresh();
}

// One game from its start to Escape: every waiting event is handled, then one
// frame runs; once the game has been asked to end no further frame runs. A
// call that shows a picture hands the browser its turn in the present; calls
// that show nothing (the end screens waiting for a key) wait for the next
// refresh at every second one, as they wait for the next tick on the desktop,
// so the page keeps answering and the key can come.
void play(int session) {
    game.hiscore = loadHiscore(); // before the first frame, so an early Escape keeps the record
    long call = 0;
    IdleCalls idleCalls;
    bool showed = true; // nothing to wait for before the first call
    while (!quitRequested()) {
        if (idleCalls.next(showed) == IdleCalls::Next::NextTick) waitForRefresh();
        handlePendingEvents();
        if (gamePaused()) { // paused, no frame runs at all
            waitWhilePausedInPage(false);
            continue;
        }
        if (testing) {
            if (test.calls >= 0 && call >= test.calls) stopTestRun();
            if (session == 0 && call == test.pacedFrom) setPacing(true);
            deliverKeyEvents(test.events, nextTestEvent, call);
        }
        if (quitRequested()) break;
        const long flips = flipCount();
        runFrame();
        showed = flipCount() != flips;
        if (testing) publishState(session, call);
        ++call;
    }
}

// Whether Space (or a gamepad's A or Start, which play as Space) was pressed
// among the waiting events; they stay queued.
bool spaceWaiting() {
    SDL_Event events[32];
    int n = SDL_PeepEvents(events, 32, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYDOWN);
    for (int i = 0; i < n; ++i)
        if (events[i].key.keysym.sym == SDLK_SPACE) return true;
    n = SDL_PeepEvents(events, 32, SDL_PEEKEVENT, SDL_CONTROLLERBUTTONDOWN,
                       SDL_CONTROLLERBUTTONDOWN);
    for (int i = 0; i < n; ++i) {
        const Uint8 button = events[i].cbutton.button;
        if (button == SDL_CONTROLLER_BUTTON_A || button == SDL_CONTROLLER_BUTTON_START) return true;
    }
    return false;
}

// Waits, a refresh at a time, until the page's button or Space asks to start
// again. The other events go through the usual handling, so a further Escape
// saves again, as on the desktop, and a gamepad plugged in meanwhile is opened.
void waitForStartAgain() {
    showGameEnded(1);
    for (;;) {
        waitForRefresh();
        const bool space = spaceWaiting();
        handlePendingEvents();
        if (space || takeStartAgain()) break;
    }
    showGameEnded(0);
}

bool startAgain() {
    resetGameState();  // the key that asked is not held on the title
    liftPlayerPause(); // a game ended while paused: the new one starts playing
    clearQuitRequest();
    return initDisplay() && initSurfaces();
}

} // namespace

// Leaving the page (closing its tab, going to another) keeps a record held at
// that moment, as closing the window does on the desktop. The page calls this
// while the game waits for a refresh, never inside a frame's own work.
extern "C" EMSCRIPTEN_KEEPALIVE void tirlaneLeavePage() {
    if (!quitRequested() && game.score == game.hiscore) saveHiscore();
}

int main() {
    // Emscripten's file system starts with a mask that would leave a new
    // "Score" unreadable.
    umask(022);
    useGameFolders(ASSET_FOLDER, RECORD_FOLDER);
    if (prepareRecordFolder()) restoreRecord(recordPath(RECORD_SCORE));
    setSaveObserver(onSave);

    testing = readTestRun(test);
    setPacing(test.paced);
    setPresentLog(test.logPresents);

    if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail("cannot open the display");
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER); // without gamepads the keyboard still plays
    const char* failure = nullptr;
    if (!openWindow(false, &failure)) return fail(failure);
    if (!initDisplay() || !initSurfaces()) return fail("cannot set up the back buffer");
    initPauseScreen(); // without it the pause shows the last frame as it is
    setPresenter(presentFrame);
    setEndWithinCall(endWithinCall);
    initSound(); // silent until the first key press lets the page play sound

    for (int session = 0;; ++session) {
        play(session);
        waitForStartAgain();
        if (!startAgain()) return fail("cannot set up the back buffer");
    }
}
