#include "tools/bench/workdir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string enterAssetFolder(const char* assetsDir) {
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) return {};
    std::string pattern = (base / "tirlane-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return {};
    for (const auto& entry : fs::directory_iterator(assetsDir, error)) {
        if (!entry.is_regular_file()) continue;
        fs::copy_file(entry.path(), fs::path(pattern) / entry.path().filename(), error);
        if (error) break;
    }
    if (error || chdir(pattern.c_str()) != 0) {
        fs::remove_all(pattern, error);
        return {};
    }
    return pattern;
}

void removeAssetFolder(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code error;
    fs::current_path(fs::temp_directory_path(error), error);
    fs::remove_all(folder, error);
}
