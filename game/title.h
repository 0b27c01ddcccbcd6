// The title screen and its scripted quarter-scale demonstration.
#pragma once

#include <cstdint>

constexpr int DEMO_SCRIPT_WORDS = 442;
extern const int16_t demoScript[DEMO_SCRIPT_WORDS];

void runTitleFrame();

// Screen position of a side's dot on the miniature (also where the player's
// dot stands in that niche).
void sideDotPosition(int side, int& x, int& y);
