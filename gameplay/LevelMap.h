#pragma once
// The arithmetic of the level map: levels come in stages of six, and the map
// names its stage buttons "btnStage<n>" with actions "procStage<n>". The map
// itself (its drawing, the lock state of its buttons, the travelling star
// ring) and the stage choice are Game operations in LevelMap.cpp.
#include <cstdint>

// The stage of a level: levels 1-6 are stage 1, 7-12 stage 2, and so on.
int32_t StageOf(int32_t level);
// Reads the decimal number that follows `prefix` at the start of `text`
// (blanks and a sign allowed before the digits, anything after them). False
// when the text does not start with the prefix, no digit follows, or the
// number does not fit an int32.
bool NumberAfterPrefix(const char* text, const char* prefix, int32_t& number);
