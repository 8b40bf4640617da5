// Menu screens: the input is a menu file, loaded as the game loads its
// eighteen screens, then fed a pointer move, a click and typed characters.
#include "fuzz/FuzzSupport.h"

#include "engine/InputMessage.h"
#include "engine/MenuScreen.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    fuzz::WriteFile("Menu\\menu-fuzz.xml", data, size);
    MenuScreen screen;
    if (!screen.LoadFromFile("Menu\\menu-fuzz.xml")) return 0;
    fuzz::Check(screen.buttonCount >= 0 && screen.buttonCount <= 50 && screen.textCount >= 0 &&
                    screen.textCount <= 20 && screen.imageCount >= 0 && screen.imageCount <= 20 &&
                    screen.sliderCount >= 0 && screen.sliderCount <= 5 && screen.editCount >= 0 &&
                    screen.editCount <= 3,
                "counts within the tables");
    for (int i = 0; i < screen.buttonCount; ++i)
        fuzz::Check(std::memchr(screen.buttons[i].action, 0, sizeof screen.buttons[i].action) != nullptr,
                    "texts terminated");
    const InputMessage messages[] = {
        {0, 0x200, 0, 0, 0, 400, 300}, {0, 0x201, 1, 0, 0, 400, 300}, {0, 0x102, 'a', 0, 0, 0, 0},
        {0, 0x100, 8, 0, 0, 0, 0},
    };
    for (const InputMessage& m : messages) screen.HandleMessage(m);
    return 0;
}
