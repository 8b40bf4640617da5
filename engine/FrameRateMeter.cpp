#include "engine/FrameRateMeter.h"

#include "framework/platform/Platform.h"

#include <cstdint>

namespace {

float fps = 0.0f;
// Seconds of the platform clock; kept in double so the interval stays exact
// however long the game has been running.
double fpsStart = 0.0;
uint32_t fpsFrames = 0;

} // namespace

float FrameRateMeter() {
    double now = static_cast<double>(Quill::GetPlatform().Ticks()) * 0.001;
    ++fpsFrames;
    double elapsed = now - fpsStart;
    // A clock that went backwards (it wraps after 49 days) starts a new
    // interval instead of reporting a negative rate.
    if (elapsed < 0.0) {
        fpsFrames = 0;
        fpsStart = now;
    } else if (elapsed > 1.0) {
        fps = static_cast<float>(fpsFrames / elapsed);
        fpsFrames = 0;
        fpsStart = now;
    }
    return fps;
}

void ResetFrameRateMeter() {
    fps = 0.0f;
    fpsStart = 0.0;
    fpsFrames = 0;
}
