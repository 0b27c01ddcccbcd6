// The system's side of finding the game's files: folder names as this
// system spells and resolves them. paths.cpp makes the decisions;
// folders.cpp is the POSIX side, folders_win.cpp its Windows twin.
#pragma once

#include <string>

// The folder's name ending in a separator: '/' is added unless it ends in
// one already; "" (the working directory) stays "".
std::string withSlash(std::string folder);

// The folder's absolute name, links followed, ending in a separator; "" names
// the working directory. "" when it cannot be resolved.
std::string realFolder(const std::string& folder);

// The player's data folder for the game's records, named but not made; ""
// when the player has none.
std::string playerDataFolder();

// The player's config folder for the game's settings, named but not made;
// "" when the player has none.
std::string playerConfigFolder();

// Where an installed game's pictures and sounds are, from the folder of the
// executable (ending in a separator).
std::string installedDataFolder(const std::string& executableFolder);
