// Inside the storage room: the one step of a save each system does its own
// way (posix/files.cpp, windows/files.cpp), behind files.h's replaceFile and
// replaceFileInPieces. A fresh temporary file beside `path`, under a name no
// other process uses, filled by `produce` when given (else with `bytes`),
// made durable, then put in the place of `path` in one step. On failure the
// system's error says why and the old file is untouched. Allocates nothing,
// takes no lock and says nothing.
#pragma once

#include <cstddef>

#include "platform/storage/files.h"

bool replaceThroughTemp(const char* path, const char* tempPath,
                        bool (*produce)(FilePiece put, void* file), const char* bytes, size_t size);
