// Key scripts for the measuring tools: the headless runner's input files
// ("C down CODE" / "C up CODE", '#' comments) and a made-up game for when no
// recorded one is at hand, played through keyDown/keyUp and runFrame exactly
// as the runner plays them.
#pragma once

#include <string>
#include <vector>

#include "platform/replay/key_script.h"

using ScriptEvent = KeyEvent;

// A fixed, seeded stretch of play: Space on the title, then arrows held for
// varying spells, with Space now and then to leave the end screens.
std::vector<ScriptEvent> madeUpScript(long calls);

// The committed winning game when it is there, the made-up one otherwise.
// `source` names which one was taken.
std::vector<ScriptEvent> benchScript(const char* winningGame, std::string& source);

// The number of calls a script runs: one past its last event, and a second
// more so the last key's effect is seen. A script ending on Escape stops there.
long scriptCalls(const std::vector<ScriptEvent>& events);

// Plays the script from program-start state. Escape is not delivered (it
// would release the display): the run simply ends there. Returns the flips.
// The hook, when given, runs before the first and after the last call.
long playScript(const std::vector<ScriptEvent>& events, long calls, void (*atStart)() = nullptr,
                void (*atEnd)() = nullptr);
