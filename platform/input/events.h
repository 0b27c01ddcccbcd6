// The window's input. Between calls every waiting event is handed over:
// Escape, Space and the arrows reach the game through keyDown/keyUp, and so
// do gamepads, with a released key handing over to one still held
// (platform/held_keys.h); closing the window is Escape. Within a call (at
// every present, through the long sequences too) only what acts on the
// window at once is handled: closing it (or SIGTERM) ends the game there,
// saving as Escape does; P or Pause pauses, M mutes, Alt+Enter and F11
// switch between full screen and a window, and losing the focus pauses. The
// game's keys wait, in order, until the call returns; nothing else waits, and
// however much comes meanwhile no key-up is lost. A display change has the
// window judge vsync again.
#pragma once

void handlePendingEvents();
void handleEventsWithinCall();

// Pausing: by the player (P, Pause) until P again, or by losing the focus or
// being minimised until the focus comes back.
bool gamePaused();
// While paused: shows the last picture darkened with the word PAUSED and
// handles events until the pause ends or the game is to end. Within a call,
// Escape (or a gamepad's Back) too ends the game at once.
void waitWhilePaused(bool withinCall);
// A game that ended while paused leaves no pause to the next one (on the page,
// which starts a game afresh without quitting); a pause by the focus stays.
void liftPlayerPause();

// A replay playing: keys and gamepads no longer reach the game, but for
// Escape (which stops the playback), pause and mute.
void ignoreGameKeys(bool on);
bool stoppedByPlayer();

// What ends the game within a call: set by the shell. The desktop's never
// returns; the page's ends the game and returns, and the rest of that call
// then runs without the display, showing nothing.
void setEndWithinCall(void (*end)());

// Closes every gamepad still open (at exit).
void closeGamepads();
