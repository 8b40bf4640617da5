#include "engine/SoundEvents.h"

#include "engine/AppLog.h"
#include "engine/RandomInt.h"
#include "framework/sound/DSoundManager.h"
#include "framework/app/QuillAppBase.h"
#include "framework/sound/SoundTestFiles.h"
#include "framework/platform/Files.h"
#include "framework/platform/HeadlessPlatform.h"
#include "support/StubSoundManager.h"
#include "support/TempWorkFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace soundtest;

namespace {

class SoundEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppLogResetForTests();
        ResetSoundEvents();
        manager.requireFile = true;
        SetSoundEventsManager(&manager);
        SeedRandom(7);
        Quill::MakeFolder("Sound");
    }
    void TearDown() override { ResetSoundEvents(); }
    void Script(const std::string& text) { WriteText("sound.ini", text); }
    void SoundFile(const std::string& name) { WriteBytes(name, Wav16(1, 22050, {1, 2, 3})); }
    std::string Log() { return ReadText("app.log"); }
    std::vector<std::string> EventNames() {
        std::vector<std::string> names;
        const SoundEvents& t = GetSoundEvents();
        for (uint32_t i = 0; i < t.eventCount; ++i) names.push_back(t.events[i].name);
        return names;
    }

    TempWorkFolder work;
    StubSoundManager manager;
};

} // namespace

TEST_F(SoundEventsTest, ScriptsGiveTheirEvents) {
    struct Case {
        const char* name;
        std::string script;
        std::vector<std::string> events;
        int firstFileCount;
        float firstVolume;
    } cases[] = {
        {"a gap in the file keys ends the list", "[click]\nfile0=Sound\\a.wav\nfile2=Sound\\c.wav\n", {"click"}, 1,
         1.0f},
        {"a header with a trailing comment", "[place] ; placed\nvolume=0.5\nfile0=a\n", {"place"}, 1, 0.5f},
        {"all ten file keys, never an eleventh",
         "[x]\nfile0=a\nfile1=a\nfile2=a\nfile3=a\nfile4=a\nfile5=a\nfile6=a\nfile7=a\nfile8=a\nfile9=a\nfile10=a\n",
         {"x"}, 10, 1.0f},
        {"a volume that is no number", "[v]\nvolume=loud\nfile0=a\n", {"v"}, 1, 0.0f},
        {"lines that are no headers", "; comment\nfile0=a\n [indented]\n\n[ok]\r\nfile0=a\r\n", {"ok"}, 1, 1.0f},
        // Both headers are events; the INI lookup of the name reads the first section for both.
        {"two sections of one name", "[b]\nvolume=0.5\nfile0=a\n[b]\nvolume=0.25\nfile0=b\nfile1=c\n", {"b", "b"}, 1,
         0.5f},
        {"no script", "", {}, 0, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove("sound.ini");
        if (!c.script.empty()) Script(c.script);
        ASSERT_TRUE(LoadSoundEvents("sound.ini"));
        EXPECT_EQ(EventNames(), c.events);
        if (c.firstFileCount == 0) continue;
        EXPECT_EQ(GetSoundEvents().events[0].fileCount, c.firstFileCount);
        EXPECT_FLOAT_EQ(GetSoundEvents().events[0].volume, c.firstVolume);
    }
}

TEST_F(SoundEventsTest, ThreeFilesAreAllChosenAndLoadedOnce) {
    for (const char* f : {"a.wav", "b.wav", "c.wav"}) SoundFile(std::string("Sound/") + f);
    Script("[chomp]\nvolume=0.5\nfile0=Sound\\a.wav\nfile1=Sound\\b.wav\nfile2=Sound\\c.wav\n");
    LoadSoundEvents("sound.ini");
    std::map<int, int> counts;
    for (int i = 0; i < 300; ++i) {
        int id = PickEventSound("chomp");
        ASSERT_GE(id, 0);
        ASSERT_TRUE(PlaySoundId(id));
        ++counts[id];
    }
    ASSERT_EQ(counts.size(), 3u);
    for (auto& c : counts) EXPECT_GT(c.second, 60) << c.first;
    EXPECT_EQ(manager.loads, (std::vector<std::string>{"Sound\\a", "Sound\\b", "Sound\\c"}));
    for (auto& p : manager.plays) EXPECT_DOUBLE_EQ(p.volume, 0.5); // set before the start
}

TEST_F(SoundEventsTest, MissingEventsAndFilesPlayNothing) {
    Script("[empty]\nvolume=1\n[broken]\nfile0=Sound\\missing.wav\n");
    LoadSoundEvents("sound.ini");
    // Names compare exactly; a failed file is tried again, and fails again.
    for (const char* name : {"nope", "empty", "Empty", static_cast<const char*>(nullptr), "broken", "broken"})
        EXPECT_FALSE(PlaySoundEvent(name)) << (name ? name : "null");
    EXPECT_TRUE(manager.plays.empty());
    EXPECT_EQ(manager.loads.size(), 2u);
}

// Without an audio device every play would try to load its sound again; the
// log says once that there is no device instead of growing with each play.
TEST_F(SoundEventsTest, NoDeviceIsLoggedOnceHoweverOftenSoundsPlay) {
    StubSoundManager silent;
    silent.initialized = false;
    size_t runs = 0;
    for (Quill::SoundManager* device : {static_cast<Quill::SoundManager*>(&silent), static_cast<Quill::SoundManager*>(nullptr)}) {
        ++runs;
        AppLogResetForTests();
        ResetSoundEvents();
        SetSoundEventsManager(device);
        SoundFile("Sound/a.wav");
        Script("[place]\nfile0=Sound\\a.wav\n");
        LoadSoundEvents("sound.ini");
        for (int i = 0; i < 50; ++i) EXPECT_FALSE(PlaySoundEvent("place"));
        const std::string log = Log();
        EXPECT_EQ(CountOf(log, "no audio device"), runs) << log; // the log file is shared by the runs
        EXPECT_EQ(log.find("FAILED"), std::string::npos) << log;
    }
}

TEST_F(SoundEventsTest, TheSoundTableHoldsAHundred) {
    for (int i = 0; i < 101; ++i) SoundFile("Sound/s" + std::to_string(i) + ".wav");
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(LoadSound(("Sound\\s" + std::to_string(i) + ".wav").c_str())) << i;
    EXPECT_FALSE(LoadSound("Sound\\s100.wav"));
    EXPECT_EQ(FindOrLoadSound("Sound\\s100.wav"), -1);
    EXPECT_NE(Log().find("===> Warning: too many sound files"), std::string::npos);
    struct {
        int id;
        bool plays;
    } ids[] = {{-1, false}, {0, true}, {99, true}, {100, false}, {1 << 30, false}};
    for (auto& c : ids) EXPECT_EQ(PlaySoundId(c.id), c.plays) << c.id;
}

// The decoded copy the sound manager leaves beside an Ogg file is no sound
// of its own: the second start loads the folder exactly as the first did.
TEST_F(SoundEventsTest, TheFolderSkipsTheDecodedCopiesOfItsOggFiles) {
    SetSoundEventsManager(nullptr);
    auto previous = Quill::SetPlatform(std::make_unique<Quill::HeadlessPlatform>(true));
    {
        Quill::QuillAppBase app;
        app.soundManager = std::make_unique<Quill::DSoundManager>(std::make_shared<Quill::Mixer>());
        WriteBytes("Sound/tone.ogg", ReadBytes(std::string(VELMORA_FIXTURES) + "/sound/tone440.ogg"));
        SoundFile("Sound/b.wav");
        for (int start = 0; start < 2; ++start) {
            SCOPED_TRACE(start);
            ResetSoundEvents();
            LoadSoundFolder("Sound\\");
            ASSERT_TRUE(Quill::FileExists("Sound/cached_tone.wav"));
            ASSERT_EQ(GetSoundEvents().soundCount, 2u);
            EXPECT_STREQ(GetSoundEvents().soundNames[0], "Sound\\tone.ogg");
            EXPECT_STREQ(GetSoundEvents().soundNames[1], "Sound\\b.wav");
        }
    }
    Quill::SetPlatform(std::move(previous));
}

// Through the application: its effects volume and its mute reach the mixer.
TEST_F(SoundEventsTest, AMutedApplicationIsSilent) {
    auto previous = Quill::SetPlatform(std::make_unique<Quill::HeadlessPlatform>(true));
    {
        SetSoundEventsManager(nullptr);
        Quill::QuillAppBase app;
        auto mixer = std::make_shared<Quill::Mixer>();
        app.soundManager = std::make_unique<Quill::DSoundManager>(mixer);
        WriteBytes("Sound/tone.wav", Wav16(1, 44100, std::vector<int16_t>(2000, 10000)));
        Script("[tone]\nfile0=Sound\\tone.wav\n");
        LoadSoundEvents("sound.ini");
        EXPECT_TRUE(SetSfxVolume(1.0f));
        std::vector<int16_t> out(64);
        auto render = [&] {
            std::fill(out.begin(), out.end(), 0);
            mixer->Render(out.data(), 32);
            return out[10];
        };
        ASSERT_TRUE(PlaySoundEvent("tone"));
        EXPECT_EQ(render(), 10000);
        app.Mute(true);
        EXPECT_EQ(render(), 0); // the playing sound goes quiet
        ASSERT_TRUE(PlaySoundEvent("tone"));
        EXPECT_EQ(render(), 0); // and so does a new one
        app.Unmute(true);
        EXPECT_EQ(render(), 20000);
    }
    Quill::SetPlatform(std::move(previous));
}
