#include "engine/AppLog.h"
#include "engine/HighScoreTable.h"
#include "framework/platform/Files.h"
#include "support/TempWorkFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The stored form written by hand: two upper-case hex digits per byte and the
// byte sum as one more byte.
std::string HexBlock(const std::vector<uint8_t>& bytes, int checksumDelta = 0) {
    std::string out;
    char digits[3];
    uint8_t sum = 0;
    for (uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        out += digits;
        sum = uint8_t(sum + b);
    }
    std::snprintf(digits, sizeof digits, "%02X", uint8_t(sum + checksumDelta));
    return out + digits;
}

void PutEntry(std::vector<uint8_t>& block, int list, int rank, const std::string& name, uint32_t score) {
    size_t at = size_t(list * 10 + rank) * 36;
    std::memcpy(&block[at], name.data(), std::min<size_t>(name.size(), 32));
    for (int i = 0; i < 4; ++i) block[at + 32 + size_t(i)] = uint8_t(score >> (8 * i));
}

std::string ScoresIni(const std::string& value) { return "[HIGH SCORES]\nData=" + value + "\n"; }

bool IsEmpty(const HighScoreTable& table) {
    static const HighScoreEntry zero[10][10] = {};
    return std::memcmp(table.lists, zero, sizeof zero) == 0;
}

// Fills the current list from the top with the given scores, named "s<score>".
void FillCurrent(HighScoreTable& table, const std::vector<uint32_t>& scores) {
    for (size_t r = 0; r < scores.size(); ++r) {
        HighScoreEntry& e = table.lists[table.currentList][r];
        std::snprintf(e.name, sizeof e.name, "s%u", scores[r]);
        e.score = scores[r];
    }
}

std::vector<uint32_t> ScoresOf(const HighScoreTable& table, int list) {
    std::vector<uint32_t> out;
    for (const HighScoreEntry& e : table.lists[list]) out.push_back(e.score);
    return out;
}

class HighScoreTableTest : public ::testing::Test {
protected:
    void SetUp() override { AppLogResetForTests(); }
    void TearDown() override { AppLogResetForTests(); }

    TempWorkFolder work;
    HighScoreTable table;
};

} // namespace

TEST_F(HighScoreTableTest, InsertsAtTheRankBelowEqualScores) {
    const std::vector<uint32_t> full = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};
    struct Case {
        const char* what;
        std::vector<uint32_t> before;
        uint32_t score;
        int32_t pos; // 10: rejected
        std::vector<uint32_t> after;
    };
    const Case cases[] = {
        {"first score of an empty list", {}, 5, 0, {5, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"zero never beats an empty rank", {}, 0, 10, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"a lower second score", {100}, 50, 1, {100, 50, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"an equal score goes below", {100}, 100, 1, {100, 100, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"below a run of equals", {100, 100, 40}, 100, 2, {100, 100, 100, 40, 0, 0, 0, 0, 0, 0}},
        {"a new best drops the tenth", full, 1000, 0, {1000, 100, 90, 80, 70, 60, 50, 40, 30, 20}},
        {"middle", full, 55, 5, {100, 90, 80, 70, 60, 55, 50, 40, 30, 20}},
        {"just above the tenth", full, 11, 9, {100, 90, 80, 70, 60, 50, 40, 30, 20, 11}},
        {"equal to the tenth", full, 10, 10, full},
        // Compared unsigned: the top bit set is the larger number.
        {"high bit beats the largest signed value", {0x7FFFFFFFu}, 0x80000000u, 0,
         {0x80000000u, 0x7FFFFFFFu, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table.Reset();
        FillCurrent(table, c.before);
        bool qualified = table.InsertScore(c.score, "");
        EXPECT_EQ(qualified, c.pos != 10);
        EXPECT_EQ(table.insertPos, c.pos);
        EXPECT_EQ(table.needName, c.pos != 10 ? 1 : 0);
        EXPECT_EQ(ScoresOf(table, 0), c.after);
        // Names travel with their scores; the new entry has none yet.
        for (int r = 0; r < 10; ++r) {
            const HighScoreEntry& e = table.lists[0][r];
            std::string expected = (r == c.pos || e.score == 0) ? "" : "s" + std::to_string(e.score);
            EXPECT_EQ(std::string(e.name), expected) << "rank " << r;
        }
    }
    // Waiting for a name writes nothing.
    EXPECT_FALSE(Quill::FileExists(work.File("scores.ini")));
}

TEST_F(HighScoreTableTest, NamedInsertionIsSavedAndMarked) {
    ASSERT_TRUE(table.InsertScore(700, "ADA"));
    EXPECT_EQ(table.needName, 0);
    EXPECT_EQ(table.justSaved, 1);

    HighScoreTable reread;
    ASSERT_TRUE(reread.LoadScores());
    EXPECT_STREQ(reread.lists[0][0].name, "ADA");
    EXPECT_EQ(reread.lists[0][0].score, 700u);

    // A name longer than the field keeps its first 31 characters.
    ASSERT_TRUE(table.InsertScore(800, std::string(40, 'x').c_str()));
    EXPECT_EQ(std::string(table.lists[0][0].name), std::string(31, 'x'));
}

TEST_F(HighScoreTableTest, ListsAreChosenPerMode) {
    struct Case {
        int32_t select;
        int32_t current;
        int32_t justSaved;
    };
    // justSaved starts set; only a move to another list clears it.
    const Case cases[] = {{0, 0, 1}, {10, 0, 1}, {-1, 0, 1}, {2, 2, 0}, {9, 9, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.select);
        table.currentList = 0;
        table.justSaved = 1;
        table.SelectList(c.select);
        EXPECT_EQ(table.currentList, c.current);
        EXPECT_EQ(table.justSaved, c.justSaved);
    }

    for (int32_t mode = 0; mode < 3; ++mode) {
        table.SelectList(mode);
        ASSERT_TRUE(table.InsertScore(uint32_t(100 + mode), "p"));
    }
    for (int32_t list = 0; list < 10; ++list) {
        SCOPED_TRACE(list);
        EXPECT_EQ(table.lists[list][0].score, list < 3 ? uint32_t(100 + list) : 0u);
        EXPECT_EQ(table.lists[list][1].score, 0u);
    }
}

TEST_F(HighScoreTableTest, SaveAndLoadGiveBackTheSameBytes) {
    for (int list = 0; list < 10; ++list)
        for (int rank = 0; rank < 10; ++rank) {
            HighScoreEntry& e = table.lists[list][rank];
            std::snprintf(e.name, sizeof e.name, "L%dR%d", list, rank);
            // Bytes after the terminator are part of the block too.
            e.name[30] = char(list * 10 + rank + 1);
            e.score = 0xF0000000u - uint32_t(list * 1000 + rank);
        }
    ASSERT_TRUE(table.SaveScores());

    std::string text = ReadText(work.File("scores.ini"));
    EXPECT_NE(text.find("[HIGH SCORES]"), std::string::npos);
    size_t data = text.find("Data=");
    ASSERT_NE(data, std::string::npos);
    EXPECT_EQ(text.find_first_of("\r\n", data) - data - 5, 7202u);

    HighScoreTable reread;
    reread.currentList = 4;
    reread.insertPos = 7;
    ASSERT_TRUE(reread.LoadScores());
    EXPECT_EQ(std::memcmp(reread.lists, table.lists, sizeof table.lists), 0);
    EXPECT_EQ(reread.currentList, 4);
    EXPECT_EQ(reread.insertPos, 7);
}

TEST_F(HighScoreTableTest, ReadsAHandWrittenBlock) {
    std::vector<uint8_t> block(3600, 0);
    PutEntry(block, 0, 0, "Ada", 12345);
    PutEntry(block, 1, 0, "Grace", 0x01020304u);
    PutEntry(block, 9, 9, "Last", 1);
    // Names filled to the last byte lose it.
    PutEntry(block, 3, 5, std::string(32, 'B'), 0xFFFFFFFFu);
    // Another section before ours, keys in another case.
    WriteText("scores.ini", "[OTHER]\nData=00\n\n[high scores]\ndata=" + HexBlock(block) + "\n");

    ASSERT_TRUE(table.LoadScores());
    EXPECT_STREQ(table.lists[0][0].name, "Ada");
    EXPECT_EQ(table.lists[0][0].score, 12345u);
    EXPECT_STREQ(table.lists[1][0].name, "Grace");
    EXPECT_EQ(table.lists[1][0].score, 0x01020304u);
    EXPECT_STREQ(table.lists[9][9].name, "Last");
    EXPECT_EQ(table.lists[9][9].score, 1u);
    EXPECT_EQ(std::string(table.lists[3][5].name), std::string(31, 'B'));
    EXPECT_EQ(table.lists[3][5].score, 0xFFFFFFFFu);
    EXPECT_NE(ReadText("app.log").find("cut"), std::string::npos);
}

TEST_F(HighScoreTableTest, DamagedBlocksGiveEmptyLists) {
    std::vector<uint8_t> block(3600, 0);
    PutEntry(block, 0, 0, "Ada", 500);
    const std::string good = HexBlock(block);
    struct Case {
        const char* what;
        const char* file; // null: no file at all
        std::string contents;
        bool logged;
    };
    std::string badDigit = good;
    badDigit[10] = 'G';
    std::vector<uint8_t> shorter(block.begin(), block.end() - 1), longer(block);
    longer.push_back(0);
    const Case cases[] = {
        {"no file", nullptr, "", false},
        {"bad checksum", "scores.ini", ScoresIni(HexBlock(block, 1)), true},
        {"one byte short", "scores.ini", ScoresIni(HexBlock(shorter)), true},
        {"one byte long", "scores.ini", ScoresIni(HexBlock(longer)), true},
        {"odd number of digits", "scores.ini", ScoresIni(good.substr(1)), true},
        {"not a hex digit", "scores.ini", ScoresIni(badDigit), true},
        {"empty value", "scores.ini", ScoresIni(""), true},
        {"other key", "scores.ini", "[HIGH SCORES]\nDat=" + good + "\n", true},
        {"not an INI file", "scores.ini", std::string("\x89PNG\r\n\x1a\n\0\0", 10), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove("scores.ini");
        std::remove("app.log");
        AppLogResetForTests();
        if (c.file) WriteText(c.file, c.contents);
        table.Reset();
        FillCurrent(table, {9, 8, 7});
        table.currentList = 2;
        table.needName = 1;
        table.insertPos = 3;
        table.justSaved = 1;

        EXPECT_FALSE(table.LoadScores());
        EXPECT_TRUE(IsEmpty(table));
        // Only the lists are touched.
        EXPECT_EQ(table.currentList, 2);
        EXPECT_EQ(table.needName, 1);
        EXPECT_EQ(table.insertPos, 3);
        EXPECT_EQ(table.justSaved, 1);
        std::string log = ReadText("app.log");
        EXPECT_EQ(log.find("scores.ini") != std::string::npos, c.logged) << log;
    }
}

TEST_F(HighScoreTableTest, AnUnnamedEntryIsForgottenOnCancelOrTheNextGame) {
    FillCurrent(table, {100, 90, 80, 70, 60, 50, 40, 30, 20, 10});
    ASSERT_TRUE(table.SaveScores());
    HighScoreEntry saved[10][10];
    std::memcpy(saved, table.lists, sizeof saved);

    ASSERT_TRUE(table.InsertScore(95, ""));
    table.lists[0][1].name[0] = 'Z';
    table.CancelName();
    EXPECT_EQ(table.needName, 0);
    EXPECT_EQ(std::memcmp(saved, table.lists, sizeof saved), 0);

    // Left waiting while the player went elsewhere: the next game's insertion
    // replaces it instead of keeping a row without a name.
    ASSERT_TRUE(table.InsertScore(95, ""));
    ASSERT_TRUE(table.InsertScore(85, ""));
    EXPECT_EQ(table.insertPos, 2);
    EXPECT_EQ(ScoresOf(table, 0), (std::vector<uint32_t>{100, 90, 85, 80, 70, 60, 50, 40, 30, 20}));

    // Confirming needs a name.
    EXPECT_FALSE(table.ConfirmName());
    EXPECT_EQ(table.needName, 1);
    std::strcpy(table.lists[0][2].name, "Eve");
    EXPECT_TRUE(table.ConfirmName());
    EXPECT_EQ(table.needName, 0);
    EXPECT_EQ(table.justSaved, 0);
    HighScoreTable reread;
    ASSERT_TRUE(reread.LoadScores());
    EXPECT_STREQ(reread.lists[0][2].name, "Eve");
}

TEST_F(HighScoreTableTest, ResettingEmptiesTheFileAndTheMarks) {
    ASSERT_TRUE(table.InsertScore(300, "Ada"));
    ASSERT_TRUE(table.InsertScore(200, ""));
    table.ResetScores();
    EXPECT_TRUE(IsEmpty(table));
    EXPECT_EQ(table.justSaved, 0);
    EXPECT_EQ(table.needName, 0);
    EXPECT_EQ(table.EditedEntry(), nullptr);

    HighScoreTable reread;
    reread.lists[0][0].score = 1;
    ASSERT_TRUE(reread.LoadScores());
    EXPECT_TRUE(IsEmpty(reread));
}
