#pragma once
// A recorded game as text: a few header lines that fix how the game began
// (mode, start level, the random seed, the opened levels, the particles per
// burst), then one line per piece of input the game consumed, stamped with
// the step (10 ms of game time) on which it was consumed, and an end line
// with where the game stood. A running digest of the game every hundred
// steps lets a replay say where it went its own way. The last line is a
// checksum of all the others, so a file that was cut short or changed is
// refused as a whole. The format is in the README ("Recordings").
#include <cstdint>
#include <string>
#include <vector>

// Where the game stands: what the end line records and a replay compares.
struct PlaySummary {
    int32_t state = 0;
    int32_t phase = 0;
    int32_t level = 0;
    int32_t score = 0;
    uint32_t board = 0; // digest of the cells, the panel and the hand
    bool operator==(const PlaySummary& o) const {
        return state == o.state && phase == o.phase && level == o.level && score == o.score && board == o.board;
    }
    bool operator!=(const PlaySummary& o) const { return !(*this == o); }
};

struct RecordedInput {
    enum Kind : int32_t {
        Pointer, // a, b: pointer x, y in screen pixels; c: buttons down (1 left, 2 right, 4 middle)
        Key,     // a: key code
        Char,    // a: character code
        Move,    // a, b: mouse move to x, y
        Click,   // a, b: mouse button pressed at x, y
        Release, // a, b: mouse button let go at x, y
        Button,  // a: button (0 left, 1 right, 2 middle), b: 1 pressed, 0 let go, for the hand in play
        Focus,   // the window lost the focus
        Digest,  // a: the board digest after that many steps (checked, not fed)
    };
    uint32_t tick = 0;
    Kind kind = Pointer;
    int32_t a = 0, b = 0, c = 0;
};

class Recording {
public:
    static constexpr int kFormat = 1;

    std::string gameVersion;
    int32_t mode = 0;
    int32_t level = 1;
    uint32_t seed = 0;
    int32_t opened = 1;
    int32_t particles = 10;
    std::vector<RecordedInput> inputs;
    uint32_t endTick = 0;
    PlaySummary end;

    // The header lines (everything before the first input).
    std::string HeaderText() const;
    static std::string InputLine(const RecordedInput& input);
    static std::string EndLine(uint32_t tick, const PlaySummary& summary);
    // The closing line for everything written before it.
    static std::string CheckLine(uint32_t checksum);
    // The whole file.
    std::string Text() const;

    // Reads a whole file. False with a message for the player when the text
    // is not a recording, comes from another format or game version, was cut
    // short, or was changed (any line out of place or the checksum wrong).
    static bool Parse(const std::string& text, const std::string& gameVersion, Recording& out, std::string& error);
};

// FNV-1a, 32 bits, carried on from `hash` (start with kDigestStart).
constexpr uint32_t kDigestStart = 2166136261u;
uint32_t DigestBytes(uint32_t hash, const void* bytes, size_t size);
