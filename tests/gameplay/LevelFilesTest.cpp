#include "gameplay/support/GameTestSupport.h"

#include "gameplay/EngineCalls.h"

#include <cstring>
#include <set>

// That any class or level file leaves the game's tables within their bounds
// is the Classes and Level fuzz harnesses' check (FuzzCorpus.* in ctest).

TEST_F(GameTest, AClassFileThatCannotBeUsedLeavesTheTableAndSaysSo) {
    WriteClasses(4, 2);
    ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
    // content null: no file. Every way the XML reader refuses a file is
    // XmlFileTest's; here one refusal stands for them all.
    struct Case { const char* what; const char* content; } cases[] = {
        {"missing", nullptr},
        {"not XML", "<Level><ShapeClass name='a'>"},
        {"no Level element", "<?xml version='1.0'?><Levels><ShapeClass name='a'/></Levels>"},
    };
    for (const Case& c : cases) {
        logLines.clear();
        std::string name = std::string("bad_") + std::to_string(&c - cases) + ".xml";
        if (c.content) WriteFile(name, c.content);
        EXPECT_FALSE(game().LoadShapeClasses(name.c_str())) << c.what;
        EXPECT_TRUE(Logged("Fatal error, cannot load XML: " + name)) << c.what;
        EXPECT_EQ(game().classCount, 4) << c.what;
    }
}

TEST_F(GameTest, TheLevelTakesItsNamedClassesFirstAndRejectsWhatItCannotHave) {
    WriteClasses(8, 3);
    ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
    // firstNames empty: rejected (unless all 8 classes are taken at random)
    struct Case { const char* what; const char* count;
                  const char* list; std::vector<std::string> firstNames; } cases[] = {
        {"named then random", "4", ",c5,,c2,", {"c5", "c2"}},
        {"all named", "3", "c7,c0,c1", {"c7", "c0", "c1"}},
        {"more names than classes used", "1", "c3,c4", {"c3"}},
        {"no list", "8", "", {}},
        {"unknown name (names differ in case)", "3", "c1,C2", {}},
        {"repeated name", "3", "c1,c1", {}},
        {"more classes than exist", "9", "", {}},
        {"no classes", "0", "", {}},
    };
    for (const Case& c : cases) {
        WriteLevel(2, {{"levelTime", "60"}, {"shapeClassCount", c.count}, {"shapeClassList", c.list},
                       {"lineShapeCount", "11"}});
        game().levelNumber = 2;
        logLines.clear();
        game().LoadLevel();
        const bool rejected = c.firstNames.empty() && std::strcmp(c.count, "8") != 0;
        if (rejected) {
            EXPECT_EQ(game().cellCount, 0) << c.what;
            EXPECT_TRUE(Logged("Fatal error, cannot load XML: Levels\\level_2.xml")) << c.what;
            continue;
        }
        ASSERT_EQ(game().shapeClassCount, std::atoi(c.count)) << c.what;
        EXPECT_EQ(game().cellCount, 66) << c.what;
        std::set<std::string> distinct;
        for (int i = 0; i < game().shapeClassCount; ++i) distinct.insert(game().levelClasses[i].name);
        EXPECT_EQ(static_cast<int>(distinct.size()), game().shapeClassCount) << c.what;
        for (size_t i = 0; i < c.firstNames.size(); ++i)
            EXPECT_EQ(game().levelClasses[i].name, c.firstNames[i]) << c.what;
        // Every class of the level is on the board at least once.
        std::set<int> seen;
        for (int i = 0; i < game().cellCount; ++i) seen.insert(game().cells[i].classIndex);
        EXPECT_EQ(static_cast<int>(seen.size()), game().shapeClassCount) << c.what;
    }
}

TEST_F(GameTest, LevelAttributesReadAsTheLevelFileGivesThem) {
    WriteClasses(6, 3);
    ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
    struct Case { const char* what; std::map<std::string, std::string> attributes; int mode; bool bonus;
                  float levelTime, lineSpeed; int cells, shapesPerClass; } cases[] = {
        {"bonus level", {{"bonusLevel", "true"}, {"levelTime", "45.5"}, {"lineSpeed", " 0.05x"}}, Mode::Classic,
         true, 45.5f, 0.05f, 66, 1},
        {"letter case is not bonus", {{"bonusLevel", "True"}, {"levelTime", "abc"}}, Mode::Relax, false, 0, 0, 66, 1},
        {"absent time and speed", {}, Mode::Transformer, false, 0, 0, 66, 3},
        {"huge numbers", {{"levelTime", "1e400"}, {"lineSpeed", "-1e400"}, {"lineShapeCount", "1e30"}},
         Mode::Classic, false, 1e6f, -100, 180, 1},
        {"negative cells", {{"lineShapeCount", "-4"}, {"levelTime", "-7.9"}}, Mode::Classic, false, -7.9f, 0, 0, 1},
        {"plain decimal only", {{"levelTime", "0x10"}, {"lineSpeed", "inf"}, {"lineShapeCount", "nan"}},
         Mode::Classic, false, 0, 0, 0, 1},
        {"fraction and exponent", {{"levelTime", " .5e2s"}, {"lineSpeed", "+0.25e"}}, Mode::Classic, false, 50,
         0.25f, 66, 1},
    };
    for (const Case& c : cases) {
        auto attributes = c.attributes;
        attributes.emplace("shapeClassCount", "3");
        attributes.emplace("lineShapeCount", "11");
        WriteLevel(3, attributes);
        game().gameMode = c.mode;
        game().levelNumber = 3;
        game().LoadLevel();
        EXPECT_EQ(game().IsBonusLevel(), c.bonus) << c.what;
        EXPECT_FLOAT_EQ(game().levelTime, c.levelTime) << c.what;
        EXPECT_FLOAT_EQ(game().lineSpeed, c.lineSpeed) << c.what;
        EXPECT_EQ(game().cellCount, c.cells) << c.what;
        EXPECT_EQ(game().levelClasses[0].shapeCount, c.shapesPerClass) << c.what;
    }
}

// A level file that is missing or cut short (any file the XML reader
// refuses) leaves the defaults of a level and no board, and says so; a level
// exists for the game only when its file is a whole level document.
TEST_F(GameTest, ALevelThatFailsToLoadLeavesTheDefaults) {
    WriteFile("Levels/level_3.xml", "<LevelMap levelTime='1'");
    WriteFile("Levels/level_6.xml", "<?xml version='1.0'?><Other/>");
    for (int level : {3, 4, 6}) EXPECT_FALSE(Game::LevelFileExists(level)) << level;
    for (int level : {3, 4}) {
        LoadPlainLevel(2); // a level in play first: every value differs from the defaults
        Game& g = game();
        g.levelTime = 7, g.newShapeTime = 3, g.bug.interval = 2, g.shapeClassCount = 5;
        std::strcpy(g.bonusLevel, "true"), std::strcpy(g.shapeClassList, "c1");
        g.bonusAnyShapeP = g.bonusBandP = g.bonusAreaP = 0.9f;
        g.progress = 0.5f, g.comboCount = 3, g.panelCount = 2, g.heldShape.shown = 1, g.timeoutWarnings = 4;
        g.lastPlaced.classIndex = 2, g.shapesSpawned = 9;
        logLines.clear();
        g.levelNumber = level;
        g.LoadLevel();
        EXPECT_TRUE(g.levelTime == 100.0f && g.newShapeTime == 0.1f && g.bug.interval == 15.0f &&
                    g.shapeClassCount == 3 && g.bonusLevel[0] == 0 && g.shapeClassList[0] == 0)
            << level;
        EXPECT_TRUE(g.bonusAnyShapeP == 0.05f && g.bonusBandP == 0.25f && g.bonusAreaP == 0.25f) << level;
        EXPECT_TRUE(g.progress == 0 && g.comboCount == 0 && g.panelCount == 0 && g.cellCount == 0 &&
                    g.heldShape.shown == 0 && g.timeoutWarnings == 0 && g.lastPlaced.classIndex == -1 &&
                    g.shapesSpawned == 0)
            << level;
        EXPECT_TRUE(Logged("Fatal error, cannot load XML: Levels\\level_" + std::to_string(level) + ".xml")) << level;
    }
    EXPECT_TRUE(Game::LevelFileExists(2));
}
