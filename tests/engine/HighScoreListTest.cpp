#include "engine/AppLog.h"
#include "engine/HighScoreList.h"
#include "engine/HighScoreTable.h"
#include "framework/platform/HeadlessPlatform.h"
#include "support/TempWorkFolder.h"
#include "TextureFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Event = InputMessage;
using Events = std::vector<Event>;

Event Message(uint32_t message, uint32_t wParam) {
    Event e;
    e.message = message;
    e.wParam = wParam;
    return e;
}
Event Key(uint32_t code) { return Message(INPUT_KEY_DOWN, code); }
Event Char(uint32_t code) { return Message(INPUT_CHAR, code); }

// The character messages of a typed text.
Events Type(const char* text) {
    Events out;
    for (const char* c = text; *c; ++c) out.push_back(Char(uint8_t(*c)));
    return out;
}

Events operator+(Events a, const Events& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void Put(HighScoreTable& table, int list, int rank, const char* name, uint32_t score) {
    std::snprintf(table.lists[list][rank].name, HighScoreTable::NameSize, "%s", name);
    table.lists[list][rank].score = score;
}

class HighScoreListTest : public ::testing::Test {
protected:
    void SetUp() override { AppLogResetForTests(); }
    void TearDown() override { AppLogResetForTests(); }

    // Two saved entries in list 0, then a score of 75 waiting at rank 1.
    void StartEntry() {
        table.Reset();
        Put(table, 0, 0, "Old1", 100);
        Put(table, 0, 1, "Old2", 50);
        ASSERT_TRUE(table.SaveScores());
        ASSERT_TRUE(table.InsertScore(75, ""));
        ASSERT_EQ(table.insertPos, 1);
    }

    void Feed(const Events& events) {
        for (const Event& e : events) HandleNameKey(table, e);
    }

    // Rank r of list l as the file holds it.
    std::string SavedName(int list, int rank) {
        HighScoreTable reread;
        if (!reread.LoadScores()) return "<no file>";
        return reread.lists[list][rank].name;
    }

    TempWorkFolder work;
    HighScoreTable table;
};

} // namespace

TEST_F(HighScoreListTest, TypingANameIntoTheNewRow) {
    struct Case {
        const char* what;
        Events events;
        const char* rank1; // rank 1 of list 0 in memory afterwards
        int32_t needName;
        const char* saved; // rank 1 in the file
    };
    const Case cases[] = {
        {"twenty characters keep the first sixteen", Type("ABCDEFGHIJKLMNOPQRST"), "ABCDEFGHIJKLMNOP", 1, "Old2"},
        {"Enter keeps the name and saves", Type("ADA") + Events{Key(13), Char(13)}, "ADA", 0, "ADA"},
        {"Enter without a name keeps waiting", {Key(13), Char(13)}, "", 1, "Old2"},
        {"Escape forgets the typed entry", Type("ADA") + Events{Key(27), Char(27)}, "Old2", 0, "Old2"},
        {"Escape at once forgets the entry", {Key(27)}, "Old2", 0, "Old2"},
        {"Backspace on an empty name", {Key(8), Char(8)}, "", 1, "Old2"},
        {"Backspace on one character", Type("A") + Events{Key(8), Char(8)}, "", 1, "Old2"},
        {"Backspace then more", Type("ABC") + Events{Key(8), Char(8)} + Type("D"), "ABD", 1, "Old2"},
        {"Backspace after the cap frees one place", Type("ABCDEFGHIJKLMNOPQ") + Events{Key(8)} + Type("XY"),
         "ABCDEFGHIJKLMNOX", 1, "Old2"},
        {"control characters and letter key downs are not typed",
         {Char(9), Char(27), Char(127), Char(1), Key('A')}, "", 1, "Old2"},
        // The character arrives sign-extended; only the low byte counts.
        {"low byte of the character", {Char(0xFFFFFFC9u), Char(0x141)}, "\xC9" "A", 1, "Old2"},
        {"low byte of the key", Type("A") + Events{Key(0x10D)}, "A", 0, "A"},
        {"mouse messages are not keys", {Message(INPUT_MOUSE_MOVE, 'A'), Message(INPUT_BUTTON_DOWN, 13)}, "", 1, "Old2"},
        {"after Enter the row is closed", Type("AB") + Events{Key(13)} + Type("C") + Events{Key(8), Key(27)}, "AB",
         0, "AB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartEntry();
        Feed(c.events);
        EXPECT_STREQ(table.lists[0][1].name, c.rank1);
        EXPECT_EQ(table.needName, c.needName);
        EXPECT_EQ(SavedName(0, 1), c.saved);
        // Escape also takes the score out again.
        EXPECT_EQ(table.lists[0][1].score, std::strcmp(c.rank1, "Old2") == 0 ? 50u : 75u);
        // Confirming a name is not an insertion with a name: no pulse.
        EXPECT_EQ(table.justSaved, 0);
    }
}

TEST_F(HighScoreListTest, KeysDoNothingWithoutAWaitingRow) {
    // Never saved: an Escape that reloaded the file would empty the list.
    Put(table, 0, 0, "Kept", 10);
    Feed(Type("X") + Events{Key(8), Key(27), Key(13)});
    EXPECT_STREQ(table.lists[0][0].name, "Kept");
    EXPECT_EQ(table.lists[0][0].score, 10u);
    EXPECT_EQ(SavedName(0, 0), "<no file>");
}

TEST_F(HighScoreListTest, AnotherPageIsNotTypedInto) {
    StartEntry();
    Put(table, 1, 1, "Other", 5);
    table.SelectList(1);
    Feed(Type("X") + Events{Key(8), Key(13)});
    EXPECT_STREQ(table.lists[1][1].name, "Other");
    EXPECT_EQ(table.needName, 1);

    table.SelectList(0);
    Feed(Type("Y") + Events{Key(13)});
    EXPECT_EQ(table.needName, 0);
    EXPECT_EQ(SavedName(0, 1), "Y");
}

TEST_F(HighScoreListTest, RowsCarryTextsPositionsAndMarks) {
    const double pi = std::acos(-1.0);
    struct Case {
        const char* what;
        int32_t needName, justSaved, insertList;
        double seconds;
        uint32_t colour; // of rank 1; the others stay plain
        const char* name;
    };
    const uint32_t typing = ScoreListColour::Typing, plain = ScoreListColour::Plain;
    const Case cases[] = {
        {"plain", 0, 0, 0, 0.0, plain, "Bob"},
        {"typing shows the cursor", 1, 0, 0, 0.0, typing, "Bob_"},
        {"cursor still on just before half a second", 1, 0, 0, 0.49, typing, "Bob_"},
        {"cursor off in the second half second", 1, 0, 0, 0.5, typing, "Bob "},
        {"cursor off late", 1, 0, 0, 1001.75, typing, "Bob "},
        {"pulse at its middle", 0, 1, 0, 0.0, 0xC0BFBFBFu, "Bob"},
        // Full grey: the alpha byte wraps to 0, which reads as opaque.
        {"pulse at its top", 0, 1, 0, pi / 6.0, 0x00FFFFFFu, "Bob"},
        {"pulse at its bottom", 0, 1, 0, pi / 2.0, 0x807F7F7Fu, "Bob"},
        {"typing wins over the pulse", 1, 1, 0, 0.0, typing, "Bob_"},
        {"a row waiting in another list is not marked", 1, 0, 1, 0.0, plain, "Bob"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table.Reset();
        Put(table, 0, 0, "Ada", 3000000000u);
        Put(table, 0, 1, "Bob", 200);
        table.insertPos = 1;
        table.needName = c.needName;
        table.justSaved = c.justSaved;
        table.insertList = c.insertList;

        ScoreListRow rows[10];
        LayoutScoreList(table, c.seconds, 0.29f, 0.036f, rows);
        for (int i = 0; i < 10; ++i) {
            EXPECT_FLOAT_EQ(rows[i].y, 0.29f + 0.045f * float(i + 1)) << i;
            EXPECT_EQ(std::string(rows[i].rank), std::to_string(i + 1));
            EXPECT_EQ(rows[i].colour, i == 1 ? c.colour : plain) << i;
        }
        EXPECT_STREQ(rows[0].name, "Ada");
        EXPECT_STREQ(rows[0].score, "3000000000");
        EXPECT_STREQ(rows[1].name, c.name);
        EXPECT_STREQ(rows[1].score, "200");
        EXPECT_STREQ(rows[2].name, "");
        EXPECT_STREQ(rows[2].score, "0");
    }

    // A full-length name still has room for the cursor.
    table.Reset();
    Put(table, 0, 0, std::string(31, 'W').c_str(), 9);
    table.insertPos = 0;
    table.needName = 1;
    ScoreListRow rows[10];
    LayoutScoreList(table, 0.0, 0.0f, 0.1f, rows);
    EXPECT_EQ(std::string(rows[0].name), std::string(31, 'W') + "_");
}

namespace {

// The list on the shared 128 x 64 screen with a font of white 8 x 8 cells: at
// a line height of 0.076 rank i's middle line lies at (i + 1) * 6.08 pixels
// and a glyph is about 5 pixels wide, so the rank, name (x 0.3) and score
// (x 0.65) columns start at pixels 0, 38 and 83.
class DrawScoreListTest : public texturetest::TextureFixture {
protected:
    void SetUp() override {
        TextureFixture::SetUp();
        auto owned = std::make_unique<Quill::HeadlessPlatform>(true);
        clock = owned.get();
        previousPlatform = Quill::SetPlatform(std::move(owned));
        GetHighScores().Reset();
        texturetest::WriteSolidTga("font.tga", 128, 8, 0xFFFFFFFFu);
        std::string widths = "16";
        for (int i = 1; i < 13; ++i) widths += ",16";
        WriteText("language.ini", "[ENGLISH]\nSymbolList=0123456789_AB\nSYMBOLS_IN_ROW=16\n"
                                               "SYMBOLS_IN_COL=1\nLine01_Width=" + widths + "\n");
        Textures().LoadSymbolFont("font.tga");
        ASSERT_NE(Textures().GetFontTexture(), nullptr);
    }

    void TearDown() override {
        GetHighScores().Reset();
        Quill::SetPlatform(std::move(previousPlatform));
        TextureFixture::TearDown();
    }

    // The pixels of rank i inside its rank, name and score columns.
    struct RowPixels {
        uint32_t rank, name, score;
    };
    RowPixels DrawRow(int i) {
        Clear(texturetest::Background);
        DrawScoreList(0.0f, 0.076f, 0.0f, 0.3f, 0.65f);
        int y = int((i + 1) * 6.08f);
        return {Pixel(2, y), Pixel(40, y), Pixel(85, y)};
    }

    Quill::HeadlessPlatform* clock = nullptr;
    std::unique_ptr<Quill::Platform> previousPlatform;
};

} // namespace

TEST_F(DrawScoreListTest, MarksTheRowBeingTypedAndBlinksItsCursor) {
    HighScoreTable& scores = GetHighScores();
    Put(scores, 0, 0, "AB", 300);
    Put(scores, 0, 1, "BA", 200);
    ASSERT_TRUE(scores.InsertScore(250, ""));

    const uint32_t white = 0xFFFFFFFFu, red = ScoreListColour::Typing, none = texturetest::Background;
    struct Case {
        const char* what;
        uint32_t advance; // milliseconds before drawing
        int row;
        RowPixels expected;
    };
    const Case cases[] = {
        {"best row plain", 0, 0, {white, white, white}},
        {"new row red with the cursor", 0, 1, {red, red, red}},
        {"empty rank: number and zero score, no name", 0, 9, {white, none, white}},
        {"half a second later the cursor is a blank", 500, 1, {red, none, red}},
        {"and back after a second", 500, 1, {red, red, red}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clock->Advance(c.advance);
        RowPixels p = DrawRow(c.row);
        EXPECT_EQ(p.rank, c.expected.rank);
        EXPECT_EQ(p.name, c.expected.name);
        EXPECT_EQ(p.score, c.expected.score);
    }

    // Typed and confirmed: the row is plain again.
    HandleNameKey(Char('A'));
    HandleNameKey(Key(13));
    RowPixels p = DrawRow(1);
    EXPECT_EQ(p.rank, white);
    EXPECT_EQ(p.name, white);
}
