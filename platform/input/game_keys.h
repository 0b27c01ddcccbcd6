// The keys on their way to the game: a key that goes down or up, from the
// keyboard or a gamepad, reaches the game's key handling (and the replay
// being recorded) through here, with a released key handing over to one
// still held (held_keys.h). Within a call the changes wait for it to return
// (key_queue.h). A replay playing lets only Escape through, which stops it.
#pragma once

void pressGameKey(int holder, int code);
void releaseGameKey(int holder, int code);
// Every key this holder has down goes up (its gamepad was unplugged).
void letGoOfGameKeys(int holder);
// A key event straight to the game, as the window's close is Escape.
void deliverGameKey(bool down, int code);

// A replay playing: keys and gamepads no longer reach the game, but for
// Escape (which stops the playback), pause and mute.
void ignoreGameKeys(bool on);
bool stoppedByPlayer();
