// The side of the application that faces the window system: the window
// procedure and its message queue, focus and muting, the main window's
// placement, screen-mode and 3D switches, and recovering a lost display.
#include "framework/app/QuillAppBase.h"

#include "framework/platform/InstanceLock.h"

#include <cmath>

namespace Quill {

namespace {
bool IsMouseMessage(uint32_t message) {
    return message >= MSG_MOUSEMOVE && message <= MSG_MBUTTONUP;
}

// Messages the window procedure leaves to the main loop.
bool IsQueued(uint32_t message) {
    switch (message) {
    case MSG_KEYDOWN:
    case MSG_KEYUP:
    case MSG_SYSKEYDOWN:
    case MSG_SYSKEYUP:
    case MSG_CHAR:
    case MSG_MOUSEWHEEL:
    case MSG_TIMER:
    case MSG_MOVE:
    case MSG_SIZE:
    case MSG_CLOSE:
    case MSG_ACTIVATE: return true;
    default: return IsMouseMessage(message);
    }
}
} // namespace

void QuillAppBase::WindowProc(const PlatformEvent& event) {
    Platform& platform = GetPlatform();
    switch (event.message) {
    case MSG_NCLBUTTONDOWN:
        // The window is being dragged: the time spent in it is not game time.
        lastTimeStamp = platform.Ticks();
        timeAccumulator = 0;
        return;
    case MSG_PAINT:
        if (initialized && running) PresentScreen();
        return;
    case MSG_ENDSESSION:
        Shutdown();
        return;
    case MSG_SYSCHAR:
        // Swallowed or left to the system; never queued.
        SystemCharHook(static_cast<char>(event.wParam));
        return;
    default: break;
    }
    if (!IsQueued(event.message)) return;
    if (inSystemPopup) return;

    if (event.message == MSG_ACTIVATE && event.window == WINDOW_MAIN) active = event.wParam != 0;
    deferredMessages.push_back(DeferredMessage{event.window, event.message, event.wParam, event.lParam});

    if (event.message == MSG_SYSKEYDOWN) {
        if (event.wParam == VK_RETURN && !forceFullscreen && !fullscreenFailed) SetWindowed(!windowed);
        // Alt+F4 is the system's: it closes the window.
        if (event.wParam == VK_F4) deferredMessages.push_back(DeferredMessage{event.window, MSG_CLOSE, 0, 0});
    }
}

void QuillAppBase::DispatchPlatformEvents() {
    Platform& platform = GetPlatform();
    PlatformEvent event;
    while (!shutdown && platform.PollEvent(event)) WindowProc(event);
    // Asked to end from outside: the same as closing the window.
    if (!shutdown && TakeTerminationRequest()) WindowProc(PlatformEvent{WINDOW_MAIN, MSG_CLOSE, 0, 0});

    uint32_t now = platform.Ticks();
    if (timerRunning && now - lastTimerTick >= static_cast<uint32_t>(std::max(1, updateIntervalMs))) {
        lastTimerTick = now;
        WindowProc(PlatformEvent{WINDOW_MAIN, MSG_TIMER, 100, 0});
    }
    if (instanceLock && now - lastNotifyCheck >= 500) {
        lastNotifyCheck = now;
        // Another copy was started: it has gone again, and we come forward.
        if (instanceLock->TakeNotification() && platform.HasWindow()) {
            if (platform.IsMinimized()) platform.RestoreWindow();
            platform.RaiseWindow();
        }
    }
}

void QuillAppBase::ProcessDeferredMessages() {
    Platform& platform = GetPlatform();
    std::deque<DeferredMessage> queue;
    queue.swap(deferredMessages);
    for (const DeferredMessage& m : queue) {
        WidgetManager* wm = widgetManager.get();
        switch (m.message) {
        case MSG_CHAR:
            lastUserInputTime = platform.Ticks();
            if (wm) wm->OnChar(static_cast<char>(m.wParam));
            break;
        case MSG_KEYDOWN:
            lastUserInputTime = platform.Ticks();
            if (wm) wm->OnKeyDown(m.wParam);
            break;
        case MSG_KEYUP:
            lastUserInputTime = platform.Ticks();
            if (wm) wm->OnKeyUp(m.wParam);
            break;
        case MSG_SYSKEYUP:
            // A key pressed before Alt and let go while Alt is held comes up
            // as a system key; it must still come up, or it would stay down
            // (a stuck Control sends every later Tab to the default widget).
            if (wm && wm->IsKeyDown(m.wParam)) {
                lastUserInputTime = platform.Ticks();
                wm->OnKeyUp(m.wParam);
            }
            break;
        case MSG_MOVE:
            if (m.window == WINDOW_MAIN && windowIsWindowed && !minimized && !platform.IsMinimized()) {
                int x = 0, y = 0;
                if (platform.GetWindowPosition(x, y)) {
                    preferredX = x;
                    preferredY = y;
                }
            }
            break;
        case MSG_SIZE:
            // A window the player sized is opened at that size next time.
            if (m.window == WINDOW_MAIN && windowIsWindowed && m.wParam == SIZE_RESTORED) {
                int w = 0, h = 0;
                if (platform.GetWindowSize(w, h)) {
                    preferredWidth = w;
                    preferredHeight = h;
                }
            }
            if (m.window == WINDOW_MAIN && !shutdown) {
                bool nowMinimized = m.wParam == SIZE_MINIMIZED;
                if (nowMinimized != minimized) {
                    minimized = nowMinimized;
                    if (minimized) {
                        if (autoMuteOnFocusLoss) Mute(true);
                    } else {
                        if (autoMuteOnFocusLoss) Unmute(true);
                        if (wm) wm->InvalidateAll();
                    }
                }
                ReevaluateFocus();
            }
            break;
        case MSG_ACTIVATE:
            if (m.window == WINDOW_MAIN && !shutdown) {
                ReevaluateFocus();
                if (active && !windowIsWindowed && wm) wm->InvalidateAll();
            }
            break;
        case MSG_TIMER:
            if (running) {
                bool inside = platform.PointerInClient();
                if (inside != mouseInWindow) {
                    mouseInWindow = inside;
                    if (!inside && wm) wm->OnMouseExit();
                    UpdateCursor();
                }
            }
            break;
        case MSG_MOUSEWHEEL:
            lastUserInputTime = platform.Ticks();
            if (wm) wm->OnMouseWheel(static_cast<int16_t>(m.wParam >> 16) / 120);
            break;
        case MSG_CLOSE:
            Shutdown();
            break;
        default:
            if (IsMouseMessage(m.message) && wm) {
                lastUserInputTime = platform.Ticks();
                int x = PointX(m.lParam), y = PointY(m.lParam);
                wm->OnMouseMove(x, y);
                if (!mouseInWindow) {
                    mouseInWindow = true;
                    UpdateCursor();
                }
                int down = 0, up = 0;
                switch (m.message) {
                case MSG_LBUTTONDOWN: down = 1; break;
                case MSG_LBUTTONDBLCLK: down = 2; break;
                case MSG_RBUTTONDOWN: down = -1; break;
                case MSG_RBUTTONDBLCLK: down = -2; break;
                case MSG_MBUTTONDOWN: down = 3; break;
                case MSG_LBUTTONUP: up = 1; break;
                case MSG_RBUTTONUP: up = -1; break;
                case MSG_MBUTTONUP: up = 3; break;
                default: break;
                }
                if (down != 0) {
                    if (down == 1 || down == 2) platform.CaptureMouse(true);
                    wm->OnMouseDown(x, y, down);
                } else if (up != 0) {
                    wm->OnMouseUp(x, y, up);
                    if (wm->GetDownButtons() == 0) platform.CaptureMouse(false);
                }
            }
            break;
        }
    }
}

void QuillAppBase::ReevaluateFocus() {
    bool had = hasFocus;
    hasFocus = active && !minimized;
    if (had == hasFocus) return;
    WidgetManager* wm = widgetManager.get();
    if (!hasFocus) {
        if (autoMuteOnFocusLoss) Mute(true);
        // Buttons held when the focus goes are let go where they were pressed.
        if (wm) {
            uint32_t held = wm->GetDownButtons();
            static const struct { uint32_t bit; int clickCount; } kButtons[] = {
                {MOUSE_LEFT, 1}, {MOUSE_RIGHT, -1}, {MOUSE_MIDDLE, 3}};
            for (const auto& b : kButtons)
                if (held & b.bit) wm->OnMouseUp(wm->lastMouseX, wm->lastMouseY, b.clickCount);
            wm->OnLostFocus();
        }
        LostFocusHook();
        GetPlatform().CaptureMouse(false);
    } else {
        if (autoMuteOnFocusLoss) Unmute(true);
        if (wm) wm->OnGotFocus();
        GotFocusHook();
    }
}

void QuillAppBase::SetCursorKind(CursorKind kind) {
    cursorKind = kind;
    UpdateCursor();
}

void QuillAppBase::UpdateCursor() {
    // Only system cursors: the software cursor of old displays is not needed.
    GetPlatform().SetCursor(cursorKind);
}

void QuillAppBase::RestoreImages() {
    // Images keep their pixels in memory and have no device copies to rebuild.
}

void QuillAppBase::ReleaseImageSurfaces() {
    // Nor any device surfaces to drop.
}

void QuillAppBase::BeginSystemPopup() {
    if (!windowIsWindowed) inSystemPopup = true;
}

void QuillAppBase::EndSystemPopup() {
    inSystemPopup = false;
    lastTimeStamp = GetPlatform().Ticks();
    timeAccumulator = 0;
    if (widgetManager) widgetManager->ClearKeyDown();
}

void QuillAppBase::ShowFatalPopup(const std::string& message) {
    if (shutdown) return;
    BeginSystemPopup();
    GetPlatform().MessageBox("FATAL ERROR", message, MB_OK | MB_ICONERROR);
    EndSystemPopup();
}

void QuillAppBase::ScreenSaverWatch() {
    // The platform cannot say whether a screen saver is set up or running,
    // so the flag never rises; the saver itself is only kept away while the
    // game loads and while it fills the screen.
    GetPlatform().AllowScreenSaver(loadingHandled && windowIsWindowed);
}

void QuillAppBase::AttachDisplay() {
    if (!widgetManager || !display) return;
    widgetManager->SetDrawTarget(display->GetScreenImage());
    widgetManager->InvalidateAll();
}

void QuillAppBase::ClientSizeFor(const Rect& work, int& clientW, int& clientH) {
    clientW = width;
    clientH = height;
    // A size too small to play in, or from a damaged file, is not the player's.
    if (preferredWidth < width / 4 || preferredHeight < height / 4) return;
    int outerW = 0, outerH = 0;
    GetPlatform().OuterSize(preferredWidth, preferredHeight, outerW, outerH);
    // A size left from a larger desktop shrinks to this one's work area.
    clientW = std::min(preferredWidth, preferredWidth - (outerW - work.width) - 8);
    clientH = std::min(preferredHeight, preferredHeight - (outerH - work.height) - 8);
    if (clientW < width / 4 || clientH < height / 4) {
        clientW = width;
        clientH = height;
    }
}

void QuillAppBase::CreateMainWindow() {
    Platform& platform = GetPlatform();
    if (widgetManager) widgetManager->SetDrawTarget(nullptr);
    timerRunning = false;

    bool created;
    if (!windowed) {
        windowIsWindowed = false;
        created = platform.CreateMainWindow(0, 0, width, height, true);
    } else {
        windowIsWindowed = true;
        Rect work = platform.WorkArea();
        int clientW = width, clientH = height;
        ClientSizeFor(work, clientW, clientH);
        int outerW = 0, outerH = 0;
        platform.OuterSize(clientW, clientH, outerW, outerH);
        int right = work.x + work.width, bottom = work.y + work.height;
        int x, y;
        if (preferredX != -1 && preferredY != -1) {
            x = std::max(preferredX, work.x + 4);
            y = std::max(preferredY, work.y + 4);
            if (x + outerW > right - 4) x = right - 4 - outerW;
            if (y + outerH > bottom - 4) y = bottom - 4 - outerH;
        } else {
            x = work.x + (work.width - outerW) / 2;
            y = work.y + static_cast<int>(std::trunc(0.382 * (work.height - outerH)));
        }
        created = platform.CreateMainWindow(x, y, width, height, false);
        if (created && (clientW != width || clientH != height)) platform.SetWindowSize(clientW, clientH);
    }
    if (created) platform.SetTitle(windowTitle);

    if (!display) {
        display = std::make_unique<DDInterface>();
        int32_t use3D = 0;
        display->is3D = RegistryReadInteger("Is3D", use3D) && use3D != 0;
    }
    PreDisplayInitHook();
    int result = created ? display->Init(width, height, windowIsWindowed)
                         : (windowIsWindowed ? DDInterface::RESULT_DD_CREATE_FAIL : DDInterface::RESULT_EXCLUSIVE_FAIL);
    if (!created) display->errorText = "the window system refused the window";

    if (result == DDInterface::RESULT_OK) {
        refreshRate = display->GetRefreshRate();
        if (minimized) {
            minimized = false;
            if (autoMuteOnFocusLoss) Unmute(true);
        }
        displayLost = false;
        AttachDisplay();
        timerRunning = true;
        lastTimerTick = platform.Ticks();
    } else if (result == DDInterface::RESULT_INVALID_COLORDEPTH && windowIsWindowed) {
        if (fullscreenFailed) {
            ShowFatalPopup("Please set your desktop color depth to 16 bit.");
            Exit(1);
        }
        forceFullscreen = true;
        windowed = false;
        CreateMainWindow();
    } else if ((result == DDInterface::RESULT_EXCLUSIVE_FAIL || result == DDInterface::RESULT_DISPCHANGE_FAIL) &&
               !windowIsWindowed) {
        fullscreenFailed = true;
        forceFullscreen = false;
        windowed = true;
        CreateMainWindow();
    } else if (display->is3D) {
        if (result == DDInterface::RESULT_3D_FAIL) RegistryEraseValue("Is3D");
        display->is3D = false;
        CreateMainWindow();
    } else {
        ShowFatalPopup(std::string("Failed to initialize DirectDraw: ") + DDInterface::ResultText(result) + " " +
                       display->errorText);
        Exit(1);
    }
}

bool QuillAppBase::Is3DActive() const { return display && display->is3D; }

void QuillAppBase::Set3D(bool use3D, bool reinitialise) {
    if (!display || display->is3D == use3D) return;
    threeDChanged = true;
    display->is3D = use3D;
    if (!reinitialise) return;
    PreDisplayInitHook();
    ReleaseImageSurfaces();
    int result = display->Init(width, height, windowIsWindowed);
    if (result != DDInterface::RESULT_OK) {
        if (use3D) {
            Set3D(false, reinitialise);
            return;
        }
        ShowFatalPopup(std::string("Failed to initialize DirectDraw: ") + DDInterface::ResultText(result) + " " +
                       display->errorText);
        Exit(1);
    }
    refreshRate = display->GetRefreshRate();
    AttachDisplay();
}

void QuillAppBase::SetScreenMode(bool wantWindowed, bool use3D) {
    if (forceFullscreen) wantWindowed = false;
    if (wantWindowed == windowIsWindowed && display) {
        Set3D(use3D, true);
        return;
    }
    if (display) display->is3D = use3D;
    windowed = wantWindowed;
    CreateMainWindow();
    Platform& platform = GetPlatform();
    platform.ShowWindow();
    platform.RaiseWindow();
    if (soundManager) soundManager->RebindWindow(windowed);
    RestoreImages();
    lastDrawTime = nextDrawTime = platform.Ticks();
}

void QuillAppBase::SetWindowed(bool wantWindowed) { SetScreenMode(wantWindowed, Is3DActive()); }

void QuillAppBase::PresentScreen() {
    if (!display) return;
    if (displayLost && !RecoverDisplay()) return;
    displayLost = !display->Present();
}

bool QuillAppBase::RecoverDisplay() {
    Platform& platform = GetPlatform();
    uint32_t now = platform.Ticks();
    if (minimized || platform.IsMinimized()) return false;
    if (!active && now - lastRecoveryTry < 1000) return false;
    lastRecoveryTry = now;
    if (widgetManager) widgetManager->SetDrawTarget(nullptr);
    PreDisplayInitHook();
    int result = display->Init(width, height, windowIsWindowed);
    if (result == DDInterface::RESULT_OK) {
        refreshRate = display->GetRefreshRate();
        RestoreImages();
        AttachDisplay();
        lastDrawTime = nextDrawTime = now;
        return true;
    }
    if (result == DDInterface::RESULT_INVALID_COLORDEPTH && windowIsWindowed) {
        if (active) {
            forceFullscreen = true;
            SetScreenMode(false, Is3DActive());
        }
    } else if (result == DDInterface::RESULT_3D_FAIL) {
        display->is3D = false;
    }
    return false;
}

} // namespace Quill
