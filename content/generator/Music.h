#pragma once
// The music: a composed loop of 96 seconds (a chord progression, a melody,
// bass and soft percussion), rendered circularly so that its end flows into
// its start without a click, at a level well below the effects.
#include "Output.h"

namespace Content {

void MakeMusic(Output& out);

} // namespace Content
