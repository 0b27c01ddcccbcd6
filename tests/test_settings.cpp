#include <gtest/gtest.h>

#include <SDL.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/settings/settings.h"
#include "scratch.h"

namespace {

// What the settings file may hold, from the usual to the hostile: the
// problems said (one line each, naming what is wrong) and the settings the
// game then starts with.
struct SettingsCase {
    const char* name;
    std::function<void()> makeFile;    // writes settings.ini in the working folder
    std::vector<std::string> problems; // a word each said line must hold, in order
    std::function<void(const Settings&)> check;
};

void write(const std::string& bytes) {
    std::ofstream("settings.ini", std::ios::binary) << bytes;
}
std::function<void()> file(std::string text) {
    return [text] { write(text); };
}

bool keysAre(const Settings& s, SettingsAction action, std::vector<SDL_Keycode> keys) {
    for (int k = 0; k < KEYS_PER_ACTION; ++k)
        if (s.keys[action][k] != (k < int(keys.size()) ? keys[k] : 0)) return false;
    return true;
}

// The defaults for everything but what the case changed.
void defaultsBut(const Settings& s, std::vector<SettingsAction> changed = {}) {
    const Settings d = defaultSettings();
    for (int a = 0; a < ACTION_COUNT; ++a) {
        bool skip = false;
        for (SettingsAction c : changed) skip = skip || c == a;
        if (skip) continue;
        for (int k = 0; k < KEYS_PER_ACTION; ++k)
            EXPECT_EQ(s.keys[a][k], d.keys[a][k]) << actionName(a);
    }
    EXPECT_EQ(s.speed, 100);
}

} // namespace

TEST(Settings, FilesFromTheUsualToTheHostile) {
    const SettingsCase cases[] = {
        {"missing", [] {}, {}, [](const Settings& s) { defaultsBut(s); }},
        {"every name",
         file("# mine\n\n  up = W  \ndown=S\nleft = A Left\nright = d\nstart = Return Space\n"
              "pause = F1\nmute = F2\nfullscreen = F3\npad.start = x\npad.pause = start\n"
              "pad.end = back guide\nspeed = 50\nscale = fit\nmuted = yes\nwindowed = yes\r\n"),
         {},
         [](const Settings& s) {
             EXPECT_TRUE(keysAre(s, ACTION_UP, {SDLK_w}));
             EXPECT_TRUE(keysAre(s, ACTION_DOWN, {SDLK_s}));
             EXPECT_TRUE(keysAre(s, ACTION_LEFT, {SDLK_a, SDLK_LEFT}));
             EXPECT_TRUE(keysAre(s, ACTION_RIGHT, {SDLK_d}));
             EXPECT_TRUE(keysAre(s, ACTION_START, {SDLK_RETURN, SDLK_SPACE}));
             EXPECT_TRUE(keysAre(s, ACTION_FULLSCREEN, {SDLK_F3}));
             EXPECT_TRUE(padButtonDoes(s, PAD_START, SDL_CONTROLLER_BUTTON_X));
             EXPECT_FALSE(padButtonDoes(s, PAD_START, SDL_CONTROLLER_BUTTON_A));
             EXPECT_TRUE(padButtonDoes(s, PAD_PAUSE, SDL_CONTROLLER_BUTTON_START));
             EXPECT_TRUE(padButtonDoes(s, PAD_END, SDL_CONTROLLER_BUTTON_GUIDE));
             EXPECT_EQ(s.speed, 50);
             EXPECT_EQ(s.scale, PictureScale::Fit);
             EXPECT_TRUE(s.muted);
             EXPECT_TRUE(s.windowed);
             EXPECT_EQ(actionOfKey(s, SDLK_UP), -1); // Up no longer does anything
         }},
        {"key names of several words",
         file("up = Left Shift Keypad 8\n"),
         {},
         [](const Settings& s) {
             EXPECT_TRUE(keysAre(s, ACTION_UP, {SDLK_LSHIFT, SDLK_KP_8}));
         }},
        {"unknown names and bad lines",
         file("jump = Space\nup = W\nwhatever\nspeed = 60\n"),
         {"jump", "name = value"},
         [](const Settings& s) {
             EXPECT_TRUE(keysAre(s, ACTION_UP, {SDLK_w}));
             EXPECT_EQ(s.speed, 60);
         }},
        {"a key given twice",
         file("up = W\ndown = W\n"),
         {"both up and down"},
         [](const Settings& s) {
             EXPECT_TRUE(keysAre(s, ACTION_UP, {SDLK_w}));
             defaultsBut(s, {ACTION_UP});
         }},
        {"a named key taken from a default",
         file("start = P\n"),
         {},
         [](const Settings& s) {
             EXPECT_TRUE(keysAre(s, ACTION_START, {SDLK_p}));
             EXPECT_TRUE(keysAre(s, ACTION_PAUSE, {SDLK_PAUSE}));
         }},
        {"Escape and bad keys",
         file("up = W Escape\ndown = Nokey\nleft =\nmute = \n"),
         {"Escape", "Nokey", "left"},
         [](const Settings& s) {
             defaultsBut(s, {ACTION_MUTE});
             EXPECT_TRUE(keysAre(s, ACTION_MUTE, {}));
         }},
        {"bad values",
         file("speed = -5\nscale = huge\nmuted = maybe\npad.end = banana\n"),
         {"speed", "scale", "muted", "banana"},
         [](const Settings& s) {
             defaultsBut(s);
             EXPECT_EQ(s.scale, PictureScale::Whole);
             EXPECT_FALSE(s.muted);
             EXPECT_TRUE(padButtonDoes(s, PAD_END, SDL_CONTROLLER_BUTTON_BACK));
         }},
        {"speed out of reach",
         file("speed = 1e99\nspeed = 49\nspeed = 101\nspeed = 99999999999\n"),
         {"speed", "speed", "speed", "speed"},
         [](const Settings& s) { defaultsBut(s); }},
        {"a line too long among good ones",
         file("up = W\n# " + std::string(5000, 'x') + "\ndown = S\n"),
         {"longer"},
         [](const Settings& s) {
             EXPECT_TRUE(keysAre(s, ACTION_UP, {SDLK_w}));
             EXPECT_TRUE(keysAre(s, ACTION_DOWN, {SDLK_s}));
         }},
        {"binary",
         file(std::string("up = W\n\0\x01\xff\xfe", 11)),
         {"not a text file"},
         [](const Settings& s) { defaultsBut(s); }},
        {"10 MB",
         file("up = W\n" + std::string(10 << 20, 'a')),
         {"larger than 64 KB"},
         [](const Settings& s) { defaultsBut(s); }},
        {"a line of 100,000 characters",
         file("up = " + std::string(100000, 'W') + "\n"),
         {"larger than 64 KB"},
         [](const Settings& s) { defaultsBut(s); }},
        {"a folder",
         [] { std::filesystem::create_directory("settings.ini"); },
         {"not a plain file"},
         [](const Settings& s) { defaultsBut(s); }},
    };
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder scratch("settings");
        c.makeFile();
        std::vector<std::string> problems;
        const Settings s = readSettingsFile("settings.ini", problems);
        ASSERT_EQ(problems.size(), c.problems.size()) << (problems.empty() ? "" : problems[0]);
        for (size_t i = 0; i < problems.size(); ++i)
            EXPECT_NE(problems[i].find(c.problems[i]), std::string::npos) << problems[i];
        c.check(s);

        // What the game writes back reads as the same settings, with no problem.
        ASSERT_TRUE(writeSettingsFile(s, "back.ini", "back.new"));
        std::vector<std::string> again;
        const Settings back = readSettingsFile("back.ini", again);
        EXPECT_TRUE(again.empty()) << again[0];
        for (int a = 0; a < ACTION_COUNT; ++a)
            for (int k = 0; k < KEYS_PER_ACTION; ++k)
                EXPECT_EQ(back.keys[a][k], s.keys[a][k]) << actionName(a);
        for (int a = 0; a < PAD_ACTION_COUNT; ++a)
            for (int k = 0; k < KEYS_PER_ACTION; ++k)
                EXPECT_EQ(back.padButtons[a][k], s.padButtons[a][k]) << padActionName(a);
        EXPECT_EQ(back.speed, s.speed);
        EXPECT_EQ(back.scale, s.scale);
        EXPECT_EQ(back.muted, s.muted);
        EXPECT_EQ(back.windowed, s.windowed);
    }
}
