#pragma once
// The high-score screen's own part: typing a name into the entry that waits
// for it, and drawing the ten ranks of the list on show with the symbol font.
// The player types straight into the row (at most 16 characters); Backspace
// deletes, Enter keeps a non-empty name and saves the table, Escape forgets the
// new entry by reloading the table. The row being typed into is drawn red with
// a blinking cursor; a row that went in with its name pulses grey.
//
// Input comes as the menus' input messages: key down (the key code in the
// low byte of wParam: 13 Enter, 27 Escape, 8 Backspace) and character (the
// character in the low byte); other messages are not for the name entry.
#include "engine/HighScoreTable.h"
#include "engine/InputMessage.h"

#include <cstdint>

// The texts and colour of one rank as the list draws it.
struct ScoreListRow {
    float y;          // the row's middle line
    char rank[12];    // "1" to "10"
    char name[64];    // the name (or the prompt), with the cursor while it is being typed
    char score[12];   // the score as an unsigned number
    uint32_t colour;  // plain white, the typing red or the pulsing grey
};

namespace ScoreListColour {
// Dark enough to read on the cream panel the list is drawn on.
constexpr uint32_t Plain = 0xFF8A4420u;
constexpr uint32_t Typing = 0xFFC82818u;
} // namespace ScoreListColour

// Most characters a typed name may have.
constexpr int MaxTypedName = 16;

// Feeds one input message to the name entry of `table`; does nothing unless an
// entry of the list on show waits for its name.
void HandleNameKey(HighScoreTable& table, const InputMessage& m);
// The same on the process-wide table.
void HandleNameKey(const InputMessage& m);

// The ten rows of the current list at `seconds` of the clock: rank i's middle
// line at (i + 1) * size * 1.25 + top. A row waiting for a name that has none
// yet shows `prompt` before the cursor, so the player sees what is asked.
void LayoutScoreList(const HighScoreTable& table, double seconds, float top, float size, ScoreListRow rows[10],
                     const char* prompt = "");
// Draws the process-wide table's current list with the symbol font of the
// process-wide texture manager, left-aligned in three columns, at the
// platform clock's time; the prompt is the language's "EnterName" text.
void DrawScoreList(float top, float size, float rankX, float nameX, float scoreX);
