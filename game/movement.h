// The player's 16-pixel steps along corridors and into niches.
#pragma once

// With the figure standing: turns the held arrow into a step, or refuses.
void readMoveInput();
// Moves the figure 2 pixels along its step; the step ends at 0 left.
void stepPlayer();

// Truncating remainder with the sign of the dividend, as the board's
// arithmetic expects ((x - 16) mod 96 is -16 at x = 0).
constexpr int mod(int a, int b) {
    return a % b;
}
