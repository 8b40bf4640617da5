#include "engine/MouseButtonEdges.h"

#include "framework/platform/Platform.h"

namespace {

bool leftDown = false;
bool rightDown = false;
bool leftPressed = false;
bool leftReleased = false;
bool rightPressed = false;

} // namespace

void MouseButtonEdges() {
    uint32_t buttons = Quill::GetPlatform().MouseButtons();
    bool left = (buttons & Quill::MOUSE_LEFT) != 0;
    bool right = (buttons & Quill::MOUSE_RIGHT) != 0;
    leftPressed = left && !leftDown;
    leftReleased = !left && leftDown;
    leftDown = left;
    rightPressed = right && !rightDown;
    rightDown = right;
}

bool LeftButtonPressed() { return leftPressed; }
bool LeftButtonReleased() { return leftReleased; }
bool RightButtonPressed() { return rightPressed; }

void ResetMouseButtonEdges() {
    leftDown = rightDown = false;
    leftPressed = leftReleased = rightPressed = false;
}
