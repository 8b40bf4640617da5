#include "engine/Config.h"

#include "engine/Language.h"
#include "framework/platform/Files.h"
#include "support/TempWorkFolder.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ConfigTest, NumbersReadTheLeadingDecimalNumber) {
    TempWorkFolder work;
    WriteText(work.File("config.ini"), "[OPTIONS]\n"
                                   "DigitsThenLetters=12abc\n"
                                   "Fraction=3.9\n"
                                   "NegativeFraction=-3.9\n"
                                   "Blanks=  42  \n"
                                   "Empty=\n"
                                   "Huge=1e99\n"
                                   "NotANumber=nan\n");
    struct Case { const char* key; int intValue; float floatValue; } cases[] = {
        {"DigitsThenLetters", 12, 12.0f}, {"Fraction", 3, 3.9f},  {"NegativeFraction", -3, -3.9f},
        {"Blanks", 42, 42.0f},            {"Empty", 777, 7.5f},   {"Huge", INT_MAX, FLT_MAX},
        {"NotANumber", 0, 0.0f},
    };
    for (const Case& c : cases) {
        int i = 777;
        float f = 7.5f;
        IniGetInt("OPTIONS", c.key, i);
        IniGetFloat("options", c.key, f);
        EXPECT_EQ(i, c.intValue) << c.key;
        EXPECT_FLOAT_EQ(f, c.floatValue) << c.key;
    }
}

TEST(ConfigTest, StringsAreBoundedAndEmptyCountsAsAbsent) {
    TempWorkFolder work;
    WriteText(work.File("config.ini"), "[VIDEO]\nBrightness=0.500000\nEmpty=\nLong=" + std::string(400, 'L') + "\n");
    struct Case { const char* key; bool found; std::string value; } cases[] = {
        {"Brightness", true, "0.500000"}, {"Empty", false, ""}, {"Absent", false, ""},
        {"Long", true, std::string(255, 'L')}};
    for (const Case& c : cases) {
        char out[257];
        out[256] = '#';
        std::strcpy(out, "stale");
        EXPECT_EQ(IniGetString("VIDEO", c.key, out), c.found) << c.key;
        EXPECT_EQ(out, c.value) << c.key;
        EXPECT_EQ(out[256], '#') << "nothing written past the 256 bytes";
    }
}

TEST(ConfigTest, SettersCreateTheFileInTheCurrentFolder) {
    TempWorkFolder work;
    EXPECT_EQ(WorkingFilePath("config.ini"), work.File("config.ini"));
    IniSetInt("GAMEPLAY", "LastOpenedLevel", -12);
    IniSetString("OPTIONS", "ScreenMode", "1");
    IniSetInt("GAMEPLAY", "LastOpenedLevel", 7);
    EXPECT_EQ(ReadText(work.File("config.ini")), "[GAMEPLAY]\nLastOpenedLevel=7\n[OPTIONS]\nScreenMode=1\n");
}

TEST(ConfigTest, FirstRunWritesTheLanguageAndTheSecondOnlyReads) {
    TempWorkFolder work;
    std::string config = work.File("config.ini");
    WriteText(work.File("language.ini"),
              "[ENGLISH]\nVelmora=Velmora\n[GERMAN]\nVelmora=Velmora\n[DEUTSCH]\nVelmora=Velmora\n");
    // before nullptr: no config.ini yet. The locale (LC_ALL, LC_MESSAGES,
    // LANG; nullptr unset) only counts when the player has no choice stored.
    // A language language.ini does not hold falls back to English; the
    // player's setting stays as it is.
    struct Case { const char* before, *lcAll, *lcMessages, *lang, *language, *after; bool known; } cases[] = {
        {nullptr, nullptr, nullptr, nullptr, "ENGLISH", "[LANGUAGE]\nName=ENGLISH\n", true},
        {nullptr, nullptr, nullptr, "en_GB.UTF-8", "ENGLISH", "[LANGUAGE]\nName=ENGLISH\n", true},
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", "GERMAN", "[LANGUAGE]\nName=GERMAN\n", true},
        {nullptr, "C", nullptr, "de_DE.UTF-8", "ENGLISH", "[LANGUAGE]\nName=ENGLISH\n", true},
        {nullptr, "", "de_AT.UTF-8", "en_US.UTF-8", "GERMAN", "[LANGUAGE]\nName=GERMAN\n", true},
        {"[LANGUAGE]\nName=\n", nullptr, nullptr, nullptr, "ENGLISH", "[LANGUAGE]\nName=ENGLISH\n", true},
        {"[LANGUAGE]\nName=\n", nullptr, nullptr, "de_CH", "GERMAN", "[LANGUAGE]\nName=GERMAN\n", true},
        {"[language]\nname = DEUTSCH\n", nullptr, nullptr, "en_US", "DEUTSCH", "[language]\nname = DEUTSCH\n", true},
        {"[LANGUAGE]\nName=ENGLISH\n", nullptr, nullptr, "de_DE.UTF-8", "ENGLISH", "[LANGUAGE]\nName=ENGLISH\n", true},
        {"[LANGUAGE]\nName=KLINGON\n", nullptr, nullptr, nullptr, "ENGLISH", "[LANGUAGE]\nName=KLINGON\n", false},
    };
    auto set = [](const char* name, const char* value) {
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before ? c.before : "(none)") + " LANG=" + (c.lang ? c.lang : "(unset)"));
        std::remove(config.c_str());
        if (c.before) WriteText(config, c.before);
        set("LC_ALL", c.lcAll);
        set("LC_MESSAGES", c.lcMessages);
        set("LANG", c.lang);
        std::strcpy(LanguageName, "stale");
        EXPECT_EQ(ChooseLanguage(), c.known) << c.language;
        EXPECT_STREQ(LanguageName, c.language);
        EXPECT_EQ(ReadText(config), c.after);
        // A second run reads the name back and leaves the file alone, whatever the locale says now.
        uint64_t stamp = Quill::LastWriteTime(config);
        set("LANG", "de_DE.UTF-8");
        ChooseLanguage();
        EXPECT_STREQ(LanguageName, c.language);
        EXPECT_EQ(Quill::LastWriteTime(config), stamp);
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
}

TEST(ConfigTest, OnlyAGermanLocaleIsGerman) {
    struct Case { const char* locale; const char* language; } cases[] = {
        {"de_LU.ISO-8859-1", "GERMAN"}, {"de@euro", "GERMAN"},   {"", "ENGLISH"},
        {"dev", "ENGLISH"},             {"en_DE", "ENGLISH"},    {"d", "ENGLISH"},
    };
    for (const Case& c : cases) EXPECT_STREQ(LanguageForLocale(nullptr, nullptr, c.locale), c.language) << c.locale;
}

TEST(ConfigTest, StructsLiveInTheNamedFile) {
    TempWorkFolder work;
    std::vector<uint8_t> scores(3600), back(3600, 0), other(3601, 0xAB);
    for (size_t i = 0; i < scores.size(); ++i) scores[i] = static_cast<uint8_t>(i * 7);
    ASSERT_TRUE(IniSetStruct("HIGH SCORES", "Data", scores.data(), scores.size(), "scores.ini"));
    EXPECT_FALSE(Quill::FileExists(work.File("config.ini")));
    EXPECT_TRUE(IniGetStruct("high scores", "DATA", back.data(), back.size(), "scores.ini"));
    EXPECT_EQ(back, scores);
    // A saved game of another size is not this one.
    EXPECT_FALSE(IniGetStruct("HIGH SCORES", "Data", other.data(), other.size(), "scores.ini"));
    EXPECT_EQ(other[0], 0xAB);
    EXPECT_FALSE(IniGetStruct("HIGH SCORES", "Data", back.data(), back.size(), "saved.ini"));
}

// While a demo holds the player's files, no setter reaches the disk; the
// reads still answer from what is there.
TEST(ConfigTest, HeldPlayerFilesAreNeitherWrittenNorCreated) {
    TempWorkFolder work;
    IniSetInt("GAMEPLAY", "LastOpenedLevel", 4);
    const std::string config = ReadText(work.File("config.ini"));
    const int32_t block = 1;
    HoldPlayerFiles(true);
    IniSetInt("GAMEPLAY", "LastOpenedLevel", 9);
    IniSetString("OPTIONS", "btnFullScreen", "0");
    EXPECT_FALSE(IniSetStruct("Classic", "IsGameSaved", &block, sizeof block, "saved.ini"));
    EXPECT_FALSE(IniSetStruct("HIGH SCORES", "Data", &block, sizeof block, "scores.ini"));
    int level = 0;
    IniGetInt("GAMEPLAY", "LastOpenedLevel", level);
    HoldPlayerFiles(false);
    EXPECT_EQ(level, 4);
    EXPECT_EQ(ReadText(work.File("config.ini")), config);
    EXPECT_FALSE(Quill::FileExists(work.File("saved.ini")));
    EXPECT_FALSE(Quill::FileExists(work.File("scores.ini")));
    // Let go, they write again.
    EXPECT_TRUE(IniSetStruct("Classic", "IsGameSaved", &block, sizeof block, "saved.ini"));
    IniSetInt("GAMEPLAY", "LastOpenedLevel", 9);
    IniGetInt("GAMEPLAY", "LastOpenedLevel", level);
    EXPECT_EQ(level, 9);
}

} // namespace
