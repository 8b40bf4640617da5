// The crash report, tested by crashing on purpose in a child process: each
// fault leaves crash.txt with the version, the signal, a backtrace and the
// last log lines, and still ends the process by its signal. The next start
// hears of the report exactly once.
#include "framework/platform/CrashReport.h"

#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

using namespace Quill;
using testfiles::ReadText;
using testfiles::TempFolder;

namespace {

// Runs `crash` in a child that has the report installed; the signal it died of.
int CrashInChild(const std::string& folder, const std::function<void()>& crash) {
    pid_t child = fork();
    if (child == 0) {
        InstallCrashReport(folder, "9.9-test");
        for (int i = 1; i <= 30; ++i) RememberLogLine(("log line " + std::to_string(i)).c_str());
        crash();
        _exit(0); // not reached
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
}

} // namespace

TEST(CrashReport, EveryFaultLeavesAReportAndStillEndsTheProcess) {
    struct Case {
        const char* what;
        int signal;
        std::function<void()> crash;
    } cases[] = {
        // Raised rather than made: the sanitizer build would stop a real one first.
        {"an invalid memory access", SIGSEGV, [] { std::raise(SIGSEGV); }},
        {"abort", SIGABRT, [] { std::abort(); }},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        EXPECT_EQ(CrashInChild(folder.path, c.crash), c.signal) << c.what;
        const std::string report = ReadText(folder / "crash.txt");
        EXPECT_NE(report.find("Version: 9.9-test"), std::string::npos) << c.what;
        EXPECT_NE(report.find("Signal: " + std::to_string(c.signal)), std::string::npos) << c.what;
        EXPECT_NE(report.find("Backtrace:\n"), std::string::npos) << c.what;
        // The last lines of the log, the oldest of them dropped.
        EXPECT_NE(report.find("log line 30\n"), std::string::npos) << c.what;
        EXPECT_NE(report.find("log line 15\n"), std::string::npos) << c.what;
        EXPECT_EQ(report.find("log line 14\n"), std::string::npos) << c.what;
    }
}

TEST(CrashReport, AReportIsHandedOutOnce) {
    TempFolder folder;
    EXPECT_EQ(TakeEarlierCrashReport(folder.path), "") << "no report";
    ASSERT_EQ(CrashInChild(folder.path, [] { std::abort(); }), SIGABRT);
    EXPECT_EQ(TakeEarlierCrashReport(folder.path), folder / "crash.txt");
    EXPECT_EQ(TakeEarlierCrashReport(folder.path), "") << "told already";
}
