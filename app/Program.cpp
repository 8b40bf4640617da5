#include "app/Program.h"

#include "app/GameApp.h"

#include "engine/Config.h"
#include "framework/imageio/PngWriter.h"
#include "framework/platform/Files.h"
#include "framework/platform/HeadlessPlatform.h"

#include <cstdio>
#include <cstdlib>

using namespace Quill;

namespace {
const char* kUsage =
    "usage: velmora [options]\n"
    "  --windowed            start in a window\n"
    "  --fullscreen          start in full screen\n"
    "  --headless            run without a window or sound\n"
    "  --frames N            stop after N frames drawn after loading\n"
    "  --screenshot FILE.png save the last picture when the program ends\n"
    "  --help                show this text\n"
    "  --version             show the version\n";

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
        } else if (a == "--screenshot") {
            if (!hasNext || args[i + 1].empty()) {
                error = "--screenshot needs a file name";
                return false;
            }
            options.screenshot = args[++i];
        } else {
            error = "unknown option '" + a + "'";
            return false;
        }
    }
    return true;
}

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
        std::puts("velmora 2.1");
        return 0;
    }
    // The program makes its own folder the working folder, so a relative
    // screenshot name is fixed against the folder it was started in.
    if (!options.screenshot.empty() && options.screenshot[0] != '/')
        options.screenshot = GetWorkingFolder() + "/" + options.screenshot;

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

    // Everything the game reads and writes lies in its own folder, and the
    // application reads its language and menus as it is made: go there first.
    SetWorkingFolder(GetProgramFolder());
    // The screen mode is the options screen's check box; a choice made here
    // is the player's new choice.
    if (options.screen != ProgramOptions::Screen::Stored)
        IniSetString("OPTIONS", "btnFullScreen", options.screen == ProgramOptions::Screen::Fullscreen ? "1" : "0");

    int code = 0;
    {
        auto app = std::make_unique<GameApp>();
        app->frameLimit = options.frames;
        app->noSound = options.headless;
        // Headless runs are tools and tests; they never stand in a user's way.
        app->singleInstance = !options.headless;
        app->Init();
        app->Start();
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
