// Pausing: by the player (P, Pause) until P again, or by the window losing
// the focus or being minimised until the focus comes back. Paused, no frame
// of the game runs and the screen shows the last picture darkened with the
// word PAUSED (events.h holds the wait).
#pragma once

enum class PauseReason { Player = 1, Focus = 2 };

void setPause(PauseReason reason, bool on);
void togglePlayerPause();
bool gamePaused();
// A game that ended while paused leaves no pause to the next one (on the page,
// which starts a game afresh without quitting); a pause by the focus stays.
void liftPlayerPause();
// Shows the paused picture at once.
void showPausedPicture();
