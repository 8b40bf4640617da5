// The registry-style settings: the file store itself and the settings the
// application reads at start and writes at the end.
#include "framework/app/AppTestSupport.h"

#include "framework/platform/SettingsStore.h"

#include <sstream>

using namespace Quill;
using namespace apptest;
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
        {"4\tX\t4294967296", false, 0, "", ""},
        {"1\tS\ta%41 b", true, 1, "S", "aA b"},
        {"1\tS\t%4", false, 0, "", ""},
        {"3\tB%09in\t%00%FF", true, 3, "B\tin", std::string("\0\xff", 2)},
        {"0\tZ\t1", false, 0, "", ""},
        {"1\tA\\\tvalue", false, 0, "", ""}, // a name cannot end in a separator
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
