// What the browser's window offers beyond platform/window.h: the page's
// canvas is the window, and the game waits for the display's refreshes
// (requestAnimationFrame) by suspending itself inside the present.
#pragma once

// Suspends the game until the browser's next display refresh and returns its
// timestamp in milliseconds (events that came meanwhile wait in SDL's queue).
double waitForRefresh();

// Off: frames are not paced, only shown now and then while the game runs as
// fast as it can, handing the browser a turn every 16 ms (the scripted tests).
void setPacing(bool on);
// Shows the back buffer as it stands, at once.
void showBackBuffer();
// On: the time of every paced present is handed to the page, which measures
// the steadiness of the frames.
void setPresentLog(bool on);
// Holds the game while it is paused (P, or the page losing the focus),
// showing the paused picture; `withinCall` as for waitWhilePaused.
void waitWhilePausedInPage(bool withinCall);
