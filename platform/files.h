// The file operations every file of the player's goes through: a check made
// before opening a file the game did not write, reading a small file without
// ever waiting on it, and the atomic replacement every save uses. This is the
// POSIX side; files_win.cpp is its Windows twin with the same promises.
#pragma once

#include <cstddef>

// True when the path names an ordinary file (after links). A pipe, a device
// or a folder in place of an asset would make opening it wait or misbehave.
bool isPlainFile(const char* path);

// Reads at most `size` bytes from the start of a plain file into `bytes` and
// returns how many it got: 0 for a missing file, a folder, a pipe or a
// device, none of which is ever waited on.
size_t readFileStart(const char* path, char* bytes, size_t size);

// Replaces the file at `path` with `bytes` by way of `tempPath` beside it:
// the new content reaches the disk in the temporary file, which then takes
// the place of the old one in one step. A crash at any moment leaves the old
// file or the new one, never a torn one; a crash before the last step may
// leave the temporary file behind, which the next replacement reuses. A new
// file gets the mode a plain fopen would give it, an existing one keeps its
// own. False, and the old file untouched, when anything fails.
bool replaceFile(const char* path, const char* tempPath, const char* bytes, size_t size);

// The same replacement with the bytes handed over piece by piece: `produce`
// gives each piece to `put(file, bytes, size)` and says whether all went
// well. Allocates nothing and takes no lock, so a crash handler may use it.
using FilePiece = bool (*)(void* file, const char* bytes, size_t size);
bool replaceFileInPieces(const char* path, const char* tempPath,
                         bool (*produce)(FilePiece put, void* file));

// Removes a file; true when none is left under that name. Safe in a crash
// handler.
bool removeFile(const char* path);

// Creates the folder and any missing parents (for the player's data folder,
// made on the first save). True when it exists afterwards. Allocates nothing.
bool makeFolders(const char* path);
