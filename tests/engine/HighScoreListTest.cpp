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

using Events = std::vector<InputMessage>;

InputMessage Message(uint32_t message, uint32_t wParam) {
    InputMessage e;
    e.message = message;
    e.wParam = wParam;
    return e;
}
InputMessage Key(uint32_t code) { return Message(INPUT_KEY_DOWN, code); }
InputMessage Char(uint32_t code) { return Message(INPUT_CHAR, code); }

// The character messages of a typed text followed by `then`.
Events Type(const char* text, Events then = {}) {
    Events out;
    for (const char* c = text; *c; ++c) out.push_back(Char(uint8_t(*c)));
    out.insert(out.end(), then.begin(), then.end());
    return out;
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
    }

    void Feed(const Events& events) {
        for (const InputMessage& e : events) HandleNameKey(table, e);
    }

    // Rank r of list l as the file holds it.
    std::string SavedName(int list, int rank) {
        HighScoreTable reread;
        return reread.LoadScores() ? reread.lists[list][rank].name : "<no file>";
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
        const char* saved; // rank 1 in the file
    };
    const Case cases[] = {
        {"twenty characters keep the first sixteen", Type("ABCDEFGHIJKLMNOPQRST"), "ABCDEFGHIJKLMNOP", "Old2"},
        {"Enter keeps the name and saves", Type("ADA", {Key(13), Char(13)}), "ADA", "ADA"},
        {"Enter without a name keeps waiting", {Key(13), Char(13)}, "", "Old2"},
        {"Escape forgets the typed entry", Type("ADA", {Key(27), Char(27)}), "Old2", "Old2"},
        {"Backspace on an empty name", {Key(8), Char(8)}, "", "Old2"},
        {"Backspace after the cap frees one place", Type("ABCDEFGHIJKLMNOPQ", {Key(8), Char('X'), Char('Y')}),
         "ABCDEFGHIJKLMNOX", "Old2"},
        {"control characters and letter key downs are not typed", {Char(9), Char(127), Char(1), Key('A')}, "",
         "Old2"},
        // The character arrives sign-extended; only the low byte counts.
        {"low byte of the character", {Char(0xFFFFFFC9u), Char(0x141)}, "\xC9" "A", "Old2"},
        {"after Enter the row is closed", Type("AB", {Key(13), Char('C'), Key(8), Key(27)}), "AB", "AB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartEntry();
        Feed(c.events);
        EXPECT_STREQ(table.lists[0][1].name, c.rank1);
        const bool open = std::strcmp(c.rank1, c.saved) != 0;
        EXPECT_EQ(table.needName, open ? 1 : 0);
        EXPECT_EQ(SavedName(0, 1), c.saved);
        // Escape also takes the score out again.
        EXPECT_EQ(table.lists[0][1].score, std::strcmp(c.rank1, "Old2") == 0 ? 50u : 75u);
        // Confirming a name is not an insertion with a name: no pulse.
        EXPECT_EQ(table.justSaved, 0);
    }
}

TEST_F(HighScoreListTest, KeysReachOnlyTheWaitingRowOfTheListOnShow) {
    // Never saved: an Escape that reloaded the file would empty the list.
    Put(table, 0, 0, "Kept", 10);
    Feed(Type("X", {Key(8), Key(27), Key(13)}));
    EXPECT_STREQ(table.lists[0][0].name, "Kept");
    EXPECT_EQ(SavedName(0, 0), "<no file>");

    StartEntry();
    Put(table, 1, 1, "Other", 5);
    table.SelectList(1);
    Feed(Type("X", {Key(8), Key(13)}));
    EXPECT_STREQ(table.lists[1][1].name, "Other");
    EXPECT_EQ(table.needName, 1);
    table.SelectList(0);
    Feed(Type("Y", {Key(13)}));
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
        {"typing shows the cursor", 1, 0, 0, 0.49, typing, "Bob_"},
        {"cursor off in the second half second", 1, 0, 0, 1001.5, typing, "Bob "},
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
        EXPECT_STREQ(rows[0].score, "3000000000");
        EXPECT_STREQ(rows[1].name, c.name);
        EXPECT_STREQ(rows[2].score, "0");
    }

    // A full-length name still has room for the cursor.
    table.needName = 1;
    table.justSaved = 0;
    table.insertList = 0;
    Put(table, 0, 1, std::string(31, 'W').c_str(), 9);
    ScoreListRow rows[10];
    LayoutScoreList(table, 0.0, 0.0f, 0.1f, rows);
    EXPECT_EQ(std::string(rows[1].name), std::string(31, 'W') + "_");

    // A waiting row with nothing typed yet says what it waits for.
    Put(table, 0, 1, "", 9);
    LayoutScoreList(table, 0.0, 0.0f, 0.1f, rows, "Enter your name:");
    EXPECT_STREQ(rows[1].name, "Enter your name: _");
    table.needName = 0;
    LayoutScoreList(table, 0.0, 0.0f, 0.1f, rows, "Enter your name:");
    EXPECT_STREQ(rows[1].name, "") << "only while a name is awaited";
}

// The list drawn on the shared 128 x 64 screen with a font of white 8 x 8
// cells: at a line height of 0.076 rank i's middle line lies at (i + 1) * 6.08
// pixels; the rank, name (x 0.3) and score (x 0.65) columns start at pixels 0,
// 38 and 83.
using texturetest::Background;
using texturetest::TextureFixture;
using texturetest::WriteSolidTga;

TEST_F(TextureFixture, DrawScoreListMarksTheTypedRowAndBlinksItsCursor) {
    auto owned = std::make_unique<Quill::HeadlessPlatform>(true);
    Quill::HeadlessPlatform* clock = owned.get();
    std::unique_ptr<Quill::Platform> previous = Quill::SetPlatform(std::move(owned));
    HighScoreTable& scores = GetHighScores();
    scores.Reset();
    WriteSolidTga("font.tga", 128, 8, 0xFFFFFFFFu);
    WriteText("language.ini", "[ENGLISH]\nSymbolList=0123456789_AB\nSYMBOLS_IN_ROW=16\nSYMBOLS_IN_COL=1\n"
                              "Line01_Width=16,16,16,16,16,16,16,16,16,16,16,16,16\n");
    Textures().LoadSymbolFont("font.tga");
    Put(scores, 0, 0, "AB", 300);
    ASSERT_TRUE(scores.InsertScore(250, ""));

    const uint32_t plain = ScoreListColour::Plain, red = ScoreListColour::Typing, none = Background;
    struct Case {
        const char* what;
        uint32_t advance; // milliseconds before drawing
        int row;
        std::vector<uint32_t> pixels; // rank, name and score columns
    };
    const Case cases[] = {
        {"best row plain", 0, 0, {plain, plain, plain}},
        {"new row red with the cursor", 0, 1, {red, red, red}},
        {"half a second later the cursor is a blank", 500, 1, {red, none, red}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clock->Advance(c.advance);
        Clear(Background);
        DrawScoreList(0.0f, 0.076f, 0.0f, 0.3f, 0.65f);
        const int y = int((c.row + 1) * 6.08f);
        EXPECT_EQ((std::vector<uint32_t>{Pixel(2, y), Pixel(40, y), Pixel(85, y)}), c.pixels);
    }
    scores.Reset();
    Quill::SetPlatform(std::move(previous));
}
