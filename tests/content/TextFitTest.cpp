// Every text of every menu screen fits where it is drawn, in every language
// the game ships: a button's caption inside its button, a check box's label
// and any other text inside the panel behind it (or the screen). Widths are
// measured with the game's own font rules on the generated font sheet.
#include "content/support/ContentFiles.h"

#include "engine/AppLog.h"
#include "engine/Language.h"
#include "engine/MenuScreen.h"
#include "engine/PlayerFolder.h"
#include "engine/TextureManager.h"
#include "framework/platform/Files.h"
#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char* const kScreens[] = {
    "menu-main.xml", "menu-game-over.xml", "menu-highscores.xml", "menu-ingame.xml", "menu-pause.xml",
    "menu-options.xml", "menu-map.xml", "menu-info-classic.xml", "menu-info-relax.xml",
    "menu-info-transformer.xml", "menu-clear-confirmation.xml", "menu-continue-confirmation.xml",
    "menu-game-complete.xml", "menu-instructions.xml", "menu-instructions2.xml", "menu-instructions3.xml",
    "menu-intro.xml", "menu-credits.xml"};

// A caption keeps clear of a button's rounded ends; a label of its panel's rim.
constexpr float kButtonRoom = 0.92f;
constexpr float kPanelMargin = 0.01f;

struct Span {
    float left, right;
};

class TextFitTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        const std::string game = VELMORA_GAME_DIR;
        if (!Quill::FileExists(game + "/Menu/menu-main.xml")) GTEST_SKIP() << "the game folder has not been built";
        // Reads come from the game folder; the log goes to a folder of the test's own.
        UsePlayerFolder({PlayerFolderChoice::Where::UserFolder, scratch.path}, game);
        AppLogResetForTests();
        previous = Quill::GetWorkingFolder();
        ASSERT_TRUE(Quill::SetWorkingFolder(game));

        std::snprintf(LanguageName, sizeof LanguageName, "%s", GetParam());
        ASSERT_FALSE(std::string(GetLanguageString("Velmora")).empty()) << "no section " << GetParam();
        Textures().Reset();
        Textures().SetClientSize(800, 600); // the measure is in fractions of this screen
        char font[300];
        std::snprintf(font, sizeof font, "%sfont01.png", GetLanguageString("English\\"));
        Textures().LoadSymbolFont(font);
        ASSERT_TRUE(Textures().GetFontTexture()) << font;
    }

    void TearDown() override {
        Textures().Reset();
        if (!previous.empty()) Quill::SetWorkingFolder(previous);
        ResetPlayerFolder();
        AppLogResetForTests();
    }

    // Where the panel behind (x, y) spans: the widest picture holding the
    // point, or the whole screen.
    static Span PanelAt(const MenuScreen& s, float x, float y) {
        Span span{0.0f, 1.0f};
        float widest = 0.0f;
        for (int32_t i = 0; i < s.imageCount; ++i) {
            const MenuImage& m = s.images[i];
            if (m.width <= widest || std::fabs(x - m.xc) > m.width / 2 || std::fabs(y - m.yc) > m.height / 2) continue;
            widest = m.width;
            span = {m.xc - m.width / 2 + kPanelMargin, m.xc + m.width / 2 - kPanelMargin};
        }
        return span;
    }

    static Span Extent(float x, float width, int32_t flags) {
        if (flags & TEXT_RIGHT) return {x - width, x};
        if (flags & TEXT_CENTRE) return {x - width / 2, x + width / 2};
        return {x, x + width};
    }

    testfiles::TempFolder scratch;
    std::string previous;
};

int32_t Align(const char* align) {
    if (std::strcmp(align, "left") == 0) return 0;
    if (std::strcmp(align, "right") == 0) return TEXT_RIGHT;
    return TEXT_CENTRE;
}

TEST_P(TextFitTest, EveryMenuTextFitsItsButtonOrPanel) {
    TextureManager& tm = Textures();
    int32_t sheetW = 0, sheetH = 0;
    TextureManager::GetTextureSize(tm.GetFontTexture(), sheetW, sheetH);
    for (const char* file : kScreens) {
        MenuScreen s;
        ASSERT_TRUE(s.LoadFromFile(("Menu\\" + std::string(file)).c_str())) << file;
        for (int32_t i = 0; i < s.buttonCount; ++i) {
            const MenuButton& b = s.buttons[i];
            if (!b.text[0]) continue;
            const bool native = std::strcmp(b.stretch, "no") == 0;
            float width = b.width, size = 0.04f;
            int32_t pixel = 0;
            if (native) {
                int32_t pw = 0, ph = 0;
                TextureManager::GetTextureSize(tm.GetTexture(b.outImg), pw, ph);
                width = pw / 800.0f;
                size = static_cast<float>(sheetH / tm.GetSymbolRows()) / 600.0f;
                pixel = TEXT_PIXEL_SIZE;
            }
            const int32_t align = Align(b.align);
            const float text = tm.TextWidth(size, align | pixel, b.text);
            SCOPED_TRACE(std::string(file) + " button " + b.name + " '" + GetLanguageString(b.text) + "'");
            if (align == TEXT_CENTRE) {
                EXPECT_LE(text, width * kButtonRoom);
            } else {
                // A label beside its check box starts a box width to the right.
                const float x = align == 0 ? b.xc + width : b.xc - width;
                const Span panel = PanelAt(s, b.xc, b.yc), drawn = Extent(x, text, align);
                EXPECT_GE(drawn.left, panel.left);
                EXPECT_LE(drawn.right, panel.right);
            }
        }
        for (int32_t i = 0; i < s.textCount; ++i) {
            const MenuText& t = s.texts[i];
            if (!t.text[0]) continue;
            const int32_t flags = Align(t.align) | (std::strcmp(t.stretch, "no") == 0 ? TEXT_PIXEL_SIZE : 0);
            const Span panel = PanelAt(s, t.xc, t.yc);
            const Span drawn = Extent(t.xc, tm.TextWidth(t.size, flags, t.text), flags);
            SCOPED_TRACE(std::string(file) + " text " + t.name + " '" + GetLanguageString(t.text) + "'");
            EXPECT_GE(drawn.left, panel.left);
            EXPECT_LE(drawn.right, panel.right);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, TextFitTest, ::testing::Values("ENGLISH", "GERMAN"));

} // namespace
