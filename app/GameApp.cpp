#include "app/GameApp.h"

#include "app/AppIcon.h"
#include "app/MainWidget.h"
#include "app/StatePictures.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"
#include "gameplay/MenuCommands.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "engine/HighScoreTable.h"
#include "engine/Language.h"
#include "engine/MouseButtonEdges.h"
#include "engine/PlayerFolder.h"
#include "engine/RandomInt.h"
#include "engine/SoundEvents.h"
#include "engine/TextureManager.h"

#include "framework/platform/Platform.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const kGameVersion = "2.1";

namespace {

GameApp* gGameApp = nullptr;

// How much faster than real time a headless demo or replay may run: in
// practice as fast as the machine can (the scheduler still draws now and then).
constexpr double kFlatOutSpeed = 1000.0;

// The window, product and settings name when language.ini has no title.
constexpr const char* kFallbackTitle = "Velmora";

// Every screen change nudges the pointer one pixel down: the move that this
// causes reaches the new screen, so the button under the pointer lights up
// at once instead of at the player's next move.
void NudgePointer() {
    Quill::Platform& platform = Quill::GetPlatform();
    int x = 0, y = 0;
    if (platform.GetPointer(x, y)) platform.SetPointer(x, y + 1);
}

// Only the main menu runs the effect queue among the menus, so a fade-in
// still under way when the player leaves it would stop halfway and leave the
// next screen dark. It ends there instead; the main menu holds nothing else
// in the queue.
void FinishMenuFade(int32_t previous) {
    Game& game = TheGame();
    if (previous != State::MainMenu || game.screenFade == 1.0f) return;
    TheEffectQueue().Clear();
    game.screenFade = 1.0f;
}

// Screens over which no fade runs show their picture whole: a pause during a
// level's opening fade must not show black, nor may the menus after it.
void ShowScreenWhole(int32_t state, int32_t previous) {
    Game& game = TheGame();
    if (game.screenFade == 1.0f) return;
    switch (state) {
    case State::Loading:
    case State::LevelMap:
    case State::Playing:
    case State::LevelAdvance:
    case State::GameComplete:
    case State::GameOver: return;
    case State::MainMenu:
        // Its own fade-in is the one the loading screen queued.
        if (previous == State::Loading) return;
        // Whatever was running for the last screen has no place here.
        TheEffectQueue().Clear();
        break;
    default: break;
    }
    game.screenFade = 1.0f;
}

void ScreenChanged(int32_t state, int32_t previous) {
    // A demo or a replay plays with a pointer of its own; the player's stays put.
    const GameApp* app = CurrentGameApp();
    const PlaySession* session = app ? app->Session() : nullptr;
    if (!session || !session->Stepping() || session->GetKind() == PlaySession::Kind::Record) NudgePointer();
    FinishMenuFade(previous);
    ShowScreenWhole(state, previous);
    DropMouseButtonEdges();
}

// Sets every check box of that name on the screen.
void SetCheckBox(MenuScreen& screen, const char* name, bool on) {
    for (int32_t i = 0; i < screen.buttonCount && i < MenuScreen::MaxButtons; ++i)
        if (std::strcmp(screen.buttons[i].name, name) == 0) screen.buttons[i].checked = on ? 1 : 0;
}

} // namespace

GameApp* CurrentGameApp() { return gGameApp; }

int32_t ReadOptionInt(const char* section, const char* key, int32_t fallback) {
    char text[256] = {};
    if (!IniGetString(section, key, text)) return fallback;
    const long value = std::strtol(text, nullptr, 10);
    return static_cast<int32_t>(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
}

GameApp::GameApp() {
    gGameApp = this;
    const bool languageKnown = ChooseLanguage();
    const char* title = GetLanguageString("Velmora");
    // Without a title the settings would have no name to be kept under.
    if (!title[0]) title = kFallbackTitle;
    productName = windowTitle = registryKey = title;
    productVersion = kGameVersion;
    width = 800;
    height = 600;
    vsyncPacing = true;
    AppLog("*** SESSION STARTED ***", LogNewFile | LogTime | LogFrame);
    AppLog(DescribePlayerFolder().c_str(), PlayerFolderWritable() ? LogTime : LogTime | LogWarning);
    if (!languageKnown) {
        char chosen[256] = {};
        IniGetString("LANGUAGE", "Name", chosen);
        AppLogf(LogWarning, "Language '%s' is not in 'language.ini'; the game speaks %s", chosen, LanguageName);
    }
    TheGame().LoadMenuScreens();
    SetStateChangedHook(ScreenChanged);
    TheGameSeams().drawStatePicture = DrawMenuStill;
}

GameApp::~GameApp() {
    // Only tidying up: a run ends through Shutdown before its application goes.
    if (!shutdown) QuillAppBase::Shutdown();
    // A recording cut off by the end of the program still gets its end line.
    session.reset();
    TheGameSeams().newGameStarting = nullptr;
    // The loading thread may still be adding the widget; let it finish first.
    if (loadingThread.joinable()) loadingThread.join();
    if (mainWidget && widgetManager) widgetManager->RemoveWidget(mainWidget.get());
    mainWidget.reset();
    Textures().DeleteAllTexturesMIPMAP();
    FreeMusicManager();
    AppLog("*** Session finished ***", LogTime | LogFrame);
    SetStateChangedHook(nullptr);
    TheGameSeams().drawStatePicture = nullptr;
    if (gGameApp == this) gGameApp = nullptr;
}

bool GameApp::ChangeDirHook(const std::string& /*path*/) { return keepWorkingFolder; }

void GameApp::Init() {
    // The option screen's check boxes are the player's choice; the framework
    // reads its screen mode and 3D flag from the settings while it starts.
    const int32_t fullScreen = ReadOptionInt("OPTIONS", "btnFullScreen", 1);
    const int32_t use3D = ReadOptionInt("OPTIONS", "btn3DHardware", 1);
    RegistryWriteInteger("ScreenMode", fullScreen);
    RegistryWriteInteger("Is3D", use3D);
    TheEffectQueue().SetParticleCount(ParticlesFor3D(use3D != 0));

    QuillAppBase::Init();
    if (shutdown) return;
    AppLog("Init()", LogTime);
    // The game's picture is this size from the start: a click handled before
    // the first frame is drawn lands where it would after.
    Textures().SetClientSize(width, height);
    // The boxes show how the game really runs: without a config.ini both
    // choices default to on while the boxes would read unchecked, and a
    // desktop too small for a window forces full screen whatever was chosen.
    RecordScreenMode();
    SetCheckBox(TheGame().menuOptions, "btn3DHardware", Is3DActive());
    // The player's volumes, here on the main thread: the loading thread must
    // not race a mute when the window loses the focus.
    SetMusicVolume(TheGame().menuOptions.GetSliderValue("MusicVolume"));
    SetSfxVolume(TheGame().menuOptions.GetSliderValue("SfxVolume"));
    // Not the platform clock: it counts from the program's start, so two runs
    // would often deal the very same game.
    SeedRandom(SystemSeed());

    Game& game = TheGame();
    game.LoadShapeClasses("classes.xml");
    game.ReadLastOpenedLevel();
    SetGameState(State::Loading);
    HighScoreTable& scores = GetHighScores();
    if (!scores.LoadScores()) scores.SaveScores();

    if (Quill::MusicInterface* music = GetMusicInterface()) {
        // Without a sound device the music interface is silent and loads nothing.
        if (!music->LoadMusic(0, "Music\\theme1.ogg") && !noSound)
            AppLog("Loading music: 'Music\\theme1.ogg' ... FAILED", LogTime);
        music->FadeIn(0, 0, 0.002, false);
    }
}

void GameApp::CreateMainWindow() {
    QuillAppBase::CreateMainWindow();
    Quill::Platform& platform = Quill::GetPlatform();
    if (!platform.HasWindow()) return;
    static const std::vector<uint32_t> icon = MakeAppIcon();
    platform.SetIcon(icon.data(), kAppIconSize, kAppIconSize);
}

void GameApp::LoadingProc() {
    auto widget = std::make_unique<MainWidget>(this);
    widget->Resize(0, 0, width, height);
    MainWidget* w = widget.get();
    mainWidget = std::move(widget);
    widgetManager->AddWidget(w);
    widgetManager->SetFocus(w);

    Game& game = TheGame();
    InitSounds();

    // The language's own image folder ("English\") is copied: the lookup
    // buffer is reused by the next lookup on this thread.
    char languageFolder[256];
    CopyString(languageFolder, sizeof languageFolder, GetLanguageString("English\\"));
    const char* folders[] = {"Graphics\\", "Graphics\\Shapes\\", languageFolder};
    TextureManager& textures = Textures();
    int32_t total = 0;
    for (const char* folder : folders)
        if (folder[0]) total += textures.CountImageFiles(folder);
    loadTotal = total;
    loadDone = 0;
    for (const char* folder : folders) {
        // A language without a folder of its own must not preload the game folder.
        if (!folder[0]) continue;
        if (textures.PreloadFolderStep(folder, 1)) ++loadDone;
        while (textures.PreloadFolderStep(folder, 2)) {
            ++loadDone;
            w->Invalidate();
        }
    }

    char fontFile[300];
    std::snprintf(fontFile, sizeof fontFile, "%sfont01.png", languageFolder);
    textures.LoadSymbolFont(fontFile);
    // Without a sound device the silent stand-in keeps no sounds; loading the
    // folder would only fill the log with refusals.
    if (soundManager && soundManager->Initialized()) LoadSoundFolder("Sound\\");
    else AppLog("Sound is off: the sound folder is not loaded", LogTime);

    EffectQueue& fx = TheEffectQueue();
    fx.Clear();
    game.menuInfoClassic.fade = 0;
    game.menuInfoRelax.fade = 0;
    game.menuInfoTransformer.fade = 0;
    fx.AddTween(0, 0.5f, 0, 1.0f, &game.screenFade);
}

void GameApp::Shutdown() {
    // However the program is closed, the player's progress stays.
    if (!shutdown && loadingHandled) KeepProgressOnClose();
    QuillAppBase::Shutdown();
}

void GameApp::SetScreenMode(bool wantWindowed, bool use3D) {
    QuillAppBase::SetScreenMode(wantWindowed, use3D);
    RecordScreenMode();
}

void GameApp::RecordScreenMode() {
    const bool fullScreen = !windowIsWindowed;
    SetCheckBox(TheGame().menuOptions, "btnFullScreen", fullScreen);
    if ((ReadOptionInt("OPTIONS", "btnFullScreen", 1) != 0) != fullScreen)
        IniSetString("OPTIONS", "btnFullScreen", fullScreen ? "1" : "0");
    RegistryWriteInteger("ScreenMode", fullScreen ? 1 : 0);
}

void GameApp::LoadingCompleted() {
    QuillAppBase::LoadingCompleted();
    if (loadingFailed) return;
    SetGameState(State::MainMenu);
    if (flatOut && (replay || demoLevel > 0)) speedFactor = kFlatOutSpeed;
    if (replay) {
        StartSession(PlaySession::Replay(*replay));
    } else if (demoLevel > 0) {
        std::unique_ptr<PlaySession> demo =
            PlaySession::Demo(PlaySession::Kind::Demo, Mode::Classic, demoLevel, RandomState(), recordPath);
        if (!demo) {
            std::fprintf(stderr, "velmora: cannot write the recording '%s'\n", recordPath.c_str());
            sessionExitCode = 2;
            Shutdown();
            return;
        }
        demo->SetLevelLimit(demoLevelLimit);
        StartSession(std::move(demo));
    }
}

bool GameApp::PrepareRecording(std::string& error) {
    if (recordPath.empty() || demoLevel > 0 || replay) return true;
    session = PlaySession::Record(recordPath, error);
    if (!session) return false;
    TheGameSeams().newGameStarting = [this] {
        if (session) session->NewGameStarting();
    };
    return true;
}

void GameApp::StartSession(std::unique_ptr<PlaySession> next) {
    session = std::move(next);
    idleSteps = 0;
    session->Begin();
    AfterSession();
}

void GameApp::AfterSession() {
    if (!session || session->GetOutcome() == PlaySession::Outcome::Running) return;
    const PlaySession::Kind kind = session->GetKind();
    if (kind == PlaySession::Kind::Demo) {
        char text[200];
        std::snprintf(text, sizeof text, "demo: %d levels played, %d won", session->Levels(), session->Wins());
        sessionReport = text;
    } else if (kind == PlaySession::Kind::Replay) {
        sessionReport = "replay: " + session->Report();
        if (session->GetOutcome() == PlaySession::Outcome::Diverged) sessionExitCode = 1;
    }
    AppLog(sessionReport.empty() ? "Demo over" : sessionReport.c_str(), LogTime);
    // The session's own objects go now: a demo's last game, a recording's file.
    session.reset();
    if (kind == PlaySession::Kind::Demo || kind == PlaySession::Kind::Replay) Shutdown();
    idleSteps = 0;
}

bool GameApp::StepSession() {
    if (session && session->Stepping()) {
        session->Step();
        AfterSession();
        return true;
    }
    if (session || !loadingHandled || GameState != State::MainMenu || attractIdleSteps <= 0) {
        idleSteps = 0;
        return false;
    }
    if (++idleSteps < attractIdleSteps) return false;
    // The main menu has stood idle: the game shows itself playing a level of
    // the current mode, from the level the mode would start at.
    Game& game = TheGame();
    const int32_t level = game.gameMode == Mode::Transformer ? game.levelTransformer : game.levelClassicRelax;
    AppLog("The main menu is idle: a demo starts", LogTime);
    StartSession(PlaySession::Demo(PlaySession::Kind::Attract, game.gameMode, level, RandomState()));
    return true;
}

bool GameApp::SessionInput(const InputMessage& m) {
    idleSteps = 0;
    if (!session) return false;
    const bool taken = session->Input(m);
    AfterSession();
    return taken;
}

bool GameApp::SessionButton(int32_t button, bool down) {
    if (!session) return false;
    const bool taken = session->Button(button, down);
    AfterSession();
    return taken;
}

bool GameApp::SessionFocusLost() {
    if (!session) return false;
    const bool taken = session->FocusLost();
    AfterSession();
    return taken;
}

const char* GameApp::SessionCaption() const {
    if (!session || !session->Stepping()) return "";
    switch (session->GetKind()) {
    case PlaySession::Kind::Demo:
    case PlaySession::Kind::Attract: return "Demo";
    case PlaySession::Kind::Replay: return "Replay";
    default: return "";
    }
}

bool GameApp::RedrawIfDirty() {
    const bool presented = QuillAppBase::RedrawIfDirty();
    if (presented && frameLimit > 0 && loadingHandled && ++framesDrawn >= frameLimit) Shutdown();
    return presented;
}
