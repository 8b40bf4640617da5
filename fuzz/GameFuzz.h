#pragma once
// Set-up shared by the harnesses of the game's own files (classes, levels,
// saved games): the game object put back to its start, with a small but
// complete set of content beside the fuzzed file.
#include "fuzz/FuzzSupport.h"

#include "gameplay/Game.h"

namespace fuzz {

// classes.xml with `classes` classes c0, c1, ... of three shapes each.
void WriteClassFile(int classes);
// Levels\level_N.xml, a plain level of the given classes.
void WriteLevelFile(int level, const char* classList);
// The game reset, its classes loaded from the plain class file.
Game& FreshGame();
// Every table of the game within its bounds, every cell of a known class and shape.
void CheckGameTables(const Game& game);

} // namespace fuzz
