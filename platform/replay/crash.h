// The last moment of a crashed run: a segmentation fault, an abort, a bus
// error or an arithmetic fault (on Windows, any unhandled exception) first
// calls the game's own function, which may only do what is safe in a signal
// handler (no allocation, no lock, no stdio), then ends the program as the
// crash would have.
#pragma once

void installCrashHandler(void (*onCrash)());
