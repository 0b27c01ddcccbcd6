#include "platform/replay/run_files.h"

#include <climits>

#include "platform/ports/hiscore.h"
#include "platform/replay/crash.h"
#include "platform/replay/replay.h"
#include "platform/storage/files.h"
#include "platform/storage/paths.h"

namespace {

int32_t bestSaved = INT32_MIN;
bool written = false;

// Only a record that reached the file counts: record.replay goes with the
// record in "Score", never with one that failed to save or lost to a higher
// one another game stored meanwhile.
void noteSave(int32_t hiscore) {
    if (lastSaveKeptRecord() && hiscore > bestSaved) bestSaved = hiscore;
}

void writeCrashReplay() {
    if (written || !prepareRecordFolder()) return;
    const char* path = recordPath(RECORD_LAST_REPLAY);
    if (!writeCrashRecording(path, recordPath(RECORD_REPLAY_TEMP)) && path) removeFile(path);
}

} // namespace

void keepRunReplays() {
    setSaveObserver(noteSave);
    installCrashHandler(writeCrashReplay);
}

void writeRunReplays(int32_t recordAtStart) {
    if (!recording() || written) return;
    written = true;
    if (!prepareRecordFolder()) {
        reportFailedSave(recordPath(RECORD_LAST_REPLAY));
        return;
    }
    const char* temp = recordPath(RECORD_REPLAY_TEMP);
    writeRecording(recordPath(RECORD_LAST_REPLAY), temp);
    if (bestSaved > recordAtStart) writeRecording(recordPath(RECORD_BEST_REPLAY), temp);
}
