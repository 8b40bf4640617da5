#pragma once
// The interrupted game of a mode as it lies in saved.ini: one block of 10588
// bytes under key "Data" of the mode's section (GameModes.h), beside a 4-byte
// "IsGameSaved" flag. The block is the byte image of SavedGameRecord below,
// little-endian, records field by field in their order, so files written by
// any earlier version read back unchanged. The texture fields of the stored
// shapes mean nothing on reading; they are looked up again after a restore.
//
// The INI layer checks the size and the checksum, but a checksum is easily
// made, so a record is also checked for sense before anything of it is used:
// counts within the tables, numbers finite and on the screen's scale, the
// level and score in range (SavedGameRecordIsSound).
#include "gameplay/GameRecords.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "saved games are stored as the memory image of a little-endian machine");

constexpr const char* kSavedGameFile = "saved.ini";

struct SavedGameRecord {
    ShapeCell panel[kPanelSlots];
    ShapeCell cells[kMaxCells];
    int32_t panelCount;
    int32_t cellCount;
    BoardLine lines[kLineCount];
    int32_t boardReserved;
    int32_t linesLeft;
    int32_t levelNumber;
    int32_t score;
    float timeSinceLevelStart;
    float playTimeElapsed;
    uint8_t reserved[8];
    uint32_t shapesSpawned;
};
static_assert(std::is_trivially_copyable_v<SavedGameRecord>, "the record is a plain byte image");
static_assert(sizeof(SavedGameRecord) == 10588, "the saved game block is 10588 bytes");
static_assert(offsetof(SavedGameRecord, cells) == 1040 && offsetof(SavedGameRecord, panelCount) == 10400 &&
                  offsetof(SavedGameRecord, lines) == 10408 && offsetof(SavedGameRecord, boardReserved) == 10552 &&
                  offsetof(SavedGameRecord, levelNumber) == 10560 &&
                  offsetof(SavedGameRecord, timeSinceLevelStart) == 10568 &&
                  offsetof(SavedGameRecord, reserved) == 10576 && offsetof(SavedGameRecord, shapesSpawned) == 10584,
              "saved game block layout");

// Limits of a record that makes sense. A saved level or score beyond them
// could only come from an edited file, and would overflow as play goes on.
constexpr int32_t kMaxSavedLevel = 100000;
constexpr int32_t kMaxSavedScore = 1000000000;
// Positions and sizes are fractions of the screen; clocks are seconds.
constexpr float kMaxSavedPosition = 100.0f;
constexpr float kMaxSavedSeconds = 10000000.0f;

// The record's counts, numbers, level and score make sense (see above). The
// classes and shapes are checked against the level once it has loaded.
bool SavedGameRecordIsSound(const SavedGameRecord& record);
