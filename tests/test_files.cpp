#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/storage/files.h"
#include "tests/scratch.h"

namespace fs = std::filesystem;

// Stand-ins for two calls of the system, linked in place of the C library's:
// fsync can be made to fail as a full or failing disk does, and every umask
// call is counted. Otherwise each does what the system does.
namespace {
std::atomic<int> failingSyncs{0};
std::atomic<int> umaskCalls{0};
} // namespace

extern "C" int fsync(int fd) {
    if (failingSyncs > 0) {
        --failingSyncs;
        errno = EIO;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsync, fd));
}

extern "C" mode_t umask(mode_t mask) {
    ++umaskCalls;
    return static_cast<mode_t>(syscall(SYS_umask, mask));
}

namespace {

std::string readAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

// The atomic save: the data reaches the disk before it takes the old file's
// place, so a sync that fails leaves the old file whole and the save failed;
// a new file's mode comes from the umask through the open alone (changing
// the umask, even for a moment, would race other threads making files), and
// an existing file keeps its own mode.
TEST(AtomicSave, SyncFailuresAndModes) {
    struct Case {
        const char* name;
        bool existing;
        mode_t existingMode;
        int failSyncs;
        bool saved;
        mode_t modeAfter;
    };
    const Case cases[] = {
        {"new file", false, 0, 0, true, 0640},
        {"existing file keeps its mode", true, 0604, 0, true, 0604},
        {"sync fails on a new file", false, 0, 1, false, 0},
        {"sync fails on an existing file", true, 0600, 1, false, 0600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder scratch("tirlane-files");
        const mode_t before = static_cast<mode_t>(syscall(SYS_umask, 027));
        if (c.existing) {
            std::ofstream("saved") << "old";
            ASSERT_EQ(chmod("saved", c.existingMode), 0);
        }
        umaskCalls = 0;
        failingSyncs = c.failSyncs;
        const bool saved = replaceFile("saved", "saved.new", "new", 3);
        const int calls = umaskCalls;
        failingSyncs = 0;
        syscall(SYS_umask, before);

        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(calls, 0) << "the save changed the umask";
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch.path()))
            names.push_back(entry.path().filename().string());
        if (c.saved || c.existing) {
            EXPECT_EQ(names, std::vector<std::string>{"saved"}) << "a temporary file was left";
            EXPECT_EQ(readAll("saved"), c.saved ? "new" : "old");
            struct stat info {};
            ASSERT_EQ(stat("saved", &info), 0);
            EXPECT_EQ(info.st_mode & 0777, c.modeAfter);
        } else {
            EXPECT_TRUE(names.empty()) << "a failed save left a file";
        }
    }
}
