#pragma once
// The large pictures: the menu and level backgrounds, the conveyor bar, the
// six line rails and their glow, the in-game frame with its score panel, and
// the first-level hint bubbles. The frame and the hints carry words, so each
// language gets its own, drawn from its words in language.ini, in its image
// folder.
#include "FontSheet.h"
#include "Output.h"

#include <string>

namespace Content {

// Where the frame's panel puts its slots (centres in pixels of 800 x 600);
// the in-game menu places its numbers there.
struct PanelLayout {
    static constexpr int PanelRight = 132;
    static constexpr int SlotX = 66;
    static constexpr int ScoreY = 124, TimeY = 214, LevelY = 304, MeterY = 392;
    static constexpr int SlotWidth = 108, SlotHeight = 38;
    static constexpr int TrayX = 80, TrayY = 549;
};

void MakeScenery(Output& out, const LanguageTemplate& language);

} // namespace Content
