// How much processor the game burns while it sits idle: runs the real
// program `velmora --headless` from its game folder for ten seconds of real
// time, ends it with SIGTERM and reports the child's user + system time as a
// share of one core. Idle should cost at most 10 %.
//
// bench_IdleCpu [path/to/velmora] [seconds]
// Without a path it looks for game/velmora in the build folder above this
// program, then in the build folder it was configured for.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr double kLimitPercent = 10.0;

bool Executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

std::string Folder(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string FindProgram() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = '\0';
        // ${build}/bench/bench_IdleCpu -> ${build}/game/velmora
        std::string candidate = Folder(Folder(self)) + "/game/velmora";
        if (Executable(candidate)) return candidate;
    }
    return std::string(VELMORA_GAME_DIR) + "/velmora";
}

// Waits for the child up to `seconds`; true when it ended by itself.
bool WaitFor(pid_t pid, double seconds, int* status) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        pid_t r = waitpid(pid, status, WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno != EINTR) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
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
    std::printf("running %s --headless for %.1f s\n", program.c_str(), seconds);
    std::fflush(stdout);

    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return 2;
    }
    if (pid == 0) {
        // The game's own folder is its working folder.
        if (chdir(Folder(program).c_str()) != 0) _exit(127);
        // Its chatter on stdout would mix with the report; errors still show.
        if (FILE* devNull = std::freopen("/dev/null", "w", stdout)) (void)devNull;
        execl(program.c_str(), program.c_str(), "--headless", static_cast<char*>(nullptr));
        _exit(127);
    }

    int status = 0;
    bool endedEarly = WaitFor(pid, seconds, &status);
    auto stop = std::chrono::steady_clock::now();
    if (!endedEarly) {
        kill(pid, SIGTERM);
        if (!WaitFor(pid, 3.0, &status)) {
            std::fprintf(stderr, "the program ignored SIGTERM; killing it\n");
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }

    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    double cpu = double(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6 + double(usage.ru_stime.tv_sec) +
                 usage.ru_stime.tv_usec / 1e6;
    double wall = std::chrono::duration<double>(stop - start).count();
    double percent = 100.0 * cpu / wall;
    std::printf("user %.3f s, system %.3f s over %.2f s of real time\n",
                double(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6,
                double(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6, wall);
    if (endedEarly) {
        std::printf("the program ended by itself after %.2f s (%s %d)\n", wall,
                    WIFEXITED(status) ? "exit code" : "signal", WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
        return 2;
    }
    std::printf("idle CPU use: %.1f %% of one core (limit %.0f %%)\n", percent, kLimitPercent);
    return percent <= kLimitPercent ? 0 : 1;
}
