// Which niches are worth walking into on the current level, read from the
// live tables.
#pragma once

// The box (1..25) that a side (1..100) belongs to.
int boxOfSide(int side);

// True when entering this side's niche brings the level closer to its end:
// a key, a locked door, or (levels 2 and 3) a side of a box whose last key
// is gone but whose rule has not fired, because a guard cut the exit short.
bool isTarget(int level, int side);

// How many target sides are left.
int targetsLeft(int level);
