// The Windows twin of files.cpp, with the same promises. Paths come in UTF-8,
// as SDL gives them, and reach Windows as UTF-16 names built in fixed
// buffers, so a save during play allocates nothing.
#include "platform/files.h"

#include <windows.h>

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

// The temporary file is made afresh (a link left under its name is removed,
// never written through), flushed to the disk, and then moved over the old
// file in one step; msvcrt's rename would refuse to replace an existing file.
// Windows keeps no mode bits to carry over: the new file takes the folder's
// permissions, and a "Score" made read-only refuses the move and stays whole.
bool replaceFile(const char* path, const char* tempPath, const char* bytes, size_t size) {
    WidePath widePath, wideTemp;
    if (!widen(path, widePath) || !widen(tempPath, wideTemp)) return false;
    DeleteFileW(wideTemp);
    HANDLE file = CreateFileW(wideTemp, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileType(file) == FILE_TYPE_DISK && writeAll(file, bytes, size) &&
              FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExW(wideTemp, widePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(wideTemp);
    return ok;
}

namespace {

bool putPiece(void* file, const char* bytes, size_t size) {
    return writeAll(static_cast<HANDLE>(file), bytes, size);
}

} // namespace

bool replaceFileInPieces(const char* path, const char* tempPath,
                         bool (*produce)(FilePiece put, void* file)) {
    WidePath widePath, wideTemp;
    if (!widen(path, widePath) || !widen(tempPath, wideTemp)) return false;
    DeleteFileW(wideTemp);
    HANDLE file = CreateFileW(wideTemp, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok =
        GetFileType(file) == FILE_TYPE_DISK && produce(putPiece, file) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExW(wideTemp, widePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(wideTemp);
    return ok;
}

bool removeFile(const char* path) {
    WidePath wide;
    if (!widen(path, wide)) return false;
    return DeleteFileW(wide) || GetLastError() == ERROR_FILE_NOT_FOUND;
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
