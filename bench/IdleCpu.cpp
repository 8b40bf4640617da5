// How much processor the game burns while the player does nothing, where
// players run it: the real program in a real window at the main menu, the
// same in a level started through the menus with the pointer left alone, and
// `velmora --headless` at the main menu. Each run waits until loading is over,
// measures the program's user + system time over the given seconds of real
// time as a share of one core, then ends it with SIGTERM; the windowed runs
// also give the frames per second and the drawing and presenting milliseconds
// per frame from the program's own statistics (those cover the whole run,
// loading included).
//
// A window needs a display: with DISPLAY set the program shows there;
// otherwise the bench starts its own Xvfb when that program is installed, and
// says so when it is not. Starting a level takes xdotool. Every run works in a
// fresh folder beside a copy of the program, so no player's settings, scores
// or saved games are read or touched.
//
// bench_IdleCpu [path/to/velmora] [seconds]
// Without a path it looks for game/velmora in the build folder above this
// program, then in the build folder it was configured for.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The goals, in percent of one core.
constexpr double kWindowedMenuLimit = 10.0;
constexpr double kPlayingLimit = 25.0;
constexpr double kHeadlessMenuLimit = 5.0;
// Loading and the first frames are not idle; the measurement starts after.
constexpr double kSettleSeconds = 4.0;

bool Executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

bool OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && Executable(folder + "/" + name)) return true;
    return false;
}

std::string FindProgram() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = '\0';
        // ${build}/bench/bench_IdleCpu -> ${build}/game/velmora
        fs::path candidate = fs::path(self).parent_path().parent_path() / "game" / "velmora";
        if (Executable(candidate.string())) return candidate.string();
    }
    return std::string(VELMORA_GAME_DIR) + "/velmora";
}

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// A fresh game folder: the game's data linked in, the program copied (it
// finds its folder through its own path).
class GameFolder {
public:
    explicit GameFolder(const std::string& program) {
        char pattern[] = "/tmp/velmora-bench-XXXXXX";
        if (!mkdtemp(pattern)) return;
        path = pattern;
        std::error_code error;
        const fs::path game = fs::path(program).parent_path();
        for (const fs::directory_entry& entry : fs::directory_iterator(game, error)) {
            const std::string name = entry.path().filename().string();
            if (name == "velmora" || name.find(".ini") != std::string::npos || name.find(".log") != std::string::npos ||
                name.rfind("cached_", 0) == 0)
                continue;
            fs::create_symlink(entry.path(), fs::path(path) / name, error);
        }
        // The texts and the language choice are data the game reads, not the player's.
        for (const char* data : {"language.ini", "sound.ini"})
            fs::copy_file(game / data, fs::path(path) / data, error);
        fs::copy_file(program, fs::path(path) / "velmora", error);
        ok = !error;
    }
    ~GameFolder() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
    std::string path;
    bool ok = false;
};

// The program's user + system time so far, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Fields 3.. follow the name; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
        if (i == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

bool Running(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 60; ++i) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) return;
        Pause(0.05);
    }
    std::fprintf(stderr, "the program ignored SIGTERM; killing it\n");
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// One of the program's closing statistics ("Draw Count    = 612"); -1 when absent.
double Statistic(const std::string& log, const std::string& name) {
    size_t at = log.find(name);
    if (at == std::string::npos) return -1;
    at = log.find('=', at);
    return at == std::string::npos ? -1 : std::atof(log.c_str() + at + 1);
}

struct Figures {
    bool measured = false;
    double cpuPercent = 0;
    double fps = -1, drawMs = -1, presentMs = -1;
};

// Runs the program in `folder` with `args`, calls `prepare` once it has
// loaded, then measures for `seconds`.
template <typename Prepare>
Figures Measure(const GameFolder& folder, const std::vector<std::string>& args, const std::string& display,
                double seconds, Prepare prepare) {
    Figures f;
    const std::string log = folder.path + "/stderr.txt";
    std::fflush(nullptr); // the child must not write our buffered lines again
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return f;
    }
    if (pid == 0) {
        if (chdir(folder.path.c_str()) != 0) _exit(127);
        setenv("XDG_RUNTIME_DIR", folder.path.c_str(), 1);
        setenv("VELMORA_CONFIG_HOME", folder.path.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
        if (!std::freopen("/dev/null", "w", stdout) || !std::freopen(log.c_str(), "w", stderr)) _exit(127);
        std::vector<char*> argv;
        std::string program = folder.path + "/velmora";
        argv.push_back(program.data());
        std::vector<std::string> copies(args);
        for (std::string& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    Pause(kSettleSeconds);
    if (!Running(pid)) {
        std::ifstream in(log);
        std::string line, last;
        while (std::getline(in, line))
            if (!line.empty()) last = line;
        std::printf("  the program ended while loading: %s\n", last.c_str());
        return f;
    }
    if (!prepare(pid)) {
        Stop(pid);
        return f;
    }
    double before = CpuSeconds(pid);
    auto start = std::chrono::steady_clock::now();
    Pause(seconds);
    double after = CpuSeconds(pid);
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!Running(pid)) {
        std::printf("  the program ended by itself\n");
        return f;
    }
    Stop(pid);
    f.measured = before >= 0 && after >= before;
    f.cpuPercent = 100.0 * (after - before) / wall;
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    double runSeconds = Statistic(text, "Seconds"), draws = Statistic(text, "Draw Count");
    double drawTime = Statistic(text, "Draw Time"), blt = Statistic(text, "Screen Blt");
    if (runSeconds > 0 && draws > 0) {
        f.fps = draws / runSeconds;
        f.drawMs = drawTime / draws;
        f.presentMs = blt / draws;
    }
    return f;
}

// A display of our own: Xvfb tells its number once it is ready.
class OwnDisplay {
public:
    bool Start() {
        int fds[2];
        if (pipe(fds) != 0) return false;
        std::fflush(nullptr);
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            if (!std::freopen("/dev/null", "w", stderr)) _exit(127);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[32] = {};
        ssize_t n = pid > 0 ? read(fds[0], number, sizeof number - 1) : -1;
        close(fds[0]);
        if (n <= 0) return false;
        name = ":" + std::string(number, number + std::strcspn(number, "\n"));
        return true;
    }
    ~OwnDisplay() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    std::string name;
    pid_t pid = -1;
};

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Through the real menus: "Classic", then "Play" on the level map; the
// pointer then rests over the board.
bool StartLevel(const std::string& display) {
    const std::string x = "DISPLAY=" + display + " xdotool ";
    const std::string window = "$(" + x + "search --sync --name Velmora | head -n 1)";
    if (!Shell(x + "mousemove --window " + window + " 200 235 click 1 >/dev/null 2>&1")) return false;
    Pause(2.0);
    return Shell(x + "mousemove --window " + window + " 663 549 click 1 >/dev/null 2>&1");
}

void Report(const char* what, const Figures& f, double limit, bool windowed, bool& allMet) {
    if (!f.measured) {
        std::printf("%-26s not measured\n", what);
        allMet = false;
        return;
    }
    std::printf("%-26s %5.1f %% of one core (goal %.0f %%)", what, f.cpuPercent, limit);
    if (windowed && f.fps >= 0)
        std::printf(", %.1f frames/s, draw %.2f ms, present %.2f ms per frame", f.fps, f.drawMs, f.presentMs);
    std::printf("\n");
    if (f.cpuPercent > limit) allMet = false;
}

} // namespace

int main(int argc, char** argv) {
    std::string program = argc > 1 ? argv[1] : FindProgram();
    double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    if (seconds <= 0) seconds = 10.0;
    if (!Executable(program)) {
        std::fprintf(stderr, "no program at %s\n", program.c_str());
        return 2;
    }
    program = fs::absolute(program).string();
    signal(SIGPIPE, SIG_IGN);

    std::string display;
    OwnDisplay own;
    if (const char* d = std::getenv("DISPLAY"); d && *d) {
        display = d;
        std::printf("windows on the display %s\n", display.c_str());
    } else if (OnPath("Xvfb") && own.Start()) {
        display = own.name;
        std::printf("windows on an Xvfb of our own (%s)\n", display.c_str());
    } else {
        std::printf("no DISPLAY and no Xvfb (apt-get install xvfb): the windowed figures are left out\n");
    }
    bool canPlay = OnPath("xdotool");
    if (!display.empty() && !canPlay)
        std::printf("no xdotool (apt-get install xdotool): the playing-screen figure is left out\n");
    std::printf("running %s for %.0f s each, after %.0f s to load\n", program.c_str(), seconds, kSettleSeconds);
    std::fflush(stdout);

    bool allMet = true;
    auto nothing = [](pid_t) { return true; };
    if (!display.empty()) {
        GameFolder menu(program);
        Report("main menu, window:", Measure(menu, {"--windowed"}, display, seconds, nothing), kWindowedMenuLimit,
               true, allMet);
        if (canPlay) {
            GameFolder play(program);
            auto startLevel = [&](pid_t) {
                if (StartLevel(display)) return true;
                std::printf("  could not start a level through the menus\n");
                return false;
            };
            Report("playing screen, window:", Measure(play, {"--windowed"}, display, seconds, startLevel),
                   kPlayingLimit, true, allMet);
        }
        std::fflush(stdout);
    }
    GameFolder headless(program);
    Report("main menu, headless:", Measure(headless, {"--headless"}, "", seconds, nothing), kHeadlessMenuLimit, false,
           allMet);
    return allMet ? 0 : 1;
}
