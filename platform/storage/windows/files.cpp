// The Windows twin of files.cpp, with the same promises. Paths come in UTF-8,
// as SDL gives them, and reach Windows as UTF-16 names built in fixed
// buffers, so a save during play allocates nothing.
#include "platform/storage/files.h"
#include "platform/storage/replace.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

constexpr int WIDE_PATH_MAX = 4096;
using WidePath = wchar_t[WIDE_PATH_MAX];

// False for a path that is not UTF-8 or does not fit.
bool widen(const char* path, WidePath& out) {
    return path &&
           MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, out, WIDE_PATH_MAX) > 0;
}

// Opens an existing file and keeps it only when it is a file on disk: a
// folder does not open without a flag asked for here, and a console, a pipe
// or a port under a file's name is closed again unread.
HANDLE openDiskFile(const wchar_t* path, DWORD access) {
    HANDLE file = CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

bool writeAll(HANDLE file, const char* bytes, size_t size) {
    while (size > 0) {
        DWORD done = 0;
        const DWORD chunk = size < (1u << 30) ? DWORD(size) : DWORD(1u << 30);
        if (!WriteFile(file, bytes, chunk, &done, nullptr) || done == 0) return false;
        bytes += done;
        size -= done;
    }
    return true;
}

bool isFolder(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

bool isPlainFile(const char* path) {
    WidePath wide;
    if (!widen(path, wide)) return false;
    HANDLE file = openDiskFile(wide, 0); // no access: only asks what it is
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

size_t readFileStart(const char* path, char* bytes, size_t size) {
    WidePath wide;
    if (!widen(path, wide)) return 0;
    HANDLE file = openDiskFile(wide, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) return 0;
    size_t n = 0;
    while (n < size) {
        DWORD got = 0;
        const size_t left = size - n;
        const DWORD chunk = left < (1u << 30) ? DWORD(left) : DWORD(1u << 30);
        if (!ReadFile(file, bytes + n, chunk, &got, nullptr) || got == 0) break;
        n += got;
    }
    CloseHandle(file);
    return n;
}

std::FILE* openFile(const char* path, const char* mode) {
    WidePath wide;
    wchar_t wideMode[8];
    if (!widen(path, wide) || !mode || std::strlen(mode) >= 8) return nullptr;
    for (size_t i = 0; i <= std::strlen(mode); ++i) wideMode[i] = wchar_t(mode[i]);
    return _wfopen(wide, wideMode);
}

void reportFailedSave(const char* path) {
    static std::atomic<bool> reported{false};
    const DWORD error = GetLastError();
    if (reported.exchange(true)) return;
    char reason[256] = "";
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reason, sizeof reason, nullptr);
    // The system's text ends in a line break; the line has its own.
    for (DWORD i = n; i > 0 && (reason[i - 1] == '\n' || reason[i - 1] == '\r' ||
                                reason[i - 1] == '.' || reason[i - 1] == ' ');
         --i)
        reason[i - 1] = '\0';
    if (!reason[0])
        std::snprintf(reason, sizeof reason, "error %lu", static_cast<unsigned long>(error));
    std::fprintf(stderr, "tirlane: cannot save %s: %s\n", path ? path : "the record", reason);
}

namespace {

bool putPiece(void* file, const char* bytes, size_t size) {
    return writeAll(static_cast<HANDLE>(file), bytes, size);
}

} // namespace

// The temporary file is made afresh under a name no other process uses
// (CREATE_NEW never opens what is there, a link included), flushed to the
// disk, and then moved over the old file in one step; msvcrt's rename would
// refuse to replace an existing file. Windows keeps no mode bits to carry
// over: the new file takes the folder's permissions, and a "Score" made
// read-only refuses the move and stays whole. Filled by `produce` when
// given, else with `bytes`; on failure GetLastError says why.
bool replaceThroughTemp(const char* path, const char* tempPath, bool (*produce)(FilePiece, void*),
                        const char* bytes, size_t size) {
    static std::atomic<unsigned> count{0};
    WidePath widePath, wideTemp;
    char temp[WIDE_PATH_MAX];
    if (!widen(path, widePath) || !tempPath) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        const int n =
            std::snprintf(temp, sizeof temp, "%s.%lu.%u", tempPath,
                          static_cast<unsigned long>(GetCurrentProcessId()), count.fetch_add(1));
        if (n < 0 || n >= int(sizeof temp) || !widen(temp, wideTemp)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            break;
        }
        file = CreateFileW(wideTemp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileType(file) == FILE_TYPE_DISK &&
              (produce ? produce(putPiece, file) : writeAll(file, bytes, size)) &&
              FlushFileBuffers(file);
    DWORD error = GetLastError();
    if (!CloseHandle(file) && ok) {
        ok = false;
        error = GetLastError();
    }
    if (ok &&
        !MoveFileExW(wideTemp, widePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = GetLastError();
    }
    if (!ok) {
        DeleteFileW(wideTemp);
        SetLastError(error);
    }
    return ok;
}

bool removeFile(const char* path) {
    WidePath wide;
    if (!widen(path, wide)) return false;
    return DeleteFileW(wide) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// The lock is a byte of a file of its own beside the saved one: the saved
// file itself is replaced by every save, and a lock on a file that has been
// replaced would keep no one out.
SaveLock::SaveLock(const char* path) {
    char name[WIDE_PATH_MAX];
    WidePath wide;
    const int n = path ? std::snprintf(name, sizeof name, "%s.lock", path) : -1;
    if (n < 0 || n >= int(sizeof name) || !widen(name, wide)) return;
    HANDLE file = CreateFileW(wide, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    OVERLAPPED at{};
    if (GetFileType(file) != FILE_TYPE_DISK ||
        !LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
        CloseHandle(file);
        return;
    }
    handle = reinterpret_cast<intptr_t>(file);
}

SaveLock::~SaveLock() {
    if (!held()) return;
    HANDLE file = reinterpret_cast<HANDLE>(handle);
    OVERLAPPED at{};
    UnlockFileEx(file, 0, 1, 0, &at);
    CloseHandle(file);
}

bool makeFolders(const char* path) {
    WidePath wide;
    if (!widen(path, wide) || !wide[0]) return false;
    // Each parent in turn, then the folder itself. A drive or a server share
    // cannot be made and need not be: only the end result counts.
    for (int i = 1; wide[i - 1]; ++i) {
        if (wide[i] != L'\\' && wide[i] != L'/' && wide[i] != L'\0') continue;
        const wchar_t kept = wide[i];
        wide[i] = L'\0';
        CreateDirectoryW(wide, nullptr);
        wide[i] = kept;
    }
    return isFolder(wide);
}
