#pragma once
// One key or mouse event as the game's menus and commands see it. The main
// widget packs every framework input event into one of these and hands it on
// by value; menu screens answer it with the action of the element it hit.
// The message codes are the classic window-message numbers the rest of the
// framework speaks as well.
#include <cstdint>

enum InputMessageCode : uint32_t {
    INPUT_KEY_DOWN = 0x100,   // wParam = virtual key code
    INPUT_CHAR = 0x102,       // wParam = the character, sign-extended from 8 bits
    INPUT_MOUSE_MOVE = 0x200, // x, y = pointer in client pixels
    INPUT_BUTTON_DOWN = 0x201, // any mouse button; x, y = pointer in client pixels
    INPUT_BUTTON_UP = 0x202    // any mouse button let go; x, y = pointer in client pixels
};

// Seven 32-bit fields in this order. lParam and time are always 0; x and y are
// 0 for key messages.
struct InputMessage {
    uint32_t window = 0;
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
    uint32_t time = 0;
    int32_t x = 0;
    int32_t y = 0;
};

// A message of `code` with its key or character and pointer position.
inline InputMessage MakeInputMessage(uint32_t code, uint32_t wParam, int32_t x, int32_t y) {
    InputMessage m;
    m.message = code;
    m.wParam = wParam;
    m.x = x;
    m.y = y;
    return m;
}
