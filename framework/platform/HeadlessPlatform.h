#pragma once
// A platform without a window or an audio device. Tests drive it: they inject
// events and pointer state, advance a manual clock (Sleep advances it too, so
// the real scheduler runs at full speed without waiting) and look at the last
// presented frame. `--headless` runs use it on the real clock.
#include "framework/platform/Platform.h"

#include <atomic>
#include <deque>
#include <mutex>

namespace Quill {

class HeadlessPlatform : public Platform {
public:
    // With manualClock, time moves only through Advance and Sleep.
    explicit HeadlessPlatform(bool manualClock = true);

    // --- test controls ---
    void Advance(uint32_t ms);
    void Inject(const PlatformEvent& event);
    void InjectMessage(uint32_t message, uint32_t wParam = 0, uint32_t lParam = 0);
    // Moves the pointer and queues the mouse-move event for it.
    void MovePointer(int x, int y);
    // Presses or releases buttons at the pointer (async state and the event).
    void PressButton(uint32_t mouseBit);
    void ReleaseButton(uint32_t mouseBit);
    void SetPointerState(int x, int y, uint32_t buttons);
    // The answer MessageBox gives (ID_OK by default); every box is recorded.
    void SetMessageBoxAnswer(int answer) { messageBoxAnswer = answer; }
    const std::vector<std::string>& MessageBoxes() const { return messageBoxes; }
    const std::vector<std::string>& ShellOpened() const { return shellOpened; }
    // The last presented frame (empty before the first present).
    const std::vector<uint32_t>& LastFrame() const { return lastFrame; }
    int LastFrameWidth() const { return lastFrameWidth; }
    int LastFrameHeight() const { return lastFrameHeight; }
    int PresentCount() const { return presentCount; }
    void SetRefreshRate(int hz) { refreshRate = hz; }
    void SetPresentFails(bool fails) { presentFails = fails; }
    void SetWorkArea(const Rect& r) { workArea = r; }
    // Makes the next window creations fail (full-screen ones only, or all).
    void SetFullscreenFails(bool fails) { fullscreenFails = fails; }
    void SetWindowFails(bool fails) { windowFails = fails; }
    int CreateCount() const { return createCount; }
    bool IsFullscreen() const override { return fullscreen; }
    bool IsShown() const { return shown; }
    bool ScreenSaverAllowed() const { return screenSaverAllowed; }
    bool Captured() const { return captured; }
    int WindowX() const { return windowX; }
    int WindowY() const { return windowY; }
    CursorKind Cursor() const { return cursor; }

    // --- Platform ---
    uint32_t Ticks() override;
    void Sleep(uint32_t ms) override;
    bool CreateMainWindow(int x, int y, int w, int h, bool fullscreen) override;
    void DestroyMainWindow() override { hasWindow = shown = false; }
    bool HasWindow() const override { return hasWindow; }
    void SetTitle(const std::string& t) override { title = t; }
    void SetIcon(const uint32_t*, int, int) override {}
    void ShowWindow() override { shown = hasWindow; }
    void HideWindow() override { shown = false; }
    void MinimizeWindow() override;
    void RestoreWindow() override;
    void RaiseWindow() override {}
    bool IsMinimized() const override { return minimized; }
    Rect WorkArea() override { return workArea; }
    void OuterSize(int cw, int ch, int& ow, int& oh) override;
    void MoveWindow(int x, int y) override;
    bool GetWindowPosition(int& x, int& y) override;
    bool GetWindowSize(int& w, int& h) override;
    // The player's drag: sets the size and sends the size message.
    void SetWindowSize(int w, int h) override;
    int ClientWidth() const { return clientW; }
    int ClientHeight() const { return clientH; }
    bool Present(const uint32_t* argb, int w, int h) override;
    int RefreshRate() override { return refreshRate; }
    bool PollEvent(PlatformEvent& event) override;
    bool GetPointer(int& x, int& y) override;
    void SetPointer(int x, int y) override;
    bool PointerInClient() override;
    uint32_t MouseButtons() override { return buttons; }
    void CaptureMouse(bool capture) override { captured = capture; }
    void SetCursor(CursorKind kind) override { cursor = kind; }
    void AllowScreenSaver(bool allow) override { screenSaverAllowed = allow; }
    int MessageBox(const std::string& title, const std::string& text, uint32_t flags) override;
    bool ShellOpen(const std::string& path) override;
    bool OpenAudio(int, AudioCallback) override { return false; }
    void CloseAudio() override {}
    void LockAudio() override {}
    void UnlockAudio() override {}

    std::string title;

private:
    bool manualClock;
    // The loading thread reads the clock while the main thread advances it.
    std::atomic<uint32_t> manualNow{0};
    uint32_t realStart = 0;
    std::mutex eventLock;
    std::deque<PlatformEvent> events;
    int pointerX = 0, pointerY = 0;
    uint32_t buttons = 0;
    int messageBoxAnswer = ID_OK;
    std::vector<std::string> messageBoxes;
    std::vector<std::string> shellOpened;
    std::vector<uint32_t> lastFrame;
    int lastFrameWidth = 0, lastFrameHeight = 0;
    int presentCount = 0;
    int refreshRate = 60;
    bool presentFails = false;
    bool hasWindow = false;
    bool minimized = false;
    bool fullscreen = false;
    bool fullscreenFails = false;
    bool windowFails = false;
    bool shown = false;
    bool screenSaverAllowed = false;
    bool captured = false;
    int createCount = 0;
    int windowX = 0, windowY = 0, clientW = 0, clientH = 0;
    Rect workArea{0, 0, 1920, 1050};
    CursorKind cursor = CursorKind::Arrow;
};

} // namespace Quill
