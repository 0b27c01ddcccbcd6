#include "platform/settings/settings.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/storage/files.h"
#include "platform/storage/paths.h"

namespace {

constexpr const char* ACTION_NAMES[ACTION_COUNT] = {"up",    "down",  "left", "right",
                                                    "start", "pause", "mute", "fullscreen"};
constexpr const char* PAD_ACTION_NAMES[PAD_ACTION_COUNT] = {"pad.start", "pad.pause", "pad.end"};

Settings inForce = defaultSettings();
void (*saveObserver)(const char* path) = nullptr;

} // namespace

Settings defaultSettings() {
    Settings s;
    s.keys[ACTION_UP][0] = SDLK_UP;
    s.keys[ACTION_DOWN][0] = SDLK_DOWN;
    s.keys[ACTION_LEFT][0] = SDLK_LEFT;
    s.keys[ACTION_RIGHT][0] = SDLK_RIGHT;
    s.keys[ACTION_START][0] = SDLK_SPACE;
    s.keys[ACTION_PAUSE][0] = SDLK_p;
    s.keys[ACTION_PAUSE][1] = SDLK_PAUSE;
    s.keys[ACTION_MUTE][0] = SDLK_m;
    s.keys[ACTION_FULLSCREEN][0] = SDLK_F11;
    s.padButtons[PAD_START][0] = SDL_CONTROLLER_BUTTON_A + 1;
    s.padButtons[PAD_START][1] = SDL_CONTROLLER_BUTTON_START + 1;
    s.padButtons[PAD_END][0] = SDL_CONTROLLER_BUTTON_BACK + 1;
    return s;
}

const char* actionName(int action) {
    return action >= 0 && action < ACTION_COUNT ? ACTION_NAMES[action] : "";
}

const char* padActionName(int action) {
    return action >= 0 && action < PAD_ACTION_COUNT ? PAD_ACTION_NAMES[action] : "";
}

int actionOfKey(const Settings& s, int32_t key) {
    if (key == 0 || key == SDLK_ESCAPE) return -1;
    for (int a = 0; a < ACTION_COUNT; ++a)
        for (int k = 0; k < KEYS_PER_ACTION && s.keys[a][k]; ++k)
            if (s.keys[a][k] == key) return a;
    return -1;
}

bool padButtonDoes(const Settings& s, PadAction action, int button) {
    for (int k = 0; k < KEYS_PER_ACTION && s.padButtons[action][k]; ++k)
        if (s.padButtons[action][k] == button + 1) return true;
    return false;
}

size_t formatSettings(const Settings& s, char* out, size_t room) {
    size_t n = 0;
    bool fits = true;
    auto put = [&](const char* text) {
        const size_t length = std::strlen(text);
        if (n + length >= room) fits = false;
        if (!fits) return;
        std::memcpy(out + n, text, length);
        n += length;
        out[n] = '\0';
    };
    put("# Tirlane's settings: name = value; tirlane --help names them all.\n");
    for (int a = 0; a < ACTION_COUNT; ++a) {
        put(ACTION_NAMES[a]);
        put(" =");
        for (int k = 0; k < KEYS_PER_ACTION && s.keys[a][k]; ++k) {
            put(" ");
            put(SDL_GetKeyName(s.keys[a][k]));
        }
        put("\n");
    }
    for (int a = 0; a < PAD_ACTION_COUNT; ++a) {
        put(PAD_ACTION_NAMES[a]);
        put(" =");
        for (int k = 0; k < KEYS_PER_ACTION && s.padButtons[a][k]; ++k) {
            put(" ");
            const char* name = SDL_GameControllerGetStringForButton(
                static_cast<SDL_GameControllerButton>(s.padButtons[a][k] - 1));
            put(name ? name : "");
        }
        put("\n");
    }
    char number[32];
    std::snprintf(number, sizeof number, "speed = %d\n", s.speed);
    put(number);
    put(s.scale == PictureScale::Fit ? "scale = fit\n" : "scale = whole\n");
    put(s.muted ? "muted = yes\n" : "muted = no\n");
    put(s.windowed ? "windowed = yes\n" : "windowed = no\n");
    return fits ? n : 0;
}

bool writeSettingsFile(const Settings& s, const char* path, const char* tempPath) {
    static char text[4096];
    const size_t n = formatSettings(s, text, sizeof text);
    return n > 0 && replaceFile(path, tempPath, text, n);
}

Settings& currentSettings() {
    return inForce;
}

bool& screenWindowed() {
    static bool windowed = false;
    return windowed;
}

void loadSettings() {
    const char* path = configPath(CONFIG_SETTINGS);
    if (!path) return;
    std::vector<std::string> problems;
    inForce = readSettingsFile(path, problems);
    for (const std::string& problem : problems)
        std::fprintf(stderr, "tirlane: %s: %s\n", path, problem.c_str());
}

void saveSettings() {
    const char* path = configPath(CONFIG_SETTINGS);
    if (!path || !prepareConfigFolder()) return;
    if (writeSettingsFile(inForce, path, configPath(CONFIG_SETTINGS_TEMP)) && saveObserver)
        saveObserver(path);
}

void setSettingsSaveObserver(void (*observer)(const char* path)) {
    saveObserver = observer;
}
