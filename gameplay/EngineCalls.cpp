#include "gameplay/EngineCalls.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "engine/MouseButtonEdges.h"
#include "engine/RandomInt.h"
#include "engine/SoundEvents.h"
#include "engine/TextureManager.h"
#include "framework/platform/Platform.h"

#include <cstdarg>
#include <cstdio>

namespace EngineCalls {

namespace {

std::function<void(const char*)> eventRecorder;
std::function<void(const char*)> logRecorder;

// The client area before the first frame sets a drawing target.
constexpr int32_t kDefaultClientWidth = 800;
constexpr int32_t kDefaultClientHeight = 600;

const SteppedInput* stepped = nullptr;

} // namespace

void SetSteppedInput(const SteppedInput* input) { stepped = input; }

float NowSeconds() {
    const uint32_t ms = stepped ? stepped->clockMs : Quill::GetPlatform().Ticks();
    return static_cast<float>(ms) * 0.001f;
}

bool PointerFraction(float& x, float& y) {
    int px = 0, py = 0;
    if (stepped) {
        px = stepped->x;
        py = stepped->y;
    } else if (!Quill::GetPlatform().GetPointer(px, py)) {
        x = y = 0;
        return false;
    }
    int32_t w = 0, h = 0;
    Textures().GetClientSize(w, h);
    if (w <= 0 || h <= 0) {
        w = kDefaultClientWidth;
        h = kDefaultClientHeight;
    }
    x = static_cast<float>(px) / static_cast<float>(w);
    y = static_cast<float>(py) / static_cast<float>(h);
    return true;
}

bool LeftButtonDown() {
    const uint32_t buttons = stepped ? stepped->buttons : Quill::GetPlatform().MouseButtons();
    return (buttons & Quill::MOUSE_LEFT) != 0;
}

void UpdateButtonEdges() {
    if (stepped) ::MouseButtonEdgesFrom(stepped->buttons);
    else ::MouseButtonEdges();
}
bool LeftPressed() { return ::LeftButtonPressed(); }
bool LeftReleased() { return ::LeftButtonReleased(); }
bool RightPressed() { return ::RightButtonPressed(); }

Texture GetTexture(const char* path) {
    if (!path || !*path) return nullptr;
    return Textures().GetTexture(path);
}

void DrawSprite(Texture texture, float x, float y, float w, float h, float su, float sv, float eu, float ev,
                uint32_t colour, int flags, float rotation) {
    if (!texture) return; // a missing image draws nothing
    Textures().DrawSprite(texture, x, y, w, h, su, sv, eu, ev, colour, flags, rotation);
}

void DrawSpriteFrame(Texture texture, float x, float y, float w, float h, int flags, int columns, int rows,
                     float speed, uint32_t colour) {
    if (!texture) return;
    Textures().DrawSpriteFrame(texture, x, y, w, h, flags, columns, rows, speed, colour);
}

void DrawDigits(Texture texture, float x, float y, float spacing, uint32_t colour, const char* text, float scale) {
    if (!texture) return;
    Textures().DrawDigits(texture, x, y, spacing, colour, text, scale);
}

void DrawText(float x, float y, float size, uint32_t colour, int flags, const char* key) {
    Textures().DrawText(x, y, size, colour, flags, key);
}

float TextWidth(float size, int flags, const char* key) { return Textures().TextWidth(size, flags, key); }

float DigitsWidth(Texture texture, float spacing, const char* text, float scale) {
    return texture ? Textures().DigitsWidth(texture, spacing, text, scale) : 0.0f;
}

void PlayEvent(const char* name) {
    if (eventRecorder) eventRecorder(name);
    PlaySoundId(PickEventSound(name), 0);
}

void SetMusicVolume(double volume) { ::SetMusicVolume(static_cast<float>(volume)); }

void SetEventRecorder(std::function<void(const char*)> recorder) { eventRecorder = std::move(recorder); }

int RandomRaw() { return ::RandomDraw(); }

int RandomInt(int min, int max) { return ::RandomInt(min, max); }

void SeedRandom(uint32_t seed) { ::SeedRandom(seed); }

void SetConfigInt(const char* section, const char* key, int value) { IniSetInt(section, key, value); }

void GetConfigInt(const char* section, const char* key, int& value) { IniGetInt(section, key, value); }

void Log(const char* message, int flags) {
    if (logRecorder) logRecorder(message);
    AppLog(message, flags);
}

void Logf(int flags, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Log(text, flags);
}

void SetLogRecorder(std::function<void(const char*)> recorder) { logRecorder = std::move(recorder); }

} // namespace EngineCalls
