#include "framework/platform/Platform.h"

#include "framework/platform/HeadlessPlatform.h"

#include <csignal>

namespace Quill {

namespace {
volatile std::sig_atomic_t terminationRequested = 0;

const int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void NoteTermination(int) { terminationRequested = 1; }

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

void CatchTerminationSignals() {
    terminationRequested = 0;
    struct sigaction action {};
    action.sa_handler = NoteTermination;
    sigemptyset(&action.sa_mask);
    for (int number : kTerminationSignals) sigaction(number, &action, nullptr);
}

void ReleaseTerminationSignals() {
    for (int number : kTerminationSignals) std::signal(number, SIG_DFL);
}

bool TakeTerminationRequest() {
    if (!terminationRequested) return false;
    terminationRequested = 0;
    return true;
}

} // namespace Quill
