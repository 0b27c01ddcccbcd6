// The replays a run of the window game leaves beside the record: last.replay
// when the game ends (and when it crashes, up to the crash), and
// record.replay when the run raised the record in "Score".
#pragma once

#include <cstdint>

// Before the run: notes the records that reach "Score", and has a crash
// write last.replay up to the call it happened in (when that cannot be
// written, no last.replay at all, never the one of an earlier run).
void keepRunReplays();
// After the run (its recording finished): writes last.replay, and
// record.replay when a record above `recordAtStart` reached the file. A
// crash after this leaves the files be.
void writeRunReplays(int32_t recordAtStart);
