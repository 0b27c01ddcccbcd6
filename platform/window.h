// The game's window: the 640 x 480 picture shown sharp, scaled up by the
// largest whole factor that fits and centred on black, full screen or in a
// window. Its presenter shows each flipped frame and then holds the game to
// a steady 60 Hz.
#pragma once

#include <cstdint>

// Opens the window and its renderer. On failure returns false and names
// what failed in `failure` (SDL_GetError() holds the reason).
bool openWindow(bool fullScreen, const char** failure);
void closeWindow();

// Switches between full screen and a window (Alt+Enter, F11).
void toggleFullScreen();

// The presenter handed to the display layer: pixels are 0x00RRGGBB. Shows
// the frame on its tick, then handles what acts on the window at once, and
// holds the game on this frame while it is paused.
void presentFrame(const uint32_t* pixels, int pitch);

// Shows a picture at once, out of the game's pace (the paused picture).
void showPicture(const uint32_t* pixels, int pitch);
