// The background with the score line, and the life icons.
#pragma once

// Background and both numbers; raises the hiscore to the score.
void drawHud();
void drawLives();
