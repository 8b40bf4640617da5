// What the buttons of the menus do: one table of (screen state, action text,
// command), read top to bottom like the menus themselves.
#include "gameplay/MenuCommands.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameSeams.h"
#include "gameplay/GameState.h"

#include "engine/Config.h"
#include "engine/HighScoreList.h"
#include "engine/HighScoreTable.h"
#include "engine/Language.h"
#include "engine/SoundEvents.h"

#include "framework/app/QuillAppBase.h"
#include "framework/platform/Platform.h"

#include <cstring>

int32_t ShowFps = 0;

namespace {

Game& G() { return TheGame(); }

Quill::QuillAppBase* App() { return Quill::QuillAppBase::Get(); }

float OptionSlider(const char* name) { return G().menuOptions.GetSliderValue(name); }

void GoTo(int32_t state) { SetGameState(state); }

// Leaving the high scores while a new entry still waits for its name keeps
// the entry: with the name typed so far, or the player's last name.
void SettleWaitingName() { GetHighScores().KeepWaitingEntry(); }

// A level is under way: being played, paused, or the options (and the
// credits behind them) opened from the pause screen.
bool LevelInProgress() {
    switch (GameState) {
    case State::Playing:
    case State::Paused: return true;
    case State::Options: return OptionsFromPause != 0;
    case State::Credits: return PreviousGameState() == State::Options && OptionsFromPause != 0;
    default: return false;
    }
}

void FullScreenMode() {
    Quill::QuillAppBase* app = App();
    if (!app || !app->GetDisplay()) return;
    const bool wantFullScreen = G().menuOptions.IsButtonChecked("btnFullScreen");
    if (wantFullScreen == app->windowIsWindowed) app->SetWindowed(!app->windowIsWindowed);
}

void Hardware3D() {
    Quill::QuillAppBase* app = App();
    if (!app || !app->GetDisplay()) return;
    if (G().menuOptions.IsButtonChecked("btn3DHardware") == app->Is3DActive()) return;
    app->Set3D(!app->Is3DActive(), true);
    TheEffectQueue().SetParticleCount(ParticlesFor3D(app->Is3DActive()));
}

void LoadSaved() {
    // A saved game that no longer reads back (the file changed since the
    // question was asked) starts the mode afresh instead of leaving the
    // player on a question that cannot be answered.
    if (!G().LoadSavedGame(false)) G().NewGame();
}

void Exit() {
    if (Quill::QuillAppBase* app = App()) app->Shutdown();
}

void OpenSite() {
    // The shortcut is data of the install; when it is missing nothing opens.
    Quill::GetPlatform().ShellOpen(WorkingFilePath("site.url"));
}

struct Command {
    int32_t state;
    const char* action;
    void (*run)(const char* action);
};

// Every row whose state and action match runs; at most one can.
const Command kCommands[] = {
    {State::MainMenu, "procClassicGame", [](const char*) { G().StartMode(Mode::Classic); }},
    {State::MainMenu, "procRelaxGame", [](const char*) { G().StartMode(Mode::Relax); }},
    {State::MainMenu, "procTransformerGame", [](const char*) { G().StartMode(Mode::Transformer); }},
    {State::MainMenu, "procLevelSimple", [](const char*) { G().RaiseStartLevel(Mode::Classic); }},
    {State::MainMenu, "procLevelAdvanced", [](const char*) { G().RaiseStartLevel(Mode::Transformer); }},
    {State::MainMenu, "procOptions", [](const char*) { GoTo(State::Options); }},
    {State::MainMenu, "procInstructions", [](const char*) { GoTo(State::Instructions1); }},
    {State::MainMenu, "procHighScores", [](const char*) { GoTo(State::HighScores); }},
    {State::MainMenu, "procExit", [](const char*) { Exit(); }},
    {State::MainMenu, "procLogo", [](const char*) { OpenSite(); }},

    {State::Playing, "procMenu", [](const char*) { GoTo(State::Paused); }},
    {State::Playing, "procDiscard", [](const char*) { G().DiscardShape(); }},

    {State::LevelMap, "procStart", [](const char*) { G().StartLevel(); }},
    // No button of the map has it; Escape does (a mode picked by mistake).
    {State::LevelMap, "procMainMenu", [](const char*) { GoTo(State::MainMenu); }},
    // "procStage" + a number; the map has disabled the buttons of locked stages.
    {State::LevelMap, "procStage", [](const char* action) { G().SelectStage(action); }},

    {State::Paused, "procOptions", [](const char*) { GoTo(State::Options); }},
    {State::Paused, "procResume", [](const char*) { GoTo(State::Playing); }},
    {State::Paused, "procEnd",
     [](const char*) {
         G().SaveGame();
         EndGameToScores(false);
     }},

    {State::HighScores, "procClear", [](const char*) { GoTo(State::ClearScoresConfirm); }},
    {State::HighScores, "procClose",
     [](const char*) {
         SettleWaitingName();
         GoTo(State::MainMenu);
     }},
    // The pages are the Classic and the Transformer lists.
    {State::HighScores, "procPrevious", [](const char*) { if (G().gameMode > 0) --G().gameMode; }},
    {State::HighScores, "procNext", [](const char*) { if (G().gameMode < 1) ++G().gameMode; }},

    {State::Options, "procSoundMode", [](const char*) { SetSfxVolume(OptionSlider("SfxVolume")); }},
    {State::Options, "procMusicMode", [](const char*) { SetMusicVolume(OptionSlider("MusicVolume")); }},
    {State::Options, "procFullScreenMode", [](const char*) { FullScreenMode(); }},
    {State::Options, "proc3DHardware", [](const char*) { Hardware3D(); }},
    {State::Options, "procLanguage", [](const char*) { NextLanguage(); }},
    {State::Options, "procCredits", [](const char*) { GoTo(State::Credits); }},
    {State::Options, "procClose", [](const char*) { GoTo(OptionsFromPause ? State::Paused : State::MainMenu); }},

    {State::Instructions1, "procNext", [](const char*) { GoTo(State::Instructions2); }},
    {State::Instructions1, "procClose", [](const char*) { GoTo(State::MainMenu); }},
    {State::Instructions2, "procPrevious", [](const char*) { GoTo(State::Instructions1); }},
    {State::Instructions2, "procNext", [](const char*) { GoTo(State::Instructions3); }},
    {State::Instructions2, "procClose", [](const char*) { GoTo(State::MainMenu); }},
    {State::Instructions3, "procPrevious", [](const char*) { GoTo(State::Instructions2); }},
    {State::Instructions3, "procClose", [](const char*) { GoTo(State::MainMenu); }},

    // The same level again, score kept.
    {State::GameOver, "procContinue",
     [](const char*) {
         SetMusicVolume(OptionSlider("MusicVolume"));
         G().StartLevel();
     }},
    {State::GameOver, "procExit", [](const char*) { EndGameToScores(true); }},
    {State::GameComplete, "procMenu", [](const char*) { EndGameToScores(true); }},

    {State::ClearScoresConfirm, "procYes",
     [](const char*) {
         GetHighScores().ResetScores();
         GoTo(State::HighScores);
     }},
    {State::ClearScoresConfirm, "procNo", [](const char*) { GoTo(State::HighScores); }},

    {State::ContinueConfirm, "procLoad", [](const char*) { LoadSaved(); }},
    {State::ContinueConfirm, "procNew", [](const char*) { G().NewGame(); }},
    {State::ContinueConfirm, "procCancel", [](const char*) { GoTo(State::MainMenu); }},

    {State::Credits, "procOk", [](const char*) { GoTo(PreviousGameState()); }},
};

// Escape is each screen's way back: the action of its back, close or cancel
// button. While playing it pauses, and on the pause screen it resumes.
struct EscapeRow {
    int32_t state;
    const char* action;
};
const EscapeRow kEscapeActions[] = {
    {State::Playing, "procMenu"},           {State::Paused, "procResume"},
    {State::LevelMap, "procMainMenu"},      {State::Options, "procClose"},
    {State::Instructions1, "procClose"},    {State::Instructions2, "procClose"},
    {State::Instructions3, "procClose"},    {State::Credits, "procOk"},
    {State::HighScores, "procClose"},       {State::ContinueConfirm, "procCancel"},
    {State::ClearScoresConfirm, "procNo"},
};

bool Matches(const Command& c, const char* action) {
    if (std::strcmp(c.action, "procStage") == 0) return std::strncmp(action, "procStage", 9) == 0;
    return std::strcmp(c.action, action) == 0;
}

} // namespace

int ParticlesFor3D(bool is3D) { return is3D ? 10 : 5; }

bool RunMenuCommand(int32_t state, const char* action) {
    if (!action || !action[0]) return false;
    for (const Command& c : kCommands) {
        if (c.state != state || !Matches(c, action)) continue;
        c.run(action);
        return true;
    }
    return false;
}

bool RunEscape(int32_t state) {
    for (const EscapeRow& row : kEscapeActions)
        if (row.state == state) return RunMenuCommand(state, row.action);
    return false;
}

void ProcessMessage(InputMessage m) {
    if (TheGameSeams().messageSeen) TheGameSeams().messageSeen(m);
    const int32_t state = GameState;
    const bool escape = m.message == INPUT_KEY_DOWN && (m.wParam & 0xFF) == Quill::VK_ESCAPE;
    if (m.message == INPUT_KEY_DOWN) {
        if (m.wParam == Quill::VK_F1) ShowFps = !ShowFps;
        if (state == State::Playing) {
            if (escape) RunEscape(state);
            else G().HandleKey(m.wParam);
            return;
        }
    }
    MenuScreen* screen = G().StateScreen(state);
    if (!screen) return;
    if (state == State::HighScores && GetHighScores().EditingCurrentList()) {
        // Escape while a name is typed cancels the entry, and only that.
        HandleNameKey(m);
        if (escape) return;
    } else if (escape) {
        RunEscape(state);
        return;
    }
    RunMenuCommand(state, screen->HandleMessage(m));
}

void KeepProgressOnClose() {
    if (LevelInProgress()) G().SaveGame();
    SettleWaitingName();
    G().menuOptions.StorePendingSliders();
}

void EndGameToScores(bool restoreMusic) {
    if (restoreMusic) SetMusicVolume(OptionSlider("MusicVolume"));
    TheEffectQueue().Clear();
    HighScoreTable& scores = GetHighScores();
    scores.SelectList(G().gameMode);
    // The score is never negative in play; should it be, it enters as 0
    // rather than as a huge unsigned number at the top of the list.
    const uint32_t score = G().score > 0 ? static_cast<uint32_t>(G().score) : 0u;
    if (scores.InsertScore(score, "")) GoTo(State::HighScores);
    else GoTo(State::MainMenu);
}
