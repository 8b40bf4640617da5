#pragma once
// Press and release edges of the mouse buttons for gameplay, read straight
// from the platform's button state once per game update, apart from the
// widget input. Main thread only.

// Call once per game update; the getters then describe this update.
void MouseButtonEdges();
// The left button went down since the previous update.
bool LeftButtonPressed();
// The left button came up since the previous update.
bool LeftButtonReleased();
// The right button went down since the previous update.
bool RightButtonPressed();
// Both buttons up and no edges, as at start.
void ResetMouseButtonEdges();
