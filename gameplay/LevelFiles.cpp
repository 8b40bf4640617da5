// classes.xml and the level files. Content is checked as it is read: no file
// can write past a table, and a level that asks for classes that cannot be
// given (unknown or repeated names, more classes than exist) is rejected with
// a log line and plays as an empty level instead of looping or reading junk.
#include "gameplay/Game.h"

#include "gameplay/EngineCalls.h"

#include "framework/xml/XmlFile.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxListNames = 15;
constexpr int kMaxCellsPerLine = kMaxCells / kLineCount;

void CopyName(char (&dest)[kNameSize], const char* source) {
    if (!source) source = "";
    std::strncpy(dest, source, kNameSize - 1);
    dest[kNameSize - 1] = 0;
}

void LogCannotLoad(const char* fileName) { EngineCalls::Logf(0, "Fatal error, cannot load XML: %s", fileName); }

// False when the file is missing, unreadable, too large, nested too deeply or
// not well-formed.
bool LoadDocument(tinyxml2::XMLDocument& doc, const char* fileName) {
    return Quill::LoadXmlFile(doc, fileName) == Quill::XmlLoad::Ok;
}

// The plain decimal number at the start of `text` (white space skipped, an
// optional sign, digits with an optional fraction and exponent); 0 when there
// is none. Hexadecimal ("0x10"), "inf" and "nan" are not numbers in a level.
double LeadingDecimal(const char* text) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    const char* digits = p;
    while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
    bool any = p != digits;
    if (*p == '.') {
        const char* fraction = ++p;
        while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
        any = any || p != fraction;
    }
    if (!any) return 0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (std::isdigit(static_cast<unsigned char>(*q))) {
            p = q;
            while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
        }
    }
    // Only the characters taken above reach the C library's conversion.
    const std::string number(start, p);
    return std::strtod(number.c_str(), nullptr);
}

// A decimal number at the start of the attribute (white space skipped, parsing
// stopped where the number ends); 0 when absent, not a number or not finite,
// and kept within [lo, hi].
double ReadReal(const tinyxml2::XMLElement* e, const char* name, double lo, double hi) {
    const char* text = e->Attribute(name);
    if (!text) return 0;
    double v = LeadingDecimal(text);
    if (!std::isfinite(v)) v = v > 0 ? hi : (v < 0 ? lo : 0);
    return v < lo ? lo : (v > hi ? hi : v);
}

float ReadFloat(const tinyxml2::XMLElement* e, const char* name, double lo = -1e9, double hi = 1e9) {
    return static_cast<float>(ReadReal(e, name, lo, hi));
}

// Truncated toward zero.
int32_t ReadInt(const tinyxml2::XMLElement* e, const char* name) {
    return static_cast<int32_t>(std::trunc(ReadReal(e, name, -1e9, 1e9)));
}

void ReadText(const tinyxml2::XMLElement* e, const char* name, char (&dest)[kNameSize]) {
    const char* text = e->Attribute(name);
    CopyName(dest, text ? text : "");
}

// Splits at commas into at most kMaxListNames names; runs of commas and commas
// at either end give no empty names. The names point into `buffer`.
int SplitNames(char* buffer, const char* names[kMaxListNames]) {
    int count = 0;
    char* p = buffer;
    while (*p && count < kMaxListNames) {
        while (*p == ',') ++p;
        if (!*p) break;
        names[count++] = p;
        while (*p && *p != ',') ++p;
        if (*p) *p++ = 0;
    }
    return count;
}

} // namespace

bool Game::LoadShapeClasses(const char* fileName) {
    tinyxml2::XMLDocument doc;
    const tinyxml2::XMLElement* root = nullptr;
    if (LoadDocument(doc, fileName)) root = doc.FirstChildElement("Level");
    if (!root) {
        LogCannotLoad(fileName);
        return false;
    }
    for (ShapeClass& c : classTable) c = ShapeClass();
    classCount = 0;
    for (const tinyxml2::XMLElement* ce = root->FirstChildElement("ShapeClass"); ce;
         ce = ce->NextSiblingElement("ShapeClass")) {
        if (classCount == kMaxClasses) {
            EngineCalls::Logf(16, "%s: more than %d shape classes, the rest are ignored", fileName, kMaxClasses);
            break;
        }
        ShapeClass& c = classTable[classCount++];
        ReadText(ce, "name", c.name);
        ReadText(ce, "soundEvent", c.soundEvent);
        for (const tinyxml2::XMLElement* se = ce->FirstChildElement("Shape"); se; se = se->NextSiblingElement("Shape")) {
            if (c.shapeCount == kMaxShapesPerClass) {
                EngineCalls::Logf(16, "%s: class '%s' has more than %d shapes, the rest are ignored", fileName,
                                  c.name, kMaxShapesPerClass);
                break;
            }
            ShapeDef& d = c.shapes[c.shapeCount++];
            ReadText(se, "mainImage", d.mainImage);
            ReadText(se, "maskImage", d.maskImage);
        }
    }
    return true;
}

bool Game::LevelFileExists(int32_t level) {
    char fileName[64];
    std::snprintf(fileName, sizeof fileName, "Levels\\level_%d.xml", static_cast<int>(level));
    tinyxml2::XMLDocument doc;
    return LoadDocument(doc, fileName) && doc.FirstChildElement("LevelMap") != nullptr;
}

void Game::LoadLevel() {
    ResetBug();

    newShapeTime = 0.1f;
    bug.interval = 15.0f;
    shapeClassCount = 3;
    bonusLevel[0] = 0;
    shapeClassList[0] = 0;
    bonusAnyShapeP = 0.05f;
    bonusBandP = 0.25f;
    bonusAreaP = 0.25f;
    levelTime = 100.0f;
    progress = 0;
    comboCount = 0;
    panelCount = 0;
    cellCount = 0;
    heldShape.shown = 0;
    timeoutWarnings = 0;
    lastPlaced.classIndex = -1;
    shapesSpawned = 0;

    char fileName[64];
    std::snprintf(fileName, sizeof fileName, "Levels\\level_%d.xml", static_cast<int>(levelNumber));
    tinyxml2::XMLDocument doc;
    const tinyxml2::XMLElement* map = nullptr;
    if (LoadDocument(doc, fileName)) map = doc.FirstChildElement("LevelMap");
    if (!map) {
        LogCannotLoad(fileName);
        return;
    }

    newShapeTime = ReadFloat(map, "newShapeTime");
    levelTime = ReadFloat(map, "levelTime", -1e6, 1e6);
    shapeClassCount = ReadInt(map, "shapeClassCount");
    ReadText(map, "bonusLevel", bonusLevel);
    ReadText(map, "shapeClassList", shapeClassList);
    lineSpeed = ReadFloat(map, "lineSpeed", -100, 100);
    bug.interval = ReadFloat(map, "fBugAppearanceRange", -1e6, 1e6);
    int32_t cellsPerLine = ReadInt(map, "lineShapeCount");
    bonusAnyShapeP = ReadFloat(map, "fBonusAnyShapeP");
    bonusBandP = ReadFloat(map, "fBonusBandP");
    bonusAreaP = ReadFloat(map, "fBonusAreaP");

    // The level's classes: the named ones in order, then distinct random ones.
    char listBuffer[kNameSize];
    std::memcpy(listBuffer, shapeClassList, sizeof listBuffer);
    const char* names[kMaxListNames] = {};
    const int nameCount = SplitNames(listBuffer, names);

    const char* problem = nullptr;
    const char* problemName = "";
    bool chosen[kMaxClasses] = {};
    if (shapeClassCount < 1 || shapeClassCount > kMaxClasses) problem = "shapeClassCount is out of range";
    for (int32_t i = 0; !problem && i < shapeClassCount; ++i) {
        int32_t pick = -1;
        if (i < nameCount) {
            for (int32_t k = 0; k < classCount && pick < 0; ++k)
                if (std::strcmp(classTable[k].name, names[i]) == 0) pick = k;
            problemName = names[i];
            if (pick < 0) problem = "unknown class name in shapeClassList";
            else if (chosen[pick]) problem = "repeated class name in shapeClassList";
            else if (classTable[pick].shapeCount < 1) problem = "class has no shapes";
        } else {
            int32_t eligible = 0;
            for (int32_t k = 0; k < classCount; ++k)
                if (!chosen[k] && classTable[k].shapeCount > 0) ++eligible;
            if (eligible == 0) {
                problem = "more classes asked for than exist";
            } else {
                int32_t n = EngineCalls::RandomInt(0, eligible - 1);
                for (int32_t k = 0; k < classCount && pick < 0; ++k)
                    if (!chosen[k] && classTable[k].shapeCount > 0 && n-- == 0) pick = k;
            }
        }
        if (problem) break;
        chosen[pick] = true;
        levelClasses[i] = classTable[pick];
        if (gameMode != Mode::Transformer) levelClasses[i].shapeCount = 1;
    }
    if (problem) {
        EngineCalls::Logf(0, "Fatal error, cannot load XML: %s (%s%s%s)", fileName, problem, *problemName ? ": " : "",
                          problemName);
        shapeClassCount = 0;
        bonusLevel[0] = 0;
        return;
    }

    if (cellsPerLine < 0) cellsPerLine = 0;
    if (cellsPerLine > kMaxCellsPerLine) {
        EngineCalls::Logf(16, "%s: lineShapeCount %d is more than %d, cut", fileName, static_cast<int>(cellsPerLine),
                          kMaxCellsPerLine);
        cellsPerLine = kMaxCellsPerLine;
    }
    lineShapeCount = static_cast<uint32_t>(cellsPerLine);
    BuildBoard();

    // Every class appears at least once when the board has room for it.
    if (cellCount > shapeClassCount) {
        int32_t drawn[kMaxClasses];
        for (int32_t k = 0; k < shapeClassCount; ++k) {
            int32_t cell = -1;
            for (int attempt = 0; attempt < 10000 && cell < 0; ++attempt) {
                int32_t candidate = EngineCalls::RandomInt(0, cellCount - 1);
                bool repeat = false;
                for (int32_t j = 0; j < k; ++j) repeat = repeat || drawn[j] == candidate;
                if (!repeat) cell = candidate;
            }
            for (int32_t candidate = 0; cell < 0; ++candidate) { // never needed in practice
                bool repeat = false;
                for (int32_t j = 0; j < k; ++j) repeat = repeat || drawn[j] == candidate;
                if (!repeat) cell = candidate;
            }
            drawn[k] = cell;
            cells[cell].classIndex = k;
            cells[cell].shape = EngineCalls::RandomInt(0, levelClasses[k].shapeCount - 1);
        }
    }
}
