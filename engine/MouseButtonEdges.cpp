#include "engine/MouseButtonEdges.h"

#include "framework/platform/Platform.h"

namespace {

// One button's level as last seen and the edges noted since the last update.
struct ButtonTrack {
    bool down = false;
    bool notedPress = false;
    bool notedRelease = false;
    bool pressed = false;
    bool released = false;
    // Held since before the screen changed: its release belongs to the
    // press on the other screen (the pause screen's Resume over a cell).
    bool pressElsewhere = false;

    void Note(bool nowDown) {
        if (nowDown) {
            notedPress = true;
            pressElsewhere = false;
        } else if (pressElsewhere) {
            pressElsewhere = false;
        } else {
            notedRelease = true;
        }
        down = nowDown;
    }

    void Drop() {
        notedPress = notedRelease = false;
        pressElsewhere = down;
    }

    // Edges from the noted events, and from the state when no event told of
    // a change it shows.
    void Update(bool nowDown) {
        pressed = notedPress || (nowDown && !down);
        released = notedRelease || (!nowDown && down && !pressElsewhere);
        if (!nowDown) pressElsewhere = false;
        down = nowDown;
        notedPress = notedRelease = false;
    }
};

ButtonTrack left, right;

} // namespace

void NoteMouseButton(MouseButton button, bool down) {
    if (button == MouseButton::Left) left.Note(down);
    else if (button == MouseButton::Right) right.Note(down);
}

void DropMouseButtonEdges() {
    left.Drop();
    right.Drop();
}

void MouseButtonEdges() { MouseButtonEdgesFrom(Quill::GetPlatform().MouseButtons()); }

void MouseButtonEdgesFrom(uint32_t buttons) {
    left.Update((buttons & Quill::MOUSE_LEFT) != 0);
    right.Update((buttons & Quill::MOUSE_RIGHT) != 0);
}

bool LeftButtonPressed() { return left.pressed; }
bool LeftButtonReleased() { return left.released; }
bool RightButtonPressed() { return right.pressed; }

void ResetMouseButtonEdges() { left = right = ButtonTrack(); }
