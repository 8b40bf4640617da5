#pragma once
// Menu screens: every menu, dialog and overlay of the game is one XML file in
// "Menu\" that describes a flat set of widgets drawn in immediate mode - a
// background picture, pictures, captions, text-input fields, buttons (plain,
// check box or radio button) and horizontal sliders. A screen knows nothing
// of the game: a click only hands back the element's action text
// ("procOptions"), and the caller decides what it means. Check boxes and
// sliders keep their state by themselves in config.ini, section "OPTIONS",
// under the element's name.
//
// All positions and sizes are fractions of the client area, centres for
// positions, so a screen scales with the window. The tables have fixed
// capacities and fixed-width texts; a file with more elements than fit, or
// with longer texts, is cut to size (and the cut is logged), never overrun.
//
// Main thread only, except that GetSliderValue may be read by the loading
// thread once every screen has been loaded.
#include "engine/InputMessage.h"

#include <cstdint>

struct MenuButton {
    char name[40];           // identifier; also the config.ini key of a check box
    char radioGroup[40];     // non-empty: a radio button of that group
    char text[40];           // caption: a language key or literal text
    char align[40];          // "left", "right", anything else centres
    char stretch[40];        // "no": picture and caption at their own pixel size
    float textSize;          // caption height, set at each draw
    float xc, yc, width, height;
    char outImg[40], overImg[40];               // pictures when not checked
    char outImgChecked[40], overImgChecked[40]; // when checked; outImgChecked makes a check box
    char action[40];         // returned when the button is clicked
    int32_t hovered;         // pointer is over the button
    int32_t checked;         // check or radio state
    int32_t enabled;         // 0: neither drawn, hovered nor clicked
    uint32_t textColour;     // the caption's own colour (TextColour); 0: the screen's
};

struct MenuText {
    char stretch[40];        // "no": the font's own pixel size
    char name[40];
    char text[100];          // language key or literal text; replaced by SetText
    char align[40];
    float xc, yc, size;
    uint32_t colour;         // its own colour (TextColour); 0: the screen's
};

struct MenuImage {
    char stretch[40];        // "no": the picture's own pixel size
    float xc, yc, width, height;
    char img[40];            // file name
};

struct MenuSlider {
    char name[40];           // also its config.ini key
    float xc, yc;
    float width, height;           // from the bar picture, at every draw
    float thumbWidth, thumbHeight; // from the thumb picture, at every draw
    char outSliderImg[40], overSliderImg[40];
    char outThumbImg[40], overThumbImg[40];
    char action[40];
    int32_t hovered;
    float value;             // 0..1
    int32_t unstored;        // dragged to a value config.ini does not hold yet
};

struct MenuEdit {
    char name[40];
    char text[100];
    char align[40];
    float xc, yc, size;
    float maxlen;            // most characters the player may type (as an unsigned 16-bit number)
    uint32_t colour;         // its own colour (TextColour); 0: the screen's
};

// The colour a text of its own colour `own` is drawn with on a screen whose
// elements share `screenColour`: the screen's opacity, and the two colours
// multiplied channel by channel (the white letters take the text's colour,
// their dark outline stays dark). `own` 0 leaves the screen's colour.
uint32_t TextColour(uint32_t screenColour, uint32_t own);

class MenuScreen {
public:
    static constexpr int MaxButtons = 50;
    static constexpr int MaxTexts = 20;
    static constexpr int MaxImages = 20;
    static constexpr int MaxSliders = 5;
    static constexpr int MaxEdits = 3;
    // No edit takes more characters than this, whatever its maxlen says.
    static constexpr int EditLimit = 20;

    MenuScreen();
    virtual ~MenuScreen() = default;

    // Reads a menu file. False (logged) when it cannot be read or has no
    // "Screen" element; the screen then keeps what it had. Check boxes and
    // sliders are restored from config.ini afterwards.
    bool LoadFromFile(const char* path);
    // Draws the screen into the texture manager's current frame.
    void DrawScreen();
    // Feeds one input event; returns the activated element's action text, or
    // "" when nothing was activated. Never null; valid until the next load.
    const char* HandleMessage(InputMessage m);

    // Some button of that name is under the pointer / checked.
    bool IsButtonHovered(const char* name) const;
    bool IsButtonChecked(const char* name) const;
    // Checks button `index` when it belongs to a radio group and unchecks the
    // rest of its group.
    void SelectRadioButton(int index);
    // Centre of the first text of that name; 0 when there is none.
    float GetTextX(const char* name) const;
    float GetTextY(const char* name) const;
    // Value of the first slider of that name; 0 when there is none.
    float GetSliderValue(const char* name) const;
    // Writes the values of sliders dragged since their last write. A drag
    // writes config.ini once, when the button comes up (or the game closes).
    void StorePendingSliders();
    // Replaces the text of every text element of that name (cut to fit).
    void SetText(const char* name, const char* text);

    char bgImage[40];
    float xc, yc, width, height;
    char clickSound[40];
    char overSound[40];
    MenuButton buttons[MaxButtons];
    int32_t buttonCount;
    MenuText texts[MaxTexts];
    int32_t textCount;
    MenuImage images[MaxImages];
    int32_t imageCount;
    MenuSlider sliders[MaxSliders];
    int32_t sliderCount;
    MenuEdit edits[MaxEdits];
    int32_t editCount;
    uint32_t screenTint; // colour every element is drawn with
    float fade;          // multiplies the tint's opacity; the owner may set it

private:
    const char* HandleButtons(const InputMessage& m, int32_t clientW, int32_t clientH);
    const char* HandleSliders(const InputMessage& m, int32_t clientW, int32_t clientH);
    void HandleEdits(const InputMessage& m);
    void StoreSlider(MenuSlider& slider);
    void PlaySound(const char* file) const;
};
