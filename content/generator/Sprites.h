#pragma once
// The small pictures of play: particles, the three bonus shapes, the star
// animation, the chomp and star effects, the hint arrow, the bug's walking
// sheet, the butterflies' flapping sheets, the digit strip, the progress and
// loading bars and the clock warning.
#include "Output.h"

namespace Content {

void MakeSprites(Output& out);

} // namespace Content
