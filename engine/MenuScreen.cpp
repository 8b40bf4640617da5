#include "engine/MenuScreen.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "engine/SoundEvents.h"
#include "engine/TextureManager.h"
#include "framework/platform/Platform.h"
#include "framework/xml/XmlFile.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const OptionsSection = "OPTIONS";

const char* OrEmpty(const char* s) { return s ? s : ""; }

bool Same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// Truncation toward zero that stays defined for any float: NaN gives 0 and
// values beyond the int range stick to its ends.
int32_t TruncToInt(float value) {
    double v = value;
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// The attribute, cut to fit, when the element has it; otherwise the field stays.
template <size_t N>
void ReadText(const tinyxml2::XMLElement& e, const char* attribute, char (&field)[N]) {
    if (const char* value = e.Attribute(attribute)) CopyString(field, N, value);
}

// atof rules (a non-number gives 0); a value a float cannot hold is held at
// its limits and NaN reads as 0, so later arithmetic stays defined.
void ReadNumber(const tinyxml2::XMLElement& e, const char* attribute, float& field) {
    const char* value = e.Attribute(attribute);
    if (!value) return;
    double number = std::atof(value);
    if (std::isnan(number)) number = 0.0;
    if (number > FLT_MAX) number = FLT_MAX;
    if (number < -FLT_MAX) number = -FLT_MAX;
    field = static_cast<float>(number);
}

// A text colour written as six hexadecimal digits, "RRGGBB" (a leading "#"
// allowed); kept with a full alpha byte so that black is not "none". Any
// other value leaves the field as it was.
void ReadColour(const tinyxml2::XMLElement& e, const char* attribute, uint32_t& field) {
    const char* value = e.Attribute(attribute);
    if (!value) return;
    if (*value == '#') ++value;
    if (std::strlen(value) != 6 || std::strspn(value, "0123456789abcdefABCDEF") != 6) return;
    field = 0xFF000000u | static_cast<uint32_t>(std::strtoul(value, nullptr, 16));
}

// Fills table slots 0, 1, 2, ... from the elements of one kind in document
// order and returns how many were read. Elements beyond the table's capacity
// are ignored with one log line.
template <typename Record, int Capacity, typename Fill>
int32_t ReadKind(const tinyxml2::XMLElement& screen, const char* kind, Record (&table)[Capacity], const char* path,
                 Fill fill) {
    int32_t count = 0;
    long total = 0;
    for (const tinyxml2::XMLElement* e = screen.FirstChildElement(kind); e; e = e->NextSiblingElement(kind)) {
        ++total;
        if (count < Capacity) fill(table[count++], *e);
    }
    if (total > Capacity)
        AppLogf(LogWarning, "Menu '%s': %ld %s elements, only the first %d are used", path, total, kind, Capacity);
    return count;
}

int32_t AlignFlags(const char* align) {
    if (Same(align, "left")) return 0;
    if (Same(align, "right")) return TEXT_RIGHT;
    return TEXT_CENTRE;
}

bool NoStretch(const char* stretch) { return Same(stretch, "no"); }

// The texture of a picture name; an empty name means no picture (and no
// failed load in the log every frame).
Quill::Image* Picture(const char* name) { return name[0] ? Textures().GetTexture(name) : nullptr; }

// Strictly inside the rectangle centred on (xc, yc), with its edges truncated
// to whole pixels: a click on the edge pixel itself misses.
bool Inside(float xc, float yc, float width, float height, int32_t px, int32_t py, int32_t clientW,
            int32_t clientH) {
    const float w = static_cast<float>(clientW), h = static_cast<float>(clientH);
    const float left = xc - width * 0.5f, top = yc - height * 0.5f;
    return TruncToInt(left * w) < px && px < TruncToInt((left + width) * w) && TruncToInt(top * h) < py &&
           py < TruncToInt((top + height) * h);
}

// Where the pointer sits along the slider, 0 at its left edge and 1 at its
// right; -1 when the pointer is outside the slider.
float SliderPosition(const MenuSlider& s, int32_t px, int32_t py, int32_t clientW, int32_t clientH) {
    if (!Inside(s.xc, s.yc, s.width, s.height, px, py, clientW, clientH)) return -1.0f;
    const float left = s.xc - s.width * 0.5f;
    return (static_cast<float>(px) / static_cast<float>(clientW) - left) / s.width;
}

// The picture a button shows in its present state.
const char* ButtonPictureName(const MenuButton& b) {
    return b.hovered ? (b.checked ? b.overImgChecked : b.overImg) : (b.checked ? b.outImgChecked : b.outImg);
}

// A stretch="no" button is as large as its picture, and so is every slider's
// bar. The size is taken wherever it is needed, so a click lands alike
// whether or not the screen has been drawn since it appeared.
void FitToPicture(MenuButton& b, const Quill::Image* picture, float w, float h) {
    if (!NoStretch(b.stretch)) return;
    int32_t pw = 0, ph = 0;
    TextureManager::GetTextureSize(picture, pw, ph);
    b.width = static_cast<float>(pw) / w;
    b.height = static_cast<float>(ph) / h;
}

void FitToPicture(MenuSlider& s, const Quill::Image* bar, float w, float h) {
    int32_t bw = 0, bh = 0;
    TextureManager::GetTextureSize(bar, bw, bh);
    s.width = static_cast<float>(bw) / w;
    s.height = static_cast<float>(bh) / h;
}

Quill::Image* SliderBar(const MenuSlider& s) { return Picture(s.hovered ? s.overSliderImg : s.outSliderImg); }

// An unnamed element has no key to keep its state under.
void StoreOption(const char* name, const char* text) {
    if (name[0]) IniSetString(OptionsSection, name, text);
}

} // namespace

uint32_t TextColour(uint32_t screenColour, uint32_t own) {
    if (own == 0) return screenColour;
    uint32_t mixed = screenColour & 0xFF000000u;
    for (int shift : {0, 8, 16}) {
        const uint32_t a = (screenColour >> shift) & 0xFFu, b = (own >> shift) & 0xFFu;
        mixed |= (a * b / 255u) << shift;
    }
    return mixed;
}

MenuScreen::MenuScreen()
    : bgImage(), xc(0), yc(0), width(0), height(0), clickSound(), overSound(), buttons(), buttonCount(0), texts(),
      textCount(0), images(), imageCount(0), sliders(), sliderCount(0), edits(), editCount(0),
      screenTint(OWN_COLOURS), fade(1.0f) {}

bool MenuScreen::LoadFromFile(const char* path) {
    path = OrEmpty(path);
    screenTint = OWN_COLOURS;
    fade = 1.0f;

    tinyxml2::XMLDocument document;
    const tinyxml2::XMLElement* screen = nullptr;
    if (Quill::LoadXmlFile(document, path) == Quill::XmlLoad::Ok) screen = document.FirstChildElement("Screen");
    if (!screen) {
        AppLogf(LogTime, "Loading XML menu:  '%s' ... FAILED", path);
        return false;
    }

    ReadNumber(*screen, "xc", xc);
    ReadNumber(*screen, "yc", yc);
    ReadNumber(*screen, "width", width);
    ReadNumber(*screen, "height", height);
    ReadText(*screen, "bgImage", bgImage);
    ReadText(*screen, "clickSound", clickSound);
    ReadText(*screen, "overSound", overSound);

    buttonCount = ReadKind(*screen, "Button", buttons, path, [](MenuButton& b, const tinyxml2::XMLElement& e) {
        ReadText(e, "name", b.name);
        ReadText(e, "radioGroup", b.radioGroup);
        ReadText(e, "text", b.text);
        ReadText(e, "align", b.align);
        ReadText(e, "stretch", b.stretch);
        ReadNumber(e, "xc", b.xc);
        ReadNumber(e, "yc", b.yc);
        ReadNumber(e, "width", b.width);
        ReadNumber(e, "height", b.height);
        ReadText(e, "outImg", b.outImg);
        ReadText(e, "overImg", b.overImg);
        ReadText(e, "outImgChecked", b.outImgChecked);
        ReadText(e, "overImgChecked", b.overImgChecked);
        ReadText(e, "action", b.action);
        ReadColour(e, "textColour", b.textColour);
        b.hovered = 0;
        b.checked = 0;
        b.enabled = 1;
    });
    sliderCount = ReadKind(*screen, "Slider", sliders, path, [](MenuSlider& s, const tinyxml2::XMLElement& e) {
        ReadText(e, "name", s.name);
        ReadNumber(e, "xc", s.xc);
        ReadNumber(e, "yc", s.yc);
        ReadText(e, "outSliderImg", s.outSliderImg);
        ReadText(e, "overSliderImg", s.overSliderImg);
        ReadText(e, "outThumbImg", s.outThumbImg);
        ReadText(e, "overThumbImg", s.overThumbImg);
        ReadText(e, "action", s.action);
        s.hovered = 0;
        s.value = 0.75f;
        s.unstored = 0;
    });
    editCount = ReadKind(*screen, "Edit", edits, path, [](MenuEdit& d, const tinyxml2::XMLElement& e) {
        ReadText(e, "name", d.name);
        ReadText(e, "text", d.text);
        ReadText(e, "align", d.align);
        ReadNumber(e, "xc", d.xc);
        ReadNumber(e, "yc", d.yc);
        ReadNumber(e, "size", d.size);
        ReadNumber(e, "maxlen", d.maxlen);
        ReadColour(e, "colour", d.colour);
    });
    imageCount = ReadKind(*screen, "Image", images, path, [](MenuImage& m, const tinyxml2::XMLElement& e) {
        ReadText(e, "stretch", m.stretch);
        ReadNumber(e, "xc", m.xc);
        ReadNumber(e, "yc", m.yc);
        ReadNumber(e, "width", m.width);
        ReadNumber(e, "height", m.height);
        ReadText(e, "img", m.img);
    });
    textCount = ReadKind(*screen, "Text", texts, path, [](MenuText& t, const tinyxml2::XMLElement& e) {
        ReadText(e, "stretch", t.stretch);
        ReadText(e, "name", t.name);
        ReadText(e, "text", t.text);
        ReadText(e, "align", t.align);
        ReadNumber(e, "xc", t.xc);
        ReadNumber(e, "yc", t.yc);
        ReadNumber(e, "size", t.size);
        ReadColour(e, "colour", t.colour);
    });
    document.Clear();
    AppLogf(LogTime, "Loading XML menu:  '%s' ... OK", path);

    // The player's choices from earlier runs. A stored volume outside 0..1
    // (an edited file) would reach the mixer as it is, so it is held there.
    for (int32_t i = 0; i < buttonCount; ++i) {
        MenuButton& b = buttons[i];
        if (b.outImgChecked[0] && b.name[0]) IniGetInt(OptionsSection, b.name, b.checked);
    }
    for (int32_t i = 0; i < sliderCount; ++i) {
        MenuSlider& s = sliders[i];
        if (!s.name[0]) continue;
        IniGetFloat(OptionsSection, s.name, s.value);
        s.value = std::fmin(std::fmax(s.value, 0.0f), 1.0f);
    }
    return true;
}

void MenuScreen::DrawScreen() {
    TextureManager& tm = Textures();
    int32_t clientW = 0, clientH = 0;
    tm.GetClientSize(clientW, clientH);
    if (clientW <= 0 || clientH <= 0) return; // no frame to draw into
    const float w = static_cast<float>(clientW), h = static_cast<float>(clientH);

    // Every element shares one colour: the tint with its opacity scaled by
    // the fade. A full opacity wraps the alpha byte to 0, which reads as opaque.
    const float tintAlpha = static_cast<float>(screenTint >> 24);
    const uint32_t alpha = static_cast<uint32_t>(TruncToInt(tintAlpha * fade) + 1) & 0xFFu;
    const uint32_t colour = (alpha << 24) | (screenTint & 0x00FFFFFFu);

    if (bgImage[0])
        tm.DrawSprite(tm.GetTexture(bgImage), xc, yc, width, height, 0, 0, 1, 1, colour, SPRITE_NORMAL, 0);

    for (int32_t i = 0; i < imageCount; ++i) {
        const MenuImage& m = images[i];
        int32_t flags = NoStretch(m.stretch) ? SPRITE_NORMAL | SPRITE_PIXEL_SIZE : SPRITE_NORMAL;
        tm.DrawSprite(Picture(m.img), m.xc, m.yc, m.width, m.height, 0, 0, 1, 1, colour, flags, 0);
    }

    for (int32_t i = 0; i < textCount; ++i) {
        const MenuText& t = texts[i];
        if (!t.text[0]) continue;
        int32_t flags = AlignFlags(t.align) | (NoStretch(t.stretch) ? TEXT_PIXEL_SIZE : 0);
        tm.DrawText(t.xc, t.yc, t.size, TextColour(colour, t.colour), flags, t.text);
    }

    // The cursor blinks twice a second.
    const bool cursorOn = (Quill::GetPlatform().Ticks() / 500u) % 2u == 0;
    for (int32_t i = 0; i < editCount; ++i) {
        const MenuEdit& d = edits[i];
        char shown[sizeof d.text + 1];
        std::snprintf(shown, sizeof shown, "%s%s", d.text, cursorOn ? "_" : " ");
        tm.DrawText(d.xc, d.yc, d.size, TextColour(colour, d.colour), AlignFlags(d.align), shown);
    }

    for (int32_t i = 0; i < buttonCount; ++i) {
        MenuButton& b = buttons[i];
        if (!b.enabled) continue;
        Quill::Image* picture = Picture(ButtonPictureName(b));
        b.textSize = 0.04f;
        int32_t flags = SPRITE_NORMAL;
        const bool native = NoStretch(b.stretch);
        if (native) {
            FitToPicture(b, picture, w, h);
            int32_t sheetW = 0, sheetH = 0;
            TextureManager::GetTextureSize(tm.GetFontTexture(), sheetW, sheetH);
            const int32_t rows = tm.GetSymbolRows();
            b.textSize = rows > 0 ? static_cast<float>(sheetH / rows) / h : 0.0f;
            flags = SPRITE_NORMAL | SPRITE_PIXEL_SIZE;
        }
        if (picture) tm.DrawSprite(picture, b.xc, b.yc, b.width, b.height, 0, 0, 1, 1, colour, flags, 0);
        if (!b.text[0]) continue;
        // A left-aligned caption starts half a button width right of the
        // picture's right edge: the label beside a check box.
        float x = b.xc;
        int32_t textFlags = TEXT_CENTRE;
        if (Same(b.align, "left")) {
            x = b.xc + b.width;
            textFlags = 0;
        } else if (Same(b.align, "right")) {
            x = b.xc - b.width;
            textFlags = TEXT_RIGHT;
        }
        if (native) textFlags |= TEXT_PIXEL_SIZE;
        tm.DrawText(x, b.yc, b.textSize, TextColour(colour, b.textColour), textFlags, b.text);
    }

    for (int32_t i = 0; i < sliderCount; ++i) {
        MenuSlider& s = sliders[i];
        Quill::Image* bar = SliderBar(s);
        Quill::Image* thumb = Picture(s.hovered ? s.overThumbImg : s.outThumbImg);
        int32_t tw = 0, th = 0;
        TextureManager::GetTextureSize(thumb, tw, th);
        FitToPicture(s, bar, w, h);
        s.thumbWidth = static_cast<float>(tw) / w;
        s.thumbHeight = static_cast<float>(th) / h;
        const int32_t flags = SPRITE_NORMAL | SPRITE_PIXEL_SIZE;
        tm.DrawSprite(bar, s.xc, s.yc, s.width, s.height, 0, 0, 1, 1, colour, flags, 0);
        tm.DrawSprite(thumb, s.xc - s.width * 0.5f + s.value * s.width, s.yc, s.thumbWidth, s.thumbHeight, 0, 0, 1,
                      1, colour, flags, 0);
    }
}

const char* MenuScreen::HandleMessage(InputMessage m) {
    int32_t clientW = 0, clientH = 0;
    Textures().GetClientSize(clientW, clientH);
    if (clientW > 0 && clientH > 0) {
        const float w = static_cast<float>(clientW), h = static_cast<float>(clientH);
        for (int32_t i = 0; i < buttonCount; ++i)
            if (buttons[i].enabled) FitToPicture(buttons[i], Picture(ButtonPictureName(buttons[i])), w, h);
        for (int32_t i = 0; i < sliderCount; ++i) FitToPicture(sliders[i], SliderBar(sliders[i]), w, h);
    }
    if (const char* action = HandleButtons(m, clientW, clientH)) return action;
    if (const char* action = HandleSliders(m, clientW, clientH)) return action;
    HandleEdits(m);
    return "";
}

const char* MenuScreen::HandleButtons(const InputMessage& m, int32_t clientW, int32_t clientH) {
    if (m.message == INPUT_MOUSE_MOVE) {
        for (int32_t i = 0; i < buttonCount; ++i) {
            MenuButton& b = buttons[i];
            bool inside = b.enabled && Inside(b.xc, b.yc, b.width, b.height, m.x, m.y, clientW, clientH);
            // The over sound marks the entry only, not every move inside.
            if (inside && !b.hovered && overSound[0]) PlaySound(overSound);
            b.hovered = inside ? 1 : 0;
        }
        return nullptr;
    }
    if (m.message != INPUT_BUTTON_DOWN) return nullptr;
    for (int32_t i = 0; i < buttonCount; ++i) {
        MenuButton& b = buttons[i];
        if (!b.enabled || !Inside(b.xc, b.yc, b.width, b.height, m.x, m.y, clientW, clientH)) continue;
        if (clickSound[0]) PlaySound(clickSound);
        if (b.outImgChecked[0]) {
            b.checked = b.checked == 0 ? 1 : 0;
            char text[16];
            std::snprintf(text, sizeof text, "%d", b.checked);
            StoreOption(b.name, text);
        }
        SelectRadioButton(i);
        return b.action;
    }
    return nullptr;
}

const char* MenuScreen::HandleSliders(const InputMessage& m, int32_t clientW, int32_t clientH) {
    if (m.message == INPUT_BUTTON_UP) {
        StorePendingSliders();
        return nullptr;
    }
    if (m.message != INPUT_MOUSE_MOVE && m.message != INPUT_BUTTON_DOWN) return nullptr;
    for (int32_t i = 0; i < sliderCount; ++i) {
        MenuSlider& s = sliders[i];
        const float p = SliderPosition(s, m.x, m.y, clientW, clientH);
        const bool on = p >= 0.0f && p <= 1.0f;
        if (m.message == INPUT_MOUSE_MOVE) {
            if (!on) {
                s.hovered = 0;
                continue;
            }
            if (!s.hovered && overSound[0]) PlaySound(overSound);
            s.hovered = 1;
            // Dragging: the button may have gone down anywhere, even outside.
            if (!(Quill::GetPlatform().MouseButtons() & Quill::MOUSE_LEFT)) continue;
        } else {
            if (!on) continue;
            if (clickSound[0]) PlaySound(clickSound);
        }
        s.value = p;
        // Every move of a drag would be a synced write of the whole file on
        // the main thread; the drag's end writes the value once.
        s.unstored = 1;
        if (m.message == INPUT_BUTTON_DOWN) StoreSlider(s);
        return s.action;
    }
    return nullptr;
}

void MenuScreen::StoreSlider(MenuSlider& s) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(s.value));
    StoreOption(s.name, text);
    s.unstored = 0;
}

void MenuScreen::StorePendingSliders() {
    for (int32_t i = 0; i < sliderCount && i < MaxSliders; ++i)
        if (sliders[i].unstored) StoreSlider(sliders[i]);
}

void MenuScreen::HandleEdits(const InputMessage& m) {
    if (m.message == INPUT_KEY_DOWN) {
        if (m.wParam != 8) return; // only Backspace edits
        for (int32_t i = 0; i < editCount; ++i) {
            size_t length = std::strlen(edits[i].text);
            if (length == 0) continue;
            edits[i].text[length - 1] = '\0';
            return;
        }
        return;
    }
    if (m.message != INPUT_CHAR) return;
    const char c = static_cast<char>(m.wParam & 0xFFu);
    // Backspace, Escape and Enter come as characters too; they add nothing.
    if (c == 8 || c == 27 || c == 13 || c == '\0') return;
    for (int32_t i = 0; i < editCount; ++i) {
        MenuEdit& d = edits[i];
        const size_t length = std::strlen(d.text);
        const uint16_t limit = static_cast<uint16_t>(TruncToInt(d.maxlen));
        if (length >= static_cast<size_t>(EditLimit) || length >= limit) continue;
        d.text[length] = c;
        d.text[length + 1] = '\0';
    }
}

void MenuScreen::PlaySound(const char* file) const { PlaySoundId(FindOrLoadSound(file), 0); }

bool MenuScreen::IsButtonHovered(const char* name) const {
    name = OrEmpty(name);
    for (int32_t i = 0; i < buttonCount; ++i)
        if (buttons[i].hovered && Same(buttons[i].name, name)) return true;
    return false;
}

bool MenuScreen::IsButtonChecked(const char* name) const {
    name = OrEmpty(name);
    for (int32_t i = 0; i < buttonCount; ++i)
        if (buttons[i].checked && Same(buttons[i].name, name)) return true;
    return false;
}

void MenuScreen::SelectRadioButton(int index) {
    // Slots past the count hold nothing loaded from this file.
    if (index < 0 || index >= buttonCount || !buttons[index].radioGroup[0]) return;
    const char* group = buttons[index].radioGroup;
    for (int32_t i = 0; i < buttonCount; ++i)
        if (i != index && Same(buttons[i].radioGroup, group)) buttons[i].checked = 0;
    buttons[index].checked = 1;
}

float MenuScreen::GetTextX(const char* name) const {
    name = OrEmpty(name);
    for (int32_t i = 0; i < textCount; ++i)
        if (Same(texts[i].name, name)) return texts[i].xc;
    return 0.0f;
}

float MenuScreen::GetTextY(const char* name) const {
    name = OrEmpty(name);
    for (int32_t i = 0; i < textCount; ++i)
        if (Same(texts[i].name, name)) return texts[i].yc;
    return 0.0f;
}

float MenuScreen::GetSliderValue(const char* name) const {
    name = OrEmpty(name);
    for (int32_t i = 0; i < sliderCount; ++i)
        if (Same(sliders[i].name, name)) return sliders[i].value;
    return 0.0f;
}

void MenuScreen::SetText(const char* name, const char* text) {
    name = OrEmpty(name);
    for (int32_t i = 0; i < textCount; ++i)
        if (Same(texts[i].name, name)) CopyString(texts[i].text, sizeof texts[i].text, OrEmpty(text));
}
