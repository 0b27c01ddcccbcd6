#include "platform/storage/paths.h"

#include <SDL.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/graphics/text.h"
#include "platform/ports/display.h"
#include "platform/storage/files.h"
#include "platform/storage/folders.h"

namespace {

constexpr const char* recordNames[RECORD_FILE_COUNT] = {"Score", "Score.new", "last.replay",
                                                        "record.replay", "replay.new"};
constexpr const char* SYSTEM_FONT = "fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

std::string assets;          // "" or ending in '/'
std::string installedAssets; // where locate looked for an installation
std::string records;
bool recordsKept = true;
bool installed = false;
// Bare names until a shell names the folders.
char recordPaths[RECORD_FILE_COUNT][PATH_MAX] = {"Score", "Score.new", "last.replay",
                                                 "record.replay", "replay.new"};

constexpr const char* configNames[CONFIG_FILE_COUNT] = {"settings.ini", "settings.new",
                                                        "gamecontrollerdb.txt"};
std::string config;
bool configKept = true;
char configPaths[CONFIG_FILE_COUNT][PATH_MAX] = {"settings.ini", "settings.new",
                                                 "gamecontrollerdb.txt"};

void makeRecordPaths() {
    for (int i = 0; i < RECORD_FILE_COUNT; ++i) {
        const int n =
            std::snprintf(recordPaths[i], PATH_MAX, "%s%s", records.c_str(), recordNames[i]);
        if (n < 0 || n >= PATH_MAX) recordsKept = false; // a folder too deep to name
    }
}

// True when the folder holds any of the game's pictures.
bool holdsPictures(const std::string& folder) {
    for (int id = 1; id <= SPRITE_COUNT; ++id)
        if (isPlainFile((folder + spriteTable[id].file).c_str())) return true;
    return false;
}

// True when the folder holds every one of the game's pictures: a folder of
// the game's own files, never one where a file of the same name lies by chance.
bool holdsAllPictures(const std::string& folder) {
    for (int id = 1; id <= SPRITE_COUNT; ++id)
        if (!isPlainFile((folder + spriteTable[id].file).c_str())) return false;
    return true;
}

} // namespace

FilesLayout locateGameFiles() {
    char* base = SDL_GetBasePath();
    const std::string folder = base ? base : "";
    SDL_free(base);
    return locateGameFilesFrom(folder.c_str());
}

FilesLayout locateGameFilesFrom(const char* executableFolder) {
    installedAssets = executableFolder && *executableFolder
                          ? installedDataFolder(withSlash(executableFolder))
                          : std::string();
    // Installed, the game keeps its record in the player's folder whatever
    // the working folder holds: a "Score" there may be the player's own file.
    // Otherwise the working folder is the game's when it holds the whole set
    // of pictures. When nothing holds them, whatever pictures lie in the
    // working folder still load, but the record goes to the player's folder
    // too: that folder is not the game's, and its "Score" may be anybody's.
    if (installedAssets.empty() || !holdsPictures(installedAssets)) {
        if (holdsAllPictures("")) {
            useGameFolders("", "");
            useConfigFolder("");
            return FilesLayout::Portable;
        }
        const std::string player = playerDataFolder();
        useGameFolders("", player.empty() ? nullptr : player.c_str());
        const std::string settings = playerConfigFolder();
        useConfigFolder(settings.empty() ? nullptr : settings.c_str());
        return FilesLayout::NotFound;
    }
    const std::string player = playerDataFolder();
    useGameFolders(installedAssets.c_str(), player.empty() ? nullptr : player.c_str());
    const std::string settings = playerConfigFolder();
    useConfigFolder(settings.empty() ? nullptr : settings.c_str());
    installed = true;
    return FilesLayout::Installed;
}

void useGameFolders(const char* assetFolder, const char* recordFolder) {
    installed = false;
    assets = withSlash(assetFolder ? assetFolder : "");
    recordsKept = recordFolder != nullptr;
    records = withSlash(recordFolder ? recordFolder : "");
    makeRecordPaths();
}

const std::string& assetFolder() {
    return assets;
}

const std::string& installedAssetFolder() {
    return installedAssets;
}

const std::string& recordFolder() {
    return records;
}

bool hasRecordFolder() {
    return recordsKept;
}

std::string workingFolder() {
    const std::string folder = realFolder("");
    return folder.empty() ? "./" : folder;
}

std::string assetPath(const char* name) {
    return assets + name;
}

std::string fontPath() {
    const std::string own = assetPath(FONT_FILE);
    if (!installed || isPlainFile(own.c_str())) return own;
    // The data folders of the system, as the desktop names them.
    const char* list = std::getenv("XDG_DATA_DIRS");
    const std::string dirs = list && *list ? list : "/usr/local/share/:/usr/share/";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir[0] == '/') {
            const std::string candidate = withSlash(dir) + SYSTEM_FONT;
            if (isPlainFile(candidate.c_str())) return candidate;
        }
        start = end + 1;
    }
    return own;
}

const char* recordPath(RecordFile file) {
    if (!recordsKept || file < 0 || file >= RECORD_FILE_COUNT) return nullptr;
    return recordPaths[file];
}

bool prepareRecordFolder() {
    if (!recordsKept) return false;
    if (records.empty()) return true;
    return makeFolders(records.c_str());
}

void useConfigFolder(const char* folder) {
    configKept = folder != nullptr;
    config = withSlash(folder ? folder : "");
    for (int i = 0; i < CONFIG_FILE_COUNT; ++i) {
        const int n =
            std::snprintf(configPaths[i], PATH_MAX, "%s%s", config.c_str(), configNames[i]);
        if (n < 0 || n >= PATH_MAX) configKept = false;
    }
}

const std::string& configFolder() {
    return config;
}

const char* configPath(ConfigFile file) {
    if (!configKept || file < 0 || file >= CONFIG_FILE_COUNT) return nullptr;
    return configPaths[file];
}

bool prepareConfigFolder() {
    if (!configKept) return false;
    if (config.empty()) return true;
    return makeFolders(config.c_str());
}
