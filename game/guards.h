// The twelve guards, the strike test, and the death and respawn sequences.
#pragma once

void stepGuards();
void checkCollision();
// Blocking: 50 frames of the hit animation, back to the start, one life less,
// then the blink unless the game is over.
void playDeath();
// Blocking: 100 frames of the player blinking on the current board.
void playRespawnBlink();
