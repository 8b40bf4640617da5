#include "framework/platform/HeadlessPlatform.h"

#include <chrono>
#include <thread>

namespace Quill {

namespace {
uint32_t SteadyMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

HeadlessPlatform::HeadlessPlatform(bool manual) : manualClock(manual), realStart(SteadyMs()) {}

void HeadlessPlatform::Advance(uint32_t ms) { manualNow += ms; }

uint32_t HeadlessPlatform::Ticks() { return manualClock ? manualNow.load() : SteadyMs() - realStart; }

void HeadlessPlatform::Sleep(uint32_t ms) {
    if (manualClock)
        manualNow += ms;
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void HeadlessPlatform::Inject(const PlatformEvent& event) {
    std::lock_guard<std::mutex> hold(eventLock);
    events.push_back(event);
}

void HeadlessPlatform::InjectMessage(uint32_t message, uint32_t wParam, uint32_t lParam) {
    Inject(PlatformEvent{WINDOW_MAIN, message, wParam, lParam});
}

void HeadlessPlatform::MovePointer(int x, int y) {
    pointerX = x;
    pointerY = y;
    InjectMessage(MSG_MOUSEMOVE, buttons, PackPoint(x, y));
}

void HeadlessPlatform::PressButton(uint32_t bit) {
    buttons |= bit;
    uint32_t msg = bit == MOUSE_LEFT ? MSG_LBUTTONDOWN : bit == MOUSE_RIGHT ? MSG_RBUTTONDOWN : MSG_MBUTTONDOWN;
    InjectMessage(msg, buttons, PackPoint(pointerX, pointerY));
}

void HeadlessPlatform::ReleaseButton(uint32_t bit) {
    buttons &= ~bit;
    uint32_t msg = bit == MOUSE_LEFT ? MSG_LBUTTONUP : bit == MOUSE_RIGHT ? MSG_RBUTTONUP : MSG_MBUTTONUP;
    InjectMessage(msg, buttons, PackPoint(pointerX, pointerY));
}

void HeadlessPlatform::SetPointerState(int x, int y, uint32_t b) {
    pointerX = x;
    pointerY = y;
    buttons = b;
}

bool HeadlessPlatform::CreateMainWindow(int x, int y, int w, int h, bool fs) {
    ++createCount;
    if (windowFails || (fs && fullscreenFails)) {
        hasWindow = false;
        return false;
    }
    hasWindow = true;
    fullscreen = fs;
    windowX = fs ? 0 : x;
    windowY = fs ? 0 : y;
    clientW = w;
    clientH = h;
    minimized = false;
    return true;
}

void HeadlessPlatform::MinimizeWindow() {
    if (minimized) return;
    minimized = true;
    InjectMessage(MSG_SIZE, SIZE_MINIMIZED, 0);
}

void HeadlessPlatform::RestoreWindow() {
    if (!minimized) return;
    minimized = false;
    InjectMessage(MSG_SIZE, SIZE_RESTORED, PackPoint(clientW, clientH));
}

void HeadlessPlatform::OuterSize(int cw, int ch, int& ow, int& oh) {
    ow = cw + 8;
    oh = ch + 31;
}

void HeadlessPlatform::MoveWindow(int x, int y) {
    windowX = x;
    windowY = y;
    InjectMessage(MSG_MOVE, 0, PackPoint(x, y));
}

bool HeadlessPlatform::GetWindowSize(int& w, int& h) {
    if (!hasWindow || fullscreen || minimized) return false;
    w = clientW;
    h = clientH;
    return true;
}

void HeadlessPlatform::SetWindowSize(int w, int h) {
    if (!hasWindow || fullscreen) return;
    clientW = w;
    clientH = h;
    InjectMessage(MSG_SIZE, SIZE_RESTORED, PackPoint(w, h));
}

bool HeadlessPlatform::GetWindowPosition(int& x, int& y) {
    x = windowX;
    y = windowY;
    return hasWindow;
}

bool HeadlessPlatform::Present(const uint32_t* argb, int w, int h) {
    if (presentFails) return false;
    // A run on the real clock is a tool nobody watches (its screenshot is
    // taken from the back buffer): the copy would only cost time.
    if (manualClock) lastFrame.assign(argb, argb + static_cast<size_t>(w) * static_cast<size_t>(h));
    lastFrameWidth = w;
    lastFrameHeight = h;
    ++presentCount;
    return true;
}

bool HeadlessPlatform::PollEvent(PlatformEvent& event) {
    std::lock_guard<std::mutex> hold(eventLock);
    if (events.empty()) return false;
    event = events.front();
    events.pop_front();
    return true;
}

bool HeadlessPlatform::GetPointer(int& x, int& y) {
    x = pointerX;
    y = pointerY;
    return true;
}

void HeadlessPlatform::SetPointer(int x, int y) { MovePointer(x, y); }

bool HeadlessPlatform::PointerInClient() {
    return hasWindow && pointerX >= 0 && pointerY >= 0 && pointerX < clientW && pointerY < clientH;
}

int HeadlessPlatform::MessageBox(const std::string& t, const std::string& text, uint32_t) {
    messageBoxes.push_back(t + ": " + text);
    return messageBoxAnswer;
}

bool HeadlessPlatform::ShellOpen(const std::string& path) {
    shellOpened.push_back(path);
    return true;
}

} // namespace Quill
