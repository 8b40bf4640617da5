#include "fuzz/GameFuzz.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/EngineCalls.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"
#include "gameplay/TextureHandles.h"

#include <cstring>
#include <string>

namespace fuzz {

void WriteClassFile(int classes) {
    std::string text = "<?xml version=\"1.0\"?>\n<Level>\n";
    for (int c = 0; c < classes; ++c) {
        text += "  <ShapeClass name=\"c" + std::to_string(c) + "\" soundEvent=\"class_" + std::to_string(c) + "\">\n";
        for (int s = 0; s < 3; ++s)
            text += "    <Shape mainImage=\"s" + std::to_string(s) + ".png\" maskImage=\"m" + std::to_string(s) +
                    ".png\"/>\n";
        text += "  </ShapeClass>\n";
    }
    WriteFile("classes.xml", text + "</Level>\n");
}

void WriteLevelFile(int level, const char* classList) {
    WriteFile("Levels\\level_" + std::to_string(level) + ".xml",
              std::string("<LevelMap levelTime=\"90\" shapeClassCount=\"3\" shapeClassList=\"") + classList +
                  "\" lineSpeed=\"0.01\" lineShapeCount=\"9\" fBonusAnyShapeP=\"0.1\" fBonusBandP=\"0.1\" "
                  "fBonusAreaP=\"0.1\"/>\n");
}

Game& FreshGame() {
    static bool contentWritten = false;
    if (!contentWritten) {
        WriteClassFile(6);
        WriteLevelFile(1, "c0,c1,c2");
        WriteLevelFile(2, "c3,c4,c5");
        WriteLevelFile(3, "");
        contentWritten = true;
    }
    ResetGameState();
    ResetTextureIds();
    TheGameSeams() = GameSeams();
    TheEffectQueue().Clear();
    EngineCalls::SeedRandom(1);
    Game& game = TheGame();
    game.Reset();
    game.LoadShapeClasses("classes.xml");
    return game;
}

void CheckGameTables(const Game& g) {
    Check(g.classCount >= 0 && g.classCount <= kMaxClasses, "class count");
    for (int k = 0; k < g.classCount; ++k)
        Check(g.classTable[k].shapeCount >= 0 && g.classTable[k].shapeCount <= kMaxShapesPerClass &&
                  std::memchr(g.classTable[k].name, 0, kNameSize) != nullptr,
              "class table");
    Check(g.shapeClassCount >= 0 && g.shapeClassCount <= kMaxClasses, "level class count");
    Check(g.cellCount >= 0 && g.cellCount <= kMaxCells && g.panelCount >= 0 && g.panelCount <= kPanelSlots,
          "cell and panel counts");
    for (int i = 0; i < g.cellCount; ++i) {
        const ShapeCell& c = g.cells[i];
        Check(c.classIndex >= 0 && c.classIndex < g.shapeClassCount, "cell class");
        Check(c.shape >= 0 && c.shape < g.levelClasses[c.classIndex].shapeCount, "cell shape");
    }
}

} // namespace fuzz
