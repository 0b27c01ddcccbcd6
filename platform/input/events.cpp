#include "platform/input/events.h"

#include <SDL.h>

#include <cstdint>

#include "game/state.h"
#include "platform/graphics/pause_screen.h"
#include "platform/input/held_keys.h"
#include "platform/input/pad_mapper.h"
#include "platform/ports/display.h"
#include "platform/ports/keyboard.h"
#include "platform/ports/sound.h"
#include "platform/replay/replay.h"
#include "platform/window/window.h"

namespace {

// The game's code for a key, or 0 for a key the game does not know.
int gameKeyCode(SDL_Keycode key) {
    switch (key) {
    case SDLK_ESCAPE:
        return KEY_ESCAPE;
    case SDLK_SPACE:
        return KEY_SPACE;
    case SDLK_LEFT:
        return KEY_LEFT;
    case SDLK_UP:
        return KEY_UP;
    case SDLK_RIGHT:
        return KEY_RIGHT;
    case SDLK_DOWN:
        return KEY_DOWN;
    default:
        return 0;
    }
}

HeldKeys heldKeys;
bool gameKeysIgnored = false;
bool playerStopped = false;
void (*endWithinCall)() = nullptr;

constexpr int PAUSED_BY_PLAYER = 1;
constexpr int PAUSED_BY_FOCUS = 2;
int pauseReasons = 0;

// Hands a key event to the game, and to the replay being recorded.
void deliver(bool down, int code) {
    if (gameKeysIgnored) {
        if (down && code == KEY_ESCAPE && !quitRequested()) {
            playerStopped = true;
            keyDown(KEY_ESCAPE);
        }
        return;
    }
    recordKey(down, code);
    if (down)
        keyDown(code);
    else
        keyUp(code);
}

void deliver(const KeyDeliveries& keys) {
    for (int i = 0; i < keys.count; ++i) deliver(keys.items[i].down, keys.items[i].code);
}

// Within a call the game's keys wait for it to return (see defer below).
bool deferring = false;
enum class Change : uint8_t { Press, Release, LetGoOfAll };
void defer(Change change, int holder, int code);

void press(int holder, int code) {
    if (deferring) return defer(Change::Press, holder, code);
    deliver(heldKeys.press(holder, code));
}

void release(int holder, int code) {
    if (deferring) return defer(Change::Release, holder, code);
    deliver(heldKeys.release(holder, code, game.heldKey));
}

// Every key this holder has down goes up (its gamepad was unplugged).
void letGoOfAll(int holder) {
    if (deferring) return defer(Change::LetGoOfAll, holder, 0);
    while (const int code = heldKeys.anyHeldBy(holder)) release(holder, code);
}

void setPause(int reason, bool on) {
    pauseReasons = on ? pauseReasons | reason : pauseReasons & ~reason;
}

bool isScreenToggle(const SDL_KeyboardEvent& key) {
    return key.keysym.sym == SDLK_F11 ||
           ((key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) &&
            (key.keysym.mod & KMOD_ALT));
}

bool isPauseKey(const SDL_KeyboardEvent& key) {
    return key.keysym.sym == SDLK_p || key.keysym.sym == SDLK_PAUSE;
}

// Keys that act on the window, never on the game: handled at once, even
// within a call.
bool isWindowKey(const SDL_KeyboardEvent& key) {
    return isScreenToggle(key) || isPauseKey(key) || key.keysym.sym == SDLK_m;
}

void handleWindowKey(const SDL_KeyboardEvent& key) {
    if (key.state != SDL_PRESSED || key.repeat) return;
    if (isScreenToggle(key)) {
        toggleFullScreen();
    } else if (isPauseKey(key)) {
        setPause(PAUSED_BY_PLAYER, !(pauseReasons & PAUSED_BY_PLAYER));
    } else {
        setSoundMuted(!soundMuted());
    }
}

void handleKey(const SDL_KeyboardEvent& key) {
    if (isWindowKey(key)) return handleWindowKey(key);
    const int code = gameKeyCode(key.keysym.sym);
    if (code == 0) return;
    // A repeat stores the same key again, as the game expects.
    if (key.state == SDL_PRESSED) {
        press(HOLDER_KEYBOARD, code);
    } else {
        release(HOLDER_KEYBOARD, code);
    }
}

// Closing the window between calls ends the game the way Escape does.
void closeRequested() {
    if (!quitRequested()) deliver(true, KEY_ESCAPE);
}

struct Gamepad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    PadMapper mapper;
};
constexpr int MAX_GAMEPADS = 8;
Gamepad gamepads[MAX_GAMEPADS];

// A gamepad holds keys as the slot after the keyboard's.
int holderOf(const Gamepad& pad) {
    return 1 + static_cast<int>(&pad - gamepads);
}

Gamepad* findGamepad(SDL_JoystickID id) {
    for (Gamepad& pad : gamepads) {
        if (pad.controller && pad.id == id) return &pad;
    }
    return nullptr;
}

void send(const Gamepad& pad, const PadKeyEvents& keys) {
    for (int i = 0; i < keys.count; ++i) {
        if (keys.events[i].down) {
            press(holderOf(pad), keys.events[i].code);
        } else {
            release(holderOf(pad), keys.events[i].code);
        }
    }
}

void addGamepad(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (findGamepad(id)) { // already open: SDL hands out a second reference
        SDL_GameControllerClose(controller);
        return;
    }
    for (Gamepad& pad : gamepads) {
        if (!pad.controller) {
            pad = Gamepad{controller, id, PadMapper{}};
            return;
        }
    }
    SDL_GameControllerClose(controller); // no room for more
}

void removeGamepad(SDL_JoystickID id) {
    Gamepad* pad = findGamepad(id);
    if (!pad) return;
    send(*pad, pad->mapper.releaseAll());
    letGoOfAll(holderOf(*pad));
    SDL_GameControllerClose(pad->controller);
    *pad = Gamepad{};
}

PadButton padButton(Uint8 button) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
        return PadButton::A;
    case SDL_CONTROLLER_BUTTON_START:
        return PadButton::Start;
    case SDL_CONTROLLER_BUTTON_BACK:
        return PadButton::Back;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        return PadButton::DpadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        return PadButton::DpadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        return PadButton::DpadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        return PadButton::DpadRight;
    default:
        return PadButton::Other;
    }
}

PadAxis padAxis(Uint8 axis) {
    switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:
        return PadAxis::LeftX;
    case SDL_CONTROLLER_AXIS_LEFTY:
        return PadAxis::LeftY;
    default:
        return PadAxis::Other;
    }
}

void handleWindowEvent(const SDL_WindowEvent& window) {
    switch (window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        closeRequested();
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        setPause(PAUSED_BY_FOCUS, true);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED:
        setPause(PAUSED_BY_FOCUS, false);
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
    case SDL_CONTROLLERDEVICEADDED:
        addGamepad(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        removeGamepad(event.cdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        if (Gamepad* pad = findGamepad(event.cbutton.which)) {
            send(*pad, pad->mapper.button(padButton(event.cbutton.button),
                                          event.cbutton.state == SDL_PRESSED));
        }
        break;
    case SDL_CONTROLLERAXISMOTION:
        if (Gamepad* pad = findGamepad(event.caxis.which)) {
            send(*pad, pad->mapper.axis(padAxis(event.caxis.axis), event.caxis.value));
        }
        break;
    default:
        break;
    }
}

// The game's keys that changed within a call, waiting, in order, for it to
// return. Only what the game acts on waits: a pad's stick is read at once,
// so only its moves into and out of a direction wait, and a key repeated with
// nothing between changes nothing. The mouse, text and the keys the game
// does not know never wait, however many come during a long sequence.
struct Deferred {
    Change change;
    uint8_t holder;
    int code;
};
constexpr int DEFERRED_MAX = 1024;
Deferred deferred[DEFERRED_MAX];
int deferredNext = 0, deferredCount = 0;

// Should that ever fill, each key keeps its latest state from then on, in the
// order of the latest changes, so no key-up is ever lost; an Escape pressed
// among them still ends the game (its key-up does nothing).
constexpr int HOLDERS = 1 + MAX_GAMEPADS;
constexpr int GAME_KEYS = 6; // Escape, Space and the four arrows
Deferred latest[HOLDERS * GAME_KEYS];
int latestCount = 0;
bool lettingGo[HOLDERS] = {}; // an unplugged pad among them
bool overflowing = false;     // from then on, until the call returns

void keepLatest(Change change, int holder, int code) {
    if (change == Change::LetGoOfAll) {
        // What the pad did before it went is gone with it.
        int kept = 0;
        for (int i = 0; i < latestCount; ++i)
            if (latest[i].holder != holder) latest[kept++] = latest[i];
        latestCount = kept;
        lettingGo[holder] = true;
        return;
    }
    if (change == Change::Release && code == KEY_ESCAPE) return;
    int kept = 0;
    for (int i = 0; i < latestCount; ++i)
        if (latest[i].holder != holder || latest[i].code != code) latest[kept++] = latest[i];
    latestCount = kept;
    if (latestCount < HOLDERS * GAME_KEYS)
        latest[latestCount++] = Deferred{change, uint8_t(holder), code};
}

void defer(Change change, int holder, int code) {
    const Deferred d{change, uint8_t(holder), code};
    overflowing = overflowing || deferredCount == DEFERRED_MAX;
    if (overflowing) return keepLatest(change, holder, code);
    if (change == Change::Press && deferredCount > deferredNext) {
        const Deferred& last = deferred[deferredCount - 1];
        if (last.change == d.change && last.holder == d.holder && last.code == d.code) return;
    }
    deferred[deferredCount++] = d;
}

void apply(const Deferred& d) {
    switch (d.change) {
    case Change::Press:
        return press(d.holder, d.code);
    case Change::Release:
        return release(d.holder, d.code);
    case Change::LetGoOfAll:
        return letGoOfAll(d.holder);
    }
}

void handleDeferred() {
    while (deferredNext < deferredCount && !quitRequested()) apply(deferred[deferredNext++]);
    if (deferredNext < deferredCount) return;
    deferredNext = deferredCount = 0;
    overflowing = false;
    for (int holder = 0; holder < HOLDERS; ++holder) {
        if (lettingGo[holder] && !quitRequested()) letGoOfAll(holder);
        lettingGo[holder] = false;
    }
    for (int i = 0; i < latestCount && !quitRequested(); ++i) apply(latest[i]);
    latestCount = 0;
}

// What must happen within a call rather than wait for it to end.
bool actsAtOnce(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        return true;
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
    return event.type == SDL_CONTROLLERBUTTONDOWN &&
           event.cbutton.button == SDL_CONTROLLER_BUTTON_BACK && findGamepad(event.cbutton.which);
}

void handleWithinCall(const SDL_Event& event, bool paused) {
    if (actsAtOnce(event)) return handleAtOnce(event);
    // Paused, Escape ends the game at once, as closing the window does.
    if (paused && isEscapePress(event) && endWithinCall) return endWithinCall();
    deferring = true;
    handleEvent(event);
    deferring = false;
}

void showPausedPicture() {
    const uint32_t* frame = backBufferPixels();
    const uint32_t* picture = pauseScreenOf(frame, backBufferPitch());
    if (picture)
        showPicture(picture, SCREEN_W);
    else if (frame)
        showPicture(frame, backBufferPitch());
}

} // namespace

void handlePendingEvents() {
    handleDeferred();
    SDL_Event event;
    while (SDL_PollEvent(&event)) handleEvent(event);
}

void handleEventsWithinCall() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) handleWithinCall(event, false);
}

bool gamePaused() {
    return pauseReasons != 0;
}

void waitWhilePaused(bool withinCall) {
    if (!gamePaused()) return;
    pauseCues(true);
    showPausedPicture();
    while (gamePaused() && !quitRequested()) {
        SDL_Event event;
        if (!SDL_WaitEventTimeout(&event, 250)) continue;
        if (withinCall)
            handleWithinCall(event, true);
        else
            handleEvent(event);
        if (gamePaused() && !quitRequested()) showPausedPicture();
    }
    pauseCues(false);
}

void liftPlayerPause() {
    setPause(PAUSED_BY_PLAYER, false);
}

void ignoreGameKeys(bool on) {
    gameKeysIgnored = on;
}

bool stoppedByPlayer() {
    return playerStopped;
}

void setEndWithinCall(void (*end)()) {
    endWithinCall = end;
}

void closeGamepads() {
    for (Gamepad& pad : gamepads) {
        if (pad.controller) SDL_GameControllerClose(pad.controller);
        pad = Gamepad{};
    }
}
