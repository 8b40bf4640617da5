#include "engine/MenuScreen.h"

#include "TextureFixture.h"
#include "engine/Config.h"
#include "engine/SoundEvents.h"
#include "framework/IniFile.h"
#include "framework/platform/Files.h"
#include "framework/platform/HeadlessPlatform.h"
#include "support/StubSoundManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace texturetest;

namespace {

const std::string Sample = VELMORA_FIXTURES "/menus/sample.xml";

// Colours of the pictures the sample screen names.
constexpr uint32_t Back = 0xFF202020u, Out = 0xFFFF0000u, Over = 0xFF00FF00u, OutChecked = 0xFF0000FFu,
                   OverChecked = 0xFFFFFF00u;

InputMessage Message(uint32_t code, int32_t x, int32_t y, uint32_t wParam = 0) {
    InputMessage m;
    m.message = code;
    m.wParam = wParam;
    m.x = x;
    m.y = y;
    return m;
}
InputMessage Move(int32_t x, int32_t y) { return Message(INPUT_MOUSE_MOVE, x, y); }
InputMessage Click(int32_t x, int32_t y) { return Message(INPUT_BUTTON_DOWN, x, y); }
InputMessage Char(int c) { return Message(INPUT_CHAR, 0, 0, static_cast<uint32_t>(static_cast<int8_t>(c))); }
InputMessage KeyDown(uint32_t key) { return Message(INPUT_KEY_DOWN, 0, 0, key); }

std::string OptionText(const char* key) {
    char text[256];
    IniGetString("OPTIONS", key, text);
    return text;
}

class MenuScreenTest : public TextureFixture {
protected:
    void SetUp() override {
        TextureFixture::SetUp();
        previousPlatform = Quill::SetPlatform(std::make_unique<Quill::HeadlessPlatform>(true));
        platform = static_cast<Quill::HeadlessPlatform*>(&Quill::GetPlatform());
        ResetSoundEvents();
        SetSoundEventsManager(&sounds);
        WriteSolidTga("back.tga", 4, 4, Back);
        WriteSolidTga("out.tga", 4, 4, Out);
        WriteSolidTga("over.tga", 4, 4, Over);
        WriteSolidTga("outc.tga", 4, 4, OutChecked);
        WriteSolidTga("overc.tga", 4, 4, OverChecked);
        WriteSolidTga("logo.tga", 16, 16, 0xFFFF00FFu);
        WriteSolidTga("bar.tga", 64, 8, 0xFF808080u);
        WriteSolidTga("barh.tga", 64, 8, 0xFFA0A0A0u);
        WriteSolidTga("thumb.tga", 8, 16, 0xFFFFFFFFu);
        WriteSolidTga("pic.tga", 4, 4, 0xFF00FFFFu);
    }
    void TearDown() override {
        SetSoundEventsManager(nullptr);
        ResetSoundEvents();
        Quill::SetPlatform(std::move(previousPlatform));
        TextureFixture::TearDown();
    }
    void LoadSample(MenuScreen& screen) { ASSERT_TRUE(screen.LoadFromFile(Sample.c_str())); }
    void Draw(MenuScreen& screen) {
        Clear(Background);
        screen.DrawScreen();
    }

    std::unique_ptr<Quill::Platform> previousPlatform;
    Quill::HeadlessPlatform* platform = nullptr;
    StubSoundManager sounds;
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

} // namespace

TEST_F(MenuScreenTest, UnreadableFilesFailAndKeepTheScreen) {
    WriteText("deep.xml", "<Screen>" + [] {
        std::string s;
        for (int i = 0; i < 5000; ++i) s += "<a>";
        return s;
    }());
    WriteText("huge.xml", "<Screen>" + Repeat(' ', (1u << 20) + 10) + "</Screen>");
    Quill::MakeFolder("folder.xml");
    const std::string cases[] = {"missing.xml", VELMORA_FIXTURES "/menus/broken.xml",
                                 VELMORA_FIXTURES "/menus/noscreen.xml", "deep.xml", "huge.xml", "folder.xml"};
    for (const std::string& path : cases) {
        MenuScreen s;
        LoadSample(s);
        s.fade = 0.5f;
        s.screenTint = 0x80FFFFFFu;
        EXPECT_EQ(std::vector<int>({s.buttonCount, s.sliderCount, s.editCount, s.imageCount, s.textCount}),
                  std::vector<int>({6, 1, 2, 2, 2}));
        EXPECT_FALSE(s.LoadFromFile(path.c_str())) << path;
        EXPECT_EQ(s.buttonCount, 6) << path;
        EXPECT_STREQ(s.buttons[0].action, "procPlay") << path;
        EXPECT_EQ(s.fade, 1.0f) << path;
        EXPECT_EQ(s.screenTint, 0xFFFFFFFFu) << path;
        EXPECT_EQ(CountOf(Log(), "Loading XML menu:  '" + path + "' ... FAILED"), 1u) << path;
    }
    EXPECT_NE(Log().find("Loading XML menu:  '" + Sample + "' ... OK"), std::string::npos);
}

TEST_F(MenuScreenTest, HostileFilesStayInsideTheTables) {
    const std::string longName = Repeat('n', 300);
    const char* numbers[] = {"1e999", "-1e999", "nan", "inf", "abc", "1e30", "-0.5", ""};
    std::string xml = "<?xml version=\"1.0\"?>\n<Screen bgImage=\"" + longName + "\" xc=\"nan\">\n";
    // More elements of each kind than the tables hold; a third without any attribute.
    for (auto [tag, count] : {std::pair<std::string, int>{"Button", 60}, {"Slider", 8}, {"Edit", 5}, {"Image", 25},
                              {"Text", 25}})
        for (int i = 0; i < count; ++i) {
            const std::string n = numbers[i % 8], text = "\"" + longName + "\" ";
            xml += i % 3 == 0 ? "<" + tag + "/>\n"
                              : "<" + tag + " name=" + text + "action=" + text + "text=" + text + "img=" + text +
                                    "radioGroup=" + text + "outImgChecked=\"c.tga\" outSliderImg=\"bar.tga\" xc=\"" +
                                    n + "\" yc=\"0.5\" width=\"" + n + "\" height=\"" + n + "\" size=\"" + n +
                                    "\" maxlen=\"" + n + "\" stretch=\"no\"/>\n";
        }
    xml += "</Screen>\n";
    WriteText("hostile.xml", xml);

    MenuScreen s;
    ASSERT_TRUE(s.LoadFromFile("hostile.xml"));
    EXPECT_EQ(s.buttonCount, MenuScreen::MaxButtons);
    EXPECT_EQ(s.sliderCount, MenuScreen::MaxSliders);
    EXPECT_EQ(s.editCount, MenuScreen::MaxEdits);
    EXPECT_EQ(s.imageCount, MenuScreen::MaxImages);
    EXPECT_EQ(s.textCount, MenuScreen::MaxTexts);
    EXPECT_EQ(std::strlen(s.bgImage), 39u);
    EXPECT_EQ(std::strlen(s.buttons[1].name), 39u);
    EXPECT_EQ(std::strlen(s.texts[1].text), 99u);
    EXPECT_EQ(s.xc, 0.0f);
    for (const char* kind : {"60 Button", "8 Slider", "5 Edit", "25 Image", "25 Text"})
        EXPECT_EQ(CountOf(Log(), kind), 1u) << kind;

    // Everything still draws and answers input without touching a byte outside.
    s.DrawScreen();
    for (const InputMessage& m : {Move(64, 32), Click(64, 32), Click(0, 0), Move(-5, 70000), Char('a'),
                                  KeyDown(8), Click(127, 63)})
        s.HandleMessage(m);
    s.SetText("t", longName.c_str());
    EXPECT_EQ(std::strlen(s.texts[19].text), 99u);
    s.SelectRadioButton(MenuScreen::MaxButtons);
}

TEST_F(MenuScreenTest, ClicksReturnTheActionOfTheButtonHit) {
    MenuScreen s;
    LoadSample(s);
    struct Case {
        int x, y;
        const char* action;
    } cases[] = {
        {17, 16, "procPlay"}, {47, 23, "procPlay"}, {16, 16, ""}, {32, 24, ""}, // edge pixels miss
        {64, 4, ""},          {16, 48, "procEasy"}, {80, 48, "procOther"},
        {112, 48, ""}, // a native-size button has no area before its first draw
    };
    for (const Case& c : cases) EXPECT_STREQ(s.HandleMessage(Click(c.x, c.y)), c.action) << c.x << "," << c.y;
    EXPECT_EQ(sounds.Count("click"), 4u);

    Draw(s);
    EXPECT_STREQ(s.HandleMessage(Click(112, 48)), "procLogo");

    s.buttons[0].enabled = 0;
    EXPECT_STREQ(s.HandleMessage(Click(32, 16)), "");
    s.HandleMessage(Move(32, 16));
    EXPECT_FALSE(s.IsButtonHovered("btnPlay"));
    Draw(s);
    EXPECT_EQ(Pixel(32, 16), Back);
    // Keys never reach the buttons.
    EXPECT_STREQ(s.HandleMessage(Message(INPUT_KEY_DOWN, 96, 16, 13)), "");
}

TEST_F(MenuScreenTest, HoverSwitchesThePictureAndSoundsOncePerEntry) {
    MenuScreen s;
    LoadSample(s);
    struct Step {
        int x, y;
        bool hovered;
        size_t overSounds;
        uint32_t picture;
    } steps[] = {
        {64, 4, false, 0, Out}, {32, 16, true, 1, Over}, {47, 23, true, 1, Over}, {48, 23, false, 1, Out},
        {33, 17, true, 2, Over},
    };
    for (const Step& st : steps) {
        EXPECT_STREQ(s.HandleMessage(Move(st.x, st.y)), "");
        EXPECT_EQ(s.IsButtonHovered("btnPlay"), st.hovered) << st.x << "," << st.y;
        EXPECT_EQ(sounds.Count("over"), st.overSounds) << st.x << "," << st.y;
        Draw(s);
        EXPECT_EQ(Pixel(32, 16), st.picture) << st.x << "," << st.y;
    }
}

TEST_F(MenuScreenTest, FadeAndTintScaleTheOpacity) {
    MenuScreen s;
    LoadSample(s);
    Draw(s);
    EXPECT_EQ(Pixel(32, 16), Out);
    s.fade = 0.0f;
    Draw(s);
    EXPECT_LE((Pixel(32, 16) >> 16) & 0xFF, 0x02u); // almost nothing of the screen shows
    s.fade = 1.0f;
    s.screenTint = 0x80FFFFFFu;
    Draw(s);
    uint32_t red = (Pixel(32, 16) >> 16) & 0xFF;
    EXPECT_GT(red, 0x70u);
    EXPECT_LT(red, 0x90u);
}

TEST_F(MenuScreenTest, CheckBoxesToggleAndPersist) {
    for (int clicks = 1; clicks <= 2; ++clicks) {
        std::remove("config.ini");
        MenuScreen s;
        LoadSample(s);
        for (int i = 0; i < clicks; ++i) EXPECT_STREQ(s.HandleMessage(Click(96, 16)), "procSound");
        const int expected = clicks % 2;
        EXPECT_EQ(s.IsButtonChecked("btnSound"), expected == 1) << clicks;
        EXPECT_EQ(OptionText("btnSound"), std::to_string(expected)) << clicks;
        s.HandleMessage(Move(96, 16));
        Draw(s);
        EXPECT_EQ(Pixel(96, 16), expected ? OverChecked : Over) << clicks;

        MenuScreen again;
        LoadSample(again);
        EXPECT_EQ(again.IsButtonChecked("btnSound"), expected == 1) << clicks;
    }
    // A plain button never writes its state.
    MenuScreen s;
    LoadSample(s);
    s.HandleMessage(Click(32, 16));
    EXPECT_EQ(OptionText("btnPlay"), "");
}

TEST_F(MenuScreenTest, RadioGroupsKeepOneChecked) {
    struct Case {
        std::vector<std::pair<int, int>> clicks;
        bool easy, hard, other;
    } cases[] = {
        {{{16, 48}, {48, 48}}, false, true, false},
        {{{80, 48}, {48, 48}}, false, true, true},
        {{{48, 48}, {16, 48}, {16, 48}}, true, false, false}, // a second click keeps it checked
        {{{48, 48}, {32, 16}}, false, true, false}, // a plain button leaves the group alone
    };
    for (const Case& c : cases) {
        MenuScreen s;
        LoadSample(s);
        for (auto [x, y] : c.clicks) s.HandleMessage(Click(x, y));
        EXPECT_EQ(s.IsButtonChecked("btnEasy"), c.easy);
        EXPECT_EQ(s.IsButtonChecked("btnHard"), c.hard);
        EXPECT_EQ(s.IsButtonChecked("btnOther"), c.other);
    }
    // Selecting by index does the same; indices outside the table do nothing.
    MenuScreen s;
    LoadSample(s);
    for (int32_t index : {2, 3, 0, -1, 6}) s.SelectRadioButton(index); // 0 is not a radio button
    EXPECT_EQ(s.IsButtonChecked("btnEasy") * 4 + s.IsButtonChecked("btnHard") * 2 + s.IsButtonChecked("btnPlay"), 2);
}

TEST_F(MenuScreenTest, SlidersFollowThePointerAndPersist) {
    MenuScreen s;
    LoadSample(s);
    EXPECT_STREQ(s.HandleMessage(Click(64, 32)), ""); // no area before the bar is drawn
    Draw(s);

    struct Step {
        InputMessage m;
        uint32_t buttons;
        const char* action;
        float value;
        bool hovered;
    } steps[] = {
        {Click(48, 32), 0, "procMusic", 0.25f, false},
        {Click(88, 30), 0, "procMusic", 0.875f, false},
        {Click(32, 32), 0, "", 0.875f, false},          // the left edge pixel misses
        {Move(64, 32), 0, "", 0.875f, true},            // no button held: only the hover
        {Move(40, 32), Quill::MOUSE_LEFT, "procMusic", 0.125f, true},
        {Move(95, 33), Quill::MOUSE_LEFT, "procMusic", (95.0f / 128 - 0.25f) / 0.5f, true},
        {Move(100, 32), Quill::MOUSE_LEFT, "", (95.0f / 128 - 0.25f) / 0.5f, false},
        {Move(64, 32), Quill::MOUSE_RIGHT, "", (95.0f / 128 - 0.25f) / 0.5f, true},
        {Move(64, 32), Quill::MOUSE_LEFT, "procMusic", 0.5f, true},
    };
    for (const Step& st : steps) {
        platform->SetPointerState(st.m.x, st.m.y, st.buttons);
        EXPECT_STREQ(s.HandleMessage(st.m), st.action) << st.m.x << "," << st.m.y;
        EXPECT_FLOAT_EQ(s.GetSliderValue("MusicVolume"), st.value) << st.m.x << "," << st.m.y;
        EXPECT_EQ(s.sliders[0].hovered != 0, st.hovered) << st.m.x << "," << st.m.y;
    }
    EXPECT_EQ(OptionText("MusicVolume"), "0.500000");
    EXPECT_EQ(sounds.Count("click"), 2u);
    EXPECT_EQ(sounds.Count("over"), 2u);
    Draw(s);
    EXPECT_EQ(Pixel(40, 32), 0xFFA0A0A0u); // the hover bar
    EXPECT_EQ(Pixel(64, 32), 0xFFFFFFFFu); // the thumb in the middle

    MenuScreen again;
    LoadSample(again);
    EXPECT_FLOAT_EQ(again.GetSliderValue("MusicVolume"), 0.5f);
    EXPECT_EQ(again.GetSliderValue("NoSuchSlider"), 0.0f);
}

TEST_F(MenuScreenTest, StoredSliderValuesAreHeldToTheBar) {
    struct Case {
        const char* stored;
        float value;
    } cases[] = {{"0.3", 0.3f}, {"7", 1.0f}, {"-2", 0.0f}, {"loud", 0.0f}, {"1e999", 1.0f}, {"", 0.75f}};
    for (const Case& c : cases) {
        IniSetString("OPTIONS", "MusicVolume", c.stored);
        MenuScreen s;
        LoadSample(s);
        EXPECT_FLOAT_EQ(s.GetSliderValue("MusicVolume"), c.value) << c.stored;
    }
}

TEST_F(MenuScreenTest, EditsTakeCharactersUpToTheirLength) {
    MenuScreen s;
    LoadSample(s);
    const std::string full = "bcd" + Repeat('x', 17); // twenty characters, the most any edit takes
    const std::string shorter = "bcd" + Repeat('x', 15);
    struct Step {
        std::vector<InputMessage> input;
        std::string name, longer;
    } steps[] = {
        {{Char('b'), Char('c'), Char('d')}, "Annbc", "bcd"},
        {std::vector<InputMessage>(30, Char('x')), "Annbc", full},
        {{KeyDown(8)}, "Annb", full},
        {{Char(13), Char(27), Char(8), KeyDown(13), KeyDown('A')}, "Annb", full},
        {{Char('y')}, "Annby", full},
        {std::vector<InputMessage>(5, KeyDown(8)), "", full},
        // With the first edit empty, Backspace goes to the next one.
        {{KeyDown(8), KeyDown(8)}, "", shorter},
        {{Char(static_cast<char>(0xE9))}, "\xE9", shorter + "\xE9"},
    };
    for (const Step& st : steps) {
        for (const InputMessage& m : st.input) EXPECT_STREQ(s.HandleMessage(m), "");
        EXPECT_EQ(s.edits[0].text, st.name);
        EXPECT_EQ(s.edits[1].text, st.longer);
    }
}

TEST_F(MenuScreenTest, TextsAreFoundAndReplacedByName) {
    MenuScreen s;
    LoadSample(s);
    EXPECT_FLOAT_EQ(s.GetTextX("txtScore"), 0.9f);
    EXPECT_EQ(s.GetTextY(nullptr), 0.0f);
    s.SetText("txtScore", "1250");
    EXPECT_STREQ(s.texts[1].text, "1250"); // every text of that name
    s.SetText("txtScore", Repeat('9', 300).c_str());
    EXPECT_EQ(std::strlen(s.texts[1].text), 99u);
    s.SetText("txtScore", nullptr);
    EXPECT_STREQ(s.texts[0].text, "");
}

// --- the game's own menu files ---

namespace {

const std::string MenuFolder = VELMORA_SOURCE_DIR "/content/Menu/";

const char* const Screens[] = {"main", "game-over", "highscores", "ingame", "pause", "options", "map",
                               "info-classic", "info-relax", "info-transformer", "clear-confirmation",
                               "continue-confirmation", "game-complete", "instructions", "instructions2",
                               "instructions3", "intro", "credits"};

// Actions offered by some button or slider, and names of buttons, texts or sliders.
const std::map<std::string, std::vector<const char*>> Required = {
    {"main", {"procClassicGame", "procRelaxGame", "procTransformerGame", "procOptions", "procInstructions",
              "procHighScores", "procExit", "procLogo", "btnClassicGame", "btnTransformerGame"}},
    {"game-over", {"procContinue", "procExit"}},
    {"highscores", {"procClear", "procClose", "procPrevious", "procNext", "txtGameType"}},
    {"ingame", {"procMenu", "procDiscard", "txtScoreNum", "txtTimeNum", "txtLevelNum", "txtMeterBar"}},
    {"pause", {"procOptions", "procResume", "procEnd"}},
    {"options", {"procSoundMode", "procMusicMode", "procFullScreenMode", "proc3DHardware", "procCredits",
                 "procClose", "btnFullScreen", "btn3DHardware", "MusicVolume", "SfxVolume"}},
    {"map", {"procStart"}},
    {"clear-confirmation", {"procYes", "procNo"}},
    {"continue-confirmation", {"procLoad", "procNew", "procCancel", "txtLevelNum", "txtScoreNum"}},
    {"game-complete", {"procMenu"}},
    {"instructions", {"procNext", "procClose"}},
    {"instructions2", {"procPrevious", "procNext", "procClose"}},
    {"instructions3", {"procPrevious", "procClose"}},
    {"credits", {"procOk"}},
};

} // namespace

TEST_F(MenuScreenTest, TheGameMenusHoldWhatTheGameReliesOnAndFitTheScreen) {
    const std::string languageFile = VELMORA_SOURCE_DIR "/content/language.ini";
    const std::string game = VELMORA_GAME_DIR;
    const bool pictures = Quill::FileExists(game + "/Graphics/logo.png");
    const bool sounds = !Quill::FindFiles(game + "/Sound/*.ogg").empty();
    std::map<std::string, MenuScreen> screens;
    for (const char* name : Screens) {
        MenuScreen& s = screens[name];
        const std::string path = MenuFolder + "menu-" + name + ".xml";
        ASSERT_TRUE(s.LoadFromFile(path.c_str())) << path;
        std::set<std::string> offered, files = {s.bgImage, s.clickSound, s.overSound};
        std::vector<std::string> captions;
        for (int i = 0; i < s.buttonCount; ++i) {
            const MenuButton& b = s.buttons[i];
            offered.insert({b.action, b.name});
            files.insert({b.outImg, b.overImg, b.outImgChecked, b.overImgChecked});
            captions.push_back(b.text);
            EXPECT_GT(b.width, 0.0f) << name << ": " << b.name;
            EXPECT_TRUE(b.xc - b.width / 2 >= 0 && b.xc + b.width / 2 <= 1 && b.yc - b.height / 2 >= 0 &&
                        b.yc + b.height / 2 <= 1)
                << name << ": " << b.name << " leaves the screen";
        }
        for (int i = 0; i < s.sliderCount; ++i) {
            const MenuSlider& l = s.sliders[i];
            offered.insert({l.action, l.name});
            files.insert({l.outSliderImg, l.overSliderImg, l.outThumbImg, l.overThumbImg});
        }
        for (int i = 0; i < s.textCount; ++i) {
            offered.insert(s.texts[i].name);
            captions.push_back(s.texts[i].text);
        }
        for (int i = 0; i < s.imageCount; ++i) files.insert(s.images[i].img);
        for (const char* n : Required.count(name) ? Required.at(name) : std::vector<const char*>())
            EXPECT_EQ(offered.count(n), 1u) << name << ": " << n;
        // Captions of more than one character are language keys.
        for (const std::string& key : captions)
            if (key.size() > 1) {
                EXPECT_NE(Quill::IniReadString(languageFile, "ENGLISH", key), "") << name << ": " << key;
            }
        for (const std::string& file : files) {
            const bool isSound = file.rfind("Sound\\", 0) == 0;
            if (!file.empty() && (isSound ? sounds : pictures)) {
                EXPECT_TRUE(Quill::FileExists(game + "/" + file)) << name << ": " << file;
            }
        }
    }
    // The options screen's two switches are check boxes: they keep their state.
    for (const MenuButton& b : screens["options"].buttons)
        if (!std::strcmp(b.name, "btnFullScreen") || !std::strcmp(b.name, "btn3DHardware")) {
            EXPECT_NE(b.outImgChecked[0], '\0') << b.name;
        }
    // The map: stage s is button s, for every stage the levels fill.
    int levels = 0;
    while (Quill::FileExists(VELMORA_SOURCE_DIR "/content/Levels/level_" + std::to_string(levels + 1) + ".xml"))
        ++levels;
    const int stages = (levels + 5) / 6;
    const MenuScreen& map = screens["map"];
    ASSERT_GT(stages, 0);
    ASSERT_GT(map.buttonCount, stages);
    for (int s = 1; s <= stages; ++s) {
        EXPECT_EQ(std::string(map.buttons[s].name), "btnStage" + std::to_string(s));
        EXPECT_EQ(std::string(map.buttons[s].action), "procStage" + std::to_string(s));
    }
    if (!pictures || !sounds) GTEST_SKIP() << "the game folder has no generated pictures or sounds to check";
}
