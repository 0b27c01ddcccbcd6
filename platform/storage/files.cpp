// The saves every system makes the same way, over its own replacement
// (replace.h): a failed save is said once a run; a crash handler's is not.
#include "platform/storage/files.h"

#include "platform/storage/replace.h"

bool replaceFile(const char* path, const char* tempPath, const char* bytes, size_t size) {
    if (replaceThroughTemp(path, tempPath, nullptr, bytes, size)) return true;
    reportFailedSave(path);
    return false;
}

bool replaceFileInPieces(const char* path, const char* tempPath,
                         bool (*produce)(FilePiece put, void* file)) {
    return replaceThroughTemp(path, tempPath, produce, nullptr, 0);
}
