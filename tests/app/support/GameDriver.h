#pragma once
// Drives the whole game headlessly, as a player would: a fresh working
// folder that holds links to the built game folder's data (so the settings,
// scores, saved games and log land in the temporary folder only), its own
// settings folder, the headless platform on a manual clock, and the real
// application run through its main loop one pass at a time. Input goes in as
// pointer moves, clicks and keys at the screen positions of the loaded menu
// buttons. Several runs of the game can follow each other in one test.
#include "app/GameApp.h"

#include "gameplay/AutoPlayer.h"

#include "engine/MenuScreen.h"

#include "framework/platform/HeadlessPlatform.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

// The application with the start of the framework's Start opened up, so that
// the driver can run the main loop itself, pass by pass.
class DrivenGameApp : public GameApp {
public:
    // What Start does before its loop: the loading thread, the window shown.
    void BeginRun();
    // Volumes set from any thread but the main one (the loading thread must
    // leave them to the main thread, which mutes on a focus loss).
    void SetMusicVolume(double volume) override;
    void SetSfxVolume(double volume) override;
    std::atomic<int> volumesSetElsewhere{0};
};

// Fills `folder` with links to the built game folder's data (never the files
// the game writes for itself); with copyProgram also a copy of the program,
// which then takes that folder for its own. False when the game folder has
// not been built.
bool PrepareGameFolder(const std::string& folder, bool copyProgram);

// A headless display that waits for the next refresh when it presents, as a
// real one with vsync does: the manual clock moves on by one refresh period.
class VsyncHeadlessPlatform : public Quill::HeadlessPlatform {
public:
    explicit VsyncHeadlessPlatform(int hz);
    bool Present(const uint32_t* argb, int w, int h) override;

private:
    int hz;
    uint32_t frames = 0;
};

class GameDriver {
public:
    // hz: the display's refresh rate; lower rates draw fewer frames per
    // second of play (each frame then stands for more 10 ms updates).
    explicit GameDriver(int hz = 60);
    ~GameDriver();
    GameDriver(const GameDriver&) = delete;
    GameDriver& operator=(const GameDriver&) = delete;

    // False when the game folder has not been built (the test is skipped).
    bool HaveContent() const { return haveContent; }

    // A new run of the game: every process-wide object back to its start,
    // the application made and Init run (window, Loading state). The deal
    // is repeatable (a fixed seed after Init) unless `ownSeed`.
    DrivenGameApp& Launch(bool ownSeed = false);
    // Ends the run as the entry point does: the application is destroyed.
    void Close();
    DrivenGameApp* App() const { return app.get(); }

    // One pass of the main loop: window messages, then the scheduler.
    void Pump();
    // Passes until `done` (checked before each pass) or `maxPasses`.
    bool RunUntil(const std::function<bool()>& done, int maxPasses);
    // Runs until the main loop ended after a shutdown.
    bool RunToShutdown(int maxPasses);
    // Passes until `frames` more frames have been presented.
    void RunFrames(int frames);
    // Passes until `done`, the autoplayer steering once before every gameplay tick.
    bool Play(AutoPlayer& player, const std::function<bool()>& done, int maxPasses);

    // A new run up to the main menu, which has just begun to fade in (a
    // player who clicks at once finds the next screen fully shown). With
    // `levelsOpen`, config.ini says first that the player reached that level.
    bool LaunchToMainMenu(int levelsOpen = 0);
    // From the main menu: a mode's button, then the level map once it has faded in.
    bool OpenLevelMap(const char* modeButton);

    // Moves the pointer to the centre of the named button of `screen`, and
    // with Click clicks it there (press and release). False when there is no
    // such button.
    bool PointAt(const MenuScreen& screen, const char* button);
    bool Click(const MenuScreen& screen, const char* button);
    // A click with one mouse button (MOUSE_LEFT by default).
    void ClickAt(int x, int y, uint32_t button = Quill::MOUSE_LEFT);
    void KeyDown(uint32_t key);
    void Type(const std::string& text);
    // The window loses or regains the focus.
    void Activate(bool active);

    // Saves the last presented frame as a PNG beside the test programs.
    bool SaveFrame(const std::string& name) const;
    // A file of the working folder ("" when it is missing).
    std::string ReadFile(const std::string& name) const;
    // The text of the named text element of `screen`.
    static std::string TextOf(const MenuScreen& screen, const char* name);

    VsyncHeadlessPlatform* platform = nullptr;
    std::string folder;

private:
    void ResetProcessState();

    bool haveContent = false;
    std::string previousFolder;
    std::unique_ptr<DrivenGameApp> app;
};
