#pragma once
// Press and release edges of the mouse buttons for gameplay, found once per
// game update, apart from the widget input. The window's own press and
// release events are noted as they arrive, in order, so a click that goes
// down and up between two updates is still seen (a tap on a touchpad lasts a
// few milliseconds); the platform's button state is read as well, for input
// that only sets the state. Main thread only.

#include <cstdint>

enum class MouseButton { Left, Right, Middle };

// A press or release from the window's event queue.
void NoteMouseButton(MouseButton button, bool down);
// Forgets the edges noted since the last update (the screen changed: a click
// that opened a level is not a click in it); the buttons' state stays.
void DropMouseButtonEdges();
// Call once per game update; the getters then describe this update.
void MouseButtonEdges();
// The same from a button state (MouseBit) that the caller read or replays.
void MouseButtonEdgesFrom(uint32_t buttons);
// The left button went down since the previous update.
bool LeftButtonPressed();
// The left button came up since the previous update.
bool LeftButtonReleased();
// The right button went down since the previous update.
bool RightButtonPressed();
// Both buttons up and no edges, as at start.
void ResetMouseButtonEdges();
