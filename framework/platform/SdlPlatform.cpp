#include "framework/platform/SdlPlatform.h"

#include <SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <mutex>

namespace Quill {

Rect LetterboxRect(int winW, int winH, int logicalW, int logicalH) {
    if (winW <= 0 || winH <= 0 || logicalW <= 0 || logicalH <= 0) return Rect(0, 0, 0, 0);
    // Compare winW / winH with logicalW / logicalH without rounding.
    int64_t lhs = static_cast<int64_t>(winW) * logicalH, rhs = static_cast<int64_t>(winH) * logicalW;
    int w, h;
    if (lhs > rhs) { // wider than the picture: bars left and right
        h = winH;
        w = static_cast<int>(static_cast<int64_t>(winH) * logicalW / logicalH);
    } else {
        w = winW;
        h = static_cast<int>(static_cast<int64_t>(winW) * logicalH / logicalW);
    }
    return Rect((winW - w) / 2, (winH - h) / 2, w, h);
}

namespace {
int FloorDiv(int64_t a, int64_t b) { return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b)); }
} // namespace

void WindowToLogical(const Rect& box, int logicalW, int logicalH, int wx, int wy, int& lx, int& ly) {
    if (box.IsEmpty()) {
        lx = wx;
        ly = wy;
        return;
    }
    lx = FloorDiv(static_cast<int64_t>(wx - box.x) * logicalW, box.width);
    ly = FloorDiv(static_cast<int64_t>(wy - box.y) * logicalH, box.height);
}

void LogicalToWindow(const Rect& box, int logicalW, int logicalH, int lx, int ly, int& wx, int& wy) {
    if (box.IsEmpty() || logicalW <= 0 || logicalH <= 0) {
        wx = lx;
        wy = ly;
        return;
    }
    wx = box.x + FloorDiv((2 * static_cast<int64_t>(lx) + 1) * box.width, 2 * static_cast<int64_t>(logicalW));
    wy = box.y + FloorDiv((2 * static_cast<int64_t>(ly) + 1) * box.height, 2 * static_cast<int64_t>(logicalH));
}

void Utf8ToLatin1(const char* text, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (p && *p) {
        unsigned char c = *p;
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++p;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
        if (extra < 0) {
            ++p;
            continue;
        }
        uint32_t code = c & (0x3F >> extra);
        int i = 1;
        for (; i <= extra && (p[i] & 0xC0) == 0x80; ++i) code = (code << 6) | (p[i] & 0x3F);
        if (i == extra + 1 && code >= 0x80 && code <= 0xFF) out += static_cast<char>(code);
        p += i;
    }
}

namespace {

uint32_t VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<uint32_t>(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + static_cast<uint32_t>(key - SDLK_KP_1);
    switch (key) {
    case SDLK_KP_0: return 0x60;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return 19;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return VK_DELETE;
    default: return 0;
    }
}

// Keys the classic window system also delivers as characters.
int KeyCharacter(uint32_t vk) {
    switch (vk) {
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    default: return -1;
    }
}

uint32_t ButtonBits(uint32_t sdlState) {
    uint32_t bits = 0;
    if (sdlState & SDL_BUTTON(SDL_BUTTON_LEFT)) bits |= MOUSE_LEFT;
    if (sdlState & SDL_BUTTON(SDL_BUTTON_RIGHT)) bits |= MOUSE_RIGHT;
    if (sdlState & SDL_BUTTON(SDL_BUTTON_MIDDLE)) bits |= MOUSE_MIDDLE;
    return bits;
}

int16_t Clamp16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

class SdlPlatform : public Platform {
public:
    SdlPlatform() = default;
    ~SdlPlatform() override {
        CloseAudio();
        for (SDL_Cursor*& c : cursors)
            if (c) SDL_FreeCursor(c);
        DestroyMainWindow();
        SDL_Quit();
    }

    uint32_t Ticks() override { return SDL_GetTicks(); }
    void Sleep(uint32_t ms) override { SDL_Delay(ms); }

    bool CreateMainWindow(int x, int y, int w, int h, bool fullscreen) override {
        logicalW = w;
        logicalH = h;
        if (!window) {
            // The player may size the window; the picture is scaled to fit
            // with its aspect kept. On a HiDPI display the window asks for
            // its real pixels, so the picture is scaled once, smoothly.
            Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI |
                           (fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
            window = SDL_CreateWindow(title.c_str(), x + borderLeft, y + borderTop, w, h, flags);
            if (!window) {
                std::fprintf(stderr, "Cannot create the window: %s\n", SDL_GetError());
                return false;
            }
            SDL_SetWindowMinimumSize(window, w / 4, h / 4);
            SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
            renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
            if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
            if (!renderer) {
                std::fprintf(stderr, "Cannot draw into the window: %s\n", SDL_GetError());
                DestroyMainWindow();
                return false;
            }
            if (!icon.empty()) ApplyIcon();
        } else {
            if (SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
            if (!fullscreen) {
                SDL_SetWindowSize(window, w, h);
                SDL_SetWindowPosition(window, x + borderLeft, y + borderTop);
            }
        }
        isFullscreen = fullscreen;
        return MakeTexture();
    }

    void DestroyMainWindow() override {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        texture = nullptr;
        renderer = nullptr;
        window = nullptr;
    }

    bool HasWindow() const override { return window != nullptr; }
    bool IsFullscreen() const override { return window && isFullscreen; }

    void SetTitle(const std::string& t) override {
        title = t;
        if (window) SDL_SetWindowTitle(window, title.c_str());
    }

    void SetIcon(const uint32_t* argb, int w, int h) override {
        if (!argb || w <= 0 || h <= 0 || w > 256 || h > 256) return;
        icon.assign(argb, argb + static_cast<size_t>(w) * static_cast<size_t>(h));
        iconW = w;
        iconH = h;
        if (window) ApplyIcon();
    }

    void ShowWindow() override {
        if (window) SDL_ShowWindow(window);
    }
    void HideWindow() override {
        if (window) SDL_HideWindow(window);
    }
    void MinimizeWindow() override {
        if (window) SDL_MinimizeWindow(window);
    }
    void RestoreWindow() override {
        if (window) SDL_RestoreWindow(window);
    }
    void RaiseWindow() override {
        if (window) SDL_RaiseWindow(window);
    }
    bool IsMinimized() const override { return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED); }

    Rect WorkArea() override {
        int index = window ? std::max(0, SDL_GetWindowDisplayIndex(window)) : 0;
        SDL_Rect r;
        if (SDL_GetDisplayUsableBounds(index, &r) != 0 && SDL_GetDisplayBounds(index, &r) != 0) return Rect(0, 0, 1024, 768);
        return Rect(r.x, r.y, r.w, r.h);
    }

    void OuterSize(int cw, int ch, int& ow, int& oh) override {
        ReadBorders();
        ow = cw + borderLeft + borderRight;
        oh = ch + borderTop + borderBottom;
    }

    void MoveWindow(int x, int y) override {
        ReadBorders();
        if (window) SDL_SetWindowPosition(window, x + borderLeft, y + borderTop);
    }

    bool GetWindowSize(int& w, int& h) override {
        if (!window || isFullscreen) return false;
        if (SDL_GetWindowFlags(window) & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED)) return false;
        SDL_GetWindowSize(window, &w, &h);
        return w > 0 && h > 0;
    }

    void SetWindowSize(int w, int h) override {
        if (window && !isFullscreen) SDL_SetWindowSize(window, w, h);
    }

    bool GetWindowPosition(int& x, int& y) override {
        if (!window) return false;
        ReadBorders();
        SDL_GetWindowPosition(window, &x, &y);
        x -= borderLeft;
        y -= borderTop;
        return true;
    }

    bool Present(const uint32_t* argb, int w, int h) override {
        if (!renderer || !argb) return false;
        if (deviceReset || w != textureW || h != textureH) {
            deviceReset = false;
            logicalW = w;
            logicalH = h;
            if (!MakeTexture()) return false;
        }
        if (SDL_UpdateTexture(texture, nullptr, argb, w * 4) != 0) return false;
        int outW = 0, outH = 0;
        if (SDL_GetRendererOutputSize(renderer, &outW, &outH) != 0) return false;
        Rect box = LetterboxRect(outW, outH, w, h);
        SDL_Rect dest{box.x, box.y, box.width, box.height};
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        if (SDL_RenderCopy(renderer, texture, nullptr, &dest) != 0) return false;
        SDL_RenderPresent(renderer);
        return true;
    }

    int RefreshRate() override {
        int index = window ? std::max(0, SDL_GetWindowDisplayIndex(window)) : 0;
        SDL_DisplayMode mode;
        if (SDL_GetCurrentDisplayMode(index, &mode) != 0 || mode.refresh_rate <= 0) return 60;
        return mode.refresh_rate;
    }

    bool PollEvent(PlatformEvent& out) override {
        SDL_Event e;
        while (pending.empty() && SDL_PollEvent(&e)) Translate(e);
        if (pending.empty()) return false;
        out = pending.front();
        pending.pop_front();
        return true;
    }

    // The pointer and buttons as the window's own events left them. The
    // desktop-wide query is not to be trusted: some X servers answer it from a
    // cache that synthetic and tablet motion never refreshes, and Wayland has no
    // global position at all. The main loop drains the events every pass, so
    // this is as fresh as the frame that asks.
    bool GetPointer(int& x, int& y) override {
        if (!window) return false;
        int wx = 0, wy = 0;
        SDL_GetMouseState(&wx, &wy);
        ToLogical(wx, wy, x, y);
        return true;
    }

    void SetPointer(int x, int y) override {
        if (!window) return;
        int ww = 0, wh = 0, wx = 0, wy = 0;
        SDL_GetWindowSize(window, &ww, &wh);
        LogicalToWindow(LetterboxRect(ww, wh, logicalW, logicalH), logicalW, logicalH, x, y, wx, wy);
        SDL_WarpMouseInWindow(window, wx, wy);
    }

    bool PointerInClient() override {
        if (!window || SDL_GetMouseFocus() != window) return false;
        int x = 0, y = 0;
        if (!GetPointer(x, y)) return false;
        return x >= 0 && y >= 0 && x < logicalW && y < logicalH;
    }

    uint32_t MouseButtons() override { return ButtonBits(SDL_GetMouseState(nullptr, nullptr)); }

    void CaptureMouse(bool capture) override { SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE); }

    void SetCursor(CursorKind kind) override {
        if (kind == CursorKind::None) {
            SDL_ShowCursor(SDL_DISABLE);
            return;
        }
        SDL_ShowCursor(SDL_ENABLE);
        int index = kind == CursorKind::Hand ? 1 : kind == CursorKind::Drag ? 2 : 0;
        if (!cursors[index]) {
            static const SDL_SystemCursor kSystem[] = {SDL_SYSTEM_CURSOR_ARROW, SDL_SYSTEM_CURSOR_HAND,
                                                       SDL_SYSTEM_CURSOR_SIZEALL};
            cursors[index] = SDL_CreateSystemCursor(kSystem[index]);
        }
        if (cursors[index]) SDL_SetCursor(cursors[index]);
    }

    void AllowScreenSaver(bool allow) override {
        if (allow)
            SDL_EnableScreenSaver();
        else
            SDL_DisableScreenSaver();
    }

    int MessageBox(const std::string& boxTitle, const std::string& text, uint32_t flags) override {
        bool yesNo = (flags & MB_YESNO) != 0;
        Uint32 kind = (flags & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
        if (yesNo) {
            const SDL_MessageBoxButtonData buttons[] = {
                {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, ID_NO, "No"},
                {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, ID_YES, "Yes"},
            };
            SDL_MessageBoxData data{kind, window, boxTitle.c_str(), text.c_str(), 2, buttons, nullptr};
            int pressed = ID_NO;
            if (SDL_ShowMessageBox(&data, &pressed) == 0) return pressed == ID_YES ? ID_YES : ID_NO;
            std::fprintf(stderr, "%s: %s (answered No)\n", boxTitle.c_str(), text.c_str());
            return ID_NO;
        }
        if (SDL_ShowSimpleMessageBox(kind, boxTitle.c_str(), text.c_str(), window) != 0)
            std::fprintf(stderr, "%s: %s\n", boxTitle.c_str(), text.c_str());
        return ID_OK;
    }

    bool ShellOpen(const std::string& path) override {
        if (path.empty() || path.find('\0') != std::string::npos) return false;
        // A name that starts with '-' would be read as an option.
        std::string target = path[0] == '-' ? "./" + path : path;
        pid_t child = fork();
        if (child < 0) return false;
        if (child == 0) {
            // The grandchild runs the opener, so nobody has to wait for it.
            pid_t opener = fork();
            if (opener == 0) {
                execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
                _exit(127);
            }
            _exit(opener < 0 ? 1 : 0);
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    bool OpenAudio(int rate, AudioCallback callback) override {
        CloseAudio();
        if (!callback || rate <= 0) return false;
        if (!(SDL_WasInit(SDL_INIT_AUDIO) & SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            std::fprintf(stderr, "No audio: %s\n", SDL_GetError());
            return false;
        }
        {
            std::lock_guard<std::mutex> hold(audioLock);
            audioCallback = std::move(callback);
        }
        SDL_AudioSpec want{}, have{};
        want.freq = rate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &SdlPlatform::AudioTrampoline;
        want.userdata = this;
        audioDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (audioDevice == 0) {
            std::fprintf(stderr, "No audio device: %s\n", SDL_GetError());
            return false;
        }
        SDL_PauseAudioDevice(audioDevice, 0);
        return true;
    }

    void CloseAudio() override {
        if (audioDevice != 0) SDL_CloseAudioDevice(audioDevice);
        audioDevice = 0;
        std::lock_guard<std::mutex> hold(audioLock);
        audioCallback = nullptr;
    }

    void LockAudio() override {
        if (audioDevice != 0) SDL_LockAudioDevice(audioDevice);
    }
    void UnlockAudio() override {
        if (audioDevice != 0) SDL_UnlockAudioDevice(audioDevice);
    }

private:
    static void AudioTrampoline(void* user, Uint8* stream, int length) {
        auto* self = static_cast<SdlPlatform*>(user);
        std::lock_guard<std::mutex> hold(self->audioLock);
        if (self->audioCallback)
            self->audioCallback(reinterpret_cast<int16_t*>(stream), length / 4);
        else
            std::fill(stream, stream + length, 0);
    }

    bool MakeTexture() {
        if (!renderer) return false;
        if (texture) SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, logicalW, logicalH);
        textureW = texture ? logicalW : 0;
        textureH = texture ? logicalH : 0;
        return texture != nullptr;
    }

    void ApplyIcon() {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(icon.data(), iconW, iconH, 32, iconW * 4,
                                                                  SDL_PIXELFORMAT_ARGB8888);
        if (!surface) return;
        SDL_SetWindowIcon(window, surface);
        SDL_FreeSurface(surface);
    }

    // The frame sizes, once the window system has told them (an estimate before).
    void ReadBorders() {
        int top = 0, left = 0, bottom = 0, right = 0;
        if (window && !isFullscreen && SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0 &&
            top + left + bottom + right > 0) {
            borderTop = top;
            borderLeft = left;
            borderBottom = bottom;
            borderRight = right;
        }
    }

    void ToLogical(int wx, int wy, int& lx, int& ly) {
        int ww = 0, wh = 0;
        if (window) SDL_GetWindowSize(window, &ww, &wh);
        WindowToLogical(LetterboxRect(ww, wh, logicalW, logicalH), logicalW, logicalH, wx, wy, lx, ly);
    }

    uint32_t PointParam(int wx, int wy) {
        int lx = 0, ly = 0;
        ToLogical(wx, wy, lx, ly);
        return PackPoint(Clamp16(lx), Clamp16(ly));
    }

    void Push(uint32_t message, uint32_t wParam = 0, uint32_t lParam = 0) {
        pending.push_back(PlatformEvent{WINDOW_MAIN, message, wParam, lParam});
    }

    void Translate(const SDL_Event& e) {
        switch (e.type) {
        case SDL_QUIT: Push(MSG_CLOSE); break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE: Push(MSG_CLOSE); break;
            case SDL_WINDOWEVENT_FOCUS_GAINED: Push(MSG_ACTIVATE, 1); break;
            case SDL_WINDOWEVENT_FOCUS_LOST: Push(MSG_ACTIVATE, 0); break;
            case SDL_WINDOWEVENT_MINIMIZED: Push(MSG_SIZE, SIZE_MINIMIZED); break;
            case SDL_WINDOWEVENT_MAXIMIZED: Push(MSG_SIZE, SIZE_MAXIMIZED); break;
            case SDL_WINDOWEVENT_RESTORED: Push(MSG_SIZE, SIZE_RESTORED, PackPoint(logicalW, logicalH)); break;
            case SDL_WINDOWEVENT_MOVED: Push(MSG_MOVE, 0, PackPoint(Clamp16(e.window.data1), Clamp16(e.window.data2))); break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                Push(MSG_SIZE, SIZE_RESTORED, PackPoint(Clamp16(e.window.data1), Clamp16(e.window.data2)));
                break;
            case SDL_WINDOWEVENT_EXPOSED: Push(MSG_PAINT); break;
            default: break;
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            uint32_t vk = VirtualKey(e.key.keysym.sym);
            if (vk == 0) break;
            bool alt = (e.key.keysym.mod & KMOD_ALT) != 0 && vk != VK_MENU;
            bool down = e.type == SDL_KEYDOWN;
            Push(down ? (alt ? MSG_SYSKEYDOWN : MSG_KEYDOWN) : (alt ? MSG_SYSKEYUP : MSG_KEYUP), vk,
                 e.key.repeat ? 0x40000000u : 0);
            int ch = KeyCharacter(vk);
            if (down && !alt && ch >= 0) Push(MSG_CHAR, static_cast<uint32_t>(ch));
            break;
        }
        case SDL_TEXTINPUT: {
            std::string chars;
            Utf8ToLatin1(e.text.text, chars);
            bool alt = (SDL_GetModState() & KMOD_ALT) != 0;
            for (char c : chars) Push(alt ? MSG_SYSCHAR : MSG_CHAR, static_cast<unsigned char>(c));
            break;
        }
        case SDL_MOUSEMOTION:
            eventButtons = ButtonBits(e.motion.state);
            Push(MSG_MOUSEMOVE, eventButtons, PointParam(e.motion.x, e.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            bool down = e.type == SDL_MOUSEBUTTONDOWN;
            bool doubleClick = down && e.button.clicks >= 2 && e.button.clicks % 2 == 0;
            uint32_t message = 0;
            switch (e.button.button) {
            case SDL_BUTTON_LEFT: message = down ? (doubleClick ? MSG_LBUTTONDBLCLK : MSG_LBUTTONDOWN) : MSG_LBUTTONUP; break;
            case SDL_BUTTON_RIGHT: message = down ? (doubleClick ? MSG_RBUTTONDBLCLK : MSG_RBUTTONDOWN) : MSG_RBUTTONUP; break;
            case SDL_BUTTON_MIDDLE: message = down ? MSG_MBUTTONDOWN : MSG_MBUTTONUP; break;
            default: break;
            }
            if (message == 0) break;
            // Every press and release is its own message, in order, with the
            // buttons as they stood at that event: the state SDL reports now
            // is the one after the whole queue, and a quick click has already
            // come up again by then.
            const uint32_t bit = ButtonBits(SDL_BUTTON(e.button.button));
            eventButtons = down ? (eventButtons | bit) : (eventButtons & ~bit);
            Push(message, eventButtons, PointParam(e.button.x, e.button.y));
            break;
        }
        case SDL_MOUSEWHEEL: {
            int notches = e.wheel.y;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
            if (notches == 0) break;
            int mx = 0, my = 0;
            uint32_t buttons = ButtonBits(SDL_GetMouseState(&mx, &my));
            uint32_t delta = static_cast<uint16_t>(Clamp16(notches * 120));
            Push(MSG_MOUSEWHEEL, (delta << 16) | buttons, PointParam(mx, my));
            break;
        }
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET: deviceReset = true; break;
        default: break;
        }
    }

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureW = 0, textureH = 0;
    int logicalW = 800, logicalH = 600;
    bool isFullscreen = false;
    bool deviceReset = false;
    // A usual frame until the window system tells the real one.
    int borderTop = 30, borderLeft = 4, borderBottom = 4, borderRight = 4;
    std::string title = "Velmora";
    std::vector<uint32_t> icon;
    int iconW = 0, iconH = 0;
    std::deque<PlatformEvent> pending;
    // The mouse buttons as the events translated so far left them.
    uint32_t eventButtons = 0;
    SDL_Cursor* cursors[3] = {nullptr, nullptr, nullptr};
    SDL_AudioDeviceID audioDevice = 0;
    std::mutex audioLock;
    AudioCallback audioCallback;
};

} // namespace

std::unique_ptr<Platform> CreateSdlPlatform(std::string* error) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        if (error) *error = SDL_GetError();
        SDL_Quit();
        return nullptr;
    }
    // Without a desktop SDL falls back to drivers that show nothing; those
    // are only wanted when asked for by name.
    std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if ((driver == "offscreen" || driver == "dummy") && !(asked && driver == asked)) {
        if (error) *error = "no desktop to show a window on";
        SDL_Quit();
        return nullptr;
    }
    return std::make_unique<SdlPlatform>();
}

} // namespace Quill
