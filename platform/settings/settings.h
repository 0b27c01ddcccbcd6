// The player's settings, kept in settings.ini in the config folder: which
// keys and pad buttons do what, the game's pace, and the choices the player
// made last time (mute, full screen, how the picture is scaled). The game
// itself never sees them: a remapped key still reaches it as one of its own
// five keys, so every frame and every replay is the same whatever is set.
//
// The file holds `name = value` lines and '#' comments. Whatever is wrong in
// it (a binary or oversized file, an unknown name, a bad value, a key given
// to two actions) is said in one line each and that setting keeps its
// default: a settings file never stops the game from starting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What keys do. The first five reach the game as its own keys.
enum SettingsAction {
    ACTION_UP,
    ACTION_DOWN,
    ACTION_LEFT,
    ACTION_RIGHT,
    ACTION_START,
    ACTION_PAUSE,
    ACTION_MUTE,
    ACTION_FULLSCREEN,
    ACTION_COUNT
};
constexpr int GAME_ACTION_COUNT = ACTION_START + 1;

// What pad buttons do besides the d-pad and the stick.
enum PadAction { PAD_START, PAD_PAUSE, PAD_END, PAD_ACTION_COUNT };

enum class PictureScale { Whole, Fit };

constexpr int KEYS_PER_ACTION = 4;
constexpr int SPEED_SLOWEST = 50; // percent of the normal pace
constexpr int SPEED_NORMAL = 100;
constexpr size_t SETTINGS_MAX_BYTES = 64 * 1024;
constexpr const char* SETTINGS_FILE = "settings.ini";
constexpr const char* PAD_DATABASE_FILE = "gamecontrollerdb.txt";

struct Settings {
    int32_t keys[ACTION_COUNT][KEYS_PER_ACTION] = {};       // SDL keycodes, 0 ends the list
    int padButtons[PAD_ACTION_COUNT][KEYS_PER_ACTION] = {}; // SDL buttons + 1, 0 ends
    int speed = SPEED_NORMAL;
    bool muted = false;
    bool windowed = false;
    PictureScale scale = PictureScale::Whole;
};

Settings defaultSettings();
// "up", "down", ..., "fullscreen"; "pad.start", "pad.pause", "pad.end".
const char* actionName(int action);
const char* padActionName(int action);

// The action a key does, or -1. Escape is never an action's: it ends the game.
int actionOfKey(const Settings& settings, int32_t key);
// True when the pad button (SDL's number) is one of the action's.
bool padButtonDoes(const Settings& settings, PadAction action, int button);

// Reads the file's text into settings starting from the defaults; each
// problem adds one line (without the file's name) to `problems`.
Settings parseSettings(const char* text, size_t size, std::vector<std::string>& problems);

// Reads the file: a missing one gives the defaults and no problem; one that
// is not a plain file, cannot be read, is binary or larger than
// SETTINGS_MAX_BYTES gives the defaults and one problem.
Settings readSettingsFile(const char* path, std::vector<std::string>& problems);

// The settings as the file's text, into `out` (no allocation, so a change
// during play can be saved at once). Returns the length, 0 when it does not fit.
size_t formatSettings(const Settings& settings, char* out, size_t room);
// Writes the file atomically; false (said once on stderr) when it cannot.
bool writeSettingsFile(const Settings& settings, const char* path, const char* tempPath);

// The settings in force in this run.
Settings& currentSettings();
// Whether the screen stands in a window now: --window holds for one run, so
// the setting changes only when the player switches.
bool& screenWindowed();
// Loads the settings from the config folder into currentSettings(), saying
// each problem on stderr as "tirlane: <path>: <problem>".
void loadSettings();
// Saves currentSettings() into the config folder (making it if need be),
// then tells the observer (the page keeps the file in the browser's storage).
void saveSettings();
void setSettingsSaveObserver(void (*observer)(const char* path));
