#include "Scenery.h"

#include "Paint.h"
#include "Shapes.h"

#include <cmath>

namespace Content {

namespace {

struct Palette {
    uint32_t skyTop, skyBottom, glow, hillFar, hillNear, bokeh;
    double glowX, glowY;
};

void Hills(cairo_t* cr, int w, int h, double base, double amp, double freq, double phase, const Rgb& c,
           double alpha)
{
    cairo_move_to(cr, 0, h);
    for (int x = 0; x <= w; x += 4) {
        double t = double(x) / w;
        double y = base + amp * (std::sin(t * freq * 2 * M_PI + phase) * 0.6 +
                                 std::sin(t * freq * 5.1 * M_PI + phase * 1.7) * 0.25);
        cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, base - amp, 0, h);
    AddStop(g, 0, Lighten(c, 0.12), alpha);
    AddStop(g, 1, Darken(c, 0.12), alpha);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

// A warm landscape: sky gradient, a soft sun glow, floating light spots
// and two rows of rolling hills, quiet enough for the board to read on top.
void Landscape(Canvas& c, const Palette& p, uint32_t seed, double hillLevel)
{
    cairo_t* cr = c.cr;
    int w = c.width, h = c.height;
    SetVerticalGradient(cr, h, {{0, p.skyTop}, {1, p.skyBottom}});
    cairo_paint(cr);

    cairo_pattern_t* glow = cairo_pattern_create_radial(p.glowX * w, p.glowY * h, 0, p.glowX * w, p.glowY * h, w * 0.55);
    AddStop(glow, 0, Hex(p.glow), 0.85);
    AddStop(glow, 0.25, Hex(p.glow), 0.35);
    AddStop(glow, 1, Hex(p.glow), 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);

    Rng rng(seed);
    for (int i = 0; i < 34; ++i) {
        double x = rng.Range(0, w), y = rng.Range(0, h * hillLevel), r = rng.Range(6, 34) * w / 800.0;
        SoftSpot(cr, x, y, r, Hex(p.bokeh), rng.Range(0.08, 0.22));
    }
    Hills(c.cr, w, h, h * hillLevel, h * 0.07, 1.3, rng.Range(0, 6), Hex(p.hillFar), 0.8);
    Hills(c.cr, w, h, h * (hillLevel + 0.12), h * 0.06, 0.9, rng.Range(0, 6), Hex(p.hillNear), 0.9);
}

void Backgrounds(Output& out)
{
    static const Palette game[5] = {
        {0xFFF1C4, 0xFFC98F, 0xFFFBE8, 0xC9D98A, 0x9CC46E, 0xFFFFFF, 0.75, 0.2},
        {0xFFDCC0, 0xF49C8E, 0xFFF2D0, 0xE58C7C, 0xC9686A, 0xFFF4E0, 0.3, 0.25},
        {0xCFF5EC, 0x74CFC9, 0xFFFFF0, 0x5DB8B0, 0x3E9C9A, 0xFFFFFF, 0.6, 0.15},
        {0xEFE2FF, 0xC6A6EA, 0xFFF0FA, 0xB18AD8, 0x9570C4, 0xFFFFFF, 0.2, 0.3},
        {0xFFC98A, 0xD0708A, 0xFFE8B0, 0xB45E78, 0x8E4866, 0xFFEBC8, 0.65, 0.35},
    };
    for (int i = 0; i < 5; ++i) {
        // Drawn at the size the game stretches them to (0.86 x 0.86 of 800 x 600).
        Canvas c(688, 516);
        Landscape(c, game[i], 101u + uint32_t(i) * 7919u, 0.72);
        char name[64];
        std::snprintf(name, sizeof name, "Graphics/back_game%02d.jpg", i + 1);
        out.WriteJpeg(name, c.surface);
    }

    Canvas menu(800, 600);
    Landscape(menu, {0xFFE6B0, 0xFFB48A, 0xFFFCEB, 0xF2A66E, 0xD9825E, 0xFFFFFF, 0.5, 0.32}, 4242u, 0.74);
    // A few large, faint shapes drifting in the sky, the game's own motif.
    Rng rng(777u);
    const auto& classes = ShapeClassTable();
    for (int i = 0; i < 10; ++i) {
        int cls = (i * 7 + 3) % int(classes.size());
        int size = int(rng.Range(70, 120));
        Field f = ShapeCoverage(cls, int(rng.Next() % 3), size, size / 2.0, size / 2.0, size * 0.42);
        // One per cell of a loose 5 x 2 grid, so they spread over the sky.
        double x = (i % 5) * 160 + rng.Range(0, 160 - size), y = 10 + (i / 5) * 170 + rng.Range(0, 150 - size * 0.5);
        PaintField(menu.cr, f, Lighten(Hex(classes[size_t(cls)].color), 0.35), 0.28, x, y);
    }
    out.WriteJpeg("Graphics/back_menu.jpg", menu.surface);
}

void BottomBar(Output& out)
{
    const int w = 704, h = 104;
    Canvas c(w, h);
    cairo_t* cr = c.cr;
    SetVerticalGradient(cr, h,
                        {{0, 0x8A4B2E}, {0.12, 0xF2C35A}, {0.2, 0x9A5A34}, {0.5, 0x6E3C26}, {0.85, 0x5A2E1E},
                         {0.92, 0xD9A24A}, {1, 0x6A3620}});
    cairo_paint(cr);
    // Belt ribs: the conveyor the shapes ride in on.
    for (int x = 4; x < w; x += 22) {
        cairo_rectangle(cr, x, 24, 3, 60);
        SetColor(cr, Hex(0x4A2416), 0.45);
        cairo_fill(cr);
        cairo_rectangle(cr, x + 3, 24, 1.5, 60);
        SetColor(cr, Hex(0xC07A4A), 0.35);
        cairo_fill(cr);
    }
    for (int x = 18; x < w; x += 88) {
        for (double y : {8.0, 96.0}) {
            cairo_arc(cr, x, y, 3.2, 0, 2 * M_PI);
            SetColor(cr, Hex(0xFFE7A0));
            cairo_fill_preserve(cr);
            SetColor(cr, Hex(0x6A3A1A));
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        }
    }
    out.WriteJpeg("Graphics/am_bottom_bar.jpg", c.surface);
}

void Rails(Output& out)
{
    static const uint32_t tints[6] = {0xFF8A7A, 0xFFB060, 0xFFD860, 0x9FE07A, 0x6FD6E0, 0xB89AF0};
    // 95 pixels: the game draws the copies 95 pixels apart, so they join exactly.
    const int w = 80, h = 95;
    for (int i = 0; i < 6; ++i) {
        Canvas c(w, h);
        cairo_t* cr = c.cr;
        Rgb t = Hex(tints[i]);
        // Uniform from top to bottom, so the six copies join without a seam.
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, w, 0);
        AddStop(g, 0.0, t, 0.0);
        AddStop(g, 0.06, t, 0.0);
        AddStop(g, 0.1, Lighten(t, 0.6), 0.85);
        AddStop(g, 0.14, t, 0.5);
        AddStop(g, 0.5, Lighten(t, 0.4), 0.26);
        AddStop(g, 0.86, t, 0.5);
        AddStop(g, 0.9, Lighten(t, 0.6), 0.85);
        AddStop(g, 0.94, t, 0.0);
        AddStop(g, 1.0, t, 0.0);
        cairo_set_source(cr, g);
        cairo_paint(cr);
        cairo_pattern_destroy(g);
        out.WritePng("Graphics/line" + std::to_string(i + 1) + ".png", c.surface);
    }
    Canvas a(w, h);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, w, 0);
    AddStop(g, 0, Hex(0xFFE0A0), 0);
    AddStop(g, 0.5, Hex(0xFFF6D8), 0.9);
    AddStop(g, 1, Hex(0xFFE0A0), 0);
    cairo_set_source(a.cr, g);
    cairo_paint(a.cr);
    cairo_pattern_destroy(g);
    out.WritePng("Graphics/line_a.png", a.surface);
}

TextStyle LabelStyle(double size)
{
    TextStyle s;
    s.face = Face::CondensedBold;
    s.size = size;
    s.fillTop = Hex(0xFFF4D2);
    s.fillBottom = Hex(0xFFD98A);
    s.outline = Hex(0x3A160C);
    s.outlineWidth = 1.6;
    return s;
}

void Slot(cairo_t* cr, double cx, double cy, double w, double h)
{
    RoundedRect(cr, cx - w / 2, cy - h / 2, w, h, h / 2);
    FillStroke(cr, VerticalGradient(cy - h / 2, cy + h / 2, Hex(0x2A120A), Hex(0x4A2214), 0.85), Hex(0xF2C14E), 2);
}

// The in-game frame: a panel on the left with the score, clock, level and
// progress slots, a rim around the board's window and a discard tray.
// A label that keeps its style's size when it fits `maxWidth`, else shrinks
// until it does: a longer word in another language still sits in its place.
void FittedText(cairo_t* cr, const std::string& text, double x, double y, TextStyle style, double maxWidth)
{
    while (style.size > 8 && TextWidth(cr, text, style) > maxWidth)
        style.size -= 0.5;
    DrawText(cr, text, x, y, style);
}

void StatusBorder(Output& out, const LanguageSection& language, bool shared)
{
    const std::string& languageFolder = language.imageFolder;
    using L = PanelLayout;
    const int w = 800, h = 600;
    Canvas c(w, h);
    cairo_t* cr = c.cr;
    const double wx = L::PanelRight, wy = 8, wr = 792, wb = 592, rad = 18;
    auto frameShape = [&](cairo_t* k) {
        cairo_rectangle(k, 0, 0, w, h);
        RoundedRect(k, wx, wy, wr - wx, wb - wy, rad);
        cairo_set_fill_rule(k, CAIRO_FILL_RULE_EVEN_ODD);
    };
    // Shadow cast into the window.
    Field inner = Coverage(w, h, [&](cairo_t* k) {
        frameShape(k);
        cairo_fill(k);
    });
    Field shadow = inner;
    Blur(shadow, 4);
    for (size_t i = 0; i < shadow.v.size(); ++i)
        shadow.v[i] *= 1.0f - inner.v[i];
    PaintField(cr, shadow, Hex(0x2A1008), 0.6, 0, 0);

    frameShape(cr);
    SetVerticalGradient(cr, h, {{0, 0xA0563A}, {0.5, 0x7E3E2A}, {1, 0x5C2A1E}});
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // Fine diagonal grain.
    cairo_save(cr);
    frameShape(cr);
    cairo_clip(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    for (int d = -h; d < w; d += 9) {
        cairo_move_to(cr, d, 0);
        cairo_line_to(cr, d + h, h);
    }
    SetColor(cr, Hex(0xFFFFFF), 0.04);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_restore(cr);
    // Gold trim along the window and the outer edge.
    RoundedRect(cr, wx - 2, wy - 2, wr - wx + 4, wb - wy + 4, rad + 2);
    SetColor(cr, Hex(0xF6CB5E));
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    RoundedRect(cr, 2, 2, w - 4, h - 4, 10);
    SetColor(cr, Hex(0xE0A848), 0.8);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);

    TextStyle title = LabelStyle(25);
    title.face = Face::SerifBold;
    title.outlineWidth = 2.2;
    title.fillTop = Hex(0xFFF8DC);
    title.fillBottom = Hex(0xFFC04A);
    DrawText(cr, "Velmora", L::SlotX, 42, title);
    const struct {
        const char* label;
        int y;
    } slots[3] = {{"PictureScore", L::ScoreY}, {"PictureTime", L::TimeY}, {"PictureLevel", L::LevelY}};
    const double labelWidth = L::SlotWidth + 8;
    for (const auto& s : slots) {
        FittedText(cr, language.Get(s.label, s.label), L::SlotX, s.y - 33, LabelStyle(17), labelWidth);
        Slot(cr, L::SlotX, s.y, L::SlotWidth, L::SlotHeight);
    }
    FittedText(cr, language.Get("PictureProgress", "PROGRESS"), L::SlotX, L::MeterY - 30, LabelStyle(17),
               labelWidth);
    Slot(cr, L::SlotX, L::MeterY, L::SlotWidth + 4, 28);
    // Discard tray: thrown-away shapes shrink into it.
    cairo_arc(cr, L::TrayX, L::TrayY, 38, 0, 2 * M_PI);
    cairo_pattern_t* t = cairo_pattern_create_radial(L::TrayX, L::TrayY - 8, 4, L::TrayX, L::TrayY, 38);
    AddStop(t, 0, Hex(0x1E0C06), 0.9);
    AddStop(t, 1, Hex(0x5A2A18), 0.9);
    FillStroke(cr, t, Hex(0xF2C14E), 2.5);
    FittedText(cr, language.Get("PictureDiscard", "DISCARD"), L::TrayX, L::TrayY - 56, LabelStyle(14), labelWidth);
    FittedText(cr, language.Get("PictureSpace", "SPACE"), L::TrayX, L::TrayY, LabelStyle(13), 70);

    out.WritePng(languageFolder + "status-border.png", c.surface);
    if (shared)
        out.WritePng("Graphics/status-border.png", c.surface);
}

// A hint bubble of one or two lines ("first|second").
void Hint(Output& out, const std::string& name, const std::string& lines)
{
    const size_t bar = lines.find('|');
    const std::string line1 = lines.substr(0, bar);
    const std::string line2 = bar == std::string::npos ? "" : lines.substr(bar + 1);
    const int w = 236, h = 84;
    Canvas c(w, h);
    cairo_t* cr = c.cr;
    DropShadow(cr, w, h, [&](cairo_t* k) {
        RoundedRect(k, 6, 6, w - 14, h - 14, 18);
        cairo_fill(k);
    }, 2, 3, 3, 0.45);
    RoundedRect(cr, 6, 6, w - 14, h - 14, 18);
    FillStroke(cr, VerticalGradient(6, h - 8, Hex(0xFFFBEA), Hex(0xFFE3A8)), Hex(0xB05A2A), 3);
    TextStyle s;
    s.face = Face::SansBold;
    s.size = 17;
    s.fillTop = s.fillBottom = Hex(0x5A2410);
    double cx = (w - 8) / 2.0;
    const double room = w - 36;
    FittedText(cr, line1, cx, line2.empty() ? 40 : 30, s, room);
    if (!line2.empty())
        FittedText(cr, line2, cx, 53, s, room);
    out.WritePng(name, c.surface);
}

} // namespace

void MakeScenery(Output& out, const LanguageTemplate& language)
{
    Backgrounds(out);
    BottomBar(out);
    Rails(out);
    const char* hints[3][2] = {{"Hint1", "Click to pick up|this shape"},
                               {"Hint2", "Drop it on the|matching silhouette"},
                               {"Hint3", "Right-click to|turn it around"}};
    for (const LanguageSection& section : language.sections) {
        // The first language's frame is also the one outside any language folder.
        StatusBorder(out, section, &section == &language.sections.front());
        for (int i = 0; i < 3; ++i)
            Hint(out, section.imageFolder + "hint" + std::to_string(i + 1) + ".png",
                 section.Get(hints[i][0], hints[i][1]));
    }
}

} // namespace Content
