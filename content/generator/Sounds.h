#pragma once
// The sound effects: every event of sound.ini gets a short synthesised sound
// with a clean envelope (silent first and last samples), normalised so that
// no effect is much louder than another and every peak stays below -1 dBFS.
#include "Output.h"

namespace Content {

void MakeSounds(Output& out);

} // namespace Content
