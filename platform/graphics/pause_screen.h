// The picture shown while the game is paused: the last frame darkened, with
// the word PAUSED and how to go on. It is made on the way to the screen from
// a copy, never in the game's back buffer, so no picture of the game changes.
#pragma once

#include <cstdint>

// Makes room for the picture (once, before play). False leaves the pause
// showing the last frame as it is.
bool initPauseScreen();
void releasePauseScreen();

// The paused picture of a frame (0x00RRGGBB, `pitch` pixels a row), 640 x 480
// with a pitch of 640; null when there is no room for it.
const uint32_t* pauseScreenOf(const uint32_t* frame, int pitch);

// The settings screen over the same darkened frame: a title, one line a row
// (its name, then its value), the chosen row in gold, and a line saying what
// the keys do. Null when there is no room for it.
struct SettingsRow {
    const char* name;
    const char* value;
};
const uint32_t* settingsScreenOf(const uint32_t* frame, int pitch, const SettingsRow* rows,
                                 int count, int chosen, const char* footer);
