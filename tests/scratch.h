// A fresh temporary folder that a test works in as the game's working folder:
// made and entered on construction, left and removed on destruction.
#pragma once

#include <filesystem>

class ScratchFolder {
  public:
    explicit ScratchFolder(const char* prefix);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return folder; }

  private:
    std::filesystem::path previous, folder;
};
