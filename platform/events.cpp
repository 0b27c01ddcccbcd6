#include "platform/events.h"

#include <SDL.h>

#include "game/state.h"
#include "platform/gamepad.h"
#include "platform/keyboard.h"
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

bool isScreenToggle(const SDL_KeyboardEvent& key) {
    return key.keysym.sym == SDLK_F11 ||
           ((key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) &&
            (key.keysym.mod & KMOD_ALT));
}

void handleKey(const SDL_KeyboardEvent& key) {
    if (isScreenToggle(key)) {
        if (key.state == SDL_PRESSED && !key.repeat) toggleFullScreen();
        return;
    }
    const int code = gameKeyCode(key.keysym.sym);
    if (code == 0) return;
    // A repeat stores the same key again, as the game expects.
    if (key.state == SDL_PRESSED) {
        keyDown(code);
    } else {
        keyUp(code);
    }
}

// Closing the window ends the game the way Escape does.
void closeRequested() {
    if (!quitRequested()) keyDown(KEY_ESCAPE);
}

struct Gamepad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    PadMapper mapper;
};
constexpr int MAX_GAMEPADS = 8;
Gamepad gamepads[MAX_GAMEPADS];

Gamepad* findGamepad(SDL_JoystickID id) {
    for (Gamepad& pad : gamepads) {
        if (pad.controller && pad.id == id) return &pad;
    }
    return nullptr;
}

void send(const PadKeyEvents& keys) {
    for (int i = 0; i < keys.count; ++i) {
        if (keys.events[i].down) {
            keyDown(keys.events[i].code);
        } else {
            keyUp(keys.events[i].code);
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
    send(pad->mapper.releaseAll());
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

void handleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        closeRequested();
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) closeRequested();
        if (event.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) displayChanged();
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
            send(pad->mapper.button(padButton(event.cbutton.button),
                                    event.cbutton.state == SDL_PRESSED));
        }
        break;
    case SDL_CONTROLLERAXISMOTION:
        if (Gamepad* pad = findGamepad(event.caxis.which)) {
            send(pad->mapper.axis(padAxis(event.caxis.axis), event.caxis.value));
        }
        break;
    default:
        break;
    }
}

} // namespace

void handlePendingEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) handleEvent(event);
}

void closeGamepads() {
    for (Gamepad& pad : gamepads) {
        if (pad.controller) SDL_GameControllerClose(pad.controller);
        pad = Gamepad{};
    }
}
