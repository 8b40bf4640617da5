// The one rule for where the player's files go, and the settings, scores and
// log functions following it: the player's copies in their folder, the
// shipped defaults read from the game folder and never written there.
#include "engine/PlayerFolder.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "framework/ini/IniFile.h"
#include "framework/platform/Files.h"
#include "support/TempWorkFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace {

using Where = PlayerFolderChoice::Where;

class PlayerFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetPlayerFolder();
        AppLogResetForTests();
        ASSERT_TRUE(Quill::MakeFolder(game));
    }
    void TearDown() override {
        ResetPlayerFolder();
        AppLogResetForTests();
    }

    TempWorkFolder work;
    const std::string game = work.File("game");
    const std::string home = work.File("home");
};

TEST_F(PlayerFolderTest, TheRuleChoosesOneFolder) {
    const std::string aFile = work.File("a-file");
    WriteText(aFile, "not a folder");
    const std::string missing = work.File("no-such-game");
    const std::string xdg = work.File("xdg");
    struct Case {
        const char* name;
        std::string gameFolder;
        bool installed;
        const char* xdgDataHome;
        const char* home;
        Where where;
        std::string folder;
    } cases[] = {
        {"a writable build folder keeps its files", game, false, xdg.c_str(), home.c_str(), Where::GameFolder, game},
        {"an installed tree is never written", game, true, xdg.c_str(), home.c_str(), Where::UserFolder,
         xdg + "/velmora"},
        {"a game folder that cannot be written", missing, false, xdg.c_str(), home.c_str(), Where::UserFolder,
         xdg + "/velmora"},
        {"no XDG_DATA_HOME", game, true, nullptr, home.c_str(), Where::UserFolder, home + "/.local/share/velmora"},
        {"a relative XDG_DATA_HOME is ignored", game, true, "rel/data", home.c_str(), Where::UserFolder,
         home + "/.local/share/velmora"},
        {"no home and no XDG_DATA_HOME", game, true, nullptr, "", Where::Nowhere, ""},
        {"a per-user folder that cannot be made", game, true, aFile.c_str(), home.c_str(), Where::Nowhere,
         aFile + "/velmora"},
    };
    for (const Case& c : cases) {
        PlayerFolderChoice choice = ChoosePlayerFolder(c.gameFolder, c.installed, c.xdgDataHome, c.home);
        EXPECT_EQ(choice.where, c.where) << c.name;
        EXPECT_EQ(choice.folder, c.folder) << c.name;
        if (c.where == Where::UserFolder) {
            EXPECT_TRUE(Quill::FolderWritable(c.folder)) << c.name;
        }
    }
    // Root writes anywhere; the permission bits only bind an ordinary user.
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(game.c_str(), 0555), 0);
        EXPECT_EQ(ChoosePlayerFolder(game, false, xdg.c_str(), nullptr).where, Where::UserFolder);
        chmod(game.c_str(), 0755);
    }
}

TEST_F(PlayerFolderTest, ThePlayersFilesGoToTheirFolderAndDefaultsComeFromTheGame) {
    WriteText(game + "/config.ini", "[OPTIONS]\nMusicVolume=0.25\nSfxVolume=0.5\n");
    const uint32_t shipped = 7, own = 9;
    ASSERT_TRUE(Quill::IniWriteStruct(game + "/scores.ini", "S", "K", &shipped, sizeof shipped));
    const std::string before = ReadText(game + "/config.ini") + ReadText(game + "/scores.ini");

    PlayerFolderChoice choice = ChoosePlayerFolder(game, true, nullptr, home.c_str());
    UsePlayerFolder(choice, game);
    const std::string mine = home + "/.local/share/velmora";
    ASSERT_EQ(PlayerFolder(), mine);
    EXPECT_NE(DescribePlayerFolder().find(mine), std::string::npos);

    // Shipped defaults until the player sets a value; then the player's own.
    float music = 0, sfx = 0;
    IniGetFloat("OPTIONS", "MusicVolume", music);
    EXPECT_FLOAT_EQ(music, 0.25f);
    IniSetString("OPTIONS", "MusicVolume", "0.75");
    IniGetFloat("OPTIONS", "MusicVolume", music);
    IniGetFloat("OPTIONS", "SfxVolume", sfx);
    EXPECT_FLOAT_EQ(music, 0.75f);
    EXPECT_FLOAT_EQ(sfx, 0.5f);

    uint32_t read = 0;
    EXPECT_TRUE(IniGetStruct("S", "K", &read, sizeof read, "scores.ini"));
    EXPECT_EQ(read, shipped);
    EXPECT_TRUE(IniSetStruct("S", "K", &own, sizeof own, "scores.ini"));
    EXPECT_TRUE(IniGetStruct("S", "K", &read, sizeof read, "scores.ini"));
    EXPECT_EQ(read, own);

    AppLog("hello", 0);
    EXPECT_EQ(ReadText(mine + "/app.log"), "hello\n");
    EXPECT_NE(ReadText(mine + "/config.ini").find("MusicVolume=0.75"), std::string::npos);
    EXPECT_TRUE(Quill::FileExists(mine + "/scores.ini"));
    // Nothing was written beside the data.
    EXPECT_EQ(ReadText(game + "/config.ini") + ReadText(game + "/scores.ini"), before);
    EXPECT_FALSE(Quill::FileExists(game + "/app.log"));
}

TEST_F(PlayerFolderTest, WithNowhereToWriteTheGameRunsAndSaysSo) {
    WriteText(work.File("a-file"), "not a folder");
    PlayerFolderChoice choice = ChoosePlayerFolder(game, true, work.File("a-file").c_str(), home.c_str());
    UsePlayerFolder(choice, game);
    EXPECT_FALSE(PlayerFolderWritable());
    EXPECT_NE(DescribePlayerFolder().find("will not be kept"), std::string::npos);
    // Writes fail without harm, and the shipped folder stays untouched.
    IniSetString("OPTIONS", "MusicVolume", "0.1");
    const uint32_t block = 1;
    EXPECT_FALSE(IniSetStruct("S", "K", &block, sizeof block, "saved.ini"));
    AppLog("lost", 0);
    char text[256];
    EXPECT_FALSE(IniGetString("OPTIONS", "MusicVolume", text));
    EXPECT_TRUE(Quill::FindFiles(game + "/*").empty());
}

} // namespace
