// Replays: the exact record of one run of the window game. A run's pictures
// depend only on the key events handled before each call and on the hiscore
// values read from outside (at start-up and at every title set-up), so that
// is what a replay holds: the key script format the headless runner reads
// with --input, and '#' lines (which --input skips) for the rest.
//
//   # tirlane replay 1            the format; always the first line
//   # game 1.0.0                  the game that recorded it
//   # speed 50                    the pace, in percent, when slower than normal
//   # hiscore start 990           the value read at start-up, before call 0
//   5 down 32                     key events, delivered before call 5
//   # hiscore 4679 990            a value read during call 4679 (a title set-up)
//   # check 600 5e1f0c2a9b7d4e31  the digest after 600 calls, every 600 calls
//   # quit 8000 8123              the window closed during call 8000, at flip 8123
//   # truncated 123456            the recording stopped before call 123456
//   # crashed 9000                the game crashed during call 9000
//   # end calls=C flips=F score=S hiscore=H lives=L screen=X digest=D
//
// The last line is the state the run ended in, after C calls, with a digest
// of the game's whole state after every one of them, so a replay that goes
// differently anywhere on the way is caught, not only one that ends
// elsewhere. The check lines let a replay that went another way be stopped
// within 600 calls of where it did, rather than played to its end. A crashed
// run ends with the state it stood in when the crashing call began, so the
// replay plays up to the crash; the events of that call are kept, unplayed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/replay/key_script.h"

constexpr int REPLAY_FORMAT = 1;
// No replay may claim more calls than this (19 days of play at 60 a second).
constexpr long REPLAY_MAX_CALLS = 100000000;
// A check line every this many calls.
constexpr long REPLAY_CHECK_EVERY = 600;

struct ReplayState {
    long calls, flips;
    int32_t score, hiscore, lives, screen;
    uint64_t digest;
};
// The game's state now, after `calls` calls.
ReplayState currentReplayState(long calls);
// "calls=C flips=F score=S hiscore=H lives=L screen=X digest=D"
std::string describeReplayState(const ReplayState& state);

// Adds the game's state after a call to the run's digest; the shells call it
// after every call. Starting a recording or a playback starts it afresh.
void digestCall();

constexpr long HISCORE_READ_AT_START = -1;
struct HiscoreRead {
    long call; // HISCORE_READ_AT_START, or the call it was read in
    int32_t value;
};

struct ReplayCheck {
    long call; // the digest after this many calls
    uint64_t digest;
};

struct Replay {
    std::vector<KeyEvent> events;
    std::vector<HiscoreRead> reads;
    std::vector<ReplayCheck> checks;
    long quitCall = -1, quitFlip = -1; // a close within a call
    long truncatedAt = -1;
    long crashedAt = -1;
    int speed = 100; // the pace it was played at, in percent of the normal
    ReplayState end{};
};

// Reads a replay file. False, with one line saying why in `error`, for a file
// that is not a replay of this format, was recorded by another version of the
// game (the line names both), is cut short (no end line), or names an
// impossible call, key code or number.
bool readReplay(const char* path, Replay& replay, std::string& error);

// The call about to run (or running): events and reads are stamped with it.
void setReplayCall(long call);
// Flips since the recording or playback began.
long replayFlips();

// --- Recording, always on in the window game. Room for the events and reads
// is made once before play, so recording never allocates; a run too long
// for it stops being recorded (before the call that would not fit), which
// the file then says, and the game plays on.
void startRecording(size_t maxEvents, size_t maxReads, size_t maxChecks);
// The pace of the run being recorded, in percent (100 unless slowed): only
// the pace, so the replay plays back at any speed.
void setRecordedSpeed(int percent);
bool recording();
// A key event as the game's key handling is about to receive it. Events that
// change nothing (a repeat of the key already held, the release of a key
// that is not held) are left out: the game sees no difference.
void recordKey(bool down, int code);
// A hiscore value read (the load observer).
void recordHiscoreRead(int32_t value);
// The run ended in the middle of the current call, at the flip just shown.
void recordQuitWithinCall();
// The run is over: its final state (unless the recording was cut short,
// whose end is the state at that moment).
void finishRecording(const ReplayState& end);
// Writes the finished recording to `path` through `tempPath`, replacing any
// file there in one step. False when it cannot be written.
bool writeRecording(const char* path, const char* tempPath);
// The recording's text (for tests).
std::string recordingText();
// For a crash handler: writes the recording so far to `path` through
// `tempPath`, as a run that crashed in the current call, with no allocation,
// lock or stdio. False when there is nothing to write (no call has begun) or
// it cannot be written.
bool writeCrashRecording(const char* path, const char* tempPath);

// --- Playback: the hiscore values come from the replay, in turn, and saves
// leave every file alone.
void startPlayback(const Replay& replay);
void stopPlayback();
// Empty when the run now stands where the replay ended; otherwise one line
// saying how it differs.
std::string comparePlaybackEnd(const ReplayState& now);
// True once the run has gone another way than the replay (a check line or a
// hiscore read that differs): nothing after that point can match.
bool playbackWentAstray();
// Empty when the run, after `calls` calls (short of the replay's end), has
// matched everything the replay holds up to there; otherwise one line.
std::string comparePlaybackUpTo(long calls);
