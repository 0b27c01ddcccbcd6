// Tirlane in a browser: the same game on the page's canvas. Names the game's
// folders (the assets preloaded into one, the record put back from the
// browser's storage into the other), sets up the window, the display and the
// sound, then runs the game's session (platform/session/session.h) as the
// desktop does, each frame's flips waiting for the display's refreshes. A page cannot quit: once
// Escape has saved and released the display, the page shows that the game has ended, and its button
// (or Space) starts the game afresh in the same page. Every game is recorded as the desktop records
// it, and the end card offers its replay; a replay the page was given is played instead of a game.
#include <SDL.h>
#include <emscripten.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "game/state.h"
#include "platform/graphics/pause_screen.h"
#include "platform/input/events.h"
#include "platform/input/game_keys.h"
#include "platform/input/key_queue.h"
#include "platform/input/pause.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/keyboard.h"
#include "platform/ports/sound.h"
#include "platform/replay/replay.h"
#include "platform/session/session.h"
#include "platform/settings/settings.h"
#include "platform/storage/paths.h"
#include "platform/web/record_store.h"
#include "platform/web/settings_store.h"
#include "platform/web/test_hooks.h"
#include "platform/web/window_web.h"
#include "platform/window/front_end.h"
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

// Hands the page the replay of the game that just ended, for its end card.
EM_JS(void, offerReplay, (const char* text), {
    if (Module.tirlaneOfferReplay) Module.tirlaneOfferReplay(UTF8ToString(text));
});

// The file in the page's file system the page asked to be played (the
// request is taken), into `path`; false when there is none.
EM_JS(int, takeReplayRequest, (char* path, int size), {
    var asked = Module.tirlaneReplayRequest || "";
    Module.tirlaneReplayRequest = null;
    stringToUTF8(asked, path, size);
    return asked.length > 0 ? 1 : 0;
});

// Tells the page a replay is playing (or not), or why one cannot be played.
EM_JS(void, showReplaying, (int on, const char* error), {
    if (Module.tirlaneShowReplaying) Module.tirlaneShowReplaying(on !== 0, UTF8ToString(error));
});

// Tells the page the game is paused or playing on (the screen may sleep while paused).
EM_JS(void, showPaused, (int paused), {
    if (Module.tirlaneShowPaused) Module.tirlaneShowPaused(paused !== 0);
});
// clang-format on

namespace {

// The build preloads the assets into the first; the second, in memory, holds
// "Score" while the page is open.
constexpr const char* ASSET_FOLDER = "/game/";
constexpr const char* RECORD_FOLDER = "/record/";

// Room for a game's recording, made once; the same as the window game's.
constexpr RecordingRoom RECORDING = {
    1 << 20, // key events: hours of the busiest play
    1 << 16, // hiscore reads: a title set-up every minute and more
    1 << 17, // check lines: two weeks of play
};
Replay replay;
bool replayShown = false; // a replay played, until the next game starts: nothing of it is saved

WebTestRun test;
bool testing = false;
int session = 0; // 0 for the page's first game, then one more for each start again

int fail(const char* what) {
    std::fprintf(stderr, "tirlane: %s: %s\n", what, SDL_GetError());
    return 1;
}

void onSave(int32_t) {
    keepRecord(recordPath(RECORD_SCORE));
}

// The page's turn: a call that shows a picture hands the browser its turn in
// the present; calls that show nothing (the end screens waiting for a key)
// wait for the next refresh at every second one, as they wait for the next
// tick on the desktop, so the page keeps answering and the key can come.
void waitForTurn(IdleCalls::Next next) {
    if (next == IdleCalls::Next::NextTick) waitForRefresh();
}

void beforeCall(long call) {
    if (testing && session == 0 && call == test.pacedFrom) setPacing(true);
}

void afterCall(long call) {
    if (testing) publishState(session, call);
}

// Escape while paused inside a sequence ends the game there, saving as Escape
// does. A page cannot leave the call: with the display released, the rest of
// it draws and shows nothing and returns at once, and no call follows.
void endedWithinCall(const SessionEnd&) {}

void holdWhilePaused(bool withinCall) {
    if (!gamePaused()) return;
    showPaused(1);
    waitWhilePausedInPage(withinCall);
    showPaused(0);
}

FrontEnd page() {
    FrontEnd f = windowFrontEnd();
    f.waitForTurn = waitForTurn;
    f.holdWhilePaused = holdWhilePaused;
    f.beforeCall = beforeCall;
    f.afterCall = afterCall;
    f.endedWithinCall = endedWithinCall;
    return f;
}

// A test run that has made its calls shows the last flipped frame and stops.
[[noreturn]] void stopTestRun() {
    showBackBuffer();
    publishStopped();
    for (;;) waitForRefresh();
}

// Reads the replay the page asked for, if any; false (the page told why)
// when there is none or it cannot be played.
bool replayRequested() {
    char path[256];
    if (!takeReplayRequest(path, sizeof path)) return false;
    std::string error;
    if (readReplay(path, replay, error)) return true;
    showReplaying(0, error.c_str());
    return false;
}

// One game from its start to Escape (the page's test keys go to the first),
// recorded; or a replay, played to its end or until Escape, with only
// Escape, P and M acting and nothing saved.
void play() {
    SessionPlan plan;
    if (testing) {
        plan.calls = test.calls;
        if (session == 0) plan.keys = &test.events;
    }
    if (replayRequested()) {
        plan.playback = &replay;
        plan.keys = &replay.events;
        showReplaying(1, "");
        replayShown = true;
        const SessionEnd end = runSession(page(), plan);
        stopPlayback();
        ignoreGameKeys(false);
        showReplaying(0, end.difference.c_str());
        if (!quitRequested()) releaseDisplay(); // played to its end: as if Escape had ended it
        return;
    }
    plan.recording = RECORDING;
    runSession(page(), plan);
    if (!quitRequested()) stopTestRun();
    offerReplay(recordingText().c_str());
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
    replayShown = false;
    resetGameState();          // the key that asked is not held on the title
    liftPlayerPause();         // a game ended while paused: the new one starts playing
    forgetWaitingKeyChanges(); // keys pressed in the last game's last call stay there
    clearQuitRequest();
    restoreSettings(configPath(CONFIG_SETTINGS)); // the panel's changes take hold
    loadSettings();
    return initDisplay() && initSurfaces();
}

} // namespace

// Leaving the page (closing its tab, going to another) keeps a record held at
// that moment, as closing the window does on the desktop. The page calls this
// while the game waits for a refresh, never inside a frame's own work.
extern "C" EMSCRIPTEN_KEEPALIVE void tirlaneLeavePage() {
    if (!replayShown && !quitRequested() && game.score == game.hiscore) saveHiscore();
}

// The page hidden (another tab, the phone locked) pauses the game as a window
// losing the focus does, and keeps the record as leaving the page does; shown
// again, it plays on, and the refresh pacer starts its clock afresh rather
// than catching up.
extern "C" EMSCRIPTEN_KEEPALIVE void tirlanePageHidden(int hidden) {
    if (hidden) tirlaneLeavePage();
    setPause(PauseReason::Focus, hidden != 0);
}

int main() {
    // Emscripten's file system starts with a mask that would leave a new
    // "Score" unreadable.
    umask(022);
    useGameFolders(ASSET_FOLDER, RECORD_FOLDER);
    if (prepareRecordFolder()) restoreRecord(recordPath(RECORD_SCORE));
    setSaveObserver(onSave);
    // The settings (the page's panel writes them too) sit beside the record.
    useConfigFolder(RECORD_FOLDER);
    restoreSettings(configPath(CONFIG_SETTINGS));
    loadSettings();
    setSettingsSaveObserver(keepSettings);

    testing = readTestRun(test);
    setPacing(test.paced);
    setPresentLog(test.logPresents);

    if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail("cannot open the display");
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER); // without gamepads the keyboard still plays
    const char* failure = nullptr;
    if (!openWindow(false, &failure)) return fail(failure);
    if (!initDisplay() || !initSurfaces()) return fail("cannot set up the back buffer");
    initPauseScreen(); // without it the pause shows the last frame as it is
    setSoundMuted(currentSettings().muted);
    initSound(); // silent until the first key press lets the page play sound

    for (;; ++session) {
        play();
        waitForStartAgain();
        if (!startAgain()) return fail("cannot set up the back buffer");
    }
}
