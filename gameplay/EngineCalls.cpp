#include "gameplay/EngineCalls.h"

#include "framework/platform/Platform.h"

#include <cstdarg>
#include <cstdio>

// Interim stand-ins: the engine's texture manager, sound events, random
// generator, button edges, config and log functions are being written at the
// same time as this layer. Until they land, these bodies keep play running
// (no drawing, silent events, our own 15-bit generator); each body is the one
// line to switch to the engine call.

namespace EngineCalls {

namespace {

std::function<void(const char*)> eventRecorder;
std::function<void(const char*)> logRecorder;

// The classic 15-bit linear congruential generator.
uint32_t randomState = 1;

uint32_t previousButtons = 0;
bool leftPressed = false, leftReleased = false, rightPressed = false;

constexpr float kClientWidth = 800.0f;
constexpr float kClientHeight = 600.0f;

} // namespace

float NowSeconds() { return static_cast<float>(Quill::GetPlatform().Ticks()) * 0.001f; }

bool PointerFraction(float& x, float& y) {
    int px = 0, py = 0;
    if (!Quill::GetPlatform().GetPointer(px, py)) {
        x = y = 0;
        return false;
    }
    x = static_cast<float>(px) / kClientWidth;
    y = static_cast<float>(py) / kClientHeight;
    return true;
}

bool LeftButtonDown() { return (Quill::GetPlatform().MouseButtons() & Quill::MOUSE_LEFT) != 0; }

void UpdateButtonEdges() {
    uint32_t now = Quill::GetPlatform().MouseButtons();
    bool left = now & Quill::MOUSE_LEFT, wasLeft = previousButtons & Quill::MOUSE_LEFT;
    bool right = now & Quill::MOUSE_RIGHT, wasRight = previousButtons & Quill::MOUSE_RIGHT;
    leftPressed = left && !wasLeft;
    leftReleased = !left && wasLeft;
    rightPressed = right && !wasRight;
    previousButtons = now;
}

bool LeftPressed() { return leftPressed; }
bool LeftReleased() { return leftReleased; }
bool RightPressed() { return rightPressed; }

Texture GetTexture(const char*) { return nullptr; }

void DrawSprite(Texture, float, float, float, float, float, float, float, float, uint32_t, int, float) {}

void DrawSpriteFrame(Texture, float, float, float, float, int, int, int, float, uint32_t) {}

void DrawDigits(Texture, float, float, float, uint32_t, const char*, float) {}

void DrawText(float, float, float, uint32_t, int, const char*) {}

void PlayEvent(const char* name) {
    if (eventRecorder) eventRecorder(name);
}

void SetMusicVolume(double) {}

void SetEventRecorder(std::function<void(const char*)> recorder) { eventRecorder = std::move(recorder); }

int RandomRaw() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

int RandomInt(int min, int max) {
    if (min <= -1 && -1 <= max) return -1;
    if (max < min) return min;
    int r = -1;
    while (r < min || r > max)
        r = min + static_cast<int>(static_cast<float>(RandomRaw()) * static_cast<float>(max + 1) * 3.0518509e-05f);
    return r;
}

void SeedRandom(uint32_t seed) { randomState = seed; }

void SetConfigInt(const char*, const char*, int) {}

void GetConfigInt(const char*, const char*, int&) {}

void Log(const char* message, int) {
    if (logRecorder) logRecorder(message);
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
