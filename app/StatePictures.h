#pragma once
// The picture of every screen state, drawn each frame through the texture
// manager into the frame the main widget set up: the loading screen with its
// bar, the menus over the sky backdrop with the butterflies, the level map,
// play with its overlays (pause, game over, game complete) and the end of a
// level. Some states also move on while they are drawn: the level map, the
// end of a level and the game-complete sequence run their logic once a frame
// here, as the round flow expects.
#include <cstdint>

// The loading bar's percent: done / total, 0 while the total is unknown,
// held to 0..100.
int32_t LoadingPercent(int32_t done, int32_t total);

// The frame of `state`; loadingPercent is used by the Loading state only.
// Without withLogic the states that move on while drawn only draw: on fixed
// steps (demos, replays) their logic runs in the steps instead.
void DrawStatePicture(int32_t state, int32_t loadingPercent, bool withLogic = true);

// The still picture of a menu state (backdrop, butterflies, its screens),
// without the per-frame logic: what the level map shows while it fades in
// from the state the player came from.
void DrawMenuStill(int32_t state);

// The sky backdrop over the whole screen (sprite flags as given), then the
// butterflies.
void DrawBackdrop(int32_t flags);

// The title above a high-score page: the mode's display name, and "Relax"
// for the Relax list, which has none of its own.
const char* HighScorePageTitle(int32_t mode);
