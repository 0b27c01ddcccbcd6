// The window's events. Between calls every waiting event is handed over:
// Escape and the player's keys for the game's five (settings.h; Space and
// the arrows unless changed) reach the game as those five (game_keys.h), and
// so do gamepads (gamepads.h); closing the window is Escape. Within a call (at
// every present, through the long sequences too) only what acts on the
// window at once is handled: closing it (or SIGTERM) ends the game there,
// saving as Escape does; the pause keys (P or Pause) pause, the mute key (M)
// mutes, Alt+Enter and the full screen key (F11) switch between full screen
// and a window, and losing the focus pauses. Mute and full screen are kept
// in the settings for the next start. The
// game's keys wait, in order, until the call returns (key_queue.h). A display
// change has the window judge vsync again.
#pragma once

void handlePendingEvents();
void handleEventsWithinCall();

// While paused: shows the paused picture and handles events until the pause
// ends or the game is to end; S (or a pad's Y) opens the settings screen
// (settings_menu.h) over it. Within a call, Escape (or a gamepad's Back)
// too ends the game at once.
void waitWhilePaused(bool withinCall);

// What ends the game within a call (the session sets it). The desktop's
// never returns; the page's ends the game and returns, and the rest of that
// call then runs without the display, showing nothing.
void setEndWithinCall(void (*end)());
