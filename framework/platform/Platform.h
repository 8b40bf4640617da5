#pragma once
// framework/platform/: the only folder that includes SDL. It may use base/.
//
// The platform layer: everything the framework asks of the operating system,
// behind one interface. Two implementations exist: SdlPlatform (a real window,
// events and audio) and HeadlessPlatform (no window, injected input, captured
// frames, and a manual clock for tests). Only files in this folder include SDL.
//
// Window events come out as the framework's message codes (the classic window
// message numbers the game logic is written against) with their two
// parameters; mouse positions are already mapped into the logical screen
// (the back buffer's size), whatever the window's real size is.
#include "framework/base/Rect.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Quill {

// Message codes of the framework's deferred messages.
enum MessageCode : uint32_t {
    MSG_MOVE = 0x0003,          // window moved: lParam = x | y << 16 of the client origin
    MSG_SIZE = 0x0005,          // wParam: SIZE_RESTORED 0, SIZE_MINIMIZED 1, SIZE_MAXIMIZED 2
    MSG_ACTIVATE = 0x0006,      // wParam: 0 inactive, 1 active
    MSG_PAINT = 0x000F,         // the window needs its picture again
    MSG_CLOSE = 0x0010,
    MSG_ENDSESSION = 0x0016,
    MSG_KEYDOWN = 0x0100,       // wParam = virtual key
    MSG_KEYUP = 0x0101,
    MSG_CHAR = 0x0102,          // wParam = 8-bit character
    MSG_SYSKEYDOWN = 0x0104,    // a key with Alt held
    MSG_SYSKEYUP = 0x0105,
    MSG_SYSCHAR = 0x0106,
    MSG_TIMER = 0x0113,
    MSG_MOUSEMOVE = 0x0200,     // lParam = x | y << 16 (signed 16-bit each)
    MSG_LBUTTONDOWN = 0x0201,
    MSG_LBUTTONUP = 0x0202,
    MSG_LBUTTONDBLCLK = 0x0203,
    MSG_RBUTTONDOWN = 0x0204,
    MSG_RBUTTONUP = 0x0205,
    MSG_RBUTTONDBLCLK = 0x0206,
    MSG_MBUTTONDOWN = 0x0207,
    MSG_MBUTTONUP = 0x0208,
    MSG_MOUSEWHEEL = 0x020A,    // wParam high 16 bits = signed delta, 120 per notch; lParam = position
    MSG_NCLBUTTONDOWN = 0x00A1, // a press on the window frame (the move/resize loop follows)
};

enum SizeKind : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// Virtual-key codes used by the game.
enum VirtualKey : uint32_t {
    VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
    VK_ESCAPE = 27, VK_SPACE = 32, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40,
    VK_DELETE = 46, VK_F1 = 0x70, VK_F4 = 0x73
};

// Mouse button bits, as kept by the widget manager and the async state.
enum MouseBit : uint32_t { MOUSE_LEFT = 1, MOUSE_RIGHT = 2, MOUSE_MIDDLE = 4 };

inline uint32_t PackPoint(int x, int y) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(x))) | (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
}
inline int PointX(uint32_t lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
inline int PointY(uint32_t lParam) { return static_cast<int16_t>(lParam >> 16); }

// One event from the window system. `window` is 1 for the main window and 2
// for the hidden window.
struct PlatformEvent {
    uint32_t window = 1;
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
};

enum WindowId : uint32_t { WINDOW_MAIN = 1, WINDOW_HIDDEN = 2 };

enum class CursorKind { Arrow, Hand, Drag, None };

enum MessageBoxFlags : uint32_t { MB_OK = 0, MB_YESNO = 4, MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20 };
enum MessageBoxResult : int { ID_OK = 1, ID_YES = 6, ID_NO = 7 };

// Fills `out` with `frames` interleaved 16-bit stereo frames at the device rate.
using AudioCallback = std::function<void(int16_t* out, int frames)>;

class Platform {
public:
    virtual ~Platform() = default;

    // --- clock ---
    // Milliseconds since the platform started (wraps after 49 days).
    virtual uint32_t Ticks() = 0;
    virtual void Sleep(uint32_t ms) = 0;

    // --- window ---
    // Creates (or re-creates) the main window with a client area of the logical
    // size: windowed with its outer top-left at (x, y), or desktop full screen.
    virtual bool CreateMainWindow(int x, int y, int logicalWidth, int logicalHeight, bool fullscreen) = 0;
    virtual void DestroyMainWindow() = 0;
    virtual bool HasWindow() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // A small window icon from 32-bit ARGB pixels.
    virtual void SetIcon(const uint32_t* argb, int w, int h) = 0;
    virtual void ShowWindow() = 0;
    virtual void HideWindow() = 0;
    virtual void MinimizeWindow() = 0;
    virtual void RestoreWindow() = 0;
    virtual void RaiseWindow() = 0;
    virtual bool IsMinimized() const = 0;
    // The desktop area available to windows, in desktop pixels.
    virtual Rect WorkArea() = 0;
    // Outer window size for a given client size (frame and caption added).
    virtual void OuterSize(int clientW, int clientH, int& outerW, int& outerH) = 0;
    // Moves the window (outer top-left).
    virtual void MoveWindow(int x, int y) = 0;
    // The window's outer top-left; false when there is no window.
    virtual bool GetWindowPosition(int& x, int& y) {
        x = y = 0;
        return false;
    }
    // Whether the main window covers the desktop.
    virtual bool IsFullscreen() const { return false; }
    // The client size of the window on the desktop, which the player may
    // change by dragging its edges; false without a window, in full screen
    // or while maximised (a size the player did not choose).
    virtual bool GetWindowSize(int& /*w*/, int& /*h*/) { return false; }
    // Gives a window that client size; the picture scales to fit it.
    virtual void SetWindowSize(int /*w*/, int /*h*/) {}
    // Shows a w x h ARGB picture scaled into the window with its aspect kept.
    // Returns false when the display was lost.
    virtual bool Present(const uint32_t* argb, int w, int h) = 0;
    // Refresh rate of the display in Hz (60 when unknown).
    virtual int RefreshRate() = 0;

    // --- events ---
    // Takes the next pending event; false when there is none.
    virtual bool PollEvent(PlatformEvent& event) = 0;

    // --- pointer ---
    // Pointer position in logical screen pixels; false when unknown.
    virtual bool GetPointer(int& x, int& y) = 0;
    virtual void SetPointer(int x, int y) = 0;
    // Whether the pointer is over the main window's client area.
    virtual bool PointerInClient() = 0;
    // Asynchronous state of the mouse buttons (MouseBit).
    virtual uint32_t MouseButtons() = 0;
    virtual void CaptureMouse(bool capture) = 0;
    virtual void SetCursor(CursorKind kind) = 0;
    // Lets the desktop's screen saver and monitor power-off run (the game keeps
    // them away until it has loaded).
    virtual void AllowScreenSaver(bool /*allow*/) {}

    // --- dialogs and shell ---
    // A modal message box; returns a MessageBoxResult.
    virtual int MessageBox(const std::string& title, const std::string& text, uint32_t flags) = 0;
    // Opens a file or address with the desktop's default handler.
    virtual bool ShellOpen(const std::string& path) = 0;

    // --- audio ---
    // Opens the audio device (stereo 16-bit at `rate` Hz) pulling from
    // `callback` on the audio thread. False when there is no device; the game
    // then runs silently.
    virtual bool OpenAudio(int rate, AudioCallback callback) = 0;
    virtual void CloseAudio() = 0;
    // Holds the audio callback off while the mixer's tables change.
    virtual void LockAudio() = 0;
    virtual void UnlockAudio() = 0;
};

// The process-wide platform. Until one is installed, a headless platform on
// the real clock stands in.
Platform& GetPlatform();
// Installs a platform and returns the previous one.
std::unique_ptr<Platform> SetPlatform(std::unique_ptr<Platform> platform);
// A request to end the program from outside (SIGTERM, SIGINT, SIGHUP: a
// logout, a kill, Ctrl+C) becomes a note for the main loop instead of an
// instant death, so the program can close as if its window were closed.
void CatchTerminationSignals();
// Those signals end the program at once again.
void ReleaseTerminationSignals();
// Whether such a request came since the last call (it is taken).
bool TakeTerminationRequest();
// Creates the SDL platform; null when SDL cannot start its video.
std::unique_ptr<Platform> CreateSdlPlatform(std::string* error);

} // namespace Quill
