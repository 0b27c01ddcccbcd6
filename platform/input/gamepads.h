// The gamepads plugged in, each in a slot of its own (it holds keys as the
// holder after the keyboard's), their SDL events turned into the game's keys
// through each pad's mapping (pad_mapper.h).
#pragma once

#include <SDL.h>

// Handles a gamepad's event (plugged in or out, a button, the stick); false
// for an event that is not a gamepad's.
bool handleGamepadEvent(const SDL_Event& event);
// A press of Back on a gamepad in use, which plays as Escape.
bool isGamepadBack(const SDL_Event& event);
// Closes every gamepad still open (at exit).
void closeGamepads();
