// Where the game's files are. Every picture, sound, font and record the game
// opens is named through here, and nothing else in the game knows a folder.
//
// Until a shell decides otherwise, every file is its bare name in the
// working directory: the headless runner and the tests never change that.
// The window game calls locateGameFiles() once at start-up:
//   - installed: pictures are in the data folder found from the executable's
//     own place (<prefix>/bin/../share/tirlane/), so a moved prefix still
//     works. The record lives in the player's data folder ($XDG_DATA_HOME/
//     tirlane/, by default ~/.local/share/tirlane/), made on the first save,
//     whatever the working directory holds: a "Score" there may be the
//     player's own file.
//   - portable: not installed, and the working directory holds every one of
//     the game's pictures (the run folder, or the game unpacked). Everything
//     stays a bare name, the record included.
//   - not found: not installed, and the working directory lacks pictures:
//     everything stays a bare name, as in the portable case, and the caller
//     says where it looked.
#pragma once

#include <string>

enum class FilesLayout { Portable, Installed, NotFound };

// Decides the layout from where the executable lies (SDL_GetBasePath()).
FilesLayout locateGameFiles();
// The same decision for an executable in `executableFolder` (ending in '/').
FilesLayout locateGameFilesFrom(const char* executableFolder);

// Names the two folders outright (for a shell that knows its own layout, and
// for tests). Each is empty for the working directory or ends with '/'; a
// null record folder means there is nowhere to keep records.
void useGameFolders(const char* assetFolder, const char* recordFolder);

// The folders as decided ("" is the working directory).
const std::string& assetFolder();
const std::string& installedAssetFolder(); // where locate looked besides the working directory
const std::string& recordFolder();         // "" also when there is none: see hasRecordFolder
bool hasRecordFolder();
// The working directory's absolute name, ending in '/' (for messages).
std::string workingFolder();

// The path of an asset (a picture, a sound). Used while loading at start-up.
std::string assetPath(const char* name);
// The font: the asset folder's "font.ttf", or else, when installed, the
// system's copy of the same DejaVu Sans Bold (a package may depend on the
// font's package instead of shipping a second copy).
std::string fontPath();

// The files kept beside the record. Their paths are made whenever the folders
// change, so asking for one during play allocates nothing.
enum RecordFile {
    RECORD_SCORE,
    RECORD_SCORE_TEMP,
    RECORD_LAST_REPLAY, // the replay of the last run
    RECORD_BEST_REPLAY, // the replay of the last run that raised the record
    RECORD_REPLAY_TEMP,
    RECORD_FILE_COUNT
};
// The path, or null when there is nowhere to keep records.
const char* recordPath(RecordFile file);
// Makes the record folder if it is not there yet; false when it cannot be made.
bool prepareRecordFolder();

// The player's settings: beside the record in a portable folder, otherwise in
// the player's config folder ($XDG_CONFIG_HOME/tirlane/, by default
// ~/.config/tirlane/; %APPDATA%\tirlane\ on Windows). Named when the folders
// are, so saving a change during play allocates nothing.
enum ConfigFile { CONFIG_SETTINGS, CONFIG_SETTINGS_TEMP, CONFIG_PAD_DATABASE, CONFIG_FILE_COUNT };
// Names the config folder outright ("" the working directory, null none).
void useConfigFolder(const char* folder);
const std::string& configFolder();
// The path, or null when there is nowhere to keep settings.
const char* configPath(ConfigFile file);
// Makes the config folder if it is not there yet; false when it cannot be made.
bool prepareConfigFolder();
