#include "engine/HighScoreTable.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "engine/PlayerFolder.h"
#include "framework/platform/Files.h"

#include <cstring>

namespace {
// Where the last name a player confirmed is remembered between runs.
constexpr const char* kLastNameSection = "GAMEPLAY";
constexpr const char* kLastNameKey = "LastName";
} // namespace

HighScoreTable::HighScoreTable() { Reset(); }

HighScoreTable::~HighScoreTable() = default;

void HighScoreTable::Reset() {
    std::memset(lists, 0, sizeof lists);
    currentList = 0;
    needName = 0;
    insertPos = 0;
    justSaved = 0;
    insertList = 0;
}

bool HighScoreTable::LoadScores() {
    if (!IniGetStruct(Section, Key, lists, sizeof lists, FileName)) {
        std::memset(lists, 0, sizeof lists);
        // No file at all is the first start; anything else was damaged.
        if (Quill::FileExists(PlayerFileToRead(FileName)))
            AppLogf(LogWarning, "High scores in '%s' are unreadable; the lists start empty", FileName);
        return false;
    }
    // The block is only checked for its size and checksum: a hand-made one
    // may fill a name to the last byte, which must not run into the score.
    bool cut = false;
    for (auto& list : lists)
        for (HighScoreEntry& entry : list) {
            if (entry.name[NameSize - 1] != '\0') cut = true;
            entry.name[NameSize - 1] = '\0';
        }
    if (cut) AppLogf(LogWarning, "High scores in '%s': a name without an end was cut", FileName);
    return true;
}

bool HighScoreTable::SaveScores() { return IniSetStruct(Section, Key, lists, sizeof lists, FileName); }

bool HighScoreTable::InsertScore(uint32_t score, const char* name) {
    // An entry left without its name (the player went elsewhere) is not kept:
    // it would be saved with an empty name along with this one.
    if (needName) CancelName();
    insertPos = RankCount;
    if (!IsList(currentList)) return false;

    const int32_t list = currentList;
    HighScoreEntry* entries = lists[list];
    for (int32_t r = RankCount - 1; r >= 0; --r)
        if (score > entries[r].score) insertPos = r;
    if (insertPos == RankCount) return false;

    for (int32_t r = RankCount - 2; r >= insertPos; --r) entries[r + 1] = entries[r];
    HighScoreEntry& entry = entries[insertPos];
    std::memset(entry.name, 0, NameSize);
    if (name) CopyString(entry.name, NameSize, name);
    entry.score = score;
    insertList = list;

    if (entry.name[0] == '\0') {
        needName = 1;
        return true;
    }
    needName = 0;
    justSaved = 1;
    SaveScores();
    return true;
}

void HighScoreTable::SelectList(int32_t index) {
    if (!IsList(index)) return;
    if (index != currentList) justSaved = 0;
    currentList = index;
}

void HighScoreTable::ResetScores() {
    std::memset(lists, 0, sizeof lists);
    // The waiting entry went with the lists; a name typed now would land in
    // an empty rank.
    needName = 0;
    SaveScores();
    justSaved = 0;
}

bool HighScoreTable::ConfirmName() {
    HighScoreEntry* entry = EditedEntry();
    if (!entry || entry->name[0] == '\0') return false;
    needName = 0;
    SaveScores();
    IniSetString(kLastNameSection, kLastNameKey, entry->name);
    return true;
}

bool HighScoreTable::KeepWaitingEntry() {
    if (!needName || !IsList(insertList) || insertPos < 0 || insertPos >= RankCount) return false;
    HighScoreEntry& entry = lists[insertList][insertPos];
    if (entry.name[0] == '\0') {
        // The player walked away from the row: a score earned is never thrown
        // away for want of a name.
        char last[256] = {};
        IniGetString(kLastNameSection, kLastNameKey, last);
        CopyString(entry.name, NameSize, last[0] ? last : kDefaultPlayerName);
    }
    needName = 0;
    SaveScores();
    return true;
}

void HighScoreTable::CancelName() {
    needName = 0;
    LoadScores();
}

bool HighScoreTable::EditingCurrentList() const {
    return needName && IsList(currentList) && insertList == currentList && insertPos >= 0 && insertPos < RankCount;
}

HighScoreEntry* HighScoreTable::EditedEntry() {
    return EditingCurrentList() ? &lists[currentList][insertPos] : nullptr;
}

HighScoreTable& GetHighScores() {
    static HighScoreTable table;
    return table;
}
