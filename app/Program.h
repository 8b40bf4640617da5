#pragma once
// The velmora program: reads its options, picks the platform (a real window,
// or headless on the real clock), runs the application and, when asked,
// saves the last presented picture as a PNG file.
//
//   --windowed / --fullscreen   start in that screen mode (and remember it)
//   --headless                  no window and no sound
//   --frames N                  stop after N frames drawn once loading has ended
//   --screenshot FILE.png       save the last picture on exit
//   --help, --version
#include <string>
#include <vector>

struct ProgramOptions {
    enum class Screen { Stored, Windowed, Fullscreen };
    Screen screen = Screen::Stored;
    bool headless = false;
    int frames = 0;
    std::string screenshot;
    bool help = false;
    bool version = false;
};

// Fills `options` from the arguments (without the program name). On a bad
// argument returns false with a message for the user in `error`.
bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error);

// The whole program; returns the exit code (0 done, 1 no display or a failed
// screenshot, 2 bad options).
int RunProgram(int argc, char** argv);
