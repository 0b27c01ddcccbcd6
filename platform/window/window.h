// The window every front end with a screen has (the desktop's, and the
// page's canvas): the 640 x 480 picture shown sharp, scaled up and centred on
// black. The input and pause code reach the window only through this.
#pragma once

#include <cstdint>

// Opens the window and its renderer. On failure returns false and names
// what failed in `failure` (SDL_GetError() holds the reason).
bool openWindow(bool fullScreen, const char** failure);
void closeWindow();

// Switches between full screen and a window (Alt+Enter, F11).
void toggleFullScreen();

// Shows a finished frame of the game (pixels 0x00RRGGBB, pitch in pixels),
// at the pace of the platform: on its tick, or at a display refresh.
void presentFrame(const uint32_t* pixels, int pitch);

// Shows a picture at once, out of the game's pace (the paused picture).
void showPicture(const uint32_t* pixels, int pitch);

// The window moved to another display, or a display came or went: the pace
// is judged again.
void displayChanged();
