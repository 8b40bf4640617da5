#pragma once
// The three ways to play and the names they go by. Classic, Transformer and
// Relax differ in their rules (RoundFlow.cpp, Panel.cpp), in where their
// interrupted game is kept in saved.ini, and in the title shown above their
// high-score list. The section names are a fixed table indexed by mode, so a
// Transformer game is kept under "Relax" and a Relax game under
// "Transformer": saved.ini files of every earlier version read that way, so
// the table stays as it is. Only Classic and Transformer have a title.
#include <cstdint>

// The start levels run from 1 to this and wrap round.
constexpr int32_t kMaxStartLevel = 40;

// The saved.ini section of a mode; null for a value that is no mode.
const char* ModeSectionName(int32_t mode);
// The title above the mode's high-score list; "" for Relax and non-modes.
const char* ModeDisplayName(int32_t mode);
// Whether the value is one of the three modes.
bool IsGameMode(int32_t mode);
