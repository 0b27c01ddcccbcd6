#include "platform/storage/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string realFolder(const std::string& folder) {
    char* real = realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    if (!real) return {};
    std::string resolved = withSlash(real);
    std::free(real);
    return resolved;
}

// The folder SDL_GetPrefPath("", "tirlane") names: $XDG_DATA_HOME/tirlane/,
// by default ~/.local/share/tirlane/.
std::string playerDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/') return withSlash(dataHome) + "tirlane/";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return {};
    return withSlash(home) + ".local/share/tirlane/";
}

// $XDG_CONFIG_HOME/tirlane/, by default ~/.config/tirlane/.
std::string playerConfigFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/') return withSlash(configHome) + "tirlane/";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return {};
    return withSlash(home) + ".config/tirlane/";
}

// <prefix>/share/tirlane/, from <prefix>/bin/: a moved prefix still finds
// its data.
std::string installedDataFolder(const std::string& executableFolder) {
    const std::filesystem::path folder = executableFolder + "../share/tirlane/";
    return folder.lexically_normal().string();
}
