// The player's settings across visits: settings.ini's text kept in the
// browser's storage (localStorage, where the page's settings panel writes
// too) and put back into the game's folder before the game reads it.
#pragma once

// Writes the stored text to the file at `path`, or removes the file when
// nothing is stored.
void restoreSettings(const char* path);
// Copies the file's text into storage (after every save).
void keepSettings(const char* path);
