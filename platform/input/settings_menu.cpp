#include "platform/input/settings_menu.h"

#include <cstdio>
#include <cstring>

#include "platform/graphics/pause_screen.h"
#include "platform/ports/display.h"
#include "platform/ports/sound.h"
#include "platform/settings/settings.h"
#include "platform/window/window.h"

namespace {

enum Row { ROW_SPEED = ACTION_COUNT, ROW_SCALE, ROW_MUTE, ROW_SCREEN, ROW_COUNT };
constexpr const char* ROW_NAMES[ROW_COUNT] = {
    "Up",    "Down",  "Left",  "Right", "Start (Space)", "Pause", "Mute", "Full screen key",
    "Speed", "Scale", "Sound", "Screen"};
constexpr int SPEED_STEP = 10;

bool menuOpen = false;
int chosen = 0;
bool capturing = false; // waiting for the new key of the chosen action
char message[96] = "";  // what became of the last key pressed
void (*applier)() = nullptr;

char values[ROW_COUNT][96];

void describeRows() {
    const Settings& s = currentSettings();
    for (int a = 0; a < ACTION_COUNT; ++a) {
        values[a][0] = '\0';
        for (int k = 0; k < KEYS_PER_ACTION && s.keys[a][k]; ++k) {
            if (k) std::strncat(values[a], " ", sizeof values[a] - std::strlen(values[a]) - 1);
            std::strncat(values[a], SDL_GetKeyName(s.keys[a][k]),
                         sizeof values[a] - std::strlen(values[a]) - 1);
        }
        if (!s.keys[a][0]) std::snprintf(values[a], sizeof values[a], "(none)");
    }
    std::snprintf(values[ROW_SPEED], sizeof values[ROW_SPEED], "%d %%  (from the next start)",
                  s.speed);
    std::snprintf(values[ROW_SCALE], sizeof values[ROW_SCALE], "%s",
                  s.scale == PictureScale::Fit ? "fit" : "whole");
    std::snprintf(values[ROW_MUTE], sizeof values[ROW_MUTE], "%s", soundMuted() ? "muted" : "on");
    std::snprintf(values[ROW_SCREEN], sizeof values[ROW_SCREEN], "%s",
                  screenWindowed() ? "window" : "full screen");
}

void closeAndSave() {
    menuOpen = false;
    capturing = false;
    saveSettings();
    if (applier) applier();
}

// The chosen action takes the key alone; a key another action has is
// refused, naming it, and Escape cannot be taken from the game.
void takeKey(SDL_Keycode key) {
    capturing = false;
    Settings& s = currentSettings();
    const int other = actionOfKey(s, key);
    if (other >= 0 && other != chosen) {
        std::snprintf(message, sizeof message, "%s is already %s", SDL_GetKeyName(key),
                      actionName(other));
        return;
    }
    for (int k = 0; k < KEYS_PER_ACTION; ++k) s.keys[chosen][k] = 0;
    s.keys[chosen][0] = key;
    message[0] = '\0';
}

// Enter, Left or Right on a row: what it changes.
void change(int direction) {
    Settings& s = currentSettings();
    message[0] = '\0';
    switch (chosen) {
    case ROW_SPEED: {
        const int step = direction ? direction : 1;
        int speed = s.speed + step * SPEED_STEP;
        if (speed > SPEED_NORMAL) speed = direction ? SPEED_NORMAL : SPEED_SLOWEST;
        if (speed < SPEED_SLOWEST) speed = SPEED_SLOWEST;
        s.speed = speed;
        break;
    }
    case ROW_SCALE:
        s.scale = s.scale == PictureScale::Fit ? PictureScale::Whole : PictureScale::Fit;
        if (applier) applier();
        break;
    case ROW_MUTE:
        setSoundMuted(!soundMuted());
        s.muted = soundMuted();
        break;
    case ROW_SCREEN:
        toggleFullScreen();
        screenWindowed() = !screenWindowed();
        s.windowed = screenWindowed();
        break;
    default:
        if (direction == 0) {
            capturing = true;
            std::snprintf(message, sizeof message, "Press the new key for %s", actionName(chosen));
        }
        break;
    }
}

void move(int by) {
    chosen = (chosen + by + ROW_COUNT) % ROW_COUNT;
    message[0] = '\0';
}

bool isPadButton(const SDL_Event& event, SDL_GameControllerButton button) {
    return event.type == SDL_CONTROLLERBUTTONDOWN && event.cbutton.button == button;
}

} // namespace

bool settingsMenuOpen() {
    return menuOpen;
}

bool opensSettingsMenu(const SDL_Event& event) {
    return (event.type == SDL_KEYDOWN && !event.key.repeat && event.key.keysym.sym == SDLK_s) ||
           isPadButton(event, SDL_CONTROLLER_BUTTON_Y);
}

void openSettingsMenu() {
    menuOpen = true;
    chosen = 0;
    capturing = false;
    message[0] = '\0';
}

bool handleSettingsMenuEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYUP || event.type == SDL_CONTROLLERBUTTONUP ||
        event.type == SDL_CONTROLLERAXISMOTION)
        return true;
    if (event.type == SDL_KEYDOWN) {
        if (event.key.repeat) return true;
        const SDL_Keycode key = event.key.keysym.sym;
        if (capturing) {
            if (key == SDLK_ESCAPE) {
                capturing = false;
                message[0] = '\0';
            } else {
                takeKey(key);
            }
            return true;
        }
        switch (key) {
        case SDLK_ESCAPE:
            closeAndSave();
            break;
        case SDLK_UP:
            move(-1);
            break;
        case SDLK_DOWN:
            move(1);
            break;
        case SDLK_LEFT:
            if (chosen >= ACTION_COUNT) change(-1);
            break;
        case SDLK_RIGHT:
            if (chosen >= ACTION_COUNT) change(1);
            break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_SPACE:
            change(0);
            break;
        default:
            break;
        }
        return true;
    }
    if (event.type != SDL_CONTROLLERBUTTONDOWN) return false;
    if (capturing) return true; // keys are bound from the keyboard
    switch (event.cbutton.button) {
    case SDL_CONTROLLER_BUTTON_B:
    case SDL_CONTROLLER_BUTTON_BACK:
        closeAndSave();
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        move(-1);
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        move(1);
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        if (chosen >= ACTION_COUNT) change(-1);
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        if (chosen >= ACTION_COUNT) change(1);
        break;
    case SDL_CONTROLLER_BUTTON_A:
        change(0);
        break;
    default:
        break;
    }
    return true;
}

void showSettingsMenu() {
    describeRows();
    SettingsRow rows[ROW_COUNT];
    for (int i = 0; i < ROW_COUNT; ++i) rows[i] = {ROW_NAMES[i], values[i]};
    const char* footer = message[0]  ? message
                         : capturing ? ""
                                     : "Arrows choose, Enter changes, Escape goes back";
    const uint32_t* picture =
        settingsScreenOf(backBufferPixels(), backBufferPitch(), rows, ROW_COUNT, chosen, footer);
    if (picture) showPicture(picture, SCREEN_W);
}

void closeSettingsMenu() {
    if (menuOpen) closeAndSave();
}

void setSettingsApplier(void (*apply)()) {
    applier = apply;
}
