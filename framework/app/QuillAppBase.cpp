// The application's life (construction, Init, Start, Shutdown, exit), the
// scheduler and the sound routing. Window messages, focus and display changes
// are in QuillAppWindow.cpp; the registry-style settings in QuillAppSettings.cpp.
#include "framework/app/QuillAppBase.h"

#include "framework/imageio/ImageLoader.h"
#include "framework/platform/Files.h"
#include "framework/platform/InstanceLock.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Quill {

namespace {
QuillAppBase* gApplication = nullptr;
}

QuillAppBase* QuillAppBase::Get() { return gApplication; }

int32_t AverageFramesPerSecond(int32_t frames, int32_t milliseconds) {
    if (milliseconds <= 0) return 0;
    // In 64 bits: a long session draws more than two million frames, and
    // times a thousand that no longer fits 32.
    return static_cast<int32_t>(static_cast<int64_t>(frames) * 1000 / milliseconds);
}

QuillAppBase::QuillAppBase() {
    gApplication = this;
    uint32_t now = GetPlatform().Ticks();
    constructionTime = now;
    lastDrawTime = nextDrawTime = now;
}

QuillAppBase::~QuillAppBase() {
    if (!shutdown) Shutdown();
    if (loadingThread.joinable()) loadingThread.join();

    // The 3D questions: keep a choice made during the run, or ask about it.
    if (display && threeDChanged) {
        int32_t stored = 0;
        if (RegistryReadInteger("Is3D", stored)) {
            RegistryWriteInteger("Is3D", display->is3D ? 1 : 0);
        } else if (display->is3D) {
            int answer = GetPlatform().MessageBox(
                titlePrefix + " Hardware Acceleration Confirmation",
                "Hardware Acceleration was switched on during this session. Keep it switched on?",
                MB_YESNO | MB_ICONQUESTION);
            if (answer == ID_YES)
                RegistryWriteInteger("Is3D", 1);
            else
                display->is3D = false;
        }
    } else if (display && display->had3DTrouble) {
        int answer = GetPlatform().MessageBox(
            titlePrefix + " Hardware Acceleration Confirmation",
            "Hardware Acceleration may not have been working correctly during this session. Keep it switched on?",
            MB_YESNO | MB_ICONQUESTION);
        if (answer == ID_NO) RegistryWriteInteger("Is3D", 0);
    }

    ReleaseTerminationSignals();
    FlushDeleteQueue();
    musicInterface.reset();
    soundManager.reset();
    if (widgetManager) widgetManager->SetDrawTarget(nullptr);
    widgetManager.reset();
    display.reset();
    if (gApplication == this) gApplication = nullptr;
}

[[noreturn]] void QuillAppBase::Exit(int code) {
    // Full screen is a desktop-sized window here, so giving the desktop back
    // only means closing the window; no display mode was ever changed.
    GetPlatform().DestroyMainWindow();
    std::fflush(nullptr);
    // Other threads may still run, so static objects are not torn down.
    std::_Exit(code);
}

void QuillAppBase::ParseCommandLine(const std::vector<std::string>& /*args*/) {
    // The framework's own options belong to developer tools the game leaves out.
    commandLineDone = true;
}

void QuillAppBase::Init() {
    primaryThreadId = std::this_thread::get_id();
    if (shutdown) return;
    Platform& platform = GetPlatform();
    if (!commandLineDone) ParseCommandLine({});

    if (singleInstance) {
        instanceLock = std::make_unique<InstanceLock>(productName);
        InstanceLock::Result r = instanceLock->Acquire();
        if (r == InstanceLock::Result::HeldElsewhere) {
            instanceLock->NotifyHolder();
            std::fprintf(stderr, "%s is already running; bringing it to the front.\n", productName.c_str());
            Exit(0);
        }
        if (r == InstanceLock::Result::Unavailable)
            std::fprintf(stderr, "Cannot use the lock file %s; not checking for a second copy.\n",
                         instanceLock->Path().c_str());
    }

    std::string folder = GetProgramFolder();
    if (!ChangeDirHook(folder)) SetWorkingFolder(folder);

    std::srand(platform.Ticks());
    CatchTerminationSignals();
    PreReadSettingsHook();
    ReadSettings();

    widgetManager = std::make_unique<WidgetManager>(this);
    PreDisplayHook();
    widgetManager->SetScreenSize(width, height);

    if (windowed) {
        // The client area of a maximised window must be larger than the
        // game in both directions; otherwise only full screen shows it whole.
        Rect work = platform.WorkArea();
        int outerW = 0, outerH = 0;
        platform.OuterSize(width, height, outerW, outerH);
        int maxClientW = work.width - (outerW - width);
        int maxClientH = work.height - (outerH - height);
        if (!(width < maxClientW && height < maxClientH)) {
            windowed = false;
            forceFullscreen = true;
        }
    }

    CreateMainWindow();

    if (!soundManager) soundManager = CreateSoundManager(noSound);
    SetSfxVolume(sfxVolume);
    musicInterface = CreateMusicInterface();
    SetMusicVolume(musicVolume);
    initialized = true;
}

std::unique_ptr<MusicInterface> QuillAppBase::CreateMusicInterface() { return Quill::CreateMusicInterface(noSound); }

void QuillAppBase::StartLoadingThread() {
    if (loadingStarted) return;
    loadingStarted = true;
    loadingRunning = true;
    loadingThread = std::thread([this] {
        LoadingProc();
        if (reportStatistics)
            std::fprintf(stderr, "Resource Loading Time: %d\n",
                         static_cast<int>((GetPlatform().Ticks() - constructionTime) / 1000));
        loadingFinished = true;
    });
}

void QuillAppBase::Start() {
    if (shutdown) return;
    Platform& platform = GetPlatform();
    if (autoStartLoading) StartLoadingThread();
    platform.ShowWindow();
    platform.RaiseWindow();
    running = true;
    lastDrawTime = nextDrawTime = platform.Ticks();
    uint32_t started = lastDrawTime;

    while (!shutdown) RunMessageLoop(-1);
    running = false;

    // The loading procedure cannot be interrupted; wait for it to end.
    if (loadingThread.joinable()) loadingThread.join();

    if (reportStatistics) {
        double seconds = (platform.Ticks() - started) / 1000.0;
        std::fprintf(stderr, "Seconds       = %g\n", seconds);
        std::fprintf(stderr, "Sleep Count   = %d\n", sleepCount);
        std::fprintf(stderr, "Update Count  = %d\n", updateCount);
        std::fprintf(stderr, "Draw Count    = %d\n", drawCount);
        std::fprintf(stderr, "Draw Time     = %d\n", drawTime);
        std::fprintf(stderr, "Screen Blt    = %d\n", presentTime);
        if (drawTime + presentTime > 0)
            std::fprintf(stderr, "Avg FPS       = %d\n", AverageFramesPerSecond(drawCount, drawTime + presentTime));
    }
    ShutdownHook();
    WriteSettings();
}

bool QuillAppBase::RunMessageLoop(int dialogId) {
    // The game has no framework dialogs.
    if (dialogId != -1) return false;
    while (!shutdown) {
        DispatchPlatformEvents();
        ProcessDeferredMessages();
        ProcessFrame(true);
    }
    return true;
}

void QuillAppBase::Shutdown() {
    if (shutdown.exchange(true)) return;
    if (musicInterface) musicInterface->StopAllMusic();
    GetPlatform().HideWindow();
    if (settingsRead) WriteSettings();
}

void QuillAppBase::AccumulateTime(uint32_t now) {
    if (firstAccumulation) {
        firstAccumulation = false;
    } else {
        uint32_t elapsed = now - lastTimeStamp;
        timeAccumulator = std::min(timeAccumulator + elapsed, 1000.0);
        discardTimeMs = std::max<int32_t>(0, discardTimeMs - static_cast<int32_t>(std::min<uint32_t>(elapsed, 1u << 30)));
    }
    lastTimeStamp = now;
}

double QuillAppBase::DisplayPeriodMs() const { return 1000.0 / (refreshRate > 0 ? refreshRate : 60); }

double QuillAppBase::PresentWaitMs(uint32_t now) const {
    return std::max(0.0, presentDueInMs - static_cast<double>(now - lastDrawTime));
}

void QuillAppBase::CountForTooFast(uint32_t now, int updates) {
    // Presents that do not wait for the display would run the game too fast:
    // 100 updates in 750 ms or less three times running turns pacing off.
    if (speedFactor != 1.0) return;
    fastCheckUpdates += updates;
    if (fastCheckUpdates < (updateIntervalMs + 999) / updateIntervalMs) return;
    if (now - fastCheckTime <= 750) {
        if (++fastSeconds >= 3) vsyncBroken = true;
    } else {
        fastSeconds = 0;
    }
    fastCheckTime = now;
    fastCheckUpdates = 0;
}

bool QuillAppBase::ProcessFrame(bool allowSleep) {
    Platform& platform = GetPlatform();
    if (loadingFailed) Shutdown();

    bool paced = vsyncPacing && !vsyncBroken && !screenSkipped &&
                 (!windowIsWindowed || (windowedFrameLimit && !frameLimitEnabled));
    double frameBudget, updatesPerFrame;
    if (vsyncPacing) {
        frameBudget = DisplayPeriodMs() / speedFactor;
        updatesPerFrame = DisplayPeriodMs() / updateIntervalMs;
    } else {
        frameBudget = updateIntervalMs / speedFactor;
        updatesPerFrame = 1.0;
    }

    if (paused || speedFactor <= 0) {
        FlushDeleteQueue();
        return true;
    }

    uint32_t t0 = platform.Ticks();
    if (!paced) AccumulateTime(t0);

    uint32_t slept = 0;
    ++updatesSinceDraw;
    bool forceDraw = updatesSinceDraw >= static_cast<int32_t>(std::ceil(speedFactor * 10)) && loadingHandled;
    bool doUpdate;
    if (forceDraw)
        doUpdate = false;
    else if (paced)
        doUpdate = !drawPending || std::trunc(frameBudget * 0.75) <= timeAccumulator;
    else
        doUpdate = timeAccumulator >= frameBudget;

    if (doUpdate) {
        // The frame's share of fixed updates is carried from frame to frame:
        // above 100 Hz some frames run none, so updates stay 100 a second.
        updateFraction += updatesPerFrame;
        CountForTooFast(t0, static_cast<int>(updateFraction));
        bool ran = !screenSaverActive;
        for (; ran && updateFraction >= 1.0; updateFraction -= 1.0) {
            ran = UpdateStep();
            FlushDeleteQueue();
        }
        if (ran) {
            UpdateFraction(static_cast<float>(updatesPerFrame));
            FlushDeleteQueue();
        } else {
            updateFraction -= std::floor(updateFraction);
        }
        timeAccumulator -= frameBudget;
        if (paced) timeAccumulator = std::max(0.0, timeAccumulator - 0.2);
        if (discardTimeMs > 0) timeAccumulator = 0;
        drawPending = true;
    } else {
        // Never more presents than the display shows: a picture due before
        // the display's next period waits for it (updates that fall due
        // meanwhile still run, up to the limit between two draws).
        double presentWait = drawPending ? PresentWaitMs(t0) : 0.0;
        if (drawPending && presentWait <= 0.0) {
            updatesSinceDraw = 0;
            RedrawIfDirty();
        } else {
            double wait = frameBudget - timeAccumulator;
            if (!drawPending)
                updatesSinceDraw = 0;
            else if (forceDraw || paced)
                wait = presentWait;
            else
                wait = std::min(wait, presentWait);
            // Rounded up: with a budget of 16.67 ms, 16 ms of sleep would
            // leave a fraction that no whole-millisecond sleep ever covers,
            // and the loop would spin until the clock ticks over.
            int idle = static_cast<int>(std::ceil(wait));
            if (idle > 0) {
                if (!allowSleep) return false;
                ++sleepCount;
                platform.Sleep(static_cast<uint32_t>(idle));
                slept = static_cast<uint32_t>(idle);
            }
        }
    }

    // While loading, leave the loading thread time: twice what this pass
    // worked, at most 250 ms.
    if (loadingStarted && !loadingFinished) {
        int32_t worked = static_cast<int32_t>(platform.Ticks() - t0 - slept);
        int32_t x = 2 * worked - static_cast<int32_t>(slept);
        if (x > 250) x = 250;
        if (x >= 0) {
            if (!allowSleep) return false;
            platform.Sleep(static_cast<uint32_t>(x));
        }
    }
    FlushDeleteQueue();
    return true;
}

bool QuillAppBase::UpdateStep() {
    if (screenSaverActive) return false;
    if (loadingFinished && !loadingHandled) {
        loadingHandled = true;
        loadingRunning = false;
        if (loadingThread.joinable()) loadingThread.join();
        LoadingCompleted();
    }
    UpdateFrames();
    return true;
}

void QuillAppBase::UpdateFrames() {
    ++updateCount;
    if (!minimized && widgetManager) widgetManager->UpdateAll();
    if (musicInterface) musicInterface->Update();
}

void QuillAppBase::UpdateFraction(float fraction) {
    if (vsyncPacing && !minimized && widgetManager) widgetManager->FractionalUpdateAll(fraction);
}

bool QuillAppBase::RedrawIfDirty() {
    Platform& platform = GetPlatform();
    if (displayLost) {
        PresentScreen();
        drawPending = false;
        screenSkipped = true;
        return false;
    }
    uint32_t start = platform.Ticks();
    if (start - lastScreenSaverCheck > 1000) {
        lastScreenSaverCheck = start;
        ScreenSaverWatch();
    }
    if (screenSaverActive) {
        drawPending = false;
        screenSkipped = true;
        return false;
    }

    bool drew = false;
    drawing = true;
    // The manager takes the display lock itself, after its own.
    if (widgetManager && display) drew = widgetManager->DrawDirtyWidgets();
    drawing = false;

    uint32_t now = platform.Ticks();
    if ((!drew && now - lastDrawTime < 1000 && !forceRedraw) || static_cast<int32_t>(now - nextDrawTime) < 0) {
        screenSkipped = true;
        drawPending = false;
        return false;
    }
    screenSkipped = false;
    ++drawCount;
    drawTime += static_cast<int32_t>(now - start);

    if (windowIsWindowed && windowedFrameLimit && frameLimitEnabled && display) {
        uint32_t period = static_cast<uint32_t>(display->GetPeriodMs());
        uint32_t since = now - lastDrawTime;
        if (since < period) platform.Sleep(period - since);
        now = platform.Ticks();
    }

    // The next present is due one display period after this one's slot; a
    // present that came late shortens the wait, to half a period at least.
    double period = DisplayPeriodMs();
    double late = presentsStarted ? static_cast<double>(now - lastDrawTime) - presentDueInMs : 0.0;
    presentDueInMs = std::max(period - std::max(late, 0.0), period / 2);
    presentsStarted = true;
    lastDrawTime = now;
    PresentScreen();
    uint32_t presented = platform.Ticks();
    AccumulateTime(presented);
    presentTime += static_cast<int32_t>(presented - now);

    // While loading, draw at most about every 50 ms so the loader gets the time.
    if (loadingStarted && !loadingFinished) {
        uint32_t d = presented - start;
        if (d < 16) d = 15;
        nextDrawTime += d + 35;
        if (static_cast<int32_t>(nextDrawTime - presented) <= 0) nextDrawTime = presented;
    } else {
        nextDrawTime = presented;
    }
    drawPending = false;
    forceRedraw = false;
    return true;
}

double QuillAppBase::GetLoadingProgress() {
    if (loadingHandled) return 1.0;
    if (!loadingStarted || loadingTaskCount <= 0) return 0.0;
    return std::min(static_cast<double>(loadingTasksDone) / loadingTaskCount, 1.0);
}

std::unique_ptr<DDImage> QuillAppBase::GetImage(const std::string& fileName) {
    return Quill::GetImage(fileName, display.get());
}

// --- sound routing ---

void QuillAppBase::PlaySound(int id, int pan) {
    if (!soundManager || id < 0) return;
    SoundInstance* instance = soundManager->AcquireInstance(static_cast<uint32_t>(id));
    if (!instance) return;
    instance->SetPan(pan);
    instance->Play(false, true);
}

void QuillAppBase::PlaySound(int id) {
    if (!soundManager || id < 0) return;
    SoundInstance* instance = soundManager->AcquireInstance(static_cast<uint32_t>(id));
    if (instance) instance->Play(false, true);
}

void QuillAppBase::SetMusicVolume(double volume) {
    musicVolume = std::clamp(volume, 0.0, 1.0);
    if (musicInterface) musicInterface->SetVolume(IsMuted() ? 0.0 : musicVolume);
}

void QuillAppBase::SetSfxVolume(double volume) {
    sfxVolume = std::clamp(volume, 0.0, 1.0);
    if (soundManager) soundManager->SetVolume(IsMuted() ? 0.0 : sfxVolume);
}

void QuillAppBase::Mute(bool automatic) {
    ++muteCount;
    if (automatic) ++autoMuteCount;
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

void QuillAppBase::Unmute(bool automatic) {
    if (muteCount > 0) --muteCount;
    if (automatic && autoMuteCount > 0) --autoMuteCount;
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

} // namespace Quill
