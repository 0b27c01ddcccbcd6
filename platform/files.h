// Checks made before the game opens a file from the player's folder.
#pragma once

// True when the path names an ordinary file (after links). A pipe, a device
// or a folder in place of an asset would make opening it wait or misbehave.
bool isPlainFile(const char* path);
