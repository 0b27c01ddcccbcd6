// The frame driver: one call is one frame of the current screen (or one
// blocking sequence followed by the rest of its frame).
#pragma once

void runFrame();

// Per-level rules of the frame driver, indexed by level 1..4.
struct LevelRules {
    int pointsOnTaken;  // paid when an entry leaves the side at 3
    int pointsOnSealed; // paid when an entry leaves the side at -2
    int target;         // the exact cumulative score that ends the level
    int nextScreen;
};
extern const LevelRules levelRules[5];

// The parts of the level frame, exposed for tests.
void prepareLevel(int level);
void completeEntry();
void runEndScreen();
