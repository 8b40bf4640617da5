#pragma once
// The art the menu screens are built from: the title logo, buttons in three
// widths (normal and under the pointer), check boxes in four states, the
// slider's bar and thumb, dialog panels, the level map's backdrop with its
// stage medallions and the grey cover of a locked stage.
#include "Output.h"

namespace Content {

// Centres of the seven stage spots on the level-map backdrop, as fractions
// of the screen; the map screen puts its stage buttons there.
struct StageSpot {
    double x, y;
};
constexpr StageSpot StageSpots[7] = {{0.13, 0.80}, {0.30, 0.62}, {0.47, 0.78}, {0.62, 0.56},
                                     {0.80, 0.70}, {0.86, 0.40}, {0.66, 0.24}};

void MakeMenuArt(Output& out);

} // namespace Content
