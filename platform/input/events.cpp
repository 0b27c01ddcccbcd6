#include "platform/input/events.h"

#include <SDL.h>

#include "game/keys.h"
#include "platform/input/game_keys.h"
#include "platform/input/gamepads.h"
#include "platform/input/held_keys.h"
#include "platform/input/key_queue.h"
#include "platform/input/pause.h"
#include "platform/input/settings_menu.h"
#include "platform/ports/keyboard.h"
#include "platform/ports/sound.h"
#include "platform/settings/settings.h"
#include "platform/window/window.h"

namespace {

void (*endWithinCall)() = nullptr;

constexpr int GAME_CODES[GAME_ACTION_COUNT] = {KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_SPACE};

// The game's code for a key, or 0 for a key the game does not know. The
// player's keys reach the game as its own five, so a replay holds the game's
// keys whatever the player pressed.
int gameKeyCode(SDL_Keycode key) {
    if (key == SDLK_ESCAPE) return KEY_ESCAPE;
    const int action = actionOfKey(currentSettings(), key);
    return action >= 0 && action < GAME_ACTION_COUNT ? GAME_CODES[action] : 0;
}

bool isAction(const SDL_KeyboardEvent& key, SettingsAction action) {
    return actionOfKey(currentSettings(), key.keysym.sym) == action;
}

bool isScreenToggle(const SDL_KeyboardEvent& key) {
    return isAction(key, ACTION_FULLSCREEN) ||
           ((key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) &&
            (key.keysym.mod & KMOD_ALT));
}

bool isPauseKey(const SDL_KeyboardEvent& key) {
    return isAction(key, ACTION_PAUSE);
}

// Keys that act on the window, never on the game: handled at once, even
// within a call.
bool isWindowKey(const SDL_KeyboardEvent& key) {
    return isScreenToggle(key) || isPauseKey(key) || isAction(key, ACTION_MUTE);
}

void handleWindowKey(const SDL_KeyboardEvent& key) {
    if (key.state != SDL_PRESSED || key.repeat) return;
    // The player's choice of sound and screen is kept for the next start.
    if (isScreenToggle(key)) {
        toggleFullScreen();
        screenWindowed() = !screenWindowed();
        currentSettings().windowed = screenWindowed();
        saveSettings();
    } else if (isPauseKey(key)) {
        togglePlayerPause();
    } else {
        setSoundMuted(!soundMuted());
        currentSettings().muted = soundMuted();
        saveSettings();
    }
}

void handleKey(const SDL_KeyboardEvent& key) {
    if (isWindowKey(key)) return handleWindowKey(key);
    const int code = gameKeyCode(key.keysym.sym);
    if (code == 0) return;
    // A repeat stores the same key again, as the game expects.
    if (key.state == SDL_PRESSED) {
        pressGameKey(HOLDER_KEYBOARD, code);
    } else {
        releaseGameKey(HOLDER_KEYBOARD, code);
    }
}

// Closing the window between calls ends the game the way Escape does.
void closeRequested() {
    if (!quitRequested()) deliverGameKey(true, KEY_ESCAPE);
}

void handleWindowEvent(const SDL_WindowEvent& window) {
    switch (window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        closeRequested();
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        setPause(PauseReason::Focus, true);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED:
        setPause(PauseReason::Focus, false);
        break;
    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
        displayChanged();
        break;
    default:
        break;
    }
}

void handleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        closeRequested();
        break;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window);
        break;
    case SDL_DISPLAYEVENT:
        displayChanged();
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        handleKey(event.key);
        break;
    default:
        handleGamepadEvent(event);
        break;
    }
}

// What must happen within a call rather than wait for it to end.
bool actsAtOnce(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
    case SDL_WINDOWEVENT:
    case SDL_DISPLAYEVENT:
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return isWindowKey(event.key);
    default:
        return false;
    }
}

// Within a call: the window closed (or SIGTERM) ends the game now.
void handleAtOnce(const SDL_Event& event) {
    const bool closing = event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT &&
                                                    event.window.event == SDL_WINDOWEVENT_CLOSE);
    if (closing) {
        if (endWithinCall) endWithinCall();
        return;
    }
    handleEvent(event);
}

// Escape, or a gamepad's Back, which plays as Escape.
bool isEscapePress(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN) return event.key.keysym.sym == SDLK_ESCAPE;
    return isGamepadBack(event);
}

void handleWithinCall(const SDL_Event& event, bool paused) {
    if (actsAtOnce(event)) return handleAtOnce(event);
    // Paused, Escape ends the game at once, as closing the window does.
    if (paused && isEscapePress(event) && endWithinCall) return endWithinCall();
    holdKeyChanges(true);
    handleEvent(event);
    holdKeyChanges(false);
}

} // namespace

void handlePendingEvents() {
    applyWaitingKeyChanges();
    SDL_Event event;
    while (SDL_PollEvent(&event)) handleEvent(event);
}

void handleEventsWithinCall() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) handleWithinCall(event, false);
}

void waitWhilePaused(bool withinCall) {
    if (!gamePaused()) return;
    pauseCues(true);
    showPausedPicture();
    while (gamePaused() && !quitRequested()) {
        SDL_Event event;
        if (!SDL_WaitEventTimeout(&event, 250)) continue;
        // The settings screen takes the keys and pads while it is open; the
        // window's own events (closing it, the focus) act as ever.
        if (settingsMenuOpen() && handleSettingsMenuEvent(event)) {
        } else if (!settingsMenuOpen() && opensSettingsMenu(event)) {
            openSettingsMenu();
        } else if (withinCall) {
            handleWithinCall(event, true);
        } else {
            handleEvent(event);
        }
        if (!gamePaused() || quitRequested()) break;
        if (settingsMenuOpen())
            showSettingsMenu();
        else
            showPausedPicture();
    }
    closeSettingsMenu();
    pauseCues(false);
}

void setEndWithinCall(void (*end)()) {
    endWithinCall = end;
}
