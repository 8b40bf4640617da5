#pragma once
// The velmora program: reads its options, picks the platform (a real window,
// or headless on the real clock), runs the application and, when asked,
// saves the last presented picture as a PNG file.
//
//   --windowed / --fullscreen   start in that screen mode (and remember it)
//   --headless                  no window and no sound
//   --frames N                  stop after N frames drawn once loading has ended
//   --screenshot FILE.png       save the last picture on exit
//   --data DIR                  read the game's data from DIR
//   --demo [LEVEL]              the game plays itself, level after level
//   --levels N                  with --demo: stop after N levels
//   --record FILE               write the next game played to FILE
//   --replay FILE               play a recorded game back
//   --help, --version
//
// The data is found from the program's own place, never from the working
// folder: beside the program (a build folder), else in ../share/velmora (an
// installed tree); --data overrides both.
#include <string>
#include <vector>

struct ProgramOptions {
    enum class Screen { Stored, Windowed, Fullscreen };
    Screen screen = Screen::Stored;
    bool headless = false;
    int frames = 0;
    std::string screenshot;
    std::string data;
    // --demo: the first level (0: no demo); --levels: stop after that many.
    int demoLevel = 0;
    int levels = 0;
    std::string record;
    std::string replay;
    bool help = false;
    bool version = false;
};

// Fills `options` from the arguments (without the program name). On a bad
// argument returns false with a message for the user in `error`.
bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error);

// Where the game's data lies and whether it is an installed (read-only) tree.
struct DataLocation {
    std::string folder;
    bool installed = false;
};
// `dataOption` (--data, absolute) wins; else `programFolder` when it holds
// the data; else programFolder/../share/velmora when that does; else the
// program's folder, where loading will then report what is missing.
DataLocation FindDataFolder(const std::string& programFolder, const std::string& dataOption);

// The whole program; returns the exit code (0 done, 1 no display, a failed
// screenshot or a replay that did not end as recorded, 2 bad options or a
// recording that cannot be read or written).
int RunProgram(int argc, char** argv);
