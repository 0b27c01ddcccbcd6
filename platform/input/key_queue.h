// The game's keys that change within a call wait, in order, for it to
// return. Only what the game acts on waits: a pad's stick is read at once, so
// only its moves into and out of a direction wait, and a key repeated with
// nothing between changes nothing. The mouse, text and the keys the game
// does not know never come here, however many come during a long sequence.
// Should the room ever fill, each key keeps its latest state from then on,
// in the order of the latest changes, so no key-up is ever lost.
#pragma once

enum class KeyChange : unsigned char { Press, Release, LetGoOfAll };

// While on (within a call), the changes wait instead of reaching the game.
void holdKeyChanges(bool on);
bool keysWaiting();
void waitKeyChange(KeyChange change, int holder, int code);
// Between calls: the waiting changes reach the game, in order, until the
// game is asked to end.
void applyWaitingKeyChanges();
// A new game starts with nothing waiting from the last one (the page).
void forgetWaitingKeyChanges();
