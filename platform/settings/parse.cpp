// Reading settings.ini: every line checked, each problem said in one line,
// and whatever is wrong left at its default.
#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/settings/settings.h"
#include "platform/storage/files.h"

namespace {

// A line longer than this is no setting anybody wrote.
constexpr size_t LONGEST_LINE = 1000;
// SDL's longest key names run to three words ("Keypad Memory Store").
constexpr int LONGEST_KEY_WORDS = 3;

std::string lineOf(int line) {
    return "line " + std::to_string(line) + ": ";
}

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string> wordsOf(const std::string& s) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        const size_t start = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

// A key by SDL's name for it, letters in either case; 0 for none.
int32_t keyNamed(const std::string& name) {
    SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
    if (key >= 'A' && key <= 'Z') key += 'a' - 'A';
    return key == SDLK_UNKNOWN ? 0 : key;
}

// The keys of a value. SDL's names may hold spaces ("Left Shift"), so the
// longest run of words that names a key is taken first.
bool parseKeys(const std::string& value, int32_t (&keys)[KEYS_PER_ACTION], std::string& why) {
    const std::vector<std::string> words = wordsOf(value);
    int32_t found[KEYS_PER_ACTION] = {};
    int count = 0;
    for (size_t i = 0; i < words.size();) {
        int32_t key = 0;
        size_t used = 0;
        for (size_t n = std::min<size_t>(LONGEST_KEY_WORDS, words.size() - i); n >= 1 && !key;
             --n) {
            std::string name = words[i];
            for (size_t k = 1; k < n; ++k) name += " " + words[i + k];
            key = keyNamed(name);
            used = n;
        }
        if (!key) {
            why = "no key is named \"" + words[i] + "\"";
            return false;
        }
        if (key == SDLK_ESCAPE) {
            why = "Escape always ends the game and cannot be given to an action";
            return false;
        }
        if (count == KEYS_PER_ACTION) {
            why = "more than " + std::to_string(KEYS_PER_ACTION) + " keys";
            return false;
        }
        bool again = false;
        for (int k = 0; k < count; ++k) again = again || found[k] == key;
        if (!again) found[count++] = key;
        i += used;
    }
    std::memcpy(keys, found, sizeof found);
    return true;
}

bool parseButtons(const std::string& value, int (&buttons)[KEYS_PER_ACTION], std::string& why) {
    int found[KEYS_PER_ACTION] = {};
    int count = 0;
    for (const std::string& word : wordsOf(value)) {
        const SDL_GameControllerButton b = SDL_GameControllerGetButtonFromString(word.c_str());
        if (b == SDL_CONTROLLER_BUTTON_INVALID) {
            why = "no pad button is named \"" + word + "\"";
            return false;
        }
        if (count == KEYS_PER_ACTION) {
            why = "more than " + std::to_string(KEYS_PER_ACTION) + " buttons";
            return false;
        }
        found[count++] = b + 1;
    }
    std::memcpy(buttons, found, sizeof found);
    return true;
}

// A whole number within the bounds, written in plain digits.
bool parseSpeed(const std::string& value, int& speed, std::string& why) {
    bool digits = !value.empty() && value.size() <= 9;
    for (char c : value) digits = digits && c >= '0' && c <= '9';
    const long n = digits ? std::stol(value) : -1;
    if (n < SPEED_SLOWEST || n > SPEED_NORMAL) {
        why = "must be a whole number from " + std::to_string(SPEED_SLOWEST) + " to " +
              std::to_string(SPEED_NORMAL);
        return false;
    }
    speed = static_cast<int>(n);
    return true;
}

bool parseYesNo(const std::string& value, bool& on, std::string& why) {
    if (value == "yes" || value == "no") {
        on = value == "yes";
        return true;
    }
    why = "must be yes or no";
    return false;
}

int keyCount(const int32_t (&keys)[KEYS_PER_ACTION]) {
    int n = 0;
    while (n < KEYS_PER_ACTION && keys[n]) ++n;
    return n;
}

bool holds(const int32_t (&keys)[KEYS_PER_ACTION], int32_t key) {
    for (int k = 0; k < KEYS_PER_ACTION && keys[k]; ++k)
        if (keys[k] == key) return true;
    return false;
}

void drop(int32_t (&keys)[KEYS_PER_ACTION], int32_t key) {
    int n = 0;
    for (int k = 0; k < KEYS_PER_ACTION; ++k)
        if (keys[k] != key) keys[n++] = keys[k];
    while (n < KEYS_PER_ACTION) keys[n++] = 0;
}

// A key given to two actions stays with the one the file named first (a
// named one before one left at its default). The other is refused: named in
// the file, it goes back to its default keys; left at its default, it loses
// that key.
void settleSharedKeys(Settings& s, int (&setOnLine)[ACTION_COUNT],
                      std::vector<std::string>& problems) {
    const Settings defaults = defaultSettings();
    auto order = [&](int a) { return setOnLine[a] ? setOnLine[a] : 1 << 30; };
    for (int round = 0; round < ACTION_COUNT * ACTION_COUNT * KEYS_PER_ACTION; ++round) {
        int keeper = -1, loser = -1;
        int32_t shared = 0;
        for (int a = 0; a < ACTION_COUNT && !shared; ++a)
            for (int b = a + 1; b < ACTION_COUNT && !shared; ++b)
                for (int k = 0; k < KEYS_PER_ACTION && s.keys[a][k] && !shared; ++k)
                    if (holds(s.keys[b], s.keys[a][k])) {
                        shared = s.keys[a][k];
                        const bool aKeeps = order(a) <= order(b);
                        keeper = aKeeps ? a : b;
                        loser = aKeeps ? b : a;
                    }
        if (!shared) break;
        if (setOnLine[loser]) {
            problems.push_back(lineOf(setOnLine[loser]) + "the key " + SDL_GetKeyName(shared) +
                               " is given to both " + actionName(keeper) + " and " +
                               actionName(loser) + "; " + actionName(loser) + " keeps its default");
            std::memcpy(s.keys[loser], defaults.keys[loser], sizeof s.keys[loser]);
            setOnLine[loser] = 0;
        } else {
            drop(s.keys[loser], shared);
            if (loser < GAME_ACTION_COUNT && !keyCount(s.keys[loser]))
                problems.push_back(std::string("no key is left for ") + actionName(loser) +
                                   " (its default went to " + actionName(keeper) + ")");
        }
    }
}

} // namespace

Settings parseSettings(const char* text, size_t size, std::vector<std::string>& problems) {
    Settings s = defaultSettings();
    int setOnLine[ACTION_COUNT] = {};
    size_t at = 0;
    for (int number = 1; at < size; ++number) {
        const char* end = static_cast<const char*>(std::memchr(text + at, '\n', size - at));
        const size_t length = (end ? end - text : size) - at;
        const size_t start = at;
        at += length + 1;
        if (length > LONGEST_LINE) {
            problems.push_back(lineOf(number) + "longer than " + std::to_string(LONGEST_LINE) +
                               " characters");
            continue;
        }
        const std::string line = trimmed(std::string(text + start, length));
        if (line.empty() || line[0] == '#') continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            problems.push_back(lineOf(number) + "not a \"name = value\" line");
            continue;
        }
        const std::string name = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        std::string why;
        bool known = false, good = true;
        for (int a = 0; a < ACTION_COUNT && !known; ++a) {
            if (name != actionName(a)) continue;
            known = true;
            int32_t keys[KEYS_PER_ACTION] = {};
            good = parseKeys(value, keys, why);
            if (good && !keys[0] && a < GAME_ACTION_COUNT) {
                why = "the game cannot be played without a key for " + name;
                good = false;
            }
            if (good) {
                std::memcpy(s.keys[a], keys, sizeof keys);
                setOnLine[a] = number;
            }
        }
        for (int a = 0; a < PAD_ACTION_COUNT && !known; ++a) {
            if (name != padActionName(a)) continue;
            known = true;
            good = parseButtons(value, s.padButtons[a], why);
        }
        if (known) {
        } else if (name == "speed") {
            known = true;
            good = parseSpeed(value, s.speed, why);
        } else if (name == "muted") {
            known = true;
            good = parseYesNo(value, s.muted, why);
        } else if (name == "windowed") {
            known = true;
            good = parseYesNo(value, s.windowed, why);
        } else if (name == "scale") {
            known = true;
            good = value == "whole" || value == "fit";
            if (good)
                s.scale = value == "fit" ? PictureScale::Fit : PictureScale::Whole;
            else
                why = "must be whole or fit";
        }
        if (!known)
            problems.push_back(lineOf(number) + "no setting is named \"" + name + "\"");
        else if (!good)
            problems.push_back(lineOf(number) + name + ": " + why + "; keeping the default");
    }
    settleSharedKeys(s, setOnLine, problems);
    return s;
}

Settings readSettingsFile(const char* path, std::vector<std::string>& problems) {
    errno = 0;
    std::FILE* probe = openFile(path, "rb");
    const int openError = errno;
    if (probe) std::fclose(probe);
    if (!probe && openError == ENOENT) return defaultSettings();
    if (!isPlainFile(path)) {
        problems.push_back("not a plain file; using the defaults");
        return defaultSettings();
    }
    if (!probe) {
        problems.push_back(std::string("cannot be read (") + std::strerror(openError) +
                           "); using the defaults");
        return defaultSettings();
    }
    std::vector<char> bytes(SETTINGS_MAX_BYTES + 1);
    const size_t size = readFileStart(path, bytes.data(), bytes.size());
    if (size > SETTINGS_MAX_BYTES) {
        problems.push_back("larger than 64 KB; using the defaults");
        return defaultSettings();
    }
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 32 && c != '\n' && c != '\r' && c != '\t') {
            problems.push_back("not a text file; using the defaults");
            return defaultSettings();
        }
    }
    return parseSettings(bytes.data(), size, problems);
}
