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
#include "framework/app/QuillAppBase.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class MainWidget;

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

    std::unique_ptr<MainWidget> mainWidget;
};

// The running game application (null when there is none).
GameApp* CurrentGameApp();

// An option of config.ini as a whole number: `fallback` when the key is
// absent, else the decimal number at the start of its text (0 when none).
int32_t ReadOptionInt(const char* section, const char* key, int32_t fallback);
