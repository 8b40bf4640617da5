#include "TextureFixture.h"

using namespace texturetest;
using Quill::Rect;

namespace {

uint32_t CellColour(int cell) { return 0xFF000000u | uint32_t(cell + 1); }

// A sheet of 4 x 2 cells of 16 x 16 pixels, cell k in CellColour(k). At a
// line height of 0.25 on the 128 x 64 screen a glyph is 16 x 16 pixels and
// gw = 0.125.
class SymbolFontTest : public TextureFixture {
protected:
    void SetUp() override {
        TextureFixture::SetUp();
        std::vector<uint32_t> pixels(64 * 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x) pixels[y * 64 + x] = CellColour((y / 16) * 4 + x / 16);
        WriteTga("font01.tga", 64, 32, pixels);
        WriteSolidTga("logo.tga", 8, 4, 0xFF00FF00);
    }

    void LoadFont(const std::string& keys) {
        WriteText("language.ini", "[ENGLISH]\n" + keys);
        Textures().LoadSymbolFont("font01.tga");
    }

    const std::string standard = "SymbolList=ABCDEFGH\nSYMBOLS_IN_ROW=4\nSYMBOLS_IN_COL=2\n"
                                 "Line01_Width=16,8,16,16\nLine02_Width=16,16,16,16\n"
                                 "TITLE=BA\nLOGO=logo.tga\nGONE=gone.png\n";
};

} // namespace

TEST_F(SymbolFontTest, LaysOutGlyphsByWidthAndAlignment) {
    LoadFont(standard);
    struct Glyph { int left, cell; }; // cell -1: a gap left empty
    struct Case {
        const char* what;
        const char* key;
        float x, size;
        int flags;
        Rect painted;
        std::vector<Glyph> glyphs; // later glyphs cover earlier ones
    };
    const Case cases[] = {
        {"two full cells centred: centres one cell apart", "AC", 0.5f, 0.25f, TEXT_CENTRE, Rect(48, 24, 32, 16),
         {{48, 0}, {64, 2}}},
        {"right wins over centre", "AC", 0.75f, 0.25f, TEXT_RIGHT | TEXT_CENTRE, Rect(64, 24, 32, 16),
         {{64, 0}, {80, 2}}},
        // Half a cell for the gap, then half the gap again by the centre rule.
        {"unknown first character", "?A", 0.25f, 0.25f, 0, Rect(44, 24, 16, 16), {{44, 0}}},
        // No blank in the list: A, half a cell of nothing, A 8 + 8 + (8 + 16) / 2 px on.
        {"unknown character inside", "A A", 0.0f, 0.25f, 0, Rect(0, 24, 36, 16), {{0, 0}, {16, -1}, {20, 0}}},
        {"only unknown characters", "xyz", 0.5f, 0.25f, TEXT_CENTRE, Rect(), {}},
        // B is half a cell wide: A's centre follows at 0.25 + 0.75 cell.
        {"narrow symbol", "BA", 0.25f, 0.25f, 0, Rect(28, 24, 28, 16), {{28, 1}, {40, 0}}},
        {"key with a language value", "TITLE", 0.25f, 0.25f, 0, Rect(28, 24, 28, 16), {{28, 1}, {40, 0}}},
        {"second row of the sheet", "E", 0.5f, 0.25f, TEXT_CENTRE, Rect(56, 24, 16, 16), {{56, 4}}},
        {"a taller line scales the cell", "A", 0.5f, 0.5f, TEXT_CENTRE, Rect(48, 16, 32, 32), {{48, 0}}},
        // Own size: the cell without its right 0.06 and top 0.08, 15 x 14 pixels.
        {"own pixel size ignores size", "A", 0.25f, 0.9f, TEXT_PIXEL_SIZE, Rect(32, 24, 15, 14), {{32, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clear(Background);
        Textures().DrawText(c.x, 0.5f, c.size, OWN_COLOURS, c.flags, c.key);
        EXPECT_EQ(Painted(), c.painted);
        for (size_t i = 0; i < c.glyphs.size(); ++i) {
            const Glyph& g = c.glyphs[i];
            int right = i + 1 < c.glyphs.size() ? c.glyphs[i + 1].left : c.painted.x + c.painted.width;
            uint32_t colour = g.cell < 0 ? Background : CellColour(g.cell);
            EXPECT_EQ(Pixel(g.left, 30), colour) << "glyph " << i;
            EXPECT_EQ(Pixel(right - 1, 30), colour) << "glyph " << i;
        }
    }
}

// What a backing fitted to a text is sized by: the widths of its symbols
// (half a cell for one the font lacks), whatever the language makes of a key.
TEST_F(SymbolFontTest, TextWidthAddsTheSymbolWidthsOfTheLanguageText) {
    LoadFont(standard);
    struct Case { const char* key; float size; int flags; float cells; } cases[] = {
        {"AC", 0.5f, 0, 2.0f}, {"BA", 0.25f, TEXT_RIGHT, 1.5f}, {"A A", 0.25f, 0, 2.5f}, {"TITLE", 0.25f, 0, 1.5f},
        {"TITLE", 0.25f, TEXT_LITERAL, 3.0f}, // only E is a symbol
        {"AC", 0.5f, TEXT_PIXEL_SIZE, 2.0f}, {"LOGO", 0.25f, 0, 0.0f}, {"", 0.25f, 0, 0.0f},
    };
    for (const Case& c : cases) {
        // A cell keeps its aspect: half the line height wide on this screen, or 16 pixels at its own size.
        const float cell = c.flags & TEXT_PIXEL_SIZE ? 0.125f : c.size * 0.5f;
        EXPECT_FLOAT_EQ(Textures().TextWidth(c.size, c.flags, c.key), c.cells * cell) << c.key << " " << c.flags;
    }
    EXPECT_EQ(Textures().TextWidth(0.25f, 0, nullptr), 0.0f);
}

TEST_F(SymbolFontTest, PicturesKeepTheirAspectAndFollowTheAlignment) {
    // Pictures need no font sheet.
    WriteText("language.ini", "[ENGLISH]\n" + standard);
    struct Case { const char* what; const char* key; int flags; Rect painted; };
    // logo.tga is 8 x 4: at a line height of 16 pixels it is 32 x 16.
    const Case cases[] = {
        {"starts at x", "LOGO", 0, Rect(32, 24, 32, 16)},
        {"ends at x", "LOGO", TEXT_RIGHT | TEXT_CENTRE, Rect(0, 24, 32, 16)},
        {"own pixel size", "LOGO", TEXT_PIXEL_SIZE, Rect(32, 30, 8, 4)},
        {"a file name as the key itself", "logo.tga", TEXT_CENTRE, Rect(16, 24, 32, 16)},
        {"a missing picture draws nothing", "GONE", 0, Rect()},
        {"literal text is never a picture (no font: nothing)", "logo.tga", TEXT_LITERAL, Rect()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clear(Background);
        Textures().DrawText(0.25f, 0.5f, 0.25f, OWN_COLOURS, c.flags, c.key);
        EXPECT_EQ(Painted(), c.painted);
    }
    EXPECT_EQ(CountOf(Log(), "Loading image: 'gone.png' ... FAILED"), 1u);
}

TEST_F(SymbolFontTest, ReadsTheWidthRows) {
    const std::string grid = "SYMBOLS_IN_ROW=4\nSYMBOLS_IN_COL=2\n", widthComplaint = "Can't load symbol width";
    std::string longRow = "Line01_Width=";
    for (int i = 0; i < 400; ++i) longRow += "16,";
    // The first cells of the width table, and a line the log must hold (none: no width complaint).
    struct Case {
        const char* what;
        std::string keys;
        int columns, rows;
        std::vector<float> widths;
        std::string logged;
    };
    const Case cases[] = {
        {"sixteenths of a cell", grid + "Line01_Width=16,8,4,0\nLine02_Width=2\n", 4, 2, {1, 0.5f, 0.25f, 0, 0.125f, 0}, ""},
        {"a bad number ends its row only", grid + "Line01_Width=16,x,16,16\nLine02_Width=8\n", 4, 2, {1, 0, 0, 0, 0.5f},
         widthComplaint},
        {"rows from ten on have no leading zero",
         "SYMBOLS_IN_ROW=1\nSYMBOLS_IN_COL=12\nLine09_Width=9\nLine10_Width=10\nLine010_Width=5\nLine12_Width=12\n",
         1, 12, {0, 0, 0, 0, 0, 0, 0, 0, 9 / 16.0f, 10 / 16.0f, 0, 12 / 16.0f}, ""},
        // Only the first row's sixteen values are used, and nothing lands past the table.
        {"an oversized grid is logged", "SYMBOLS_IN_ROW=16\nSYMBOLS_IN_COL=17\n" + longRow + "\n", 16, 8,
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}, "Symbol grid 16 x 17"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Textures().Reset();
        AppLogResetForTests();
        std::remove("app.log");
        LoadFont("SymbolList=ABCDEFGH\n" + c.keys);
        EXPECT_EQ(Textures().GetSymbolColumns(), c.columns);
        EXPECT_EQ(Textures().GetSymbolRows(), c.rows);
        for (size_t k = 0; k < c.widths.size(); ++k) EXPECT_EQ(Textures().GetSymbolWidth(int(k)), c.widths[k]) << k;
        EXPECT_EQ(CountOf(Log(), widthComplaint), c.logged == widthComplaint) << Log();
        EXPECT_TRUE(c.logged.empty() || CountOf(Log(), c.logged) == 1) << Log();
    }
}

TEST_F(SymbolFontTest, MissingSheetDrawsNoTextAndSecondLoadRefreshesAllButTheWidths) {
    WriteText("language.ini", "[ENGLISH]\n" + standard);
    Textures().LoadSymbolFont("nofont.png");
    EXPECT_EQ(Textures().GetFontTexture(), nullptr);
    EXPECT_EQ(Textures().FindSymbol('A'), 0);
    Textures().DrawText(0.5f, 0.5f, 0.25f, OWN_COLOURS, 0, "AB");
    EXPECT_EQ(Painted(), Rect());
    EXPECT_EQ(CountOf(Log(), "Loading image: 'nofont.png' ... FAILED"), 1u);

    LoadFont(standard);
    EXPECT_EQ(Textures().GetSymbolWidth(1), 0.5f);
    // Shutdown takes the sheet with the other textures.
    Textures().DeleteAllTexturesMIPMAP();
    EXPECT_EQ(Textures().GetFontTexture(), nullptr);
    Textures().DrawText(0.5f, 0.5f, 0.25f, OWN_COLOURS, 0, "XY");
}
