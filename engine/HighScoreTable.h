#pragma once
// The high-score table: ten independent lists of the ten best scores, one list
// per game mode (lists 0 to 2; the others stay empty but are kept, so the file
// keeps its size). The whole table is one binary block of 3600 bytes in
// scores.ini, read and written through the INI struct functions, so the byte
// layout of HighScoreEntry is the file format.
//
// A finished game's score goes in at its rank with an empty name and waits
// there (needName) while the player types the name into that very entry
// (HighScoreList.h). Confirming saves the file; cancelling reloads it, and the
// unsaved entry is gone. One process-wide instance; Reset puts it back to its
// starting state for tests.
#include <cstddef>
#include <cstdint>

// One rank of a list; 36 bytes, the unit of the stored block.
struct HighScoreEntry {
    char name[32];  // zero-terminated, at most 31 characters; empty when unused
    uint32_t score; // compared unsigned; stored least significant byte first
};

static_assert(sizeof(HighScoreEntry) == 36, "scores.ini stores entries of 36 bytes");
static_assert(offsetof(HighScoreEntry, score) == 32, "the score follows the 32 name bytes");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "scores.ini keeps scores least significant byte first");

class HighScoreTable {
public:
    static constexpr int32_t ListCount = 10;
    static constexpr int32_t RankCount = 10;
    static constexpr size_t NameSize = sizeof(HighScoreEntry::name);
    // Where the block lives in scores.ini.
    static constexpr const char* FileName = "scores.ini";
    static constexpr const char* Section = "HIGH SCORES";
    static constexpr const char* Key = "Data";

    HighScoreTable();
    virtual ~HighScoreTable();
    HighScoreTable(const HighScoreTable&) = delete;
    HighScoreTable& operator=(const HighScoreTable&) = delete;

    // Back to the starting state: empty lists, list 0, no flags. No file access.
    void Reset();

    // Reads the block from scores.ini in the working folder. A missing file or
    // a block of the wrong size or checksum empties every list and gives false;
    // the other fields stay as they are. Every name is terminated afterwards.
    bool LoadScores();
    // Writes the block to scores.ini; false when the file could not be written.
    bool SaveScores();

    // Puts a score into the current list at its rank (below equal scores),
    // shifting the lower ranks down and dropping the old tenth. False (nothing
    // changed, insertPos 10) when the score does not beat the tenth. With an
    // empty name the entry waits for one (needName); with a name it is saved.
    // An entry still waiting from an earlier insertion is dropped first.
    bool InsertScore(uint32_t score, const char* name);
    // Chooses the list shown and inserted into; 0 to 9, other values ignored.
    // Another list clears justSaved.
    void SelectList(int32_t index);
    // Empties every list and saves; clears justSaved and a waiting name.
    void ResetScores();

    // Keeps the name typed into the waiting entry and saves the table; false
    // (the entry keeps waiting) while that name is empty.
    bool ConfirmName();
    // Gives up the entry waiting for its name: the table returns to the file.
    void CancelName();
    // Keeps the entry waiting for its name, whichever list is on show: with
    // the name typed so far, or when none was typed under the last name
    // confirmed (config.ini "GAMEPLAY"/"LastName"), else "Player"; then saves.
    // False when no entry waits.
    bool KeepWaitingEntry();
    // Whether the entry waiting for its name is in the list on show: the name
    // entry types into it and the list marks it only then.
    bool EditingCurrentList() const;
    // The entry waiting for its name, null when there is none on show.
    HighScoreEntry* EditedEntry();

    // Whether index names one of the lists.
    static bool IsList(int32_t index) { return index >= 0 && index < ListCount; }

    // The table as stored: list l, rank r (0 = best). Scores never increase
    // from rank 0 to rank 9 in a table this class built.
    HighScoreEntry lists[ListCount][RankCount];
    int32_t currentList = 0; // the list InsertScore and the screens use
    int32_t needName = 0;    // the entry at insertPos waits for its name
    int32_t insertPos = 0;   // rank of the last insertion; 10 when it did not qualify
    int32_t justSaved = 0;   // an insertion with a name was saved (the row pulses)
    int32_t insertList = 0;  // the list of the last insertion
};

static_assert(sizeof(HighScoreTable::lists) == 3600, "scores.ini stores a block of 3600 bytes");

// The name an entry left without one is kept under: the last name confirmed,
// or "Player" when there is none.
constexpr const char* kDefaultPlayerName = "Player";

// The process-wide table.
HighScoreTable& GetHighScores();
