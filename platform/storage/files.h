// The file operations every file of the player's goes through: a check made
// before opening a file the game did not write, reading a small file without
// ever waiting on it, and the atomic replacement every save uses. This is the
// POSIX side; files_win.cpp is its Windows twin with the same promises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Opens a file by its UTF-8 name, as fopen does. On Windows the name reaches
// the system as UTF-16, so a folder named in any script opens on any version,
// whatever the code page. Every picture, replay and key script is opened here.
std::FILE* openFile(const char* path, const char* mode);

// True when the path names an ordinary file (after links). A pipe, a device
// or a folder in place of an asset would make opening it wait or misbehave.
bool isPlainFile(const char* path);

// Reads at most `size` bytes from the start of a plain file into `bytes` and
// returns how many it got: 0 for a missing file, a folder, a pipe or a
// device, none of which is ever waited on.
size_t readFileStart(const char* path, char* bytes, size_t size);

// Replaces the file at `path` with `bytes` by way of a temporary file beside
// it, named `tempPath` followed by this process's id and a count, and made
// afresh: two games saving at once never write into each other's temporary
// file. The new content reaches the disk in the temporary file, which then
// takes the place of the old one in one step. A crash at any moment leaves
// the old file or the new one, never a torn one; a crash before the last step
// may leave its temporary file behind. A new file gets the mode a plain fopen
// would give it, an existing one keeps its own. False, and the old file
// untouched, when anything fails; the first failure of the run is said on
// standard error.
bool replaceFile(const char* path, const char* tempPath, const char* bytes, size_t size);

// The same replacement with the bytes handed over piece by piece: `produce`
// gives each piece to `put(file, bytes, size)` and says whether all went
// well. Allocates nothing, takes no lock and says nothing, so a crash
// handler may use it.
using FilePiece = bool (*)(void* file, const char* bytes, size_t size);
bool replaceFileInPieces(const char* path, const char* tempPath,
                         bool (*produce)(FilePiece put, void* file));

// Removes a file; true when none is left under that name. Safe in a crash
// handler.
bool removeFile(const char* path);
// Says on standard error, once a run, that the file could not be saved and
// why (the reason the system gave for the call that just failed). A player
// whose data folder takes no writes learns it at the first lost save.
void reportFailedSave(const char* path);

// Held while it lives: the lock a save that reads the file before replacing
// it takes, so that two games saving into one folder take turns. The folder
// itself is locked on POSIX; Windows locks `path` followed by ".lock". Not
// held where the system has no locks to give; the save goes on regardless.
class SaveLock {
  public:
    explicit SaveLock(const char* path);
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
    bool held() const { return handle != NO_HANDLE; }

  private:
    static constexpr intptr_t NO_HANDLE = -1;
    intptr_t handle = NO_HANDLE;
};

// Creates the folder and any missing parents (for the player's data folder,
// made on the first save). True when it exists afterwards. Allocates nothing.
bool makeFolders(const char* path);
