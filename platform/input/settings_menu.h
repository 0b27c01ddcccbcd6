// The settings screen, opened from the pause with S (or a pad's Y): a list
// of the key actions with their keys, the speed, the scale, the sound and
// the full screen. It lives inside the pause, so no frame of the game runs
// while it is open; the changes are saved when it closes (Escape, or the
// pad's B or Back, goes back to the pause).
#pragma once

#include <SDL.h>

bool settingsMenuOpen();
// True when the event opens the screen (S, or a pad's Y, in the pause).
bool opensSettingsMenu(const SDL_Event& event);
void openSettingsMenu();
// Closes it, saving (the pause ended another way: the game is quitting).
void closeSettingsMenu();
// Handles one key or pad event while the screen is open; false for an event
// it has no use for (the window's own, which the pause handles as ever).
bool handleSettingsMenuEvent(const SDL_Event& event);
// Shows the screen at once over the darkened last frame.
void showSettingsMenu();
// What the front end does with settings it can apply at once (the scale).
void setSettingsApplier(void (*apply)());
