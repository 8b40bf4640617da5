#include "engine/MenuScreen.h"

#include "TextureFixture.h"
#include "engine/Config.h"
#include "engine/SoundEvents.h"
#include "framework/ini/IniFile.h"
#include "framework/platform/Files.h"
#include "framework/platform/HeadlessPlatform.h"
#include "support/StubSoundManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace texturetest;

namespace {

const std::string Sample = VELMORA_FIXTURES "/menus/sample.xml";

// Colours of the pictures the sample screen names.
constexpr uint32_t Back = 0xFF202020u, Out = 0xFFFF0000u, Over = 0xFF00FF00u, OutChecked = 0xFF0000FFu,
                   OverChecked = 0xFFFFFF00u;

InputMessage Message(uint32_t code, int32_t x, int32_t y, uint32_t wParam = 0) {
    return {0, code, wParam, 0, 0, x, y};
}
InputMessage Move(int32_t x, int32_t y) { return Message(INPUT_MOUSE_MOVE, x, y); }
InputMessage Click(int32_t x, int32_t y) { return Message(INPUT_BUTTON_DOWN, x, y); }
InputMessage LetGo(int32_t x, int32_t y) { return Message(INPUT_BUTTON_UP, x, y); }
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
        for (auto [file, w, h, colour] : {std::tuple<const char*, int, int, uint32_t>{"back.tga", 4, 4, Back},
              {"out.tga", 4, 4, Out}, {"over.tga", 4, 4, Over}, {"outc.tga", 4, 4, OutChecked},
              {"overc.tga", 4, 4, OverChecked}, {"logo.tga", 16, 16, 0xFFFF00FFu}, {"bar.tga", 64, 8, 0xFF808080u},
              {"barh.tga", 64, 8, 0xFFA0A0A0u}, {"thumb.tga", 8, 16, 0xFFFFFFFFu}, {"pic.tga", 4, 4, 0xFF00FFFFu}})
            WriteSolidTga(file, w, h, colour);
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

} // namespace

// A file the XML reader refuses (XmlFileTest has every kind: too deep, too
// large, a lone lead byte, a folder) or that holds no screen fails the load;
// the screen shown before stays as it was.
TEST_F(MenuScreenTest, UnreadableFilesFailAndKeepTheScreen) {
    const std::string cases[] = {"missing.xml", VELMORA_FIXTURES "/menus/broken.xml",
                                 VELMORA_FIXTURES "/menus/noscreen.xml"};
    for (const std::string& path : cases) {
        MenuScreen s;
        LoadSample(s);
        s.fade = 0.5f;
        s.screenTint = 0x80FFFFFFu;
        EXPECT_FALSE(s.LoadFromFile(path.c_str())) << path;
        EXPECT_EQ(std::vector<int>({s.buttonCount, s.sliderCount, s.editCount, s.imageCount, s.textCount}),
                  std::vector<int>({6, 1, 2, 2, 2})) << path;
        EXPECT_TRUE(s.fade == 1.0f && s.screenTint == 0xFFFFFFFFu) << path;
    }
}

TEST_F(MenuScreenTest, ButtonsAnswerThePointerStrictlyInsideTheirEdges) {
    MenuScreen s;
    LoadSample(s);
    struct Step {
        InputMessage m;
        const char* action;
        bool hovered; // btnPlay, which shows its over picture then
    } steps[] = {
        {Click(112, 48), "procLogo", false}, // a native-size button is its picture's size before any draw
        {Click(17, 16), "procPlay", false}, {Click(16, 16), "", false}, {Click(32, 24), "", false}, // edges miss
        {Click(80, 48), "procOther", false}, {Move(64, 4), "", false}, {Move(32, 16), "", true},
        {Move(47, 23), "", true}, {Move(48, 23), "", false}, {Move(33, 17), "", true},
        {Message(INPUT_KEY_DOWN, 96, 16, 13), "", true}, // keys never reach the buttons
    };
    for (const Step& st : steps) {
        EXPECT_STREQ(s.HandleMessage(st.m), st.action) << st.m.x << "," << st.m.y;
        EXPECT_EQ(s.IsButtonHovered("btnPlay"), st.hovered) << st.m.x << "," << st.m.y;
        Draw(s);
        EXPECT_EQ(Pixel(32, 16), st.hovered ? Over : Out) << st.m.x << "," << st.m.y;
    }
    EXPECT_EQ(sounds.Count("click"), 3u);
    EXPECT_EQ(sounds.Count("over"), 2u); // once per entry, not per move

    s.buttons[0].enabled = 0;
    EXPECT_STREQ(s.HandleMessage(Click(32, 16)), "");
    Draw(s);
    EXPECT_EQ(Pixel(32, 16), Back);

    // The fade scales every element's opacity.
    s.fade = 0.0f;
    Draw(s);
    EXPECT_LE((Pixel(96, 16) >> 16) & 0xFF, 0x02u); // almost nothing of the screen shows
}

TEST_F(MenuScreenTest, CheckBoxesPersistAndRadioGroupsKeepOneChecked) {
    struct Case {
        std::vector<std::pair<int, int>> clicks;
        std::vector<bool> checked; // btnSound, btnEasy, btnHard, btnOther
    } cases[] = {
        {{{96, 16}}, {1, 0, 0, 0}},         {{{96, 16}, {96, 16}}, {0, 0, 0, 0}},
        {{{16, 48}, {48, 48}}, {0, 0, 1, 0}}, {{{80, 48}, {48, 48}}, {0, 0, 1, 1}},
        {{{48, 48}, {16, 48}, {16, 48}}, {0, 1, 0, 0}}, // a second click keeps it checked
        {{{48, 48}, {32, 16}}, {0, 0, 1, 0}},           // a plain button leaves the group alone
    };
    for (const Case& c : cases) {
        std::remove("config.ini");
        MenuScreen s;
        LoadSample(s);
        for (auto [x, y] : c.clicks) s.HandleMessage(Click(x, y));
        const bool toggled = c.clicks[0].first == 96;
        EXPECT_EQ(std::vector<bool>({s.IsButtonChecked("btnSound"), s.IsButtonChecked("btnEasy"),
                                     s.IsButtonChecked("btnHard"), s.IsButtonChecked("btnOther")}),
                  c.checked);
        // Only check boxes keep their state.
        EXPECT_EQ(OptionText("btnSound"), toggled ? std::to_string(int(c.checked[0])) : "");
        EXPECT_EQ(OptionText("btnPlay") + OptionText("btnEasy") + OptionText("btnHard"), "");
        s.HandleMessage(Move(96, 16));
        Draw(s);
        EXPECT_EQ(Pixel(96, 16), c.checked[0] ? OverChecked : Over);
        MenuScreen again;
        LoadSample(again);
        EXPECT_EQ(again.IsButtonChecked("btnSound"), c.checked[0]);
    }
}

TEST_F(MenuScreenTest, SlidersFollowThePointerAndPersist) {
    MenuScreen s;
    LoadSample(s);
    Draw(s);
    const float edge = (95.0f / 128 - 0.25f) / 0.5f;
    // A click writes config.ini at once; a drag writes it once, when the
    // button comes up.
    struct Step {
        InputMessage m;
        uint32_t buttons;
        const char* action;
        float value;
        bool hovered;
        const char* stored;
    } steps[] = {
        {Click(48, 32), 0, "procMusic", 0.25f, false, "0.250000"},
        {Click(88, 30), 0, "procMusic", 0.875f, false, "0.875000"},
        {Click(32, 32), 0, "", 0.875f, false, "0.875000"}, // the left edge pixel misses
        {Move(64, 32), 0, "", 0.875f, true, "0.875000"},   // no button held: only the hover
        {Move(95, 33), Quill::MOUSE_LEFT, "procMusic", edge, true, "0.875000"},
        {Move(100, 32), Quill::MOUSE_LEFT, "", edge, false, "0.875000"},
        {Move(64, 32), Quill::MOUSE_RIGHT, "", edge, true, "0.875000"},
        {Move(64, 32), Quill::MOUSE_LEFT, "procMusic", 0.5f, true, "0.875000"},
        {LetGo(70, 32), 0, "", 0.5f, true, "0.500000"},
    };
    for (const Step& st : steps) {
        platform->SetPointerState(st.m.x, st.m.y, st.buttons);
        EXPECT_STREQ(s.HandleMessage(st.m), st.action) << st.m.x << "," << st.m.y;
        EXPECT_FLOAT_EQ(s.GetSliderValue("MusicVolume"), st.value) << st.m.x << "," << st.m.y;
        EXPECT_EQ(s.sliders[0].hovered != 0, st.hovered) << st.m.x << "," << st.m.y;
        EXPECT_EQ(OptionText("MusicVolume"), st.stored) << st.m.x << "," << st.m.y;
    }
    EXPECT_EQ(sounds.Count("click"), 2u);
    EXPECT_EQ(sounds.Count("over"), 2u);
    Draw(s);
    EXPECT_EQ(Pixel(40, 32), 0xFFA0A0A0u); // the hover bar
    EXPECT_EQ(Pixel(64, 32), 0xFFFFFFFFu); // the thumb in the middle

    // A drag the game closes on keeps its value too.
    platform->SetPointerState(48, 32, Quill::MOUSE_LEFT);
    s.HandleMessage(Move(48, 32));
    s.StorePendingSliders();
    EXPECT_EQ(OptionText("MusicVolume"), "0.250000");

    // What the next load reads back; an edited value is held to the bar.
    for (auto [stored, value] : {std::pair<const char*, float>{"0.500000", 0.5f}, {"7", 1.0f}, {"", 0.75f}}) {
        IniSetString("OPTIONS", "MusicVolume", stored);
        MenuScreen again;
        LoadSample(again);
        EXPECT_FLOAT_EQ(again.GetSliderValue("MusicVolume"), value) << stored;
    }
}

TEST_F(MenuScreenTest, EditsTakeCharactersUpToTheirLength) {
    MenuScreen s;
    LoadSample(s);
    const std::string full = "bcd" + std::string(17, 'x'); // twenty characters, the most any edit takes
    const std::string shorter = "bcd" + std::string(15, 'x');
    struct Step {
        std::vector<InputMessage> input;
        std::string name, longer;
    } steps[] = {
        {{Char('b'), Char('c'), Char('d')}, "Annbc", "bcd"},
        {std::vector<InputMessage>(30, Char('x')), "Annbc", full},
        {{KeyDown(8)}, "Annb", full},
        {{Char(13), Char(27), Char(8), KeyDown(13), KeyDown('A')}, "Annb", full},
        {std::vector<InputMessage>(4, KeyDown(8)), "", full},
        // With the first edit empty, Backspace goes to the next one.
        {{KeyDown(8), KeyDown(8)}, "", shorter},
        {{Char(static_cast<char>(0xE9))}, "\xE9", shorter + "\xE9"},
    };
    for (const Step& st : steps) {
        for (const InputMessage& m : st.input) EXPECT_STREQ(s.HandleMessage(m), "");
        EXPECT_EQ(s.edits[0].text, st.name);
        EXPECT_EQ(s.edits[1].text, st.longer);
    }
    // Texts are replaced by name, every one of that name.
    s.SetText("txtScore", "1250");
    EXPECT_EQ(std::string(s.texts[0].text) + s.texts[1].text, "12501250");
}

// With a font of solid 8 x 8 pixel glyphs ("A", "B", "_"), the white pixels
// of one element show where and how big it was drawn. A caption at the font's
// own size shows each glyph's cell without its trimmed edges (7.5 x 7.4).
TEST_F(MenuScreenTest, TextsCaptionsCursorsAndPicturesAreDrawnWhereAndAsBigAsTheySay) {
    WriteSolidTga("font01.tga", 32, 8, 0xFFFFFFFFu);
    WriteSolidTga("white.tga", 16, 16, 0xFFFFFFFFu);
    WriteText("language.ini",
              "[ENGLISH]\nSymbolList=AB_\nSYMBOLS_IN_ROW=4\nSYMBOLS_IN_COL=1\nLine01_Width=16,16,16,16\n");
    Textures().LoadSymbolFont("font01.tga");
    const std::string text = R"(text="AB" xc="0.5" yc="0.5" size="0.125")";
    const std::string button = R"(<Button text="AB" outImg="pic.tga" xc="0.25" yc="0.5" )"; // the picture is 4 x 4
    const std::string edit = R"(<Edit text="AB" align="left" xc="0.25" yc="0.5" size="0.125" maxlen="9"/>)";
    struct Case { const char* what; std::string element; uint32_t ms; Quill::Rect white; } cases[] = {
        {"text left", "<Text align=\"left\" " + text + "/>", 0, {64, 28, 16, 8}},
        {"text centred", "<Text " + text + "/>", 0, {56, 28, 16, 8}},
        {"text right", "<Text align=\"right\" " + text + "/>", 0, {48, 28, 16, 8}},
        {"native caption beside its picture", button + R"(align="left" stretch="no"/>)", 0, {36, 28, 15, 7}},
        {"native caption left of its picture", button + R"(align="right" stretch="no"/>)", 0, {12, 28, 15, 7}},
        {"caption at the button's own size", button + R"(width="0.25" height="0.25"/>)", 0, {29, 30, 4, 2}},
        {"edit with its cursor", edit, 0, {32, 28, 24, 8}},
        {"edit, the cursor blinked off", edit, 500, {32, 28, 16, 8}},
        {"picture stretched", R"(<Image img="white.tga" xc="0.5" yc="0.5" width="0.5" height="0.5"/>)", 0,
         {32, 16, 64, 32}},
        {"picture at its own size", R"(<Image img="white.tga" stretch="no" xc="0.5" yc="0.5" width="0.5"/>)", 0,
         {56, 24, 16, 16}},
    };
    for (const Case& c : cases) {
        WriteText("case.xml", "<Screen>" + c.element + "</Screen>");
        MenuScreen screen;
        ASSERT_TRUE(screen.LoadFromFile("case.xml")) << c.what;
        platform->Advance((c.ms + 1000 - platform->Ticks() % 1000) % 1000);
        Draw(screen);
        EXPECT_EQ(Painted(0xFFFFFFFFu), c.white) << c.what;
    }
}

// --- the game's own menu files ---

// Texts may carry a colour of their own ("RRGGBB"); it is multiplied into the
// screen's colour, so a fading screen fades its coloured texts too.
TEST_F(MenuScreenTest, TextsTakeTheirOwnColourWithTheScreensOpacity) {
    struct Case { const char* attribute; uint32_t stored; } reads[] = {
        {"5A2810", 0xFF5A2810u}, {"#5a2810", 0xFF5A2810u}, {"", 0}, {"1234567", 0}, {"zz2810", 0}};
    for (const Case& c : reads) {
        WriteText("colour.xml", std::string("<Screen><Text name=\"t\" text=\"x\" colour=\"") + c.attribute +
                                    "\"/><Edit name=\"e\" colour=\"" + c.attribute +
                                    "\"/><Button name=\"b\" textColour=\"" + c.attribute + "\"/></Screen>");
        MenuScreen s;
        ASSERT_TRUE(s.LoadFromFile("colour.xml"));
        EXPECT_EQ(s.texts[0].colour, c.stored) << c.attribute;
        EXPECT_EQ(s.edits[0].colour, c.stored) << c.attribute;
        EXPECT_EQ(s.buttons[0].textColour, c.stored) << c.attribute;
    }
    struct Mix { uint32_t screen, own, drawn; } mixes[] = {
        {0x00FFFFFFu, 0, 0x00FFFFFFu},                  // none of its own: the screen's
        {0x00FFFFFFu, 0xFF5A2810u, 0x005A2810u},        // opaque screen (alpha byte 0 reads as opaque)
        {0x80FFFFFFu, 0xFF5A2810u, 0x805A2810u},        // half faded: the text fades with it
        {0x00808080u, 0xFFFF8000u, 0x00804000u},        // a tinted screen darkens the text too
    };
    for (const Mix& m : mixes) EXPECT_EQ(TextColour(m.screen, m.own), m.drawn) << std::hex << m.own;
}

TEST_F(MenuScreenTest, TheGameMenusHoldWhatTheGameReliesOnAndFitTheScreen) {
    // Actions offered by some button or slider, and names of buttons, texts or sliders.
    const std::map<std::string, std::string> required = {
        {"main", "procClassicGame procRelaxGame procTransformerGame procOptions procInstructions procHighScores "
                 "procExit procLogo btnClassicGame btnTransformerGame btnRelaxGame"},
        {"game-over", "procContinue procExit"}, {"pause", "procOptions procResume procEnd"},
        {"highscores", "procClear procClose procPrevious procNext txtGameType"},
        {"ingame", "procMenu procDiscard txtScoreNum txtTimeNum txtLevelNum txtMeterBar"},
        {"options", "procSoundMode procMusicMode procFullScreenMode proc3DHardware procCredits procClose "
                    "btnFullScreen btn3DHardware MusicVolume SfxVolume"},
        {"map", "procStart"}, {"clear-confirmation", "procYes procNo"}, {"game-complete", "procMenu"},
        {"continue-confirmation", "procLoad procNew procCancel txtLevelNum txtScoreNum"},
        {"instructions", "procNext procClose"}, {"instructions2", "procPrevious procNext procClose"},
        {"instructions3", "procPrevious procClose"}, {"credits", "procOk"}, {"intro", ""}, {"info-classic", ""},
        {"info-relax", ""}, {"info-transformer", ""}};
    const std::string folder = VELMORA_SOURCE_DIR "/content/Menu/", game = VELMORA_GAME_DIR;
    const bool pictures = Quill::FileExists(game + "/Graphics/logo.png");
    const bool sounds = !Quill::FindFiles(game + "/Sound/*.ogg").empty();
    std::map<std::string, MenuScreen> screens;
    for (const auto& [name, names] : required) {
        MenuScreen& s = screens[name];
        ASSERT_TRUE(s.LoadFromFile((folder + "menu-" + name + ".xml").c_str())) << name;
        std::set<std::string> offered, files = {s.bgImage, s.clickSound, s.overSound};
        for (const MenuButton& b : std::vector<MenuButton>(s.buttons, s.buttons + s.buttonCount)) {
            offered.insert({b.action, b.name});
            files.insert({b.outImg, b.overImg, b.outImgChecked, b.overImgChecked});
        }
        for (const MenuSlider& l : std::vector<MenuSlider>(s.sliders, s.sliders + s.sliderCount)) {
            offered.insert({l.action, l.name});
            files.insert({l.outSliderImg, l.overSliderImg, l.outThumbImg, l.overThumbImg});
        }
        for (int i = 0; i < s.textCount; ++i) offered.insert(s.texts[i].name);
        for (int i = 0; i < s.imageCount; ++i) files.insert(s.images[i].img);
        std::istringstream wanted(names);
        for (std::string n; wanted >> n;) EXPECT_EQ(offered.count(n), 1u) << name << ": " << n;
        for (const std::string& file : files)
            if (!file.empty() && (file.rfind("Sound\\", 0) == 0 ? sounds : pictures)) {
                EXPECT_TRUE(Quill::FileExists(game + "/" + file)) << name << ": " << file;
            }
    }
    // The map: stage s is button s, for every stage the levels fill.
    int levels = 0;
    while (Quill::FileExists(VELMORA_SOURCE_DIR "/content/Levels/level_" + std::to_string(levels + 1) + ".xml"))
        ++levels;
    const MenuScreen& map = screens["map"];
    ASSERT_TRUE(levels > 0 && map.buttonCount > (levels + 5) / 6);
    for (int s = 1; s <= (levels + 5) / 6; ++s)
        EXPECT_EQ(std::string(map.buttons[s].name) + " " + map.buttons[s].action,
                  "btnStage" + std::to_string(s) + " procStage" + std::to_string(s));
    if (!pictures || !sounds) GTEST_SKIP() << "the game folder has no generated pictures or sounds to check";
}
