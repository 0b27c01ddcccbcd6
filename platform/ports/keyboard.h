// The key handling shared by the window, the headless runner and the tests:
// it records the space or arrow key held down and handles Escape.
#pragma once

// Key-down of a key code (27 Escape, 32 Space, 37..40 arrows; others ignored).
void keyDown(int code);
// Key-up of a key code.
void keyUp(int code);
// The key the game holds now (0 for none): a released key hands over to one
// still down only when it was this one.
int heldGameKey();

// True once Escape has asked the program to end; no frame runs after that.
bool quitRequested();
void requestQuit();
void clearQuitRequest(); // for tests
