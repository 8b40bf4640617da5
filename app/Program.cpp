#include "app/Program.h"

// Where the data of an installed game lies, seen from the program's folder.
#ifndef VELMORA_DATA_FROM_BIN
#define VELMORA_DATA_FROM_BIN "../share/velmora"
#endif

#include "app/GameApp.h"
#include "app/Recording.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "engine/PlayerFolder.h"
#include "framework/imageio/PngWriter.h"
#include "framework/platform/CrashReport.h"
#include "framework/platform/Files.h"
#include "framework/platform/HeadlessPlatform.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <cstring>

using namespace Quill;

namespace {

const char* kUsage =
    "usage: velmora [options]\n"
    "  --windowed            start in a window\n"
    "  --fullscreen          start in full screen\n"
    "  --headless            run without a window or sound\n"
    "  --frames N            stop after N frames drawn after loading\n"
    "  --screenshot FILE.png save the last picture when the program ends\n"
    "  --data DIR            read the game's data from DIR\n"
    "  --demo [LEVEL]        the game plays itself from LEVEL (1 to 40, default 1)\n"
    "                        of Classic on, level after level, through every mode\n"
    "  --levels N            with --demo: stop after N levels\n"
    "  --record FILE         write the next game you start to FILE\n"
    "  --replay FILE         play a recorded game back exactly as it was played\n"
    "  --help                show this text\n"
    "  --version             show the version\n";

// Test hook: VELMORA_CRASH_TEST=segv (or abort, bus, fpe) makes the program
// die of that signal once it is running, so the crash report can be tested.
void CrashOnPurposeWhenAsked() {
    const char* what = std::getenv("VELMORA_CRASH_TEST");
    if (!what) return;
    const struct {
        const char* name;
        int sig;
    } kinds[] = {{"segv", SIGSEGV}, {"abort", SIGABRT}, {"bus", SIGBUS}, {"fpe", SIGFPE}};
    for (const auto& kind : kinds)
        if (std::strcmp(what, kind.name) == 0) std::raise(kind.sig);
}

// Tells once, in the log and on stderr, of a report a crashed run left.
void MentionEarlierCrash(const std::string& folder) {
    std::string report = TakeEarlierCrashReport(folder);
    if (report.empty()) return;
    AppLogf(LogWarning, "The last run of the game crashed; its report is '%s'", report.c_str());
    std::fprintf(stderr, "velmora: the last run crashed; its report is '%s'\n", report.c_str());
}

// Recordings larger than this are not ours.
constexpr size_t kMaxRecordingBytes = 64u << 20;

bool ParseCount(const std::string& text, int& out) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v <= 0) return false;
    out = v;
    return true;
}

// The file every game folder has; its presence says "the data is here".
bool HoldsGameData(const std::string& folder) { return FileExists(folder + "/language.ini"); }

std::string Absolute(const std::string& path) {
    return !path.empty() && path[0] == '/' ? path : GetWorkingFolder() + "/" + path;
}

// The installed data folder for a program in `programFolder`, tidied so
// that the log reads "/usr/share/velmora", not "/usr/bin/../share/velmora".
std::string InstalledDataFolder(const std::string& programFolder) {
    return std::filesystem::path(programFolder + "/" + VELMORA_DATA_FROM_BIN).lexically_normal().string();
}

} // namespace

bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasNext = i + 1 < args.size();
        if (a == "--windowed") {
            options.screen = ProgramOptions::Screen::Windowed;
        } else if (a == "--fullscreen") {
            options.screen = ProgramOptions::Screen::Fullscreen;
        } else if (a == "--headless") {
            options.headless = true;
        } else if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--version") {
            options.version = true;
        } else if (a == "--frames") {
            if (!hasNext || !ParseCount(args[i + 1], options.frames)) {
                error = "--frames needs a whole number of frames from 1 to 999999999";
                return false;
            }
            ++i;
        } else if (a == "--demo") {
            options.demoLevel = 1;
            // The level is optional: a number right after --demo is it.
            if (hasNext && !args[i + 1].empty() && args[i + 1][0] != '-') {
                int level = 0;
                if (!ParseCount(args[i + 1], level) || level > 40) {
                    error = "--demo takes a level from 1 to 40";
                    return false;
                }
                options.demoLevel = level;
                ++i;
            }
        } else if (a == "--levels") {
            if (!hasNext || !ParseCount(args[i + 1], options.levels)) {
                error = "--levels needs a whole number of levels from 1 to 999999999";
                return false;
            }
            ++i;
        } else if (a == "--record" || a == "--replay") {
            if (!hasNext || args[i + 1].empty()) {
                error = a + " needs a file name";
                return false;
            }
            (a == "--record" ? options.record : options.replay) = args[++i];
        } else if (a == "--screenshot") {
            if (!hasNext || args[i + 1].empty()) {
                error = "--screenshot needs a file name";
                return false;
            }
            options.screenshot = args[++i];
        } else if (a == "--data") {
            if (!hasNext || args[i + 1].empty()) {
                error = "--data needs a folder";
                return false;
            }
            options.data = args[++i];
        } else {
            error = "unknown option '" + a + "'";
            return false;
        }
    }
    if (!options.replay.empty() && (options.demoLevel > 0 || !options.record.empty())) {
        error = "--replay plays a recording as it is; it goes with neither --demo nor --record";
        return false;
    }
    if (options.levels > 0 && options.demoLevel == 0) {
        error = "--levels counts the levels of a demo; add --demo";
        return false;
    }
    return true;
}

DataLocation FindDataFolder(const std::string& programFolder, const std::string& dataOption) {
    if (!dataOption.empty()) return {dataOption, false};
    if (HoldsGameData(programFolder)) return {programFolder, false};
    const std::string shared = InstalledDataFolder(programFolder);
    if (HoldsGameData(shared)) return {shared, true};
    return {programFolder, false};
}

namespace {

bool ReadRecording(const std::string& path, Recording& recording, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        error = "the file cannot be read";
        return false;
    }
    if (bytes.size() > kMaxRecordingBytes) {
        error = "the file is far too large to be a recording";
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    return Recording::Parse(text, kGameVersion, recording, error);
}

} // namespace

int RunProgram(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    ProgramOptions options;
    std::string error;
    if (!ParseProgramOptions(args, options, error)) {
        std::fprintf(stderr, "velmora: %s (try --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("velmora %s\n", kGameVersion);
        return 0;
    }
    // The program makes its data folder the working folder, so relative
    // names are fixed against the folder it was started in.
    for (std::string* name : {&options.screenshot, &options.record, &options.replay})
        if (!name->empty()) *name = Absolute(*name);
    if (!options.data.empty()) options.data = Absolute(options.data);

    auto replay = std::make_unique<Recording>();
    if (!options.replay.empty() && !ReadRecording(options.replay, *replay, error)) {
        std::fprintf(stderr, "velmora: cannot replay '%s': %s\n", options.replay.c_str(), error.c_str());
        return 2;
    }

    if (options.headless) {
        SetPlatform(std::make_unique<HeadlessPlatform>(false));
    } else {
        std::unique_ptr<Platform> sdl = CreateSdlPlatform(&error);
        if (!sdl) {
            std::fprintf(stderr, "velmora: cannot open a display (%s); try --headless\n", error.c_str());
            return 1;
        }
        SetPlatform(std::move(sdl));
    }

    // The application reads its language and menus as it is made: find the
    // data and the player's folder first.
    const DataLocation data = FindDataFolder(GetProgramFolder(), options.data);
    if (!SetWorkingFolder(data.folder)) {
        std::fprintf(stderr, "velmora: cannot open the data folder '%s'\n", data.folder.c_str());
        SetPlatform(nullptr);
        return 1;
    }
    const PlayerFolderChoice player =
        ChoosePlayerFolder(data.folder, data.installed, std::getenv("XDG_DATA_HOME"), HomeFolder().c_str());
    UsePlayerFolder(player, data.folder);
    if (!PlayerFolderWritable()) std::fprintf(stderr, "velmora: %s\n", DescribePlayerFolder().c_str());
    // The screen mode is the options screen's check box; a choice made here
    // is the player's new choice.
    if (options.screen != ProgramOptions::Screen::Stored)
        IniSetString("OPTIONS", "btnFullScreen", options.screen == ProgramOptions::Screen::Fullscreen ? "1" : "0");

    // A crash report goes where the player's own files (app.log among them) go.
    const std::string playerFolder = PlayerFolder();
    InstallCrashReport(playerFolder, kGameVersion);

    int code = 0;
    {
        auto app = std::make_unique<GameApp>();
        MentionEarlierCrash(playerFolder);
        app->frameLimit = options.frames;
        // The data folder found above is the working folder for the whole run.
        app->keepWorkingFolder = true;
        app->noSound = options.headless;
        // Headless runs are tools and tests; they never stand in a user's way.
        app->singleInstance = !options.headless;
        app->demoLevel = options.demoLevel;
        app->demoLevelLimit = options.levels;
        app->recordPath = options.record;
        if (!options.replay.empty()) app->replay = std::move(replay);
        app->flatOut = options.headless;
        if (app->PrepareRecording(error)) {
            app->Init();
            CrashOnPurposeWhenAsked();
            app->Start();
            if (!app->sessionReport.empty()) std::printf("%s\n", app->sessionReport.c_str());
            code = app->sessionExitCode;
        } else {
            std::fprintf(stderr, "velmora: %s\n", error.c_str());
            code = 2;
        }
        if (!options.screenshot.empty()) {
            DDImage* screen = app->GetDisplay() ? app->GetDisplay()->GetScreenImage() : nullptr;
            if (!screen || !WritePng(options.screenshot, screen->GetBits(), screen->GetWidth(), screen->GetHeight())) {
                std::fprintf(stderr, "velmora: cannot write the screenshot '%s'\n", options.screenshot.c_str());
                code = 1;
            }
        }
    }
    SetPlatform(nullptr);
    return code;
}
