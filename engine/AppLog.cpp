#include "engine/AppLog.h"

#include "engine/PlayerFolder.h"
#include "framework/platform/CrashReport.h"
#include "framework/platform/Files.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace {

std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}

// Empty until the first call; the log then stays in that folder.
std::string& LogFolder() {
    static std::string folder;
    return folder;
}

const char kStars[] = "**************************************************************************";
static_assert(sizeof kStars == 75, "a frame line is 74 asterisks");

void WriteFrame(std::FILE* f) {
    std::fputs(kStars, f);
    std::fputs("\n", f);
    std::fflush(f);
}

} // namespace

void AppLog(const char* message, int flags) {
    std::lock_guard<std::mutex> hold(LogLock());
    Quill::RememberLogLine(message);
    std::string& folder = LogFolder();
    if (folder.empty()) folder = PlayerFolder();
    std::FILE* f = Quill::OpenFile(folder + "\\app.log", (flags & LogNewFile) ? "w" : "a");
    if (!f) return;
    if (flags & LogFrame) WriteFrame(f);
    if (flags & LogTime) {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
        std::fprintf(f, "%s : ", stamp);
    }
    if (flags & LogWarning) std::fputs("===> Warning: ", f);
    std::fputs(message ? message : "", f);
    if (!(flags & LogNoNewline)) {
        std::fputs("\n", f);
        std::fflush(f);
    }
    if (flags & LogFrame) WriteFrame(f);
    std::fclose(f);
}

void AppLogf(int flags, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    int n = format ? std::vsnprintf(text, sizeof text, format, args) : -1;
    va_end(args);
    if (n < 0) text[0] = '\0';
    AppLog(text, flags);
}

void AppLogResetForTests() {
    std::lock_guard<std::mutex> hold(LogLock());
    LogFolder().clear();
}
