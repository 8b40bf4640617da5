#include "engine/Language.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "framework/platform/Files.h"
#include "support/TempWorkFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppLogResetForTests();
        WriteText("language.ini", "[ENGLISH]\r\nVelmora=Velmora\r\nEnglish\\=English\\\r\nFPS=FPS\r\n"
                                  "LevelText=Level\r\n[DEUTSCH]\r\nLevelText=Stufe\r\n");
        std::strcpy(LanguageName, "ENGLISH");
    }
    void TearDown() override { AppLogResetForTests(); }

    std::string Log() { return ReadText("app.log"); }

    TempWorkFolder work;
};

TEST_F(LanguageTest, LooksUpTheCurrentLanguageSection) {
    struct Case { const char* language, *key, *text; } cases[] = {
        {"ENGLISH", "LevelText", "Level"}, {"english", "leveltext", "Level"}, {"DEUTSCH", "LevelText", "Stufe"},
        {"DEUTSCH", "FPS", ""},            {"ENGLISH", "English\\", "English\\"}, {"FRANCAIS", "LevelText", ""},
        {"ENGLISH", nullptr, ""},
    };
    for (const Case& c : cases) {
        std::strcpy(LanguageName, c.language);
        EXPECT_STREQ(GetLanguageString(c.key), c.text) << c.language << "/" << (c.key ? c.key : "null");
    }
    std::remove(work.File("language.ini").c_str());
    std::strcpy(LanguageName, "ENGLISH");
    EXPECT_STREQ(GetLanguageString("LevelText"), "");
    EXPECT_EQ(Log(), "") << "a missing file or key is not logged";
}

TEST_F(LanguageTest, ThreadsKeepTheirOwnResults) {
    // Each thread looks its key up and checks its text after the other
    // thread has surely looked up its own in between.
    auto worker = [](const char* key, const char* expected, int* mismatches) {
        for (int i = 0; i < 200; ++i) {
            const char* text = GetLanguageString(key);
            std::this_thread::yield();
            *mismatches += std::strcmp(text, expected) != 0;
        }
    };
    int mismatches[2] = {0, 0};
    std::thread a(worker, "LevelText", "Level", &mismatches[0]);
    worker("Velmora", "Velmora", &mismatches[1]);
    a.join();
    EXPECT_EQ(mismatches[0] + mismatches[1], 0);
}

TEST_F(LanguageTest, TheOptionsChoiceStepsThroughTheLanguagesTheFileHolds) {
    struct Case { const char* file; const char* from; std::vector<const char*> steps; } cases[] = {
        {"[ENGLISH]\nVelmora=Velmora\n[GERMAN]\nVelmora=Velmora\n", "ENGLISH", {"GERMAN", "ENGLISH", "GERMAN"}},
        // A language the file lacks is skipped; an unknown current one steps to the first.
        {"[ENGLISH]\nVelmora=Velmora\n", "ENGLISH", {"ENGLISH", "ENGLISH"}},
        {"[ENGLISH]\nVelmora=Velmora\n[GERMAN]\nVelmora=Velmora\n", "FRANCAIS", {"ENGLISH", "GERMAN"}},
    };
    for (const Case& c : cases) {
        WriteText("language.ini", c.file);
        std::remove("config.ini");
        std::strcpy(LanguageName, c.from);
        for (const char* expected : c.steps) {
            NextLanguage();
            EXPECT_STREQ(LanguageName, expected) << c.file;
            char stored[256];
            EXPECT_TRUE(IniGetString("LANGUAGE", "Name", stored));
            EXPECT_STREQ(stored, expected);
        }
    }
}

} // namespace
