#pragma once
// The game application: start-up, the loading procedure, the move to the
// main menu and the orderly shutdown, on top of the framework's application
// base. Construction picks the language, names the window after the game's
// localized title and reads the eighteen menu screens; Init copies the
// player's screen choices into the framework's settings, opens the window,
// loads the shape classes and the high scores and starts the music; the
// loading procedure (on the framework's loading thread) creates the main
// widget and preloads every image, the font and the sounds while the main
// thread draws the loading bar.
#include "app/PlaySession.h"

#include "framework/app/QuillAppBase.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class MainWidget;
class Recording;

// The game's version: shown by --version, kept by the framework and written
// into recordings (a recording plays back only on the version that made it).
extern const char* const kGameVersion;

class GameApp : public Quill::QuillAppBase {
public:
    GameApp();
    ~GameApp() override;

    void Init() override;
    void LoadingProc() override;
    void LoadingCompleted() override;
    // Every new window gets the game's icon.
    void CreateMainWindow() override;
    // Counts the frames drawn in the menus and play and stops at frameLimit.
    bool RedrawIfDirty() override;
    bool ChangeDirHook(const std::string& path) override;
    // Closing keeps the player's progress (a level under way is saved).
    void Shutdown() override;
    // The options screen's box, config.ini and the settings follow the mode
    // the window is really in, however it was switched (Alt+Enter too).
    void SetScreenMode(bool windowed, bool use3D) override;

    MainWidget* GetMainWidget() const { return mainWidget.get(); }

    // --- demos, recordings and replays (PlaySession) ---
    // Set before Init: --demo LEVEL (0: no demo), --levels N, --record FILE,
    // the recording to replay, and whether to run them as fast as the
    // machine allows (headless).
    int32_t demoLevel = 0;
    int32_t demoLevelLimit = 0;
    std::string recordPath;
    std::unique_ptr<Recording> replay;
    bool flatOut = false;
    // Steps (10 ms each) on the idle main menu before the attract demo starts.
    int32_t attractIdleSteps = 6000;
    // Opens the recording file; false with a message when it cannot be written.
    bool PrepareRecording(std::string& error);
    // The main widget's hooks: one 10 ms update (true when a session ran
    // it as a step of its game), input (true when the session took it), a
    // lost focus, and whether the game is on fixed steps now.
    bool StepSession();
    bool SessionInput(const InputMessage& m);
    bool SessionFocusLost();
    // A window's press or release (MouseButton as a number); true when the
    // session took it.
    bool SessionButton(int32_t button, bool down);
    bool SessionStepping() const { return session && session->Stepping(); }
    // The caption over the picture while a demo or a replay runs ("" when none).
    const char* SessionCaption() const;
    const PlaySession* Session() const { return session.get(); }
    // After the run: what the demo or the replay has to say, and the exit
    // code it asks for (a replay that went its own way: 1).
    std::string sessionReport;
    int sessionExitCode = 0;

    // Images to preload and preload steps done, written by the loading
    // thread while the main thread draws the bar.
    std::atomic<int32_t> loadTotal{0};
    std::atomic<int32_t> loadDone{0};
    // > 0: shut down after this many frames drawn once loading has ended.
    int32_t frameLimit = 0;
    int32_t framesDrawn = 0;
    // Stay in the working folder the caller chose instead of moving to the
    // program's folder (tests run over a copy of the game folder).
    bool keepWorkingFolder = false;

private:
    void RecordScreenMode();
    void StartSession(std::unique_ptr<PlaySession> next);
    void AfterSession();

    std::unique_ptr<MainWidget> mainWidget;
    std::unique_ptr<PlaySession> session;
    int32_t idleSteps = 0;
};

// The running game application (null when there is none).
GameApp* CurrentGameApp();

// An option of config.ini as a whole number: `fallback` when the key is
// absent, else the decimal number at the start of its text (0 when none).
int32_t ReadOptionInt(const char* section, const char* key, int32_t fallback);
