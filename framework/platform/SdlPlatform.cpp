#include "framework/platform/SdlPlatform.h"

#include <SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

std::vector<Rect> ChangedRects(const uint32_t* picture, const uint32_t* shown, int w, int h, int tileW, int bandH) {
    std::vector<Rect> rects;
    if (!picture || !shown || w <= 0 || h <= 0 || tileW <= 0 || bandH <= 0) return rects;
    const int columns = (w + tileW - 1) / tileW;
    std::vector<char> changed(static_cast<size_t>(columns));
    for (int top = 0; top < h; top += bandH) {
        const int rows = std::min(bandH, h - top);
        std::fill(changed.begin(), changed.end(), 0);
        bool any = false;
        for (int y = top; y < top + rows; ++y) {
            const uint32_t* a = picture + static_cast<size_t>(y) * w;
            const uint32_t* b = shown + static_cast<size_t>(y) * w;
            // Most rows of a calm picture are the same: one comparison each.
            if (std::memcmp(a, b, sizeof(uint32_t) * static_cast<size_t>(w)) == 0) continue;
            for (int c = 0; c < columns; ++c) {
                if (changed[c]) continue;
                const int x = c * tileW, n = std::min(tileW, w - x);
                if (std::memcmp(a + x, b + x, sizeof(uint32_t) * static_cast<size_t>(n)) != 0) changed[c] = any = 1;
            }
        }
        if (!any) continue;
        for (int c = 0; c < columns;) {
            if (!changed[c]) {
                ++c;
                continue;
            }
            int end = c;
            while (end < columns && changed[end]) ++end;
            const int x = c * tileW;
            rects.emplace_back(x, top, std::min(end * tileW, w) - x, rows);
            c = end;
        }
    }
    return rects;
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
            if (!icon.empty()) ApplyIcon();
        } else {
            if (SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
            if (!fullscreen) {
                SDL_SetWindowSize(window, w, h);
                SDL_SetWindowPosition(window, x + borderLeft, y + borderTop);
            }
        }
        isFullscreen = fullscreen;
        showAll = true;
        return true;
    }

    void DestroyMainWindow() override {
        DropRenderer();
        if (window) SDL_DestroyWindow(window);
        window = nullptr;
        surfaceRefused = false;
        shown.clear();
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

    // The window keeps what it shows, so only the parts of the picture that
    // changed are sent; an unchanged picture costs one comparison. At the
    // window's own size the picture goes straight into the window's surface
    // (no texture, no scaling, no blending); a picture that must be scaled
    // goes through a renderer.
    bool Present(const uint32_t* argb, int w, int h) override {
        if (!window || !argb || w <= 0 || h <= 0) return false;
        logicalW = w;
        logicalH = h;
        const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
        std::vector<Rect> rects;
        if (showAll || shown.size() != pixels) {
            shown.assign(argb, argb + pixels);
            showAll = true;
        } else {
            rects = ChangedRects(argb, shown.data(), w, h, kTileWidth, kBandHeight);
            if (rects.empty()) return true;
            for (const Rect& r : rects)
                for (int y = r.y; y < r.y + r.height; ++y)
                    std::memcpy(&shown[static_cast<size_t>(y) * w + r.x], argb + static_cast<size_t>(y) * w + r.x,
                                sizeof(uint32_t) * static_cast<size_t>(r.width));
        }
        if (showAll) rects.assign(1, Rect(0, 0, w, h));
        int outW = 0, outH = 0;
        SDL_GetWindowSizeInPixels(window, &outW, &outH);
        const bool fits = outW == w && outH == h;
        bool ok = fits && !surfaceRefused && ShowOnSurface(rects);
        if (!ok && (!fits || surfaceRefused)) ok = ShowScaled(rects);
        showAll = !ok;
        return ok;
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

    static constexpr int kTileWidth = 64, kBandHeight = 16;

    // Copies the rectangles of `shown` into the window's surface and shows them.
    bool ShowOnSurface(std::vector<Rect>& rects) {
        DropRenderer(); // a window shows either a renderer's pictures or its own surface
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        if (!surface) {
            // Some window systems have no such surface; the renderer serves.
            std::fprintf(stderr, "No window surface (%s); presenting through a renderer\n", SDL_GetError());
            surfaceRefused = true;
            return false;
        }
        if (surface->w != logicalW || surface->h != logicalH) return false;
        if (surface != lastSurface) rects.assign(1, Rect(0, 0, logicalW, logicalH)); // a new surface holds nothing yet
        lastSurface = surface;
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
        const SDL_PixelFormat* f = surface->format;
        // The desktop's usual 32-bit layout is ours (its alpha byte unused).
        const bool same = f->BytesPerPixel == 4 && f->Rmask == 0xFF0000u && f->Gmask == 0xFF00u && f->Bmask == 0xFFu;
        std::vector<SDL_Rect> areas;
        for (const Rect& r : rects) {
            const uint32_t* from = &shown[static_cast<size_t>(r.y) * logicalW + r.x];
            auto* to = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(r.y) * surface->pitch +
                       static_cast<size_t>(r.x) * f->BytesPerPixel;
            if (same) {
                for (int y = 0; y < r.height; ++y)
                    std::memcpy(to + static_cast<size_t>(y) * surface->pitch, from + static_cast<size_t>(y) * logicalW,
                                sizeof(uint32_t) * static_cast<size_t>(r.width));
            } else {
                SDL_ConvertPixels(r.width, r.height, SDL_PIXELFORMAT_ARGB8888, from, logicalW * 4, f->format, to,
                                  surface->pitch);
            }
            areas.push_back(SDL_Rect{r.x, r.y, r.width, r.height});
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        return SDL_UpdateWindowSurfaceRects(window, areas.data(), static_cast<int>(areas.size())) == 0;
    }

    // Scales `shown` into the window with its aspect kept, through a renderer.
    bool ShowScaled(const std::vector<Rect>& rects) {
        if (!renderer && !MakeRenderer()) return false;
        Rect changed = rects.empty() ? Rect(0, 0, 0, 0) : rects.front();
        for (const Rect& r : rects) changed = Union(changed, r);
        if (deviceReset || logicalW != textureW || logicalH != textureH) {
            deviceReset = false;
            if (!MakeTexture()) return false;
            changed = Rect(0, 0, logicalW, logicalH);
        }
        SDL_Rect area{changed.x, changed.y, changed.width, changed.height};
        if (SDL_UpdateTexture(texture, &area, &shown[static_cast<size_t>(changed.y) * logicalW + changed.x],
                              logicalW * 4) != 0)
            return false;
        int outW = 0, outH = 0;
        if (SDL_GetRendererOutputSize(renderer, &outW, &outH) != 0) return false;
        Rect box = LetterboxRect(outW, outH, logicalW, logicalH);
        SDL_Rect dest{box.x, box.y, box.width, box.height};
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        if (SDL_RenderCopy(renderer, texture, nullptr, &dest) != 0) return false;
        SDL_RenderPresent(renderer);
        return true;
    }

    static Rect Union(const Rect& a, const Rect& b) {
        int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
        int right = std::max(a.x + a.width, b.x + b.width), bottom = std::max(a.y + a.height, b.y + b.height);
        return Rect(left, top, right - left, bottom - top);
    }

    bool MakeRenderer() {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer) {
            std::fprintf(stderr, "Cannot draw into the window: %s\n", SDL_GetError());
            return false;
        }
        lastSurface = nullptr;
        return MakeTexture();
    }

    void DropRenderer() {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) {
            SDL_DestroyRenderer(renderer);
            lastSurface = nullptr; // the window's surface must be filled anew
        }
        texture = nullptr;
        renderer = nullptr;
        textureW = textureH = 0;
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
                showAll = true;
                Push(MSG_SIZE, SIZE_RESTORED, PackPoint(Clamp16(e.window.data1), Clamp16(e.window.data2)));
                break;
            case SDL_WINDOWEVENT_EXPOSED:
                showAll = true;
                Push(MSG_PAINT);
                break;
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
        case SDL_RENDER_DEVICE_RESET:
            deviceReset = true;
            showAll = true;
            break;
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
    // The picture the window shows, and whether all of it must be sent again.
    std::vector<uint32_t> shown;
    bool showAll = true;
    // The window system gave no window surface; the renderer serves instead.
    bool surfaceRefused = false;
    SDL_Surface* lastSurface = nullptr;
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
    // The window surface is meant to be the window system's own shared memory;
    // SDL would otherwise make it a texture of a 3D renderer, which on a
    // display without a GPU is the slowest way there is.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
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
