#pragma once
// framework/app/: the application base with its scheduler, window messages,
// focus and settings. It sits on top of the framework and may use every other
// folder in it.
//
// The framework's application object: one per process, reachable through
// QuillAppBase::Get(). It owns the main window (through the platform), the
// display, the widget manager, the sound manager, the music interface and the
// settings, and runs the scheduler that decides, many times a second, whether
// to run a fixed 10 ms update, draw a frame, or sleep. A game derives from it,
// sets a few fields in its constructor and overrides Init, LoadingProc and
// LoadingCompleted.
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Image.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/WidgetManager.h"
#include "framework/platform/Platform.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Quill {

class InstanceLock;

// One queued window message, handled by ProcessDeferredMessages.
struct DeferredMessage {
    uint32_t window = 0;
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
};

// The seven button notifications every application listens to (all empty).
class ButtonListener {
public:
    virtual ~ButtonListener() = default;
    virtual void ButtonPress(int /*id*/) {}
    virtual void ButtonPress(int /*id*/, int /*clickCount*/) {}
    virtual void ButtonDepress(int /*id*/) {}
    virtual void ButtonDownTick(int /*id*/) {}
    virtual void ButtonMouseEnter(int /*id*/) {}
    virtual void ButtonMouseLeave(int /*id*/) {}
    virtual void ButtonMouseMove(int /*id*/, int /*x*/, int /*y*/) {}
};

class QuillAppBase : public ButtonListener {
public:
    QuillAppBase();
    ~QuillAppBase() override;

    // The process-wide application (null when none exists).
    static QuillAppBase* Get();

    // --- scheduler ---
    virtual bool ProcessFrame(bool allowSleep);
    virtual void UpdateFrames();
    virtual bool UpdateStep();
    virtual void UpdateFraction(float fraction);
    virtual void CreateMainWindow();
    // The client size a new window gets: the player's size, kept inside the work area.
    void ClientSizeFor(const Rect& work, int& clientW, int& clientH);
    virtual void UpdateCursor();
    virtual void RestoreImages();
    virtual void ReleaseImageSurfaces();
    virtual void LoadingCompleted() {}
    virtual std::unique_ptr<MusicInterface> CreateMusicInterface();
    virtual void Init();
    virtual void ShutdownHook() {}
    virtual void LoadingProc() {}
    virtual void WriteSettings();
    virtual void ReadSettings();
    virtual bool RunMessageLoop(int dialogId = -1);
    virtual void BeginSystemPopup();
    virtual void EndSystemPopup();
    virtual void ShowFatalPopup(const std::string& message);
    virtual void Shutdown();
    virtual void ParseCommandLine(const std::vector<std::string>& args);
    virtual void Start();
    virtual void PreDisplayHook() {}
    virtual void PreDisplayInitHook() {}
    virtual bool ChangeDirHook(const std::string& /*path*/) { return false; }
    virtual void PlaySound(int id, int pan);
    virtual void PlaySound(int id);
    virtual double GetMusicVolume() { return musicVolume; }
    virtual double GetSfxVolume() { return sfxVolume; }
    virtual bool IsMuted() { return muteCount > 0; }
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    virtual void Mute(bool automatic);
    virtual void Unmute(bool automatic);
    virtual double GetLoadingProgress();
    // Loads an image file into a new display image (null when it fails).
    virtual std::unique_ptr<DDImage> GetImage(const std::string& fileName);
    virtual void SetScreenMode(bool windowed, bool use3D);
    virtual void SetWindowed(bool windowed);
    virtual void GotFocusHook() {}
    virtual void LostFocusHook() {}
    virtual bool SystemCharHook(char c) { return c == 'r' || c == 'R'; }
    virtual bool RedrawIfDirty();
    virtual void PresentScreen();
    virtual void PreReadSettingsHook() {}

    // --- window side ---
    // The window procedure: queues or handles one platform event.
    void WindowProc(const PlatformEvent& event);
    // Takes every pending platform event through WindowProc (stops once
    // shutdown is set), raises the window timer when it is due and answers a
    // second copy's request to come forward. One part of a main-loop pass.
    void DispatchPlatformEvents();
    void ProcessDeferredMessages();
    // The cursor widgets ask for (hand over buttons, arrow elsewhere).
    void SetCursorKind(CursorKind kind);
    CursorKind GetCursorKind() const { return cursorKind; }
    bool Is3DActive() const;
    void Set3D(bool use3D, bool reinitialise);
    // Ends the process through the one exit routine (restores the display first).
    [[noreturn]] void Exit(int code);

    // --- registry-style settings ---
    bool RegistryWrite(const std::string& valueName, uint32_t type, const void* data, uint32_t length);
    bool RegistryRead(const std::string& valueName, uint32_t& type, void* data, uint32_t& length);
    void RegistryEraseValue(const std::string& valueName);
    bool RegistryWriteString(const std::string& valueName, const std::string& value);
    bool RegistryWriteInteger(const std::string& valueName, int32_t value);
    bool RegistryReadInteger(const std::string& valueName, int32_t& value);
    // "SOFTWARE\" + registryKey without one trailing separator; empty when
    // registryKey is empty.
    std::string RegistryKeyPath() const;

    // --- accessors ---
    WidgetManager* GetWidgetManager() const { return widgetManager.get(); }
    SoundManager* GetSoundManager() const { return soundManager.get(); }
    MusicInterface* GetMusicInterface() const { return musicInterface.get(); }
    DDInterface* GetDisplay() const { return display.get(); }
    void AddToDeleteQueue(std::unique_ptr<Widget> w) { deleteQueue.push_back(std::move(w)); }

    // --- fields ---
    std::string titlePrefix;
    std::string productName = "Product";
    std::string productVersion;
    std::string windowTitle = "Quill Application";
    std::string registryKey;
    int32_t preferredX = -1, preferredY = -1;
    // The window's client size as the player last left it; -1: the game's own size.
    int32_t preferredWidth = -1, preferredHeight = -1;
    int32_t width = 640, height = 480;
    int32_t fullscreenBits = 16;
    double musicVolume = 0.85, sfxVolume = 0.85;
    bool noSound = false;
    bool useAlternateMusic = false;
    bool commandLineDone = false;
    bool singleInstance = true;
    std::unique_ptr<WidgetManager> widgetManager;
    std::thread::id primaryThreadId;
    bool customCursors = false;
    std::atomic<bool> shutdown{false};
    bool windowed = true;
    bool windowIsWindowed = true;
    bool desktopModeChanged = false;
    bool forceFullscreen = false, fullscreenFailed = false;
    bool initialized = false;
    bool inSystemPopup = false;
    std::unique_ptr<DDInterface> display;
    std::unique_ptr<MusicInterface> musicInterface;
    int32_t muteCount = 0, autoMuteCount = 0;
    bool autoMuteOnFocusLoss = true;
    int32_t updatesSinceDraw = 0;
    int32_t updateIntervalMs = 10;
    bool drawing = false;
    bool screenSkipped = false;
    bool drawPending = true;
    double updateFraction = 0.0;
    double timeAccumulator = 0.0;
    uint32_t lastTimeStamp = 0;
    int32_t sleepCount = 0, drawCount = 0, updateCount = 0;
    double speedFactor = 1.0;
    bool paused = false;
    uint32_t lastDrawTime = 0, nextDrawTime = 0;
    std::unique_ptr<SoundManager> soundManager;
    std::vector<std::unique_ptr<Widget>> deleteQueue;
    bool mouseInWindow = false;
    bool active = true;
    bool minimized = false;
    bool hasFocus = true;
    bool running = false;
    bool autoStartLoading = true;
    std::atomic<bool> loadingStarted{false}, loadingFinished{false}, loadingHandled{false}, loadingRunning{false},
        loadingFailed{false};
    std::atomic<bool> cursorThreadRunning{false};
    bool forceRedraw = false;
    std::atomic<int32_t> loadingTaskCount{0}, loadingTasksDone{0};
    int32_t drawTime = 0, presentTime = 0;
    bool debugKeysEnabled = false;
    int32_t refreshRate = 100;
    bool vsyncPacing = false;
    bool vsyncBroken = false;
    int32_t fastSeconds = 0;
    uint32_t fastCheckTime = 0;
    int32_t fastCheckUpdates = 0;
    bool windowedFrameLimit = false, frameLimitEnabled = true;
    int32_t discardTimeMs = 0;
    bool lastRunEndedNormally = true;
    bool settingsRead = false;
    bool screenSaverActive = false;
    // The display failed to present; PresentScreen tries to recover it.
    bool displayLost = false;
    // The 3D choice was switched during this run (asked about at the end).
    bool threeDChanged = false;
    // Print the run statistics to stderr at the end of Start.
    bool reportStatistics = true;
    uint32_t lastUserInputTime = 0;

protected:
    // Hands `loadingThread` the loading procedure (once).
    void StartLoadingThread();
    // hasFocus = active and not minimised; mutes and tells the widgets on a change.
    void ReevaluateFocus();
    // Once a second from RedrawIfDirty; the platform cannot tell whether a
    // screen saver runs, so only the allowance is kept up to date.
    void ScreenSaverWatch();
    // Re-initialises a lost display; true when it may present again.
    bool RecoverDisplay();
    // Gives the widget manager the back buffer and redraws everything.
    void AttachDisplay();
    // Accumulates real time since lastTimeStamp (capped at 1000 ms).
    void AccumulateTime(uint32_t now);
    void FlushDeleteQueue() { deleteQueue.clear(); }
    // One display period in milliseconds (60 Hz when the display does not tell).
    double DisplayPeriodMs() const;
    // How long a picture drawn now must wait before it may be presented.
    double PresentWaitMs(uint32_t now) const;
    // The too-fast detector, fed with the fixed updates a pass is about to run.
    void CountForTooFast(uint32_t now, int updates);

    std::deque<DeferredMessage> deferredMessages;
    std::thread loadingThread;
    uint32_t constructionTime = 0;
    std::unique_ptr<InstanceLock> instanceLock;
    CursorKind cursorKind = CursorKind::Arrow;
    bool timerRunning = false;
    uint32_t lastTimerTick = 0;
    uint32_t lastNotifyCheck = 0;
    uint32_t lastScreenSaverCheck = 0;
    uint32_t lastRecoveryTry = 0;
    bool firstAccumulation = true;
    // The next present may start this long after lastDrawTime.
    double presentDueInMs = 0.0;
    bool presentsStarted = false;
};

// Frames per second over a stretch of `milliseconds` (0 for none).
int32_t AverageFramesPerSecond(int32_t frames, int32_t milliseconds);

} // namespace Quill
