#include "platform/input/gamepads.h"

#include "platform/input/game_keys.h"
#include "platform/input/held_keys.h"
#include "platform/input/pad_mapper.h"
#include "platform/input/pause.h"
#include "platform/settings/settings.h"

namespace {

struct Gamepad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    PadMapper mapper;
};
Gamepad gamepads[MAX_GAMEPADS];

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
            pressGameKey(holderOf(pad), keys.events[i].code);
        } else {
            releaseGameKey(holderOf(pad), keys.events[i].code);
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
    letGoOfGameKeys(holderOf(*pad));
    SDL_GameControllerClose(pad->controller);
    *pad = Gamepad{};
}

// The player's buttons (pad.start, pad.end) first: a pad whose buttons lie
// elsewhere still starts and ends the game.
PadButton padButton(Uint8 button) {
    const Settings& settings = currentSettings();
    if (padButtonDoes(settings, PAD_START, button)) return PadButton::Start;
    if (padButtonDoes(settings, PAD_END, button)) return PadButton::Back;
    switch (button) {
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

} // namespace

bool handleGamepadEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        addGamepad(event.cdevice.which);
        return true;
    case SDL_CONTROLLERDEVICEREMOVED:
        removeGamepad(event.cdevice.which);
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        if (findGamepad(event.cbutton.which) &&
            padButtonDoes(currentSettings(), PAD_PAUSE, event.cbutton.button)) {
            if (event.type == SDL_CONTROLLERBUTTONDOWN) togglePlayerPause();
            return true;
        }
        if (Gamepad* pad = findGamepad(event.cbutton.which)) {
            send(*pad, pad->mapper.button(padButton(event.cbutton.button),
                                          event.cbutton.state == SDL_PRESSED));
        }
        return true;
    case SDL_CONTROLLERAXISMOTION:
        if (Gamepad* pad = findGamepad(event.caxis.which)) {
            send(*pad, pad->mapper.axis(padAxis(event.caxis.axis), event.caxis.value));
        }
        return true;
    default:
        return false;
    }
}

bool isGamepadBack(const SDL_Event& event) {
    return event.type == SDL_CONTROLLERBUTTONDOWN &&
           padButtonDoes(currentSettings(), PAD_END, event.cbutton.button) &&
           findGamepad(event.cbutton.which);
}

void closeGamepads() {
    for (Gamepad& pad : gamepads) {
        if (pad.controller) SDL_GameControllerClose(pad.controller);
        pad = Gamepad{};
    }
}
