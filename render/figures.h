// The guards, the player and the hit frames of the death sequence.
#pragma once

void drawGuards();
void drawPlayer();
// n = 1, 2 or 3: "Touche1.bmp" .. "Touche3.bmp" at the player's position.
void drawHitFrame(int n);
