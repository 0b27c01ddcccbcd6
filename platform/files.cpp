#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A fresh file takes the mode "w" would give it; an existing one keeps its own.
mode_t modeFor(const char* path) {
    struct stat existing {};
    if (stat(path, &existing) == 0 && S_ISREG(existing.st_mode)) return existing.st_mode & 0777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
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

bool replaceFile(const char* path, const char* tempPath, const char* bytes, size_t size) {
    int fd =
        open(tempPath, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = fchmod(fd, modeFor(path)) == 0 && writeAll(fd, bytes, size) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(tempPath, path) == 0;
    if (!ok) {
        unlink(tempPath);
        return false;
    }
    syncFolderOf(path);
    return true;
}

namespace {

bool putPiece(void* file, const char* bytes, size_t size) {
    return writeAll(*static_cast<int*>(file), bytes, size);
}

} // namespace

bool replaceFileInPieces(const char* path, const char* tempPath,
                         bool (*produce)(FilePiece put, void* file)) {
    int fd =
        open(tempPath, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = fchmod(fd, modeFor(path)) == 0 && produce(putPiece, &fd) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(tempPath, path) == 0;
    if (!ok) {
        unlink(tempPath);
        return false;
    }
    syncFolderOf(path);
    return true;
}

bool removeFile(const char* path) {
    return unlink(path) == 0 || errno == ENOENT;
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
