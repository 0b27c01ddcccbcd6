// The game's window: the 640 x 480 picture shown sharp, scaled up by the
// largest whole factor that fits and centred on black, full screen or in a
// window. Its presenter shows each flipped frame on a tick of a steady 60 Hz
// clock (platform/pacer.h), and the loop reads the keys a small margin
// before that tick.
#pragma once

#include <cstdint>

// Opens the window and its renderer. On failure returns false and names
// what failed in `failure` (SDL_GetError() holds the reason).
bool openWindow(bool fullScreen, const char** failure);
void closeWindow();

// Switches between full screen and a window (Alt+Enter, F11).
void toggleFullScreen();

// The presenter handed to the display layer: pixels are 0x00RRGGBB. Waits
// for the picture's tick and shows it, then handles what acts on the window
// at once, and holds the game on this frame while it is paused.
void presentFrame(const uint32_t* pixels, int pitch);

// Shows a picture at once, out of the game's pace (the paused picture).
void showPicture(const uint32_t* pixels, int pitch);

// The loop's wait before it handles the events of a call: until a small
// margin before the tick on which the call's picture is shown.
void waitToReadKeys();

// The window moved to another display, or a display came or went: vsync is
// judged again (kept on trial at 60 Hz, else the clock paces the game).
void displayChanged();
