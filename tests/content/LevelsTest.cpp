// The forty level files read the way the game reads them, checked against
// its tables and for being winnable.
#include "content/support/ContentFiles.h"

#include "framework/platform/Files.h"

#include <gtest/gtest.h>
#include "framework/xml/XmlFile.h"

#include <cstdlib>
#include <set>
#include <sstream>

using namespace ContentTest;

namespace {

const int LevelCount = 40;
const double CellSpacing = 0.15833333; // screen heights between cells of a line
const double SecondsPerPlacement = 1.5;

struct Level {
    bool loaded = false;
    double levelTime = 0, lineSpeed = 0, bugRange = 0, anyP = 0, bandP = 0, areaP = 0;
    int classCount = 0, lineShapeCount = 0;
    std::string bonus, list;
    std::vector<std::string> badNumbers;
};

double Number(tinyxml2::XMLElement* e, const char* name, Level& level)
{
    const char* v = e->Attribute(name);
    if (!v) {
        level.badNumbers.push_back(std::string(name) + " missing");
        return 0;
    }
    char* end = nullptr;
    double d = std::strtod(v, &end);
    if (end == v || *end)
        level.badNumbers.push_back(std::string(name) + "=" + v);
    return d;
}

Level ReadLevel(int n)
{
    Level l;
    tinyxml2::XMLDocument doc;
    if (Quill::LoadXmlFile(doc, GamePath("Levels\\level_" + std::to_string(n) + ".xml")) != Quill::XmlLoad::Ok)
        return l;
    tinyxml2::XMLElement* e = doc.FirstChildElement("LevelMap");
    if (!e)
        return l;
    l.loaded = true;
    Number(e, "newShapeTime", l);
    l.levelTime = Number(e, "levelTime", l);
    l.classCount = int(Number(e, "shapeClassCount", l));
    l.bonus = Attr(e, "bonusLevel");
    l.list = Attr(e, "shapeClassList");
    l.lineSpeed = Number(e, "lineSpeed", l);
    l.bugRange = Number(e, "fBugAppearanceRange", l);
    l.lineShapeCount = int(Number(e, "lineShapeCount", l));
    l.anyP = Number(e, "fBonusAnyShapeP", l);
    l.bandP = Number(e, "fBonusBandP", l);
    l.areaP = Number(e, "fBonusAreaP", l);
    return l;
}

std::vector<std::string> Split(const std::string& list)
{
    std::vector<std::string> out;
    std::stringstream ss(list);
    std::string item;
    while (std::getline(ss, item, ','))
        if (!item.empty())
            out.push_back(item);
    return out;
}

// Seconds a player needs who places one shape every 1.5 s: every cell once,
// plus one full turn of a line for the last cells to come round into view.
double TimeNeeded(const Level& l)
{
    double cells = 6.0 * l.lineShapeCount;
    double turn = l.lineShapeCount * CellSpacing / l.lineSpeed;
    return cells * SecondsPerPlacement + turn;
}

} // namespace

TEST(ContentLevels, EveryLevelParsesFitsTheTablesAndIsWinnable)
{
    std::set<std::string> classes;
    for (const ClassEntry& c : ReadClasses())
        classes.insert(c.name);
    ASSERT_FALSE(classes.empty());
    for (int n = 1; n <= LevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        Level l = ReadLevel(n);
        ASSERT_TRUE(l.loaded);
        EXPECT_TRUE(l.badNumbers.empty()) << l.badNumbers.front();
        // A bonus level ends every stage of six, and the game.
        EXPECT_EQ(l.bonus, n % 6 == 0 || n == LevelCount ? "true" : "false");
        EXPECT_GE(l.lineShapeCount, 7) << "a line must be longer than the board window";
        EXPECT_LE(6 * l.lineShapeCount, 180);
        // The game takes at most 15 names from the list; every class is named.
        auto names = Split(l.list);
        EXPECT_LE(names.size(), 15u);
        EXPECT_EQ(int(names.size()), l.classCount);
        EXPECT_GE(l.classCount, 1);
        std::set<std::string> seen;
        for (const std::string& name : names) {
            EXPECT_TRUE(classes.count(name)) << name << " is not in classes.xml";
            EXPECT_TRUE(seen.insert(name).second) << name << " named twice";
        }
        for (double p : {l.anyP, l.bandP, l.areaP}) {
            EXPECT_GE(p, 0.0);
            EXPECT_LE(p, 1.0);
        }
        EXPECT_LT(l.anyP + l.bandP + l.areaP, 0.5) << "most shapes must be real shapes";
        EXPECT_GT(l.bugRange, 0.0);
        // Winnable: there is time to fill every cell, and a cell crosses the
        // reachable part of the board (above y 0.85) slowly enough to be aimed
        // at, even with five lines gone (+0.02 each).
        ASSERT_GT(l.lineSpeed, 0.0);
        EXPECT_LE(TimeNeeded(l), l.levelTime);
        EXPECT_GE(0.85 / (l.lineSpeed + 5 * 0.02), 4.0);
    }
    // The game ends after the last file; the start-level selectors wrap at 40.
    EXPECT_FALSE(Quill::FileExists(GamePath("Levels\\level_41.xml")));
}
