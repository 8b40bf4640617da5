#include "framework/ini/IniFile.h"

#include "framework/platform/Files.h"
#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace Quill;
using namespace testfiles;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    // A fresh folder of the test's own (tests run in parallel), under `base`.
    void MakeFolder(const std::string& base) {
        dir = std::make_unique<TempFolder>(base);
        folder = dir->path;
        path = folder + "/test.ini";
    }
    void SetUp() override { MakeFolder("/tmp"); }
    void Put(const std::string& text) { WriteText(path, text); }
    std::string Get() const { return ReadText(path); }

    std::unique_ptr<TempFolder> dir;
    std::string folder, path;
};

TEST_F(IniFileTest, ReadsLikeTheClassicProfileFunctions) {
    Put("Orphan=before any section\r\n"
        "[Options]\r\n"
        "  MusicVolume =  0.8  \r\n"
        "; Comment=not a key\r\n"
        "Quoted=\"  spaced out  \"\r\n"
        "HalfQuote=\"open\r\n"
        "Equation=a=b\r\n"
        "Empty=\r\n"
        "musicvolume=second copy\r\n"
        "\r\n"
        "[ Sound ]\n"
        "Tab\t=\tvalue\t\n"
        "[OPTIONS]\n"
        "Late=in the second copy of the section\n"
        "Last=no line end\n"
        "[Long]\n"
        "Value=" + std::string(254, 'x') + "EF" + std::string(44, 'x') + "\n" +
        std::string("Nul=va\0lue", 10));
    struct Case { const char* section; const char* key; std::string expected; } cases[] = {
        {"Options", "MusicVolume", "0.8"},
        {"OPTIONS", "musicVOLUME", "0.8"},       // names ignore case; first key wins
        {"  Options ", " MusicVolume ", "0.8"},  // and surrounding blanks
        {"Options", "; Comment", "<none>"},      // comment lines are not keys
        {"Options", "Quoted", "  spaced out  "}, // one pair of quotes comes off
        {"Options", "HalfQuote", "\"open"},
        {"Options", "Equation", "a=b"},
        {"Options", "Empty", ""},
        {"Sound", "Tab", "value"},
        {"Options", "Late", "<none>"},           // only the first matching section counts
        {"Options", "Orphan", "<none>"},
        {"", "Orphan", "<none>"},
        {"OPTIONS", "Last", "<none>"},
        {"Missing", "MusicVolume", "<none>"},
        {"Long", "Value", std::string(254, 'x') + "E"}, // values are cut at 255 characters
        {"Long", "Nul", "va"},                          // and at a NUL byte
    };
    for (const Case& c : cases)
        EXPECT_EQ(IniReadString(path, c.section, c.key, "<none>"), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(IniReadString(folder + "/absent.ini", "Options", "MusicVolume", "preset"), "preset");
    EXPECT_EQ(IniReadString(path, "S", "Absent", std::string(400, 'f')).size(), 255u);
}

TEST_F(IniFileTest, WritesCreateAndPreserve) {
    const std::string longValue(300, 'v'), longFile = "[S]\nL=" + longValue + "\n";
    // before nullptr: no file yet.
    struct Case { const char* name; const char* before; const char* section; const char* key, *value, *after; };
    const Case cases[] = {
        {"new file", nullptr, "LANGUAGE", "Name", "ENGLISH", "[LANGUAGE]\nName=ENGLISH\n"},
        {"new section goes to the end", "; settings\n[A]\nx=1\n", "B", "y", "2",
         "; settings\n[A]\nx=1\n[B]\ny=2\n"},
        {"file without final line end", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
        {"new key after the section's last line", "[A]\nx=1\n; note\n\n[B]\ny=2\n", "a", "z", "3",
         "[A]\nx=1\n; note\nz=3\n\n[B]\ny=2\n"},
        {"replaced value keeps the file's spelling", "[A]\n  X = old value \n[B]\nx=keep\n", "a", "x", "new",
         "[A]\nX=new\n[B]\nx=keep\n"},
        {"CRLF file stays CRLF", "[A]\r\nx=1\r\n", "A", "x", "22", "[A]\r\nx=22\r\n"},
        {"unknown lines survive", "garbage line\n[A]\nno equals here\nx=1\n\xff\xfe odd bytes\n", "A", "x", "2",
         "garbage line\n[A]\nno equals here\nx=2\n\xff\xfe odd bytes\n"},
        {"a line end in a value cannot add a key", "[A]\n", "A", "x", "1\nInjected=yes", "[A]\nx=1\n"},
        // The file keeps a whole long value: only the reading side cuts.
        {"long values are kept whole", "", "S", "L", longValue.c_str(), longFile.c_str()},
    };
    for (const Case& c : cases) {
        std::remove(path.c_str());
        if (c.before) Put(c.before);
        EXPECT_TRUE(IniWriteString(path, c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(Get(), c.after) << c.name;
    }
}

// Names that could not be read back, and targets that cannot be written, are
// refused without touching anything or leaving a temporary file behind.
TEST_F(IniFileTest, RefusedWritesLeaveEverythingAlone) {
    Put("[A]\nx=1\n");
    ASSERT_EQ(mkdir((folder + "/dir.ini").c_str(), 0755), 0);
    struct Case { std::string file; const char* section; const char* key; } cases[] = {
        {path, "A", "k=v"}, {path, "A", ""},  {path, "A", "; c"}, {path, "A", "[x]"}, {path, "A]", "k"},
        {path, "A\nB", "k"}, {path, "A", "k\r"}, {folder + "/no/such/folder/x.ini", "A", "x"},
        {folder + "/dir.ini", "A", "x"},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(IniWriteString(c.file, c.section, c.key, "v")) << c.file << " " << c.section << "/" << c.key;
    uint8_t b = 1;
    EXPECT_FALSE(IniWriteStruct(folder + "/dir.ini", "A", "x", &b, 1));
    EXPECT_EQ(IniReadString(folder + "/dir.ini", "A", "x", "none"), "none");
    EXPECT_EQ(Get(), "[A]\nx=1\n");
    EXPECT_EQ(FindFiles(folder + "/*"), std::vector<std::string>{"test.ini"});
}

// Settled files are kept between reads; every kind of change must still be
// seen: an edit in place, a replacement with a new file, a fresh write.
TEST_F(IniFileTest, KeptFilesFollowEveryChange) {
    struct timespec base;
    clock_gettime(CLOCK_REALTIME, &base);
    const auto age = [&](int seconds) { // exactly `seconds` before the test began
        struct timespec times[2] = {base, base};
        times[0].tv_sec -= seconds;
        times[1].tv_sec -= seconds;
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    Put("[S]\nk=1\n");
    age(60);
    EXPECT_EQ(IniReadString(path, "S", "k"), "1");
    EXPECT_EQ(IniReadString(path, "S", "k"), "1");
    {
        std::FILE* f = std::fopen(path.c_str(), "r+b"); // same inode, same size
        ASSERT_NE(f, nullptr);
        std::fputs("[S]\nk=2\n", f);
        std::fclose(f);
    }
    age(50);
    EXPECT_EQ(IniReadString(path, "S", "k"), "2") << "an edit in place";
    WriteText(path + ".new", "[S]\nk=3\n");
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
    age(50); // the very same time stamp as before: only the inode differs
    EXPECT_EQ(IniReadString(path, "S", "k"), "3") << "a replaced file";
    ASSERT_TRUE(IniWriteString(path, "S", "k", "4"));
    ASSERT_TRUE(IniWriteString(path, "S", "k", "5")); // within the same clock tick
    EXPECT_EQ(IniReadString(path, "S", "k"), "5") << "quick writes of one size";
}

// Round trips of blocks are the INI fuzz harness's and, at the saved game's
// size, SavedGameTest's; here the stored form.
TEST_F(IniFileTest, StructsAreStoredAsHexDigitsAndASum) {
    // Hex digits and a one-byte sum: 01 02 FF is written as 0102FF02.
    const uint8_t bytes[] = {0x01, 0x02, 0xFF};
    ASSERT_TRUE(IniWriteStruct(path, "Small", "Key", bytes, 3));
    EXPECT_EQ(IniReadString(path, "Small", "Key"), "0102FF02");
}

TEST_F(IniFileTest, StructsWrittenByHandAreCheckedStrictly) {
    Put("[HIGH SCORES]\n"
        "Good=0102FF02\n"
        "Lower=0102ff02\n"
        "BadSum=0102FF03\n"
        "BadDigit=01G2FF02\n"
        "Blank=\n"
        "Spaced= 0102FF02 \n");
    struct Case { const char* key; size_t size; bool ok; } cases[] = {
        {"Good", 3, true},    {"Lower", 3, true},  {"Good", 2, false},  {"Good", 4, false},  {"BadSum", 3, false},
        {"BadDigit", 3, false}, {"Blank", 3, false}, {"Spaced", 3, true},
    };
    for (const Case& c : cases) {
        uint8_t block[4] = {0x55, 0x55, 0x55, 0x55};
        EXPECT_EQ(IniReadStruct(path, "high scores", c.key, block, c.size), c.ok) << c.key << " " << c.size;
        EXPECT_EQ(block[2], c.ok ? 0xFF : 0x55) << "a failed read leaves the block alone";
    }
}

TEST_F(IniFileTest, WritersInOneProcessDoNotLoseEachOthersKeys) {
    auto write = [&](int t) {
        for (int k = 0; k < 25; ++k) IniWriteString(path, "T" + std::to_string(t), "K" + std::to_string(k), "v");
    };
    std::thread a(write, 0), b(write, 1), c(write, 2);
    write(3);
    a.join(), b.join(), c.join();
    for (int t = 0; t < 4; ++t)
        for (int k = 0; k < 25; ++k)
            EXPECT_EQ(IniReadString(path, "T" + std::to_string(t), "K" + std::to_string(k)), "v");
}

// A child writes in a tight loop and is killed at pseudo-random moments; the
// file must always parse and hold everything written before the last write
// the child reported as finished. Each round writes one of a few slots, with
// values that keep rising from round to round.
TEST_F(IniFileTest, KilledWriterNeverLeavesAHalfWrittenFile) {
    // What matters here is the moment of the kill, not the disk: a memory
    // file system keeps the syncs from making the test slow.
    struct stat shm;
    if (stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode)) MakeFolder("/dev/shm");
    const int rounds = 200, slots = 8;
    ASSERT_TRUE(IniWriteString(path, "Keep", "Untouched", "still here"));
    std::vector<uint32_t> reported(slots, 0);
    uint32_t seed = 12345;
    for (int round = 0; round < rounds; ++round) {
        seed = seed * 1103515245u + 12345u;
        uint32_t killAfter = 1 + (seed >> 16) % 5;
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            std::string key = "Slot" + std::to_string(round % slots);
            for (uint32_t i = round * 1000u + 1;; ++i) {
                if (!IniWriteString(path, "Counts", key, std::to_string(i))) _exit(2);
                if (!IniWriteStruct(path, "Blocks", key, &i, sizeof i)) _exit(3);
                if (write(fds[1], &i, sizeof i) != sizeof i) _exit(4);
            }
        }
        close(fds[1]);
        uint32_t last = 0;
        bool heard = true;
        for (uint32_t n = 0; n < killAfter && heard; ++n)
            heard = read(fds[0], &last, sizeof last) == ssize_t(sizeof last);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(fds[0]);
        ASSERT_TRUE(heard && WIFSIGNALED(status)) << "the writer failed on its own in round " << round;
        reported[round % slots] = last;

        ASSERT_EQ(IniReadString(path, "Keep", "Untouched"), "still here") << round;
        for (int s = 0; s < slots; ++s) {
            std::string key = "Slot" + std::to_string(s);
            uint32_t block = 0;
            ASSERT_EQ(IniReadStruct(path, "Blocks", key, &block, sizeof block), reported[s] > 0) << round << " " << key;
            ASSERT_GE(block, reported[s]) << round << " " << key;
            ASSERT_GE(std::strtoul(IniReadString(path, "Counts", key, "0").c_str(), nullptr, 10), reported[s]);
        }
        // Leftover temporary files never carry the real name.
        ASSERT_EQ(FindFiles(folder + "/*.ini"), std::vector<std::string>{"test.ini"});
    }
}

} // namespace
