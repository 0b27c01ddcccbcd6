// The hiscore file "Score". The eight bytes hold the "%d" text of
// 3 * hiscore - 2, its zero byte when it fits, and zero filler. Reading takes
// the leading number the way atoi does, but in 64 bits with saturation, so a
// file edited by hand can never overflow the arithmetic.
#include "platform/hiscore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "game/state.h"

namespace {

constexpr const char* SCORE_FILE = "Score";
constexpr const char* TEMP_FILE = "Score.new";
constexpr size_t SCORE_BYTES = 8;

SaveObserver saveObserver = nullptr;

constexpr int64_t INT32_LOW = std::numeric_limits<int32_t>::min();
constexpr int64_t INT32_HIGH = std::numeric_limits<int32_t>::max();

int64_t clampToInt32(int64_t value) {
    return std::clamp(value, INT32_LOW, INT32_HIGH);
}

// The white space atoi skips in the C locale.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Writes all of bytes to fd, retrying short writes and interruptions.
bool writeAll(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        ssize_t done = write(fd, bytes, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

// A fresh file takes the mode "w" would give it; an existing one keeps its own.
mode_t scoreFileMode() {
    struct stat existing {};
    if (stat(SCORE_FILE, &existing) == 0 && S_ISREG(existing.st_mode))
        return existing.st_mode & 0777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Makes the rename itself durable; a folder that refuses fsync is not an error.
void syncWorkingFolder() {
    int dir = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    fsync(dir);
    close(dir);
}

// The new content goes to a temporary file beside "Score", reaches the disk,
// and only then replaces "Score" in one rename: a crash at any moment leaves
// either the old file or the new one, never a torn one. The temporary file
// always has the same name, so a save cut short leaves at most one behind,
// and the next save reuses it.
bool writeScoreFile(const char bytes[SCORE_BYTES]) {
    const char* tempName = TEMP_FILE;
    int fd =
        open(tempName, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok =
        fchmod(fd, scoreFileMode()) == 0 && writeAll(fd, bytes, SCORE_BYTES) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(tempName, SCORE_FILE) == 0;
    if (!ok) {
        unlink(tempName);
        return false;
    }
    syncWorkingFolder();
    return true;
}

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
    char bytes[SCORE_BYTES] = {};
    size_t n = 0;
    // Only a plain file is read: opening a pipe named "Score" must not wait
    // for a writer, and a folder or device named so loads as 0.
    int fd = open(SCORE_FILE, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        struct stat info {};
        if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
            while (n < SCORE_BYTES) {
                ssize_t got = read(fd, bytes + n, SCORE_BYTES - n);
                if (got < 0 && errno == EINTR) continue;
                if (got <= 0) break;
                n += static_cast<size_t>(got);
            }
        }
        close(fd);
    }
    return decodeHiscore(bytes, n);
}

void saveHiscore() {
    char bytes[SCORE_BYTES];
    encodeHiscore(game.hiscore, bytes);
    writeScoreFile(bytes); // a file that cannot be written leaves the game running as it is
    if (saveObserver) saveObserver(game.hiscore);
}

void setSaveObserver(SaveObserver observer) {
    saveObserver = observer;
}
