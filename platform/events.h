// The window's input: hands every waiting event to the game between frames.
// Escape, Space and the arrows reach the game through keyDown/keyUp, and so
// do gamepads; closing the window is Escape; Alt+Enter and F11 switch
// between full screen and a window and never reach the game; a display
// change has the window judge vsync again.
#pragma once

void handlePendingEvents();

// Closes every gamepad still open (at exit).
void closeGamepads();
