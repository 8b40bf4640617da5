#include "framework/platform/CrashReport.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace Quill {

namespace {

const char kReportName[] = "crash.txt";
const char kToldLine[] = "(The player was told of this report at the next start.)";
const int kSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE};

// Everything the handler uses lives in fixed buffers filled beforehand.
constexpr size_t kPathSize = 4096;
constexpr int kKeptLines = 16;
constexpr size_t kLineSize = 240;
char reportPath[kPathSize];
char versionText[64];
char keptLines[kKeptLines][kLineSize];
std::atomic<unsigned> nextLine{0};
// The handler's own stack, so that a stack overflow can still be reported.
alignas(16) char alternateStack[64 * 1024];

void Write(int fd, const char* text) {
    size_t left = std::strlen(text);
    while (left > 0) {
        ssize_t n = ::write(fd, text, left);
        if (n <= 0) return;
        text += n;
        left -= static_cast<size_t>(n);
    }
}

void WriteNumber(int fd, int value) {
    char digits[16];
    int n = 0;
    unsigned v = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v && n < 15);
    if (value < 0) Write(fd, "-");
    char text[16];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    text[n] = 0;
    Write(fd, text);
}

const char* SignalName(int sig) {
    switch (sig) {
    case SIGSEGV:
        return "SIGSEGV (invalid memory access)";
    case SIGABRT:
        return "SIGABRT (aborted)";
    case SIGBUS:
        return "SIGBUS (bus error)";
    case SIGFPE:
        return "SIGFPE (arithmetic fault)";
    default:
        return "signal";
    }
}

std::atomic<int> crashing{0};

void OnFault(int sig) {
    // A fault inside the report itself, or in a second thread, must not loop.
    if (crashing.exchange(1) == 0) {
        int fd = ::open(reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            Write(fd, "Velmora crash report\nVersion: ");
            Write(fd, versionText);
            Write(fd, "\nSignal: ");
            WriteNumber(fd, sig);
            Write(fd, " ");
            Write(fd, SignalName(sig));
            Write(fd, "\n\nBacktrace:\n");
            void* frames[64];
            int count = backtrace(frames, 64);
            backtrace_symbols_fd(frames, count, fd);
            Write(fd, "\nLast lines of the log:\n");
            unsigned end = nextLine.load();
            for (unsigned i = end > kKeptLines ? end - kKeptLines : 0; i < end; ++i) {
                Write(fd, keptLines[i % kKeptLines]);
                Write(fd, "\n");
            }
            ::close(fd);
            Write(STDERR_FILENO, "velmora: the game crashed; a report was written to ");
            Write(STDERR_FILENO, reportPath);
            Write(STDERR_FILENO, "\n");
        }
    }
    // End as the signal would have ended the process (the handler was reset).
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void CopyText(char* to, size_t size, const char* from) {
    std::strncpy(to, from ? from : "", size - 1);
    to[size - 1] = 0;
}

} // namespace

void InstallCrashReport(const std::string& folder, const char* version) {
    std::string path = (folder.empty() ? std::string(".") : folder) + "/" + kReportName;
    CopyText(reportPath, sizeof reportPath, path.c_str());
    CopyText(versionText, sizeof versionText, version);
    // The first backtrace loads the unwinder; done here, the handler never has to.
    void* warmUp[4];
    backtrace(warmUp, 4);

    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action{};
    action.sa_handler = OnFault;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals) sigaction(sig, &action, nullptr);
}

void RememberLogLine(const char* line) {
    unsigned slot = nextLine.load() % kKeptLines;
    CopyText(keptLines[slot], kLineSize, line);
    nextLine.fetch_add(1);
}

std::string TakeEarlierCrashReport(const std::string& folder) {
    std::string path = (folder.empty() ? std::string(".") : folder) + "/" + kReportName;
    std::ifstream in(path);
    if (!in) return "";
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().find(kToldLine) != std::string::npos) return "";
    in.close();
    std::ofstream out(path, std::ios::app);
    out << kToldLine << "\n";
    return out ? path : "";
}

} // namespace Quill
