#pragma once
// The frames-per-second figure the game shows when asked to: frames counted
// over intervals of a little more than a second of the platform clock.
// Main thread only.

// Call once per drawn frame; the rate of the last finished interval. The
// first interval runs from clock zero, so its figure means little.
float FrameRateMeter();
// Back to the state at start (for a fresh game or a test).
void ResetFrameRateMeter();
