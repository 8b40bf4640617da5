#include "engine/AppLog.h"
#include "engine/HighScoreTable.h"
#include "support/TempWorkFolder.h"

#include <gtest/gtest.h>

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

// A 3600-byte block with `name` and `score` at list 0, rank 0 and list 3, rank 5.
std::vector<uint8_t> Block(const std::string& name, uint32_t score) {
    std::vector<uint8_t> block(3600, 0);
    for (size_t at : {size_t(0), size_t(35 * 36)}) {
        std::memcpy(&block[at], name.data(), std::min<size_t>(name.size(), 32));
        std::memcpy(&block[at + 32], &score, 4);
    }
    return block;
}

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
        {"zero never beats an empty rank", {}, 0, 10, std::vector<uint32_t>(10, 0)},
        {"below a run of equals", {100, 100, 40}, 100, 2, {100, 100, 100, 40, 0, 0, 0, 0, 0, 0}},
        {"a new best drops the tenth", full, 1000, 0, {1000, 100, 90, 80, 70, 60, 50, 40, 30, 20}},
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
        EXPECT_EQ(table.InsertScore(c.score, ""), c.pos != 10);
        EXPECT_EQ(table.insertPos, c.pos);
        EXPECT_EQ(table.needName, c.pos != 10 ? 1 : 0);
        EXPECT_EQ(ScoresOf(table, 0), c.after);
        // Names travel with their scores; the new entry has none yet.
        if (c.pos >= 10) continue;
        EXPECT_STREQ(table.lists[0][c.pos].name, "");
        if (c.pos < 9) {
            EXPECT_EQ(std::string(table.lists[0][c.pos + 1].name), "s" + std::to_string(c.after[c.pos + 1]));
        }
    }
    // Waiting for a name writes nothing.
    EXPECT_EQ(ReadText("scores.ini"), "");
}

TEST_F(HighScoreTableTest, NamedInsertionGoesIntoTheModesListAndIsSaved) {
    // Out-of-range choices are ignored; only a move to another list clears justSaved.
    table.justSaved = 1;
    for (int32_t bad : {10, -1, 0}) table.SelectList(bad);
    EXPECT_EQ(table.currentList, 0);
    EXPECT_EQ(table.justSaved, 1);
    table.SelectList(9);
    EXPECT_EQ(table.justSaved, 0);

    for (int32_t mode = 0; mode < 3; ++mode) {
        table.SelectList(mode);
        ASSERT_TRUE(table.InsertScore(uint32_t(100 + mode), "p"));
        EXPECT_EQ(table.needName, 0);
        EXPECT_EQ(table.justSaved, 1);
    }
    // A name longer than the field keeps its first 31 characters.
    ASSERT_TRUE(table.InsertScore(800, std::string(40, 'x').c_str()));

    HighScoreTable reread;
    ASSERT_TRUE(reread.LoadScores());
    for (int32_t list = 0; list < 10; ++list) {
        SCOPED_TRACE(list);
        EXPECT_EQ(reread.lists[list][0].score, list < 2 ? uint32_t(100 + list) : list == 2 ? 800u : 0u);
    }
    EXPECT_EQ(std::string(reread.lists[2][0].name), std::string(31, 'x'));
}

TEST_F(HighScoreTableTest, DamagedBlocksGiveEmptyLists) {
    const std::vector<uint8_t> block = Block("Ada", 500);
    const std::string good = HexBlock(block);
    std::vector<uint8_t> shorter(block.begin(), block.end() - 1);
    auto ini = [](const std::string& data) { return "[HIGH SCORES]\nData=" + data + "\n"; };
    struct Case {
        const char* what;
        std::string file; // "": no file at all
    };
    const Case cases[] = {
        {"no file", ""},
        {"bad checksum", ini(HexBlock(block, 1))},
        {"one byte short", ini(HexBlock(shorter))},
        {"odd number of digits", ini(good.substr(1))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove("scores.ini");
        std::remove("app.log");
        AppLogResetForTests();
        if (!c.file.empty()) WriteText("scores.ini", c.file);
        table.Reset();
        FillCurrent(table, {9, 8, 7});
        table.currentList = 2;
        table.needName = 1;
        table.insertPos = 3;

        EXPECT_FALSE(table.LoadScores());
        EXPECT_TRUE(IsEmpty(table));
        // Only the lists are touched.
        EXPECT_EQ(table.currentList, 2);
        EXPECT_EQ(table.needName, 1);
        EXPECT_EQ(table.insertPos, 3);
        // The first start (no file) is no damage and says nothing.
        std::string log = ReadText("app.log");
        EXPECT_EQ(log.find("scores.ini") != std::string::npos, !c.file.empty()) << log;
    }
}

// (Cancelling and confirming a name are typed in HighScoreListTest.)
TEST_F(HighScoreTableTest, AnUnnamedEntryIsForgottenOnTheNextGameOrAReset) {
    FillCurrent(table, {100, 90, 80, 70, 60, 50, 40, 30, 20, 10});
    ASSERT_TRUE(table.SaveScores());

    // Left waiting while the player went elsewhere: the next game's insertion
    // replaces it instead of keeping a row without a name.
    ASSERT_TRUE(table.InsertScore(95, ""));
    ASSERT_TRUE(table.InsertScore(85, ""));
    EXPECT_EQ(table.insertPos, 2);
    EXPECT_EQ(ScoresOf(table, 0), (std::vector<uint32_t>{100, 90, 85, 80, 70, 60, 50, 40, 30, 20}));

    // Resetting empties the file and forgets a waiting entry.
    table.ResetScores();
    EXPECT_TRUE(IsEmpty(table));
    EXPECT_EQ(table.EditedEntry(), nullptr);
    HighScoreTable reread;
    ASSERT_TRUE(reread.LoadScores());
    EXPECT_TRUE(IsEmpty(reread));
}

// A score whose row was left without a name (the list closed, the game shut)
// is kept: under what was typed, else the last name confirmed, else "Player".
TEST_F(HighScoreTableTest, AnEntryLeftWithoutANameIsKeptUnderTheLastName) {
    struct Step {
        uint32_t score;
        const char* typed;    // typed into the row before it is left
        const char* confirm;  // typed and confirmed with Enter instead, when set
        int32_t pageAway;     // the list on show when the row is left
        const char* kept;
    } steps[] = {
        {500, "", nullptr, 0, "Player"},
        {400, "Al", nullptr, 0, "Al"},
        {300, "", "Eve", 0, "Eve"},
        {200, "", nullptr, 0, "Eve"},
        {100, "", nullptr, 1, "Eve"},
    };
    for (const Step& s : steps) {
        table.SelectList(0);
        ASSERT_TRUE(table.InsertScore(s.score, ""));
        const int32_t rank = table.insertPos;
        HighScoreEntry& row = table.lists[0][rank];
        std::strcpy(row.name, s.confirm ? s.confirm : s.typed);
        if (s.confirm) {
            ASSERT_TRUE(table.ConfirmName());
        } else {
            table.SelectList(s.pageAway);
            ASSERT_TRUE(table.KeepWaitingEntry());
        }
        EXPECT_EQ(table.needName, 0);
        EXPECT_FALSE(table.KeepWaitingEntry()) << "nothing waits any more";
        HighScoreTable reread;
        ASSERT_TRUE(reread.LoadScores());
        EXPECT_STREQ(reread.lists[0][rank].name, s.kept) << s.score;
        EXPECT_EQ(reread.lists[0][rank].score, s.score);
    }
}
