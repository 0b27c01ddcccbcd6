// What the replay room's files share, and nothing outside it includes: the
// run being recorded or played back (its call, digest and flips), the
// recording's preallocated room, and the replay playing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/replay/replay.h"

// The run: the call running (or about to), the digest of the game's state
// after every call so far, and the flips before the run began.
struct ReplayRun {
    long call = HISCORE_READ_AT_START;
    uint64_t digest = 0;
    long flipBase = 0;
};
extern ReplayRun run;
// Starts the run afresh (a recording or a playback begins).
void restartRun();

struct Recorder {
    std::unique_ptr<KeyEvent[]> events;
    std::unique_ptr<HiscoreRead[]> reads;
    std::unique_ptr<ReplayCheck[]> checks;
    size_t maxEvents = 0, maxReads = 0, maxChecks = 0;
    size_t eventCount = 0, readCount = 0, checkCount = 0;
    bool on = false;
    int speed = 100;
    long quitCall = -1, quitFlip = -1;
    long truncatedAt = -1;
    ReplayState truncatedState{};
    ReplayState end{};
    bool finished = false;
    // The state as the current call began: where a crash within it ends the
    // recording.
    ReplayState callStart{};
    bool callStarted = false;
};
extern Recorder rec;
// A call is about to begin (recorder.cpp): a check line when one is due.
void recordCallStart(long call);

// One '#' line of a replay file, after the '#' (hash_lines.cpp). False with
// the reason for a malformed known line; `ended` once the end line is read.
bool readHashLine(char* text, Replay& replay, bool& ended, std::string& why);

// A replay playing has come through `calls` calls (playback.cpp): its check
// line there, if it has one, must match the run's digest.
void checkPlaybackAt(long calls);
