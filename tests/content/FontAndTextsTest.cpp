// language.ini has every text the game asks for, and its font description
// agrees with the symbol sheet: each listed symbol sits in the part of its
// cell the game draws, with the width the sheet shows.
#include "content/support/ContentFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>

using namespace ContentTest;

TEST(ContentTexts, EveryLanguageIsCompleteAndDrawableWithTheFont)
{
    const auto all = IniSections("language.ini");
    std::map<std::string, std::map<std::string, std::string>> sections(all.begin(), all.end());
    ASSERT_EQ(sections.count("ENGLISH"), 1u);
    ASSERT_EQ(sections.count("GERMAN"), 1u);
    const auto& english = sections["ENGLISH"];
    // The keys the game asks for, read as the game reads them; every language
    // then needs them too.
    for (const char* key : {"Velmora", "English\\", "FPS", "LevelText", "ScoreText", "txtLevelNum", "txtScoreNum",
                            "txtTimeNum", "Level N", "Bonus Level", "Level Complete", "No Bonus", "Bonus!",
                            "BonusScore", "Classic", "Transformer", "Relax", "Loading"})
        EXPECT_FALSE(Language(key).empty()) << key;
    std::string symbols = Language("SymbolList");
    for (const auto& [name, keys] : sections) {
        SCOPED_TRACE(name);
        for (const auto& [key, value] : english)
            EXPECT_TRUE(keys.count(key) && !keys.at(key).empty()) << "missing " << key;
        // The image folder holds the language's own font sheet and pictures.
        for (const char* picture : {"font01.png", "hint1.png", "hint2.png", "hint3.png", "status-border.png"})
            EXPECT_TRUE(LoadImage(keys.at("English\\") + picture)) << picture;
        for (const auto& [key, value] : keys) {
            if (key == "SymbolList")
                continue;
            for (char c : value)
                EXPECT_NE(symbols.find(c), std::string::npos) << "'" << c << "' of " << key << " is not in the font";
        }
    }
    // The German letters and quotes, in the game's encoding (Windows-1252).
    for (char c : std::string("\xC4\xD6\xDC\xE4\xF6\xFC\xDF\x84\x93\x94\x82\x91\x92"))
        EXPECT_NE(symbols.find(c), std::string::npos) << int(static_cast<unsigned char>(c));
    EXPECT_EQ(sections["GERMAN"]["Back"], "Zur\xFC" "ck");
}

TEST(ContentFont, DescriptionMatchesTheSheet)
{
    std::string symbols = Language("SymbolList");
    int columns = std::atoi(Language("SYMBOLS_IN_ROW").c_str()), rows = std::atoi(Language("SYMBOLS_IN_COL").c_str());
    ASSERT_EQ(columns, 16);
    ASSERT_EQ(rows, 8);
    // Printable ASCII and what German needs, each once, the blank included.
    std::set<char> unique(symbols.begin(), symbols.end());
    EXPECT_EQ(unique.size(), symbols.size());
    for (char c = 32; c < 127; ++c)
        EXPECT_TRUE(unique.count(c)) << "missing '" << c << "'";
    ASSERT_LE(int(symbols.size()), columns * rows);

    auto sheet = LoadImage("English\\font01.png");
    ASSERT_TRUE(sheet);
    const int cw = sheet->width / columns, ch = sheet->height / rows;
    // The game draws a cell without its right 6 %, stretched to a full cell.
    const double drawn = cw * 0.94;
    for (int r = 0; r < rows; ++r) {
        char key[32];
        std::snprintf(key, sizeof key, r + 1 < 10 ? "Line0%d_Width" : "Line%d_Width", r + 1);
        std::stringstream row(Language(key));
        std::string piece;
        for (int c = 0; c < columns; ++c) {
            int k = r * columns + c;
            SCOPED_TRACE(std::string(key) + " cell " + std::to_string(c));
            ASSERT_TRUE(std::getline(row, piece, ','));
            float width = -1;
            char extra = 0;
            ASSERT_EQ(std::sscanf(piece.c_str(), "%f%c", &width, &extra), 1) << piece;
            int left = cw, right = -1;
            for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x)
                    if (Alpha(*sheet, c * cw + x, r * ch + y) > 128)
                        left = std::min(left, x), right = std::max(right, x);
            if (k >= int(symbols.size()) || symbols[size_t(k)] == ' ') {
                EXPECT_LT(right, 0) << "cell should be empty";
                if (k >= int(symbols.size()))
                    EXPECT_EQ(width, 0.0f);
                else
                    EXPECT_GT(width, 2.0f) << "the blank needs room";
                continue;
            }
            ASSERT_GE(right, 0) << "no glyph for '" << symbols[size_t(k)] << "'";
            EXPECT_GT(left, 0) << "glyph touches the cell's left edge";
            EXPECT_LT(right, int(drawn)) << "glyph reaches into the part the game leaves out";
            EXPECT_NEAR((right - left + 1) * 16.0 / drawn, width, 3.5) << "width disagrees with the ink";
            EXPECT_LE(width, 16.0f);
        }
    }
}
