#include "MenuArt.h"

#include "Paint.h"
#include "Shapes.h"

#include <cmath>

namespace Content {

namespace {

void Logo(Output& out)
{
    const int w = 640, h = 180;
    Canvas c(w, h);
    cairo_t* cr = c.cr;
    // The game's own shapes play around the title.
    const struct {
        int cls, variant;
        double x, y, size;
    } deco[4] = {{0, 0, 44, 62, 64}, {2, 0, 598, 52, 62}, {1, 0, 590, 136, 50}, {8, 0, 50, 136, 48}};
    for (const auto& d : deco) {
        int n = int(d.size);
        Field f = ShapeCoverage(d.cls, d.variant, n, n / 2.0, n / 2.0, n * 0.42);
        Canvas s(n, n);
        PaintGlossy(s.cr, f, Hex(ShapeClassTable()[size_t(d.cls)].color), 0.4);
        cairo_set_source_surface(cr, s.surface, d.x - n / 2.0, d.y - n / 2.0);
        cairo_paint(cr);
    }
    TextStyle t;
    t.face = Face::SerifBold;
    t.size = 96;
    t.fillTop = Hex(0xFFF6C8);
    t.fillBottom = Hex(0xFF8A1E);
    t.outline = Hex(0x5A1E0A);
    t.outlineWidth = 6;
    t.shadowAlpha = 0.45;
    DrawText(cr, "Velmora", w / 2.0, 90, t);
    // A thin shine across the upper half of the letters.
    TextStyle shine = t;
    shine.outlineWidth = 0;
    shine.shadowAlpha = 0;
    shine.fillTop = Hex(0xFFFFFF);
    shine.fillBottom = Hex(0xFFE27A);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, 76);
    cairo_clip(cr);
    cairo_push_group(cr);
    DrawText(cr, "Velmora", w / 2.0, 90, shine);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, 0.35);
    cairo_restore(cr);
    out.WritePng("Graphics/logo.png", c.surface);
}

void Pill(Output& out, const std::string& name, int w, int h, bool hover)
{
    Canvas c(w, h);
    cairo_t* cr = c.cr;
    const double m = 4, r = (h - 2 * m) / 2;
    if (hover) {
        Field glow = Coverage(w, h, [&](cairo_t* k) {
            RoundedRect(k, m, m, w - 2 * m, h - 2 * m, r);
            cairo_fill(k);
        });
        Blur(glow, 2);
        PaintField(cr, glow, Hex(0xFFE680), 0.9);
    } else {
        DropShadow(cr, w, h, [&](cairo_t* k) {
            RoundedRect(k, m, m, w - 2 * m, h - 2 * m - 1, r);
            cairo_fill(k);
        }, 1, 2, 2, 0.45);
    }
    RoundedRect(cr, m, m, w - 2 * m, h - 2 * m - 1, r);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, m, 0, h - m);
    AddStop(g, 0, hover ? Hex(0xFFD65A) : Hex(0xFFAA48));
    AddStop(g, 0.5, hover ? Hex(0xFFA532) : Hex(0xF27A2C));
    AddStop(g, 1, hover ? Hex(0xF07A22) : Hex(0xC8501E));
    FillStroke(cr, g, hover ? Hex(0xFFF4C0) : Hex(0x7A2E10), 2);
    RoundedRect(cr, m + 5, m + 3, w - 2 * m - 10, (h - 2 * m) * 0.42, r * 0.8);
    SetColor(cr, Rgb{1, 1, 1}, hover ? 0.42 : 0.3);
    cairo_fill(cr);
    out.WritePng(name, c.surface);
}

void CheckBox(Output& out, const std::string& name, bool checked, bool hover)
{
    const int n = 40;
    Canvas c(n, n);
    cairo_t* cr = c.cr;
    if (hover) {
        Field glow = Coverage(n, n, [](cairo_t* k) {
            RoundedRect(k, 5, 5, 30, 30, 7);
            cairo_fill(k);
        });
        Blur(glow, 2);
        PaintField(cr, glow, Hex(0xFFE680), 0.9);
    }
    RoundedRect(cr, 5, 5, 30, 30, 7);
    FillStroke(cr, VerticalGradient(5, 35, Hex(0xFFFBEE), Hex(0xFFDFA6)), Hex(0x8A3A14), 2.5);
    if (checked) {
        cairo_move_to(cr, 11, 20);
        cairo_line_to(cr, 18, 28);
        cairo_line_to(cr, 31, 10);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        SetColor(cr, Hex(0x5A2008));
        cairo_set_line_width(cr, 6.5);
        cairo_stroke_preserve(cr);
        SetColor(cr, Hex(0xFF8A1E));
        cairo_set_line_width(cr, 4);
        cairo_stroke(cr);
    }
    out.WritePng(name, c.surface);
}

void Slider(Output& out)
{
    for (int hover = 0; hover < 2; ++hover) {
        const int w = 260, h = 22;
        Canvas bar(w, h);
        RoundedRect(bar.cr, 3, 5, w - 6, h - 10, 6);
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, w, 0);
        AddStop(g, 0, Hex(0x6A2E18));
        AddStop(g, 1, hover ? Hex(0xE8882A) : Hex(0xB85A24));
        FillStroke(bar.cr, g, hover ? Hex(0xFFE27A) : Hex(0xF2C14E), 2);
        out.WritePng(hover ? "Graphics/slider_bar_hover.png" : "Graphics/slider_bar.png", bar.surface);

        Canvas thumb(26, 36);
        Field f = Coverage(26, 36, [](cairo_t* k) {
            RoundedRect(k, 3, 2, 19, 30, 8);
            cairo_fill(k);
        });
        PaintGlossy(thumb.cr, f, hover ? Hex(0xFFD040) : Hex(0xFFA030), 0.5);
        out.WritePng(hover ? "Graphics/slider_thumb_hover.png" : "Graphics/slider_thumb.png", thumb.surface);
    }
}

void Panel(Output& out, const std::string& name, int w, int h)
{
    Canvas c(w, h);
    cairo_t* cr = c.cr;
    const double m = 10;
    DropShadow(cr, w, h, [&](cairo_t* k) {
        RoundedRect(k, m, m, w - 2 * m, h - 2 * m, 26);
        cairo_fill(k);
    }, 3, 5, 4, 0.5);
    RoundedRect(cr, m, m, w - 2 * m, h - 2 * m, 26);
    FillStroke(cr, VerticalGradient(m, h - m, Hex(0xFFF7E2), Hex(0xFFE0B0)), Hex(0xA8482A), 5);
    RoundedRect(cr, m + 8, m + 8, w - 2 * m - 16, h - 2 * m - 16, 19);
    SetColor(cr, Hex(0xE8A848), 0.9);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    out.WritePng(name, c.surface);
}

// The veil over the frozen game behind the pause screen: an even dusk that
// the screen stretches over the whole window, dark enough to rest the eye on
// the dialog, light enough that the board stays recognisable.
void Veil(Output& out)
{
    Canvas c(16, 16);
    SetColor(c.cr, Hex(0x10081C), 0.6);
    cairo_paint(c.cr);
    out.WritePng("Graphics/veil.png", c.surface);
}

// The soft dark backing behind the titles over the board ("Level", the level's
// number, "Level Complete!"): a rounded band with feathered edges that the
// game stretches to each title's width.
void TitleBacking(Output& out)
{
    const int w = 160, h = 64;
    Canvas c(w, h);
    Field f = Coverage(w, h, [&](cairo_t* k) {
        RoundedRect(k, 12, 12, w - 24, h - 24, 18);
        cairo_fill(k);
    });
    Blur(f, 6);
    PaintField(c.cr, f, Hex(0x24100A), 0.62);
    out.WritePng("Graphics/title_backing.png", c.surface);
}

void Medallion(cairo_t* cr, int n, bool hover)
{
    Field f = Coverage(n, n, [&](cairo_t* k) {
        cairo_arc(k, n / 2.0 - 1, n / 2.0 - 1.5, n * 0.41, 0, 2 * M_PI);
        cairo_fill(k);
    });
    if (hover) {
        Field glow = f;
        Blur(glow, 3);
        PaintField(cr, glow, Hex(0xFFF0A0), 1.0);
    }
    PaintGlossy(cr, f, hover ? Hex(0xFFC640) : Hex(0xF59A2A), 0.45);
    cairo_arc(cr, n / 2.0 - 1, n / 2.0 - 1.5, n * 0.33, 0, 2 * M_PI);
    SetColor(cr, Hex(0x7A3210), 0.55);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
}

void StageArt(Output& out)
{
    const int n = 84;
    for (int hover = 0; hover < 2; ++hover) {
        Canvas c(n, n);
        Medallion(c.cr, n, hover != 0);
        out.WritePng(hover ? "Graphics/stage_button_hover.png" : "Graphics/stage_button.png", c.surface);
    }
    // A locked stage: a grey cover of the same size with a padlock.
    Canvas g(n, n);
    cairo_t* cr = g.cr;
    cairo_arc(cr, n / 2.0 - 1, n / 2.0 - 1.5, n * 0.42, 0, 2 * M_PI);
    SetColor(cr, Hex(0x6A6470), 0.82);
    cairo_fill(cr);
    double cx = n / 2.0 - 1, cy = n / 2.0 + 2;
    cairo_arc(cr, cx, cy - 9, 9, M_PI, 2 * M_PI);
    cairo_set_line_width(cr, 4.5);
    SetColor(cr, Hex(0xE8E4EC));
    cairo_stroke(cr);
    RoundedRect(cr, cx - 14, cy - 9, 28, 22, 4);
    SetColor(cr, Hex(0xE8E4EC));
    cairo_fill(cr);
    cairo_arc(cr, cx, cy + 1, 3.5, 0, 2 * M_PI);
    SetColor(cr, Hex(0x6A6470));
    cairo_fill(cr);
    out.WritePng("Graphics/grey.png", g.surface);
}

void MapBackdrop(Output& out)
{
    const int w = 800, h = 600;
    Canvas c(w, h);
    cairo_t* cr = c.cr;
    SetVerticalGradient(cr, h, {{0, 0xFFE9B8}, {0.35, 0xE8E6A0}, {1, 0x9CCB6A}});
    cairo_paint(cr);
    Rng rng(9001u);
    // Soft groves and ponds scattered over the land.
    for (int i = 0; i < 40; ++i) {
        double x = rng.Range(0, w), y = rng.Range(h * 0.25, h), r = rng.Range(12, 40);
        bool pond = i % 7 == 0;
        Rgb col = pond ? Hex(0x7CCFE0) : Hex(rng.Uniform() < 0.5 ? 0x6FAE4A : 0x8CC052);
        SoftSpot(cr, x, y, r, col, 0.55, 0.75);
    }
    // Distant hills along the top.
    cairo_move_to(cr, 0, h * 0.3);
    for (int x = 0; x <= w; x += 8)
        cairo_line_to(cr, x, h * 0.22 + std::sin(x * 0.011) * 18 + std::sin(x * 0.027 + 1) * 9);
    cairo_line_to(cr, w, h * 0.3);
    cairo_close_path(cr);
    SetColor(cr, Hex(0xC8B27A), 0.5);
    cairo_fill(cr);
    // The winding path from stage to stage: a sandy trail with stepping stones.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    auto trail = [&]() {
        cairo_move_to(cr, StageSpots[0].x * w, StageSpots[0].y * h);
        for (int i = 1; i < 7; ++i) {
            double x0 = StageSpots[i - 1].x * w, y0 = StageSpots[i - 1].y * h;
            double x1 = StageSpots[i].x * w, y1 = StageSpots[i].y * h;
            double mx = (x0 + x1) / 2, my = (y0 + y1) / 2, bend = (i % 2 ? 40 : -40);
            cairo_curve_to(cr, mx - bend * 0.3, my + bend, mx + bend * 0.3, my - bend, x1, y1);
        }
    };
    trail();
    SetColor(cr, Hex(0xB8864A), 0.6);
    cairo_set_line_width(cr, 26);
    cairo_stroke(cr);
    trail();
    SetColor(cr, Hex(0xF6DDA0));
    cairo_set_line_width(cr, 18);
    cairo_stroke(cr);
    trail();
    const double dash[2] = {2, 16};
    cairo_set_dash(cr, dash, 2, 0);
    SetColor(cr, Hex(0xC8904A));
    cairo_set_line_width(cr, 7);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    for (const StageSpot& s : StageSpots) {
        double x = s.x * w, y = s.y * h;
        SoftSpot(cr, x, y + 6, 62, Hex(0xF6E0A4), 0.95, 0.65);
    }
    out.WriteJpeg("Graphics/back_map.jpg", c.surface);
}

} // namespace

void MakeMenuArt(Output& out)
{
    Logo(out);
    const struct {
        const char* size;
        int w, h;
    } buttons[3] = {{"s", 160, 44}, {"m", 220, 52}, {"l", 300, 60}};
    for (const auto& b : buttons) {
        Pill(out, std::string("Graphics/button_") + b.size + ".png", b.w, b.h, false);
        Pill(out, std::string("Graphics/button_") + b.size + "_hover.png", b.w, b.h, true);
    }
    CheckBox(out, "Graphics/checkbox.png", false, false);
    CheckBox(out, "Graphics/checkbox_hover.png", false, true);
    CheckBox(out, "Graphics/checkbox_checked.png", true, false);
    CheckBox(out, "Graphics/checkbox_checked_hover.png", true, true);
    Slider(out);
    Panel(out, "Graphics/panel_large.png", 600, 440);
    Panel(out, "Graphics/panel_medium.png", 460, 300);
    Panel(out, "Graphics/panel_small.png", 380, 200);
    Veil(out);
    TitleBacking(out);
    StageArt(out);
    MapBackdrop(out);
}

} // namespace Content
