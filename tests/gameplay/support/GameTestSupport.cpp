#include "gameplay/support/GameTestSupport.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/EngineCalls.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"
#include "gameplay/TextureHandles.h"

#include "engine/AppLog.h"
#include "engine/MouseButtonEdges.h"
#include "engine/SoundEvents.h"
#include "engine/TextureManager.h"

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>

void GameTest::SetUp() {
    char buffer[4096];
    previousFolder = getcwd(buffer, sizeof buffer) ? buffer : ".";
    char pattern[] = "/tmp/velmora-gameplay-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    ASSERT_EQ(chdir(folder.c_str()), 0);
    AppLogResetForTests();

    auto headless = std::make_unique<Quill::HeadlessPlatform>(true);
    platform = headless.get();
    previousPlatform = Quill::SetPlatform(std::move(headless));
    platform->Advance(1000);

    Textures().Reset();
    ResetSoundEvents();
    ResetTextureIds();
    ResetMouseButtonEdges();
    ResetGameState();
    TheGameSeams() = GameSeams();
    game().Reset();
    TheEffectQueue().Clear();
    TheEffectQueue().SetParticleCount(10);
    EngineCalls::SeedRandom(12345);
    EngineCalls::SetEventRecorder([this](const char* name) { events.emplace_back(name); });
    EngineCalls::SetLogRecorder([this](const char* line) { logLines.emplace_back(line); });
}

void GameTest::TearDown() {
    EngineCalls::SetEventRecorder(nullptr);
    EngineCalls::SetLogRecorder(nullptr);
    TheEffectQueue().Clear();
    Textures().Reset();
    ResetTextureIds();
    Quill::SetPlatform(std::move(previousPlatform));
    platform = nullptr;
    if (chdir(previousFolder.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previousFolder;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

Game& GameTest::game() { return TheGame(); }

float GameTest::Now() const { return EngineCalls::NowSeconds(); }

void GameTest::WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::path full = std::filesystem::path(folder) / path;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary) << text;
}

void GameTest::WriteClasses(int classes, int shapes) {
    std::string text = "<?xml version=\"1.0\"?>\n<Level>\n";
    for (int c = 0; c < classes; ++c) {
        text += "  <ShapeClass name=\"c" + std::to_string(c) + "\" soundEvent=\"class_" + std::to_string(c) + "\">\n";
        for (int s = 0; s < shapes; ++s) {
            std::string stem = "Graphics\\Shapes\\s" + std::to_string(c) + "_" + std::to_string(s);
            text += "    <Shape mainImage=\"" + stem + ".png\" maskImage=\"" + stem + "_mask.png\"/>\n";
        }
        text += "  </ShapeClass>\n";
    }
    WriteFile("classes.xml", text + "</Level>\n");
}

void GameTest::WriteLevel(int level, const std::map<std::string, std::string>& attributes) {
    std::string text = "<?xml version=\"1.0\"?>\n<LevelMap";
    for (const auto& [key, value] : attributes) text += " " + key + "=\"" + value + "\"";
    WriteFile("Levels/level_" + std::to_string(level) + ".xml", text + "/>\n");
}

void GameTest::LoadPlainLevel(int level, const std::string& lineShapeCount) {
    WriteClasses(8, 3);
    WriteLevel(level, {{"levelTime", "100"}, {"shapeClassCount", "4"}, {"lineSpeed", "0.03"},
                       {"lineShapeCount", lineShapeCount}, {"fBugAppearanceRange", "1000"},
                       {"fBonusAnyShapeP", "0"}, {"fBonusBandP", "0"}, {"fBonusAreaP", "0"}});
    ASSERT_TRUE(game().LoadShapeClasses("classes.xml"));
    game().levelNumber = level;
    game().ResetLines();
    game().LoadLevel();
}

bool GameTest::UseContent(const std::string& source) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::exists(fs::path(source) / "classes.xml", error) || !fs::exists(fs::path(source) / "Levels", error))
        return false;
    fs::copy(fs::path(source) / "classes.xml", fs::path(folder) / "classes.xml", error);
    fs::copy(fs::path(source) / "Levels", fs::path(folder) / "Levels", fs::copy_options::recursive, error);
    return !error && game().LoadShapeClasses("classes.xml");
}

void GameTest::StartFromMap(int level, int mode) {
    game().gameMode = mode;
    game().levelNumber = level;
    game().score = 0;
    SetGameState(State::LevelMap);
    game().StartLevel();
}

int GameTest::CountEvents(const std::string& name) const {
    int n = 0;
    for (const std::string& e : events) n += e == name;
    return n;
}

bool GameTest::Logged(const std::string& text) const {
    for (const std::string& line : logLines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

void GameTest::Pointer(float x, float y, uint32_t buttons) {
    platform->SetPointerState(static_cast<int>(x * 800.0f + 0.5f), static_cast<int>(y * 600.0f + 0.5f), buttons);
}

void GameTest::PlayTick() {
    platform->Advance(10);
    FrameTime = 0.01f;
    game().UpdateRound(FrameTime);
}

int GameTest::PlaceOn(int cell, int bonus) {
    Game& g = game();
    const ShapeCell& target = g.cells[cell];
    g.heldShape.classIndex = target.classIndex;
    g.heldShape.shape = target.shape;
    g.heldShape.bonus = bonus;
    g.heldShape.shown = 1;
    g.mouseX = target.x;
    g.mouseY = target.y;
    // The left button's press edge: MouseButtonEdges sees it up, then down.
    int x = 0, y = 0;
    platform->GetPointer(x, y);
    platform->SetPointerState(x, y, 0);
    MouseButtonEdges();
    platform->SetPointerState(x, y, Quill::MOUSE_LEFT);
    MouseButtonEdges();
    const int before = g.score;
    g.PlaceHeldShape(false);
    return g.score - before;
}

void GameTest::RunEffects(int ms) {
    for (int t = 0; t < ms; t += 10) {
        platform->Advance(10);
        TheEffectQueue().Update();
    }
}
