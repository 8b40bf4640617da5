#include "framework/platform/Platform.h"

#include "framework/platform/HeadlessPlatform.h"

namespace Quill {

namespace {
std::unique_ptr<Platform>& Current() {
    static std::unique_ptr<Platform> platform;
    return platform;
}
} // namespace

Platform& GetPlatform() {
    auto& p = Current();
    if (!p) p = std::make_unique<HeadlessPlatform>(false);
    return *p;
}

std::unique_ptr<Platform> SetPlatform(std::unique_ptr<Platform> platform) {
    std::unique_ptr<Platform> old = std::move(Current());
    Current() = std::move(platform);
    return old;
}

} // namespace Quill
