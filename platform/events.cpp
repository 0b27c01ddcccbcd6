#include "platform/events.h"

#include <SDL.h>

#include "game/state.h"
#include "platform/display.h"
#include "platform/gamepad.h"
#include "platform/held_keys.h"
#include "platform/keyboard.h"
#include "platform/pause_screen.h"
#include "platform/replay.h"
#include "platform/sound.h"
#include "platform/window.h"

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

void press(int holder, int code) {
    deliver(heldKeys.press(holder, code));
}

void release(int holder, int code) {
    deliver(heldKeys.release(holder, code, game.heldKey));
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
    while (const int code = heldKeys.anyHeldBy(holderOf(*pad))) release(holderOf(*pad), code);
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

// The events that came within a call and wait for it to return, in order.
// Room for far more than a hand can press during the longest sequence; key
// repeats are the first to go should it ever fill.
constexpr int DEFERRED_MAX = 4096;
SDL_Event deferred[DEFERRED_MAX];
int deferredStart = 0, deferredCount = 0;

void defer(const SDL_Event& event) {
    const bool repeat = event.type == SDL_KEYDOWN && event.key.repeat;
    if (deferredCount == DEFERRED_MAX || (repeat && deferredCount > DEFERRED_MAX * 3 / 4)) return;
    deferred[(deferredStart + deferredCount++) % DEFERRED_MAX] = event;
}

// What must happen within a call rather than wait for it to end.
bool actsAtOnce(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        return true;
    case SDL_WINDOWEVENT:
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
    defer(event);
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
    while (deferredCount > 0 && !quitRequested()) {
        const SDL_Event event = deferred[deferredStart];
        deferredStart = (deferredStart + 1) % DEFERRED_MAX;
        --deferredCount;
        handleEvent(event);
    }
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
