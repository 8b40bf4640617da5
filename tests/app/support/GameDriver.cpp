#include "app/support/GameDriver.h"

#include "app/MainWidget.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"
#include "gameplay/MenuCommands.h"
#include "gameplay/TextureHandles.h"

#include "engine/AppLog.h"
#include "engine/FrameRateMeter.h"
#include "engine/HighScoreTable.h"
#include "engine/MouseButtonEdges.h"
#include "engine/RandomInt.h"
#include "engine/SoundEvents.h"
#include "engine/TextureManager.h"

#include "framework/imageio/PngWriter.h"
#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

// What the game writes for itself; never linked from the built folder.
const std::set<std::string> kOwnFiles = {"velmora", "app.log", "config.ini", "scores.ini", "saved.ini"};

const MenuButton* FindButton(const MenuScreen& screen, const char* name) {
    for (int i = 0; i < screen.buttonCount; ++i)
        if (std::string(screen.buttons[i].name) == name) return &screen.buttons[i];
    ADD_FAILURE() << "no button " << name;
    return nullptr;
}

} // namespace

bool PrepareGameFolder(const std::string& folder, bool copyProgram) {
    const fs::path game(VELMORA_GAME_DIR);
    std::error_code error;
    if (!fs::exists(game / "Menu" / "menu-main.xml", error) || !fs::exists(game / "classes.xml", error)) return false;
    for (const fs::directory_entry& entry : fs::directory_iterator(game, error)) {
        const std::string name = entry.path().filename().string();
        if (kOwnFiles.count(name) || name.rfind("cached_", 0) == 0) continue;
        fs::create_symlink(entry.path(), fs::path(folder) / name, error);
        if (error) return false;
    }
    // A copy, not a link: the program finds its folder through its own path.
    if (copyProgram) fs::copy_file(game / "velmora", fs::path(folder) / "velmora", error);
    return !error;
}

void DrivenGameApp::BeginRun() {
    StartLoadingThread();
    Quill::Platform& platform = Quill::GetPlatform();
    platform.ShowWindow();
    running = true;
    lastDrawTime = nextDrawTime = platform.Ticks();
}

void DrivenGameApp::SetMusicVolume(double volume) {
    if (std::this_thread::get_id() != primaryThreadId) ++volumesSetElsewhere;
    GameApp::SetMusicVolume(volume);
}

void DrivenGameApp::SetSfxVolume(double volume) {
    if (std::this_thread::get_id() != primaryThreadId) ++volumesSetElsewhere;
    GameApp::SetSfxVolume(volume);
}

VsyncHeadlessPlatform::VsyncHeadlessPlatform(int rate) : Quill::HeadlessPlatform(true), hz(rate) {
    SetRefreshRate(rate);
}

bool VsyncHeadlessPlatform::Present(const uint32_t* argb, int w, int h) {
    const bool shown = Quill::HeadlessPlatform::Present(argb, w, h);
    // Whole milliseconds that add up to the refresh period over the frames.
    const uint32_t before = frames * 1000u / static_cast<uint32_t>(hz);
    ++frames;
    Advance(frames * 1000u / static_cast<uint32_t>(hz) - before);
    return shown;
}

GameDriver::GameDriver(int hz) {
    char buffer[4096];
    previousFolder = getcwd(buffer, sizeof buffer) ? buffer : ".";
    char pattern[] = "/tmp/velmora-game-XXXXXX";
    if (!mkdtemp(pattern)) {
        ADD_FAILURE() << "no temporary folder";
        return;
    }
    folder = pattern;
    haveContent = PrepareGameFolder(folder, false);
    EXPECT_EQ(chdir(folder.c_str()), 0);
    setenv("VELMORA_CONFIG_HOME", folder.c_str(), 1);
    AppLogResetForTests();

    auto headless = std::make_unique<VsyncHeadlessPlatform>(hz);
    platform = headless.get();
    Quill::SetPlatform(std::move(headless));
    platform->Advance(5000);
}

GameDriver::~GameDriver() {
    Close();
    Quill::SetPlatform(nullptr);
    if (chdir(previousFolder.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previousFolder;
    std::error_code ignored;
    if (!folder.empty()) fs::remove_all(folder, ignored);
}

void GameDriver::ResetProcessState() {
    TheGame().Reset();
    TheEffectQueue().Clear();
    TheGameSeams() = GameSeams();
    ResetGameState();
    Textures().Reset();
    ResetTextureIds();
    ResetSoundEvents();
    GetHighScores().Reset();
    ResetMouseButtonEdges();
    ResetFrameRateMeter();
    ShowFps = 0;
    SeedRandom(2024);
}

DrivenGameApp& GameDriver::Launch(bool ownSeed) {
    Close();
    ResetProcessState();
    app = std::make_unique<DrivenGameApp>();
    app->keepWorkingFolder = true;
    app->singleInstance = false;
    app->noSound = true;
    app->reportStatistics = false;
    app->Init();
    if (!ownSeed) SeedRandom(2024);
    app->BeginRun();
    return *app;
}

void GameDriver::Close() { app.reset(); }

void GameDriver::Pump() {
    app->DispatchPlatformEvents();
    app->ProcessDeferredMessages();
    app->ProcessFrame(true);
    // The loading thread works on the real clock; leave it the processor.
    if (app->loadingStarted && !app->loadingFinished) std::this_thread::yield();
}

bool GameDriver::RunUntil(const std::function<bool()>& done, int maxPasses) {
    for (int i = 0; i < maxPasses; ++i) {
        if (done()) return true;
        if (app->shutdown) return done();
        Pump();
    }
    return done();
}

bool GameDriver::RunToShutdown(int maxPasses) {
    return RunUntil([this] { return app->shutdown.load(); }, maxPasses);
}

void GameDriver::RunFrames(int frames) {
    const int target = platform->PresentCount() + frames;
    RunUntil([&] { return platform->PresentCount() >= target; }, frames * 50);
}

bool GameDriver::Play(AutoPlayer& player, const std::function<bool()>& done, int maxPasses) {
    uint32_t steeredAt = ~0u;
    return RunUntil(
        [&] {
            if (done()) return true;
            MainWidget* widget = app->GetMainWidget();
            if (GameState == State::Playing && widget->RoundTicks() != steeredAt) {
                player.Steer();
                steeredAt = widget->RoundTicks();
            }
            return false;
        },
        maxPasses);
}

bool GameDriver::LaunchToMainMenu(int levelsOpen) {
    if (levelsOpen > 0)
        testfiles::WriteText(folder + "/config.ini", "[LANGUAGE]\nName=ENGLISH\n[GAMEPLAY]\nLastOpenedLevel=" +
                                                         std::to_string(levelsOpen) + "\n");
    Launch();
    if (!RunUntil([] { return GameState == State::MainMenu; }, 200000)) return false;
    RunFrames(1);
    return true;
}

bool GameDriver::OpenLevelMap(const char* modeButton) {
    Game& game = TheGame();
    return Click(game.menuMain, modeButton) && GameState == State::LevelMap &&
           RunUntil([&] { return game.phase == Phase::Map && game.screenFade == 1.0f; }, 5000);
}

bool GameDriver::PointAt(const MenuScreen& screen, const char* button) {
    const MenuButton* b = FindButton(screen, button);
    if (b) platform->MovePointer(static_cast<int>(b->xc * 800.0f), static_cast<int>(b->yc * 600.0f));
    return b;
}

bool GameDriver::Click(const MenuScreen& screen, const char* button) {
    const MenuButton* b = FindButton(screen, button);
    if (b) ClickAt(static_cast<int>(b->xc * 800.0f), static_cast<int>(b->yc * 600.0f));
    return b;
}

void GameDriver::ClickAt(int x, int y, uint32_t button) {
    platform->MovePointer(x, y);
    RunFrames(1);
    platform->PressButton(button);
    RunFrames(1);
    platform->ReleaseButton(button);
    RunFrames(1);
}

void GameDriver::KeyDown(uint32_t key) {
    platform->InjectMessage(Quill::MSG_KEYDOWN, key);
    platform->InjectMessage(Quill::MSG_KEYUP, key);
    RunFrames(1);
}

void GameDriver::Type(const std::string& text) {
    for (char c : text) platform->InjectMessage(Quill::MSG_CHAR, static_cast<unsigned char>(c));
    RunFrames(1);
}

void GameDriver::Activate(bool active) {
    platform->InjectMessage(Quill::MSG_ACTIVATE, active ? 1 : 0);
    RunFrames(1);
}

bool GameDriver::SaveFrame(const std::string& name) const {
    const std::vector<uint32_t>& frame = platform->LastFrame();
    if (frame.empty()) return false;
    const fs::path shots = fs::path(VELMORA_GAME_DIR).parent_path() / "test-frames";
    std::error_code error;
    fs::create_directories(shots, error);
    return Quill::WritePng((shots / name).string(), frame.data(), platform->LastFrameWidth(),
                           platform->LastFrameHeight());
}

std::string GameDriver::ReadFile(const std::string& name) const { return testfiles::ReadText(folder + "/" + name); }

std::string GameDriver::TextOf(const MenuScreen& screen, const char* name) {
    for (int i = 0; i < screen.textCount; ++i)
        if (std::string(screen.texts[i].name) == name) return screen.texts[i].text;
    return "(no text " + std::string(name) + ")";
}
