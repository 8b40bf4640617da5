// The registry-style settings: the file store itself and the settings the
// application reads at start and writes at the end.
#include "framework/app/AppTestSupport.h"

#include "framework/platform/SettingsStore.h"

#include <fstream>
#include <sstream>

using namespace Quill;
using namespace apptest;
using testfiles::ReadText;
using testfiles::WriteText;

namespace {

class SettingsTest : public AppTest {
protected:
    // The application keeps its settings under its product key alone.
    std::string SettingsFile() { return SettingsStore("VelmoraTest").FilePath(); }
    // The fields ReadSettings fills, as one line.
    static std::string Fields(const TestApp& a) {
        std::ostringstream line;
        line << a.musicVolume << " " << a.sfxVolume << " muted " << a.muteCount << (a.windowed ? " windowed " : " full ")
             << a.preferredX << "," << a.preferredY << (a.windowedFrameLimit ? " vsync" : "");
        return line.str();
    }
};

TEST_F(SettingsTest, VolumesAreStoredAsWholePercentWithoutCreepingDown) {
    struct Case {
        double volume;
        int32_t stored;
    } cases[] = {{0.999, 99}, {0.55, 55}, {0.29, 29}, {0.57, 57}, {1.0, 100}, {0.0, 0}, {0.005, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        TestApp& a = MakeApp();
        a.musicVolume = c.volume;
        a.WriteSettings();
        EXPECT_EQ(Stored(a, "MusicVolume"), c.stored);
        // Reading back and writing again keeps the same number.
        a.ReadSettings();
        a.WriteSettings();
        EXPECT_EQ(Stored(a, "MusicVolume"), c.stored);
    }
}

TEST_F(SettingsTest, StoredValuesAreReadIntoTheFields) {
    TestApp& a = MakeApp();
    a.RegistryWriteInteger("MusicVolume", 55);
    a.RegistryWriteInteger("SfxVolume", 10);
    a.RegistryWriteInteger("Muted", 1);
    a.RegistryWriteInteger("ScreenMode", 1);
    a.RegistryWriteInteger("PreferredX", 33);
    a.RegistryWriteInteger("PreferredY", 44);
    a.RegistryWriteInteger("WaitForVSync", 1);
    a.ReadSettings();
    EXPECT_EQ(Fields(a), "0.55 0.1 muted 1 full 33,44 vsync");
}

// A string-typed value is ignored; a volume is kept to 0..1, and a mute count
// to the one user mute.
TEST_F(SettingsTest, ValuesOfTheWrongTypeOrOutOfRangeAreIgnoredOrKeptInRange) {
    TestApp& a = MakeApp();
    a.RegistryWriteString("ScreenMode", "1");
    a.RegistryWriteString("MusicVolume", "55");
    a.RegistryWriteInteger("SfxVolume", 4000);
    a.RegistryWriteInteger("Muted", -7);
    a.ReadSettings();
    EXPECT_EQ(Fields(a), "0.85 1 muted 1 windowed -1,-1");
}

TEST_F(SettingsTest, MutedIsWrittenOnlyForAUserMute) {
    struct Case {
        int userMutes, autoMutes, stored;
    } cases[] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 1}, {1, 1, 1}};
    for (const Case& c : cases) {
        TestApp& a = MakeApp();
        for (int i = 0; i < c.userMutes; ++i) a.Mute(false);
        for (int i = 0; i < c.autoMutes; ++i) a.Mute(true);
        a.WriteSettings();
        EXPECT_EQ(Stored(a, "Muted"), c.stored);
    }
}

TEST_F(SettingsTest, InProgressTellsWhetherTheLastRunEndedNormally) {
    {
        TestApp& a = MakeApp();
        a.ReadSettings();
        EXPECT_TRUE(a.lastRunEndedNormally);
        EXPECT_EQ(Stored(a, "InProgress"), 1);
        a.shutdown = true; // the run dies here: nothing more is written
    }
    // The next run notices.
    TestApp& b = MakeApp();
    b.ReadSettings();
    EXPECT_FALSE(b.lastRunEndedNormally);
    b.WriteSettings();
    TestApp& c = MakeApp();
    c.ReadSettings();
    EXPECT_TRUE(c.lastRunEndedNormally);
}

TEST_F(SettingsTest, ASubkeyNameIsStoredUnderThatSubkey) {
    TestApp& a = MakeApp();
    EXPECT_TRUE(a.RegistryWriteInteger("Options\\Level", 12));
    EXPECT_EQ(Stored(a, "options\\LEVEL"), 12); // names ignore case
    EXPECT_EQ(Stored(a, "Level"), -1);            // not in the product key itself
    EXPECT_NE(ReadText(SettingsFile()).find("4\tOptions\\Level\t12\n"), std::string::npos);
}

TEST_F(SettingsTest, RegistryReadReportsTheSizeABufferNeeds) {
    TestApp& a = MakeApp();
    ASSERT_TRUE(a.RegistryWriteString("Name", "hello\tworld\n%"));
    uint32_t type = 0, length = 4;
    char small[4];
    EXPECT_FALSE(a.RegistryRead("Name", type, small, length));
    EXPECT_EQ(length, 13u);
    char big[32] = {};
    length = sizeof big;
    ASSERT_TRUE(a.RegistryRead("Name", type, big, length));
    EXPECT_EQ(type, uint32_t(SETTING_STRING));
    EXPECT_EQ(std::string(big, length), "hello\tworld\n%");
    a.RegistryEraseValue("Name");
    EXPECT_FALSE(a.RegistryRead("Name", type, big, length));
}

TEST_F(SettingsTest, AnEmptyRegistryKeyTouchesNothing) {
    TestApp& a = MakeApp();
    a.registryKey.clear();
    EXPECT_FALSE(a.RegistryWriteInteger("ScreenMode", 1));
    EXPECT_EQ(Stored(a, "ScreenMode"), -1);
    a.WriteSettings();
    EXPECT_FALSE(std::ifstream(SettingsFile()).good());
}

TEST_F(SettingsTest, ACorruptSettingsFileGivesDefaults) {
    const std::string corrupt[] = {
        std::string("\x00\x01\x02\xff garbage\n\n\t\t\t\n", 18),
        "4\tPreferredX\t5\textra\n4\tPreferredY%\t5\n4\tWaitForVSync\t\n",
        std::string(300 * 1024, 'x'),
    };
    for (const std::string& text : corrupt) {
        TestApp& a = MakeApp();
        a.WriteSettings(); // makes the folder
        WriteText(SettingsFile(), text);
        TestApp& b = MakeApp();
        b.ReadSettings();
        EXPECT_EQ(Fields(b), "0.85 0.85 muted 0 windowed -1,-1");
        // The file is usable again after the next write.
        b.musicVolume = 0.4;
        b.WriteSettings();
        TestApp& c = MakeApp();
        c.ReadSettings();
        EXPECT_DOUBLE_EQ(c.musicVolume, 0.4);
    }
}

TEST(SettingsStoreFormat, ParsesGoodLinesAndSkipsBadOnes) {
    struct Case {
        const char* line;
        bool kept;
        uint32_t type;
        const char* name;
        std::string data;
    } cases[] = {
        {"4\tX\t12", true, 4, "X", std::string("\x0c\0\0\0", 4)},
        {"4\tX\t4294967295", true, 4, "X", "\xff\xff\xff\xff"},
        {"4\tX\t4294967296", false, 0, "", ""},
        {"4\tX\t-1", false, 0, "", ""},
        {"1\tS\ta%41 b", true, 1, "S", "aA b"},
        {"1\tS\t%4", false, 0, "", ""},
        {"1\tS\t%zz", false, 0, "", ""},
        {"3\tB%09in\t%00%FF", true, 3, "B\tin", std::string("\0\xff", 2)},
        {"0\tZ\t1", false, 0, "", ""},
        {"1\t\tvalue", false, 0, "", ""},
        {"1\tA\\\tvalue", false, 0, "", ""}, // a name cannot end in a separator
        {"# 1\tA\tcomment", false, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto values = SettingsStore::Parse(std::string(c.line) + "\r\n");
        ASSERT_EQ(values.size(), c.kept ? 1u : 0u);
        if (!c.kept) continue;
        EXPECT_EQ(values[0].type, c.type);
        EXPECT_EQ(values[0].name, c.name);
        EXPECT_EQ(values[0].data, c.data);
    }
}

TEST(SettingsStoreFormat, KeysBecomePlainFileNamesInTheirFolder) {
    TempFolder folder;
    setenv("VELMORA_CONFIG_HOME", folder.path.c_str(), 1);
    struct Case {
        const char* key;
        const char* file;
    } cases[] = {
        {"SOFTWARE\\Velmora", "SOFTWARE%5CVelmora.settings"},
        {"../../etc/passwd", "%2E.%2F..%2Fetc%2Fpasswd.settings"},
        {"My Game 2.1", "My Game 2.1.settings"},
    };
    for (const Case& c : cases) EXPECT_EQ(SettingsStore(c.key).FilePath(), folder.path + "/" + c.file);
    EXPECT_EQ(SettingsStore("").FilePath(), "");
}

} // namespace
