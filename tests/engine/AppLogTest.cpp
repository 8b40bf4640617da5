#include "engine/AppLog.h"

#include "framework/platform/Files.h"
#include "support/TempWorkFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kStars(74, '*');

class AppLogTest : public ::testing::Test {
protected:
    void SetUp() override { AppLogResetForTests(); }
    void TearDown() override { AppLogResetForTests(); }

    // The log with every time stamp replaced by "TT:TT:TT".
    std::string Log(const std::string& folder) {
        std::vector<uint8_t> bytes;
        if (!Quill::ReadWholeFile(folder + "/app.log", bytes)) return "<missing>";
        std::string text(bytes.begin(), bytes.end());
        return std::regex_replace(text, std::regex(R"(\d\d:\d\d:\d\d : )"), "TT:TT:TT : ");
    }

    TempWorkFolder work;
};

TEST_F(AppLogTest, EachFlagShapesTheMessage) {
    struct Case { int flags; const char* expected; } cases[] = {
        {0, "plain\n"},
        {LogTime, "TT:TT:TT : plain\n"},
        {LogFrame, "*\nplain\n*\n"},
        {LogWarning, "===> Warning: plain\n"},
        {LogNoNewline, "plain"},
    };
    for (const Case& c : cases) {
        AppLog("old line", 0);
        AppLog("plain", c.flags | LogNewFile);
        std::string expected = std::regex_replace(c.expected, std::regex(R"(\*)"), kStars);
        EXPECT_EQ(Log(work.Path()), expected) << c.flags;
    }
    AppLog("*** SESSION STARTED ***", LogNewFile | LogTime | LogFrame);
    AppLog("first ", LogNoNewline);
    AppLog("and second", 0);
    AppLogf(LogWarning, "%s: %d", "count", 12);
    AppLogf(0, "%s", std::string(2000, 'x').c_str());
    AppLog(nullptr, 0);
    EXPECT_EQ(Log(work.Path()), kStars + "\nTT:TT:TT : *** SESSION STARTED ***\n" + kStars +
                                    "\nfirst and second\n===> Warning: count: 12\n" + std::string(1023, 'x') +
                                    "\n\n");
}

// The first call fixes the log's folder. A log that cannot be written loses
// its messages and nothing else: no other folder gets a log, and the log is
// back once its folder is.
TEST_F(AppLogTest, AnUnwritableLogLosesTheMessageQuietly) {
    std::string doomedPath;
    {
        TempWorkFolder doomed;
        doomedPath = doomed.Path();
        AppLog("fixes the folder", 0);
    } // the folder is gone now
    AppLog("lost", LogTime | LogFrame);
    AppLog("lost too", LogNewFile);
    EXPECT_EQ(Log(work.Path()), "<missing>") << "the working folder gets no log";
    EXPECT_EQ(Log(doomedPath), "<missing>") << "nor is the lost folder made again";
    ASSERT_EQ(mkdir(doomedPath.c_str(), 0700), 0);
    AppLog("back", 0);
    EXPECT_EQ(Log(doomedPath), "back\n");
    std::remove((doomedPath + "/app.log").c_str());
    rmdir(doomedPath.c_str());
}

TEST_F(AppLogTest, CallsFromTwoThreadsNeverInterleave) {
    // Both threads start together and log long enough to overlap many
    // times over: without the log's lock, entries tear.
    const int count = 1000;
    std::atomic<int> ready{0};
    auto worker = [&](char name) {
        ++ready;
        while (ready.load() < 2) std::this_thread::yield();
        for (int i = 0; i < count; ++i) AppLogf(LogTime | LogFrame, "%c%d", name, i);
    };
    std::thread a(worker, 'A'), b(worker, 'B');
    a.join();
    b.join();
    // Every call is three whole lines in a row: stars, message, stars.
    std::string log = Log(work.Path());
    std::regex entry(R"(\*{74}\nTT:TT:TT : ([AB])(\d+)\n\*{74}\n)");
    int next[2] = {0, 0};
    std::smatch m;
    auto at = log.cbegin();
    while (at != log.cend() && std::regex_search(at, log.cend(), m, entry, std::regex_constants::match_continuous)) {
        int who = m[1] == "A" ? 0 : 1;
        EXPECT_EQ(std::stoi(m[2]), next[who]) << "each thread's calls arrive in order";
        ++next[who];
        at = m[0].second;
    }
    EXPECT_EQ(at, log.cend()) << "a torn entry at offset " << (at - log.cbegin());
    EXPECT_EQ(next[0], count);
    EXPECT_EQ(next[1], count);
}

} // namespace
