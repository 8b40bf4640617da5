// The velmora program from the outside: its options, and a whole headless run
// that leaves a screenshot behind.
#include "app/Program.h"
#include "app/support/GameDriver.h"
#include "framework/app/AppTestSupport.h"

#include "framework/imageio/ImageLoader.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using apptest::TempFolder;
using testfiles::ReadText;

struct ProgramRun {
    int exitCode = -1;
    std::string output;
};

// Runs `command` through the shell and collects its exit code and output.
ProgramRun RunCommand(const std::string& command) {
    ProgramRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : (WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1);
    return run;
}

// Runs a copy of the program in `folder` over the game's data, so that its
// settings, lock, log, options and scores all stay in that folder. `environment`
// ("NAME=value ...") is added to the program's environment.
ProgramRun RunVelmora(const std::string& folder, const std::string& arguments, const std::string& environment = "") {
    std::ifstream existing(folder + "/velmora");
    if (!existing && !PrepareGameFolder(folder, true)) ADD_FAILURE() << "the game folder has not been built";
    return RunCommand("cd '" + folder + "' && VELMORA_CONFIG_HOME='" + folder + "' XDG_RUNTIME_DIR='" + folder +
                      "' " + environment + " ./velmora " + arguments);
}

// Every file under `folder`, with its size: a fingerprint of what was written.
std::string Listing(const std::string& folder) {
    std::string out;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        out += entry.path().string();
        if (entry.is_regular_file(error) && !entry.is_symlink(error)) out += " " + std::to_string(entry.file_size());
        out += "\n";
    }
    return out;
}

TEST(ProgramOptionsTest, ParsesWhatItKnowsAndRefusesTheRest) {
    const std::vector<std::string> refused[] = {
        {"--frames"}, {"--frames", "-5"}, {"--frames", "12x"}, {"--frames", "99999999999"}, {"--screenshot", ""},
        {"--bogus"}, {"windowed"}, {"--demo", "41"}, {"--levels", "3"}, {"--replay", "a", "--record", "b"}};
    for (const std::vector<std::string>& args : refused) {
        ProgramOptions options;
        std::string error;
        EXPECT_FALSE(ParseProgramOptions(args, options, error)) << testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(ParseProgramOptions({"--headless", "--frames", "200", "--screenshot", "a.png", "--windowed", "--fullscreen"},
                                    options, error));
    EXPECT_EQ(options.frames, 200);
    EXPECT_EQ(options.screenshot, "a.png");
    EXPECT_EQ(options.screen, ProgramOptions::Screen::Fullscreen); // the last one wins

    // A bare --demo plays from level 1 without end.
    ProgramOptions demo;
    ASSERT_TRUE(ParseProgramOptions({"--demo", "--headless"}, demo, error)) << error;
    EXPECT_EQ(demo.demoLevel, 1);
    EXPECT_EQ(demo.levels, 0);
}

TEST(ProgramTest, AHeadlessRunLeavesItsPictureAndEndsInOrder) {
    TempFolder folder;
    ProgramRun run = RunVelmora(folder.path, "--headless --frames 200 --screenshot shot.png");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // The frames are counted once loading has ended; the loading screen adds its own.
    size_t at = run.output.find("Draw Count    = ");
    ASSERT_NE(at, std::string::npos) << run.output;
    EXPECT_GE(std::atoi(run.output.c_str() + at + 16), 200) << run.output;

    // A real-clock run shows whatever its machine's speed made of the menu's
    // fade-in by then, so only the picture's size is certain here (the
    // whole-game tests look at the menu itself on the manual clock).
    std::unique_ptr<Quill::ImageLib::Image> shot = Quill::ImageLib::LoadImageFile(folder.path + "/shot.png", false);
    ASSERT_TRUE(shot);
    EXPECT_TRUE(shot->width == 800 && shot->height == 600 && shot->bits.size() == 800u * 600u);

    // The run ended normally, as its settings say, and nothing failed to load.
    EXPECT_NE(ReadText(folder.path + "/Velmora.settings").find("4\tInProgress\t0\n"), std::string::npos);
    const std::string log = ReadText(folder.path + "/app.log");
    EXPECT_EQ(log.find("... FAILED"), std::string::npos) << log;
}

// The command line reaches the sessions: a headless demo records its level,
// the recording replays to the same end (exit 0), and one that cannot be read
// is refused with the reason (exit 2). RecordingTest has every kind of damage,
// PlaySessionTest the replays themselves and the player's files left alone.
TEST(ProgramTest, ADemoRecordedHeadlessReplaysAsRecordedAndAnUnreadableRecordingIsRefused) {
    TempFolder folder;
    ProgramRun demo = RunVelmora(folder.path, "--headless --demo 3 --levels 1 --record game.rec");
    ASSERT_EQ(demo.exitCode, 0) << demo.output;
    EXPECT_NE(demo.output.find("demo: Classic level 3 "), std::string::npos) << demo.output;
    EXPECT_NE(demo.output.find("demo: 1 levels played"), std::string::npos) << demo.output;
    ProgramRun replay = RunVelmora(folder.path, "--headless --replay game.rec");
    EXPECT_EQ(replay.exitCode, 0) << replay.output;
    EXPECT_NE(replay.output.find("as recorded"), std::string::npos) << replay.output;
    ProgramRun refused = RunVelmora(folder.path, "--headless --replay no-such.rec");
    EXPECT_EQ(refused.exitCode, 2) << refused.output;
    EXPECT_NE(refused.output.find("cannot be read"), std::string::npos) << refused.output;
}

// A corrupt settings file is no reason to stop; the screen-mode option
// becomes the player's new choice.
TEST(ProgramTest, TheScreenModeOptionIsThePlayersNewChoice) {
    TempFolder folder;
    testfiles::WriteText(folder / "Velmora.settings", std::string("\x04\tScreenMode\t\xff\n\0\0", 17));
    ASSERT_EQ(RunVelmora(folder.path, "--headless --windowed --frames 2").exitCode, 0);
    EXPECT_NE(ReadText(folder.path + "/config.ini").find("btnFullScreen=0"), std::string::npos);
    EXPECT_NE(ReadText(folder.path + "/Velmora.settings").find("4\tScreenMode\t0\n"), std::string::npos);
    ASSERT_EQ(RunVelmora(folder.path, "--headless --fullscreen --frames 2").exitCode, 0);
    EXPECT_NE(ReadText(folder.path + "/config.ini").find("btnFullScreen=1"), std::string::npos);
}

// The program finds its data from where it lies, whatever the working folder:
// beside it, in ../share/velmora, or where --data says. An installed tree is
// never written; the player's files go to the per-user folder.
TEST(ProgramTest, FindsItsDataFromItsOwnPlaceAndKeepsThePlayersFilesInTheirHome) {
    TempFolder root;
    const std::string prefix = root / "prefix", data = prefix + "/share/velmora", elsewhere = root / "elsewhere";
    std::filesystem::create_directories(prefix + "/bin");
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(elsewhere);
    ASSERT_TRUE(PrepareGameFolder(data, false)) << "the game folder has not been built";
    std::filesystem::copy_file(std::string(VELMORA_GAME_DIR) + "/velmora", prefix + "/bin/velmora");
    struct Case {
        const char* name;
        std::string program;
        std::string arguments;
        std::string playerFolder;
    } cases[] = {
        // (Where XDG_DATA_HOME and the rest lead is PlayerFolderTest's table.)
        {"installed, default per-user folder", prefix + "/bin/velmora", "", root / "home/.local/share/velmora"},
        {"--data over a read-only tree's copy", root / "elsewhere/velmora", "--data ../prefix/share/velmora", data},
    };
    std::filesystem::copy_file(prefix + "/bin/velmora", elsewhere + "/velmora");
    for (const Case& c : cases) {
        const std::string before = Listing(prefix);
        const std::string env = "HOME='" + (root / "home") + "' VELMORA_CONFIG_HOME='" + (root / "settings") +
                          "' XDG_RUNTIME_DIR='" + root.path + "' XDG_DATA_HOME= ";
        ProgramRun run = RunCommand("cd '" + elsewhere + "' && " + env + "'" + c.program + "' --headless --frames 5 " +
                                    c.arguments);
        ASSERT_EQ(run.exitCode, 0) << c.name << run.output;
        for (const char* file : {"config.ini", "scores.ini", "app.log"})
            EXPECT_TRUE(std::ifstream(c.playerFolder + "/" + file).good()) << c.name << " " << file;
        const std::string log = ReadText(c.playerFolder + "/app.log");
        EXPECT_EQ(log.find("... FAILED"), std::string::npos) << c.name << log;
        if (c.playerFolder != data) {
            EXPECT_EQ(Listing(prefix), before) << c.name;
        }
    }
}

// The test hook crashes the game once it runs: the report lands beside the
// log and the next start tells of it once, in the log and on stderr.
TEST(ProgramTest, ACrashLeavesAReportThatTheNextStartMentionsOnce) {
    TempFolder folder;
    ProgramRun crashed = RunVelmora(folder.path, "--headless --frames 2", "VELMORA_CRASH_TEST=segv");
    // A shell reports a process killed by a signal as 128 + the signal.
    EXPECT_EQ(crashed.exitCode, 128 + 11) << crashed.output;
    EXPECT_NE(crashed.output.find("a report was written to " + folder.path + "/crash.txt"), std::string::npos)
        << crashed.output;
    const std::string report = ReadText(folder.path + "/crash.txt");
    EXPECT_NE(report.find("Version: 2.1"), std::string::npos) << report;
    // The report ends with the last line the log got (without its time).
    auto lastLine = [](std::string text) {
        while (!text.empty() && text.back() == '\n') text.pop_back();
        return text.substr(text.rfind('\n') + 1); // from the start when there is one line
    };
    const std::string logLine = lastLine(ReadText(folder.path + "/app.log")), reportLine = lastLine(report);
    ASSERT_FALSE(reportLine.empty()) << report;
    EXPECT_EQ(logLine.substr(logLine.size() - std::min(logLine.size(), reportLine.size())), reportLine) << report;

    const std::string mention = "the last run crashed; its report is '" + folder.path + "/crash.txt'";
    for (int run = 0; run < 2; ++run) {
        ProgramRun next = RunVelmora(folder.path, "--headless --frames 2");
        ASSERT_EQ(next.exitCode, 0) << next.output;
        const std::string log = ReadText(folder.path + "/app.log");
        EXPECT_EQ(next.output.find(mention) != std::string::npos, run == 0) << next.output;
        EXPECT_EQ(log.find("The last run of the game crashed") != std::string::npos, run == 0) << log;
    }
}

} // namespace
