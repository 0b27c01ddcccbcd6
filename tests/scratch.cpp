#include "tests/scratch.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const char* prefix) : previous(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
    folder = pattern;
    fs::current_path(folder);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::current_path(previous, ignored);
    chmod(folder.c_str(), 0700); // a test may have made it read-only
    fs::remove_all(folder, ignored);
}
