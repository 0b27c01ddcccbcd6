// The hiscore file "Score": eight bytes holding the decimal text of
// 3 * hiscore - 2, in the record folder (the working directory unless the
// game runs installed: platform/paths.h).
#pragma once

#include <cstddef>
#include <cstdint>

// Reads "Score"; an absent, unreadable or odd file loads as its leading
// number (or 0) decoded, never overflowing.
int32_t loadHiscore();
// Writes game.hiscore to "Score" by way of a temporary file, so a crash
// mid-write never leaves a torn file. A higher record that another game
// saved meanwhile stays in the file. Failure leaves the game running.
void saveHiscore();
// Whether the last save put game.hiscore in the file: false when it failed,
// when files are not written, or when the file held a higher record.
bool lastSaveKeptRecord();

// The codec, shared by the file functions, tests and the fuzzer.
// encode fills exactly eight bytes; decode reads at most n (<= 8) bytes.
void encodeHiscore(int32_t hiscore, char out[8]);
int32_t decodeHiscore(const char* bytes, size_t n);

// Called with the saved value after every save attempt (the headless trace).
using SaveObserver = void (*)(int32_t hiscore);
void setSaveObserver(SaveObserver observer);

// Where loaded values come from: the file (no source, the default), or a
// source that hands them out in turn (a replay played back).
using HiscoreSource = int32_t (*)();
void setHiscoreSource(HiscoreSource source);
// Called with every value loaded, whichever its source (a replay recording).
using LoadObserver = void (*)(int32_t hiscore);
void setLoadObserver(LoadObserver observer);
// Off, a save leaves every file alone (a replay played back); the save
// observer still hears of it. On by default.
void setHiscoreFileWrites(bool on);
