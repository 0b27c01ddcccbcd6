#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/storage/paths.h"
#include "tests/scratch.h"

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the length of a test.
class EnvVar {
  public:
    EnvVar(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) saved = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar() {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }

  private:
    const char* name;
    std::optional<std::string> saved;
};

void touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

std::string slash(const fs::path& folder) {
    return folder.string() + "/";
}

// A scratch folder as the working directory, with an installation prefix and
// a player's data home inside it.
class GameFiles : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(prefix / "bin"); }
    void TearDown() override { useGameFolders("", ""); }

    ScratchFolder scratch{"tirlane-paths"};
    const fs::path work = scratch.path() / "work";
    const fs::path prefix = scratch.path() / "prefix";
    const fs::path data = scratch.path() / "data";
    const std::string bin = slash(prefix / "bin");
    const std::string installedData = slash(prefix / "share/tirlane");
    EnvVar dataHome{"XDG_DATA_HOME", data.c_str()};
};

} // namespace

// Installed, the game keeps its record in the player's folder whatever the
// working folder holds; the working folder is the game's only when it holds
// every picture. A lone game started elsewhere still loads what pictures lie
// there, but keeps its record in the player's folder. A "Score" of the
// player's own in a folder that is not the game's survives a save.
TEST_F(GameFiles, LayoutFollowsWhereThePicturesAre) {
    enum Here { NONE, ONE, ALL };
    struct Case {
        const char* name;
        Here picturesHere;
        bool picturesInstalled, startInsideInstalled;
        FilesLayout layout;
        bool playerScore; // the record in the player's data folder, not the working one
    };
    const Case cases[] = {
        {"run folder", ALL, false, false, FilesLayout::Portable, false},
        {"installed, started from an unpacked copy", ALL, true, false, FilesLayout::Installed,
         true},
        {"installed, a stray picture where it starts", ONE, true, false, FilesLayout::Installed,
         true},
        {"installed, started elsewhere", NONE, true, false, FilesLayout::Installed, true},
        {"installed, started in its data folder", ALL, true, true, FilesLayout::Installed, true},
        {"lone game, a stray picture where it starts", ONE, false, false, FilesLayout::NotFound,
         true},
        {"nowhere", NONE, false, false, FilesLayout::NotFound, true},
    };
    const std::string notes = "my own notes";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(work);
        fs::remove_all(prefix);
        fs::remove_all(data);
        fs::create_directories(work);
        fs::create_directories(prefix / "bin");
        if (c.picturesHere == ONE) touch(work / "S.bmp");
        if (c.picturesHere == ALL)
            for (int id = 1; id <= SPRITE_COUNT; ++id) touch(work / spriteTable[id].file);
        if (c.picturesInstalled) touch(prefix / "share/tirlane/Table.bmp");
        std::ofstream(work / "Score") << notes;
        fs::current_path(c.startInsideInstalled ? prefix / "share/tirlane" : work);

        EXPECT_EQ(locateGameFilesFrom(bin.c_str()), c.layout);
        game.hiscore = 990;
        saveHiscore();
        std::ifstream in(work / "Score", std::ios::binary);
        const std::string workScore{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(assetPath("Joueur.bmp"),
                  c.picturesInstalled ? installedData + "Joueur.bmp" : "Joueur.bmp");
        if (!c.playerScore) {
            EXPECT_STREQ(recordPath(RECORD_SCORE), "Score");
            EXPECT_EQ(workScore, std::string("2968\0\0\0\0", 8));
        } else {
            EXPECT_EQ(recordPath(RECORD_SCORE), slash(data / "tirlane") + "Score");
            EXPECT_EQ(recordPath(RECORD_SCORE_TEMP), slash(data / "tirlane") + "Score.new");
            EXPECT_EQ(workScore, notes);
            EXPECT_TRUE(fs::is_regular_file(data / "tirlane" / "Score"));
        }
    }
}

// Installed, the record goes to the player's data folder, made on the first
// save, and nothing is written to the working directory or the prefix.
TEST_F(GameFiles, InstalledRecordLivesInThePlayersFolder) {
    touch(prefix / "share/tirlane/Table.bmp");
    fs::create_directories(work);
    fs::current_path(work);
    ASSERT_EQ(locateGameFilesFrom(bin.c_str()), FilesLayout::Installed);
    EXPECT_FALSE(fs::exists(data)); // not made before a save

    game.hiscore = 27800;
    saveHiscore();
    std::ifstream in(data / "tirlane" / "Score", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(bytes, std::string("83398\0\0\0", 8));
    EXPECT_EQ(fs::status(data / "tirlane").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(loadHiscore(), 27800);
    EXPECT_TRUE(fs::is_empty(work));
    // bin, share, tirlane, Table.bmp
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(prefix), {}), 4);
}

// Without a home the game plays on: saves fail quietly and loads give 0.
TEST_F(GameFiles, NoPlayerFolderKeepsTheRecordInMemory) {
    touch(scratch.path() / "file"); // a data home below a plain file can never be made
    struct Case {
        const char* name;
        bool nowhere;
    };
    for (const Case c : {Case{"folder cannot be made", false}, Case{"no folder at all", true}}) {
        SCOPED_TRACE(c.name);
        if (c.nowhere)
            useGameFolders("", nullptr);
        else
            useGameFolders("", (scratch.path() / "file/tirlane").c_str());
        EXPECT_EQ(recordPath(RECORD_SCORE) == nullptr, c.nowhere);
        game.hiscore = 990;
        saveHiscore();
        EXPECT_EQ(game.hiscore, 990);
        EXPECT_EQ(loadHiscore(), 0);
    }
}

// An installed game without a font of its own uses the system's copy.
TEST_F(GameFiles, InstalledFontFallsBackToTheSystemCopy) {
    touch(prefix / "share/tirlane/Table.bmp");
    const fs::path system = scratch.path() / "system";
    touch(system / "fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    EnvVar dirs("XDG_DATA_DIRS",
                (scratch.path() / "none").string().append(":").append(system.string()).c_str());
    fs::create_directories(work);
    fs::current_path(work);
    ASSERT_EQ(locateGameFilesFrom(bin.c_str()), FilesLayout::Installed);
    EXPECT_EQ(fontPath(), slash(system) + "fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    touch(prefix / "share/tirlane/font.ttf");
    EXPECT_EQ(fontPath(), installedData + "font.ttf");
}

// Only absolute entries of XDG_DATA_DIRS count: a relative one would find a
// different font from every folder the game is started in.
TEST_F(GameFiles, SystemFontIgnoresRelativeDataDirs) {
    const std::string font = "fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    touch(prefix / "share/tirlane/Table.bmp");
    const fs::path system = scratch.path() / "system";
    touch(system / font);
    // What the relative entries name from the working folder.
    touch(work / "here" / font);
    touch(work / font);
    fs::current_path(work);
    struct Case {
        const char* name;
        std::string dirs;
        std::string expected;
    };
    const Case cases[] = {
        {"relative first", "here:" + system.string(), slash(system) + font},
        {"relative only", "here", installedData + "font.ttf"},
        {"dot", ".:" + system.string(), slash(system) + font},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EnvVar dirs("XDG_DATA_DIRS", c.dirs.c_str());
        ASSERT_EQ(locateGameFilesFrom(bin.c_str()), FilesLayout::Installed);
        EXPECT_EQ(fontPath(), c.expected);
    }
}
