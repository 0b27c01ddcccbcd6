#include "platform/storage/files.h"
#include "platform/storage/replace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

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

// Copies the folder part of path ("." for a bare name) into out.
bool folderOf(const char* path, char* out, size_t size) {
    const char* slash = std::strrchr(path, '/');
    if (!slash) return std::snprintf(out, size, ".") < int(size);
    const size_t length = slash == path ? 1 : size_t(slash - path);
    if (length >= size) return false;
    std::memcpy(out, path, length);
    out[length] = '\0';
    return true;
}

// Makes the rename itself durable; a folder that refuses fsync is not an error.
void syncFolderOf(const char* path) {
    char folder[4096];
    if (!folderOf(path, folder, sizeof folder)) return;
    int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    fsync(dir);
    close(dir);
}

} // namespace

bool isPlainFile(const char* path) {
    struct stat info;
    return path && stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

size_t readFileStart(const char* path, char* bytes, size_t size) {
    size_t n = 0;
    // Opened without waiting, then read only if it is a plain file: a pipe
    // must not wait for a writer, and a folder or device counts as missing.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        while (n < size) {
            ssize_t got = read(fd, bytes + n, size - n);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            n += static_cast<size_t>(got);
        }
    }
    close(fd);
    return n;
}

std::FILE* openFile(const char* path, const char* mode) {
    return path ? std::fopen(path, mode) : nullptr;
}

void reportFailedSave(const char* path) {
    static std::atomic<bool> reported{false};
    const int error = errno;
    if (reported.exchange(true)) return;
    std::fprintf(stderr, "tirlane: cannot save %s: %s\n", path ? path : "the record",
                 std::strerror(error));
}

namespace {

// Writes ".PID.N" after `tempPath` into `out`, by hand: a crash handler names
// its temporary file here too, where no formatting function may run.
bool tempName(const char* tempPath, unsigned count, char* out, size_t size) {
    size_t n = 0;
    auto put = [&](char c) {
        if (n + 1 < size) out[n] = c;
        ++n;
    };
    auto number = [&](unsigned long v) {
        char digits[24];
        int d = 0;
        do digits[d++] = char('0' + v % 10);
        while ((v /= 10) != 0);
        while (d > 0) put(digits[--d]);
    };
    for (const char* c = tempPath; *c; ++c) put(*c);
    put('.');
    number(static_cast<unsigned long>(getpid()));
    put('.');
    number(count);
    if (n >= size) return false;
    out[n] = '\0';
    return true;
}

// Makes a temporary file no other process uses (O_EXCL under a name with this
// process's id): the mode given here goes through the umask as a plain
// fopen's would. A file left under such a name by a crashed process of the
// same id is passed over, never written through.
int createTemp(const char* tempPath, char* temp, size_t size) {
    static std::atomic<unsigned> count{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (!tempName(tempPath, count.fetch_add(1), temp, size)) {
            errno = ENAMETOOLONG;
            return -1;
        }
        const int fd =
            open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool putPiece(void* file, const char* bytes, size_t size) {
    return writeAll(*static_cast<int*>(file), bytes, size);
}

} // namespace

// The replacement both saves share: a fresh temporary file filled by
// `produce`, made durable, then renamed over `path`. On failure errno says
// why and the old file is untouched. Allocates nothing, takes no lock.
bool replaceThroughTemp(const char* path, const char* tempPath, bool (*produce)(FilePiece, void*),
                        const char* bytes, size_t size) {
    if (!path || !tempPath) return false;
    char temp[4096];
    int fd = createTemp(tempPath, temp, sizeof temp);
    if (fd < 0) return false;
    // An existing file keeps its mode.
    struct stat existing {};
    bool ok = stat(path, &existing) != 0 || !S_ISREG(existing.st_mode) ||
              fchmod(fd, existing.st_mode & 0777) == 0;
    ok = ok && (produce ? produce(putPiece, &fd) : writeAll(fd, bytes, size));
    ok = ok && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp, path) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp);
        errno = error;
        return false;
    }
    syncFolderOf(path);
    return true;
}

bool removeFile(const char* path) {
    return unlink(path) == 0 || errno == ENOENT;
}

SaveLock::SaveLock(const char* path) {
    char folder[4096];
    if (!path || !folderOf(path, folder, sizeof folder)) return;
    const int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    int locked;
    do {
        locked = flock(dir, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        close(dir);
        return;
    }
    handle = dir;
}

SaveLock::~SaveLock() {
    if (held()) close(int(handle)); // closing lets go of the lock
}

bool makeFolders(const char* path) {
    char partial[4096];
    const size_t length = std::strlen(path);
    if (length == 0 || length >= sizeof partial) return false;
    std::memcpy(partial, path, length + 1);
    // Each parent in turn, then the folder itself; one that exists is fine.
    for (size_t i = 1; i <= length; ++i) {
        if (partial[i] != '/' && partial[i] != '\0') continue;
        const char kept = partial[i];
        partial[i] = '\0';
        if (mkdir(partial, 0700) != 0 && errno != EEXIST) return false;
        partial[i] = kept;
    }
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}
