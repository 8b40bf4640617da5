#pragma once
// The display: owns the back buffer the widgets draw into and presents it
// through the platform, scaled into the window with the aspect kept. Drawing,
// presenting and the software cursor are serialised by one lock.
#include "framework/graphics/Image.h"

#include <memory>
#include <mutex>
#include <string>

namespace Quill {

class DDInterface {
public:
    enum Result : int {
        RESULT_OK = 0,
        RESULT_FAIL = 1,
        RESULT_DD_CREATE_FAIL = 2,
        RESULT_SURFACE_FAIL = 3,
        RESULT_EXCLUSIVE_FAIL = 4,
        RESULT_DISPCHANGE_FAIL = 5,
        RESULT_INVALID_COLORDEPTH = 6,
        RESULT_3D_FAIL = 7,
    };
    static const char* ResultText(int result);

    DDInterface() = default;
    // Binds to the platform's current main window and makes the back buffer
    // of width x height (an opaque black display image). Called again after
    // a mode change or a lost display, it keeps a back buffer of the same
    // size, so pointers to it stay valid. Without a window: RESULT_EXCLUSIVE_FAIL
    // for full screen, RESULT_DD_CREATE_FAIL for a window (see errorText).
    int Init(int width, int height, bool windowed);
    DDImage* GetScreenImage() { return screenImage.get(); }
    // Copies the back buffer to the window; false when the display was lost
    // (or was never initialised).
    bool Present();
    int GetRefreshRate() const { return refreshRate; }
    int GetPeriodMs() const { return refreshRate > 0 ? 1000 / refreshRate : 16; }
    bool IsWindowed() const { return windowed; }

    bool is3D = false;
    bool is3DTested = false;
    bool had3DTrouble = false;
    std::string errorText;
    std::recursive_mutex lock;

private:
    std::unique_ptr<DDImage> screenImage;
    int refreshRate = 60;
    bool windowed = true;
    bool ready = false;
};

} // namespace Quill
