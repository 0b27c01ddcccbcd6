// The folder the benchmarks run in: a fresh copy of the game's assets, so
// sprites, sounds and the font open by bare name as in the game, and the
// "Score" file a run writes never touches the source tree.
#pragma once

#include <string>

// Copies every asset into a new temporary folder and makes it the working
// directory. Returns the folder, or an empty string on failure.
std::string enterAssetFolder(const char* assetsDir);
// Leaves and removes the folder made by enterAssetFolder.
void removeAssetFolder(const std::string& folder);
