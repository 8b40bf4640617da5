// scores.ini: the table read at start; a table that loads saves and reloads
// to the same lists.
#include "fuzz/FuzzSupport.h"

#include "engine/HighScoreTable.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    fuzz::WriteFile("scores.ini", data, size);
    auto table = std::make_unique<HighScoreTable>();
    if (!table->LoadScores()) return 0;
    auto copy = std::make_unique<HighScoreTable>();
    std::memcpy(copy->lists, table->lists, sizeof copy->lists);
    table->InsertScore(1000, ""); // waits for a name, unsaved
    table->LoadScores(); // the unsaved insertion is gone again
    fuzz::Check(std::memcmp(copy->lists, table->lists, sizeof copy->lists) == 0, "reload restores the table");
    fuzz::Check(table->SaveScores() && table->LoadScores(), "a saved table reloads");
    fuzz::Check(std::memcmp(copy->lists, table->lists, sizeof copy->lists) == 0, "the table reads back as saved");
    return 0;
}
