// The hiscore file "Score". The eight bytes hold the "%d" text of
// 3 * hiscore - 2, its zero byte when it fits, and zero filler. Reading takes
// the leading number the way atoi does, but in 64 bits with saturation, so a
// file edited by hand can never overflow the arithmetic.
#include "platform/ports/hiscore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "game/state.h"
#include "platform/storage/files.h"
#include "platform/storage/paths.h"

namespace {

constexpr size_t SCORE_BYTES = 8;

SaveObserver saveObserver = nullptr;
HiscoreSource hiscoreSource = nullptr;
LoadObserver loadObserver = nullptr;
bool fileWrites = true;

constexpr int64_t INT32_LOW = std::numeric_limits<int32_t>::min();
constexpr int64_t INT32_HIGH = std::numeric_limits<int32_t>::max();

int64_t clampToInt32(int64_t value) {
    return std::clamp(value, INT32_LOW, INT32_HIGH);
}

// The white space atoi skips in the C locale.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The new content goes to a temporary file beside "Score" and replaces it in
// one step once it is on disk: a crash at any moment leaves either the old
// file or the new one, never a torn one. Another game may be saving into the
// same folder: under the lock, a record it stored above this game's stays,
// so no order of two games' saves can lower the record. The player's data
// folder is made on the first save. True when the file holds this game's
// record afterwards.
bool writeScoreFile(int32_t hiscore, const char bytes[SCORE_BYTES]) {
    const char* path = recordPath(RECORD_SCORE);
    const char* temp = recordPath(RECORD_SCORE_TEMP);
    if (!path || !temp) return false;
    if (!prepareRecordFolder()) {
        reportFailedSave(path);
        return false;
    }
    const SaveLock lock(path);
    char stored[SCORE_BYTES];
    const size_t n = readFileStart(path, stored, SCORE_BYTES);
    if (n > 0 && decodeHiscore(stored, n) > hiscore) return false;
    return replaceFile(path, temp, bytes, SCORE_BYTES);
}

bool lastSaveKept = false;

} // namespace

void encodeHiscore(int32_t hiscore, char out[8]) {
    int64_t stored = clampToInt32(3 * static_cast<int64_t>(hiscore) - 2);
    char text[12] = {}; // any 32-bit value and its zero byte; the rest is filler
    std::snprintf(text, sizeof text, "%d", static_cast<int>(stored));
    std::memcpy(out, text, SCORE_BYTES);
}

int32_t decodeHiscore(const char* bytes, size_t n) {
    n = std::min(n, SCORE_BYTES);
    size_t i = 0;
    while (i < n && isBlank(bytes[i])) ++i;
    bool negative = false;
    if (i < n && (bytes[i] == '-' || bytes[i] == '+')) negative = bytes[i++] == '-';
    int64_t number = 0;
    for (; i < n && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
        number = std::min<int64_t>(number * 10 + (bytes[i] - '0'), INT32_HIGH + 1);
    }
    number = clampToInt32(negative ? -number : number);
    return static_cast<int32_t>((number + 2) / 3); // C++ division truncates toward zero
}

int32_t loadHiscore() {
    int32_t value = 0;
    if (hiscoreSource) {
        value = hiscoreSource();
    } else {
        char bytes[SCORE_BYTES] = {};
        const char* path = recordPath(RECORD_SCORE);
        const size_t n = path ? readFileStart(path, bytes, SCORE_BYTES) : 0;
        value = decodeHiscore(bytes, n);
    }
    if (loadObserver) loadObserver(value);
    return value;
}

void saveHiscore() {
    char bytes[SCORE_BYTES];
    encodeHiscore(game.hiscore, bytes);
    // A file that cannot be written leaves the game as it is.
    lastSaveKept = fileWrites && writeScoreFile(game.hiscore, bytes);
    if (saveObserver) saveObserver(game.hiscore);
}

bool lastSaveKeptRecord() {
    return lastSaveKept;
}

void setSaveObserver(SaveObserver observer) {
    saveObserver = observer;
}

void setHiscoreSource(HiscoreSource source) {
    hiscoreSource = source;
}

void setLoadObserver(LoadObserver observer) {
    loadObserver = observer;
}

void setHiscoreFileWrites(bool on) {
    fileWrites = on;
}
