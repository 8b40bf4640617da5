#include "framework/graphics/DDInterface.h"

#include "framework/platform/Platform.h"

#include <algorithm>

namespace Quill {

const char* DDInterface::ResultText(int result) {
    switch (result) {
    case RESULT_OK: return "RESULT_OK";
    case RESULT_FAIL: return "RESULT_FAIL";
    case RESULT_DD_CREATE_FAIL: return "RESULT_DD_CREATE_FAIL";
    case RESULT_SURFACE_FAIL: return "RESULT_SURFACE_FAIL";
    case RESULT_EXCLUSIVE_FAIL: return "RESULT_EXCLUSIVE_FAIL";
    case RESULT_DISPCHANGE_FAIL: return "RESULT_DISPCHANGE_FAIL";
    case RESULT_INVALID_COLORDEPTH: return "RESULT_INVALID_COLORDEPTH";
    default: return "RESULT_UNKNOWN";
    }
}

int DDInterface::Init(int width, int height, bool isWindowed) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    ready = false;
    windowed = isWindowed;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        errorText = "bad screen size " + std::to_string(width) + "x" + std::to_string(height);
        return RESULT_SURFACE_FAIL;
    }
    Platform& platform = GetPlatform();
    if (!platform.HasWindow()) {
        errorText = "there is no window to draw into";
        return windowed ? RESULT_DD_CREATE_FAIL : RESULT_EXCLUSIVE_FAIL;
    }
    if (!screenImage || screenImage->GetWidth() != width || screenImage->GetHeight() != height) {
        screenImage = std::make_unique<DDImage>(this, width, height);
        screenImage->SetIsScreen(true);
        std::fill(screenImage->GetBits(), screenImage->GetBits() + static_cast<size_t>(width) * height, 0xFF000000u);
    }
    int hz = platform.RefreshRate();
    refreshRate = hz > 0 ? hz : 60;
    errorText.clear();
    ready = true;
    return RESULT_OK;
}

bool DDInterface::Present() {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!ready || !screenImage) return false;
    return GetPlatform().Present(screenImage->GetBits(), screenImage->GetWidth(), screenImage->GetHeight());
}

} // namespace Quill
