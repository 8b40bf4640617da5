#include "Sprites.h"

#include "Paint.h"
#include "Shapes.h"

#include <cmath>

namespace Content {

namespace {

void Glow(cairo_t* cr, double x, double y, double r, const Rgb& c, double alpha)
{
    cairo_pattern_t* g = cairo_pattern_create_radial(x, y, 0, x, y, r);
    AddStop(g, 0, Lighten(c, 0.7), alpha);
    AddStop(g, 0.3, c, alpha * 0.55);
    AddStop(g, 1, c, 0);
    cairo_set_source(cr, g);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void StarPath(cairo_t* cr, double x, double y, int n, double outer, double inner, double angle)
{
    std::vector<std::pair<double, double>> p;
    for (int i = 0; i < 2 * n; ++i) {
        double a = angle - M_PI / 2 + i * M_PI / n;
        double r = (i % 2) ? inner : outer;
        p.push_back({x + std::cos(a) * r, y + std::sin(a) * r});
    }
    RoundedPolygon(cr, p, outer * 0.06);
}

void Sparkle(cairo_t* cr, double x, double y, double r, const Rgb& c, double alpha)
{
    Glow(cr, x, y, r, c, alpha * 0.8);
    StarPath(cr, x, y, 4, r * 0.9, r * 0.16, 0);
    SetColor(cr, Lighten(c, 0.75), alpha);
    cairo_fill(cr);
}

void Particles(Output& out)
{
    Canvas p1(64, 64);
    Sparkle(p1.cr, 32, 32, 30, Hex(0xFFC23A), 1.0);
    out.WritePng("Graphics/particle1.png", p1.surface);

    Canvas p2(64, 64);
    Glow(p2.cr, 32, 32, 30, Hex(0xFF7A9A), 0.9);
    cairo_arc(p2.cr, 32, 32, 17, 0, 2 * M_PI);
    SetColor(p2.cr, Hex(0xFFF0F4), 0.8);
    cairo_set_line_width(p2.cr, 3);
    cairo_stroke(p2.cr);
    out.WritePng("Graphics/particle2.png", p2.surface);

    Canvas q(32, 32);
    Sparkle(q.cr, 16, 16, 15, Hex(0x8AD8FF), 1.0);
    out.WritePng("Graphics/particleq.png", q.surface);

    Canvas q2(48, 48);
    Glow(q2.cr, 24, 24, 23, Hex(0xC68AFF), 1.0);
    StarPath(q2.cr, 24, 24, 5, 15, 7, 0);
    SetColor(q2.cr, Hex(0xFFF4FF), 0.95);
    cairo_fill(q2.cr);
    out.WritePng("Graphics/particleq2.png", q2.surface);
}

// Glossy orb of a coverage drawn by `shape`, then a white emblem on top.
void Bonus(Output& out, const char* name, uint32_t color, const std::function<void(cairo_t*)>& shape,
           const std::function<void(cairo_t*)>& emblem)
{
    const int n = ShapeImageSize;
    Canvas c(n, n);
    Field a = Coverage(n, n, shape);
    PaintGlossy(c.cr, a, Hex(color), 0.45);
    cairo_save(c.cr);
    emblem(c.cr);
    cairo_restore(c.cr);
    out.WritePng(name, c.surface);
}

void Bonuses(Output& out)
{
    auto emblemStyle = [](cairo_t* cr) {
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_width(cr, 2.5);
        SetColor(cr, Hex(0x5A2A10), 0.7);
        cairo_stroke_preserve(cr);
        SetColor(cr, Rgb{1, 1, 1}, 0.95);
        cairo_fill(cr);
    };
    // Any shape: a rainbow-rimmed orb with a star.
    Bonus(out, "Graphics/am_bonus01.png", 0x3FB8F0,
          [](cairo_t* cr) {
              cairo_arc(cr, 31, 30.5, 26, 0, 2 * M_PI);
              cairo_fill(cr);
          },
          [&](cairo_t* cr) {
              static const uint32_t ring[6] = {0xFF4A4A, 0xFFA030, 0xFFE040, 0x50D060, 0x40A0FF, 0xB060F0};
              for (int i = 0; i < 6; ++i) {
                  cairo_arc(cr, 31, 30.5, 22.5, i * M_PI / 3, (i + 1) * M_PI / 3);
                  SetColor(cr, Hex(ring[i]), 0.85);
                  cairo_set_line_width(cr, 4);
                  cairo_stroke(cr);
              }
              StarPath(cr, 31, 31, 5, 14, 6, 0);
              emblemStyle(cr);
          });
    // Band: a tall capsule with arrows up and down (fills the whole line).
    Bonus(out, "Graphics/am_bonus02.png", 0xFFB020,
          [](cairo_t* cr) {
              RoundedRect(cr, 15, 3, 32, 55, 16);
              cairo_fill(cr);
          },
          [&](cairo_t* cr) {
              RoundedPolygon(cr,
                             {{31, 9},
                              {41, 21},
                              {35, 21},
                              {35, 40},
                              {41, 40},
                              {31, 52},
                              {21, 40},
                              {27, 40},
                              {27, 21},
                              {21, 21}},
                             1.5);
              emblemStyle(cr);
          });
    // Area: a spiky burst (fills the cells around).
    Bonus(out, "Graphics/am_bonus03.png", 0xE0388A,
          [](cairo_t* cr) {
              StarPath(cr, 31, 30.5, 10, 28, 21, 0);
              cairo_fill(cr);
          },
          [&](cairo_t* cr) {
              for (int i = 0; i < 3; ++i) {
                  cairo_arc(cr, 31, 31, 5.0 + i * 5.5, 0, 2 * M_PI);
                  SetColor(cr, Rgb{1, 1, 1}, 0.9 - i * 0.22);
                  cairo_set_line_width(cr, 3);
                  cairo_stroke(cr);
              }
              cairo_arc(cr, 31, 31, 3.5, 0, 2 * M_PI);
              SetColor(cr, Rgb{1, 1, 1}, 0.95);
              cairo_fill(cr);
          });
}

void GoldStar(cairo_t* cr, double x, double y, double r, double angle)
{
    StarPath(cr, x, y, 5, r, r * 0.46, angle);
    cairo_pattern_t* g = cairo_pattern_create_linear(x - r, y - r, x + r, y + r);
    AddStop(g, 0, Hex(0xFFF6B0));
    AddStop(g, 0.5, Hex(0xFFC83A));
    AddStop(g, 1, Hex(0xE08A10));
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    FillStroke(cr, g, Hex(0x8A4A10), std::max(1.0, r * 0.07), 0.8);
}

void Effects(Output& out)
{
    // Star animation, 3 x 3 frames: a star spins up while sparkles fly out.
    const int cell = 64;
    Canvas sheet(cell * 3, cell * 3);
    for (int f = 0; f < 9; ++f) {
        double t = f / 8.0, cx = (f % 3) * cell + cell / 2.0, cy = (f / 3) * cell + cell / 2.0;
        cairo_save(sheet.cr);
        cairo_rectangle(sheet.cr, (f % 3) * cell, (f / 3) * cell, cell, cell);
        cairo_clip(sheet.cr);
        Glow(sheet.cr, cx, cy, 30, Hex(0xFFD050), 0.6 * (1 - t * 0.6));
        for (int k = 0; k < 6; ++k) {
            double a = k * M_PI / 3 + t * 0.8, d = 8 + t * 20;
            Sparkle(sheet.cr, cx + std::cos(a) * d, cy + std::sin(a) * d, 6 - t * 3, Hex(0xFFE070), 1 - t * 0.5);
        }
        GoldStar(sheet.cr, cx, cy, 13 + 7 * std::sin(t * M_PI), t * 2 * M_PI / 5 * 2);
        cairo_restore(sheet.cr);
    }
    out.WritePng("Graphics/star-rotation.png", sheet.surface, 3, 3);

    Canvas chomp(64, 64);
    Glow(chomp.cr, 32, 32, 31, Hex(0xFFE080), 0.9);
    StarPath(chomp.cr, 32, 32, 12, 27, 17, 0.1);
    cairo_pattern_t* burst = cairo_pattern_create_radial(32, 32, 4, 32, 32, 27);
    AddStop(burst, 0, Hex(0xFFFFF4));
    AddStop(burst, 0.6, Hex(0xFFE27A));
    AddStop(burst, 1, Hex(0xFF9A2A));
    FillStroke(chomp.cr, burst, Hex(0xB0501A), 1.5);
    // A bite taken out of one side.
    cairo_set_operator(chomp.cr, CAIRO_OPERATOR_CLEAR);
    for (int i = 0; i < 3; ++i) {
        cairo_arc(chomp.cr, 55, 20 + i * 12, 8, 0, 2 * M_PI);
        cairo_fill(chomp.cr);
    }
    cairo_set_operator(chomp.cr, CAIRO_OPERATOR_OVER);
    out.WritePng("Graphics/am_effect_chomp.png", chomp.surface);

    Canvas star(28, 28);
    Glow(star.cr, 14, 14, 14, Hex(0xFFD040), 0.8);
    GoldStar(star.cr, 14, 14.5, 10, 0);
    out.WritePng("Graphics/am_effect_star.png", star.surface);

    Canvas arrow(44, 60);
    auto arrowPath = [](cairo_t* cr) {
        RoundedPolygon(cr, {{14, 4}, {30, 4}, {30, 30}, {40, 30}, {22, 54}, {4, 30}, {14, 30}}, 3);
        cairo_fill(cr);
    };
    Field a = Coverage(44, 60, arrowPath);
    PaintGlossy(arrow.cr, a, Hex(0xFF7A22), 0.45);
    out.WritePng("Graphics/arrow.png", arrow.surface);
}

// The bug walks to the right; six frames of a tripod gait.
void Bug(Output& out)
{
    const int cell = 58;
    Canvas sheet(cell * 6, cell);
    cairo_t* cr = sheet.cr;
    for (int f = 0; f < 6; ++f) {
        double ph = f * 2 * M_PI / 6, cx = f * cell + 28, cy = 29 + std::sin(ph * 2) * 0.6;
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        for (int side = -1; side <= 1; side += 2) {
            for (int l = 0; l < 3; ++l) {
                double swing = std::sin(ph + (l % 2 ? M_PI : 0) + (side > 0 ? M_PI : 0)) * 5;
                double bx = cx - 8 + l * 8, by = cy + side * 8;
                cairo_move_to(cr, bx, by);
                cairo_line_to(cr, bx + swing * 0.5 + (l - 1) * 3, by + side * 9);
                cairo_line_to(cr, bx + swing + (l - 1) * 5, by + side * 16);
                SetColor(cr, Hex(0x2A1A14));
                cairo_set_line_width(cr, 2.6);
                cairo_stroke(cr);
            }
        }
        // Antennae, waving with the step.
        for (int side = -1; side <= 1; side += 2) {
            double wave = std::sin(ph * 2 + side) * 2;
            cairo_move_to(cr, cx + 18, cy + side * 3);
            cairo_curve_to(cr, cx + 23, cy + side * 6, cx + 25, cy + side * (9 + wave), cx + 27,
                           cy + side * (12 + wave));
            SetColor(cr, Hex(0x2A1A14));
            cairo_set_line_width(cr, 1.8);
            cairo_stroke(cr);
        }
        Field head = Coverage(cell * 6, cell, [&](cairo_t* k) {
            cairo_arc(k, cx + 15, cy, 8, 0, 2 * M_PI);
            cairo_fill(k);
        });
        Field shell = Coverage(cell * 6, cell, [&](cairo_t* k) {
            cairo_save(k);
            cairo_translate(k, cx - 2, cy);
            cairo_scale(k, 17, 14);
            cairo_arc(k, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(k);
            cairo_fill(k);
        });
        PaintGlossy(cr, head, Hex(0x3A2A2A), 0.0);
        PaintGlossy(cr, shell, Hex(0xE8352E), 0.0);
        cairo_move_to(cr, cx + 12, cy);
        cairo_line_to(cr, cx - 19, cy);
        SetColor(cr, Hex(0x2A1414), 0.85);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
        const double spots[5][3] = {{-8, -6, 3.4}, {-8, 6, 3.4}, {2, -8, 3}, {2, 8, 3}, {-15, 0, 2.6}};
        for (const auto& s : spots) {
            cairo_arc(cr, cx + s[0], cy + s[1], s[2], 0, 2 * M_PI);
            SetColor(cr, Hex(0x2A1414), 0.9);
            cairo_fill(cr);
        }
        for (int side = -1; side <= 1; side += 2) {
            cairo_arc(cr, cx + 19, cy + side * 3.5, 1.8, 0, 2 * M_PI);
            SetColor(cr, Rgb{1, 1, 1});
            cairo_fill(cr);
        }
    }
    out.WritePng("Graphics/bug_right.png", sheet.surface, 6, 1);
}

void Butterflies(Output& out)
{
    static const uint32_t colors[4][2] = {
        {0xFF8A1E, 0xFFD060}, {0x3E8CF0, 0x9AE0FF}, {0xF05AA8, 0xFFC0E0}, {0xF0C820, 0xFFF4A0}};
    const int cell = 40;
    for (int k = 0; k < 4; ++k) {
        for (int dir = 0; dir < 2; ++dir) {
            Canvas sheet(cell * 6, cell);
            cairo_t* cr = sheet.cr;
            for (int f = 0; f < 6; ++f) {
                double open = 0.25 + 0.75 * std::fabs(std::cos(f * M_PI / 6));
                cairo_save(cr);
                cairo_translate(cr, f * cell + cell / 2.0, cell / 2.0);
                if (dir == 0)
                    cairo_scale(cr, -1, 1); // the left sheet faces left
                cairo_rotate(cr, 0.35);      // head a little up, toward the flight
                for (int side = -1; side <= 1; side += 2) {
                    cairo_save(cr);
                    cairo_scale(cr, 1, side * open);
                    auto wing = [&](double ax, double ay, double rx, double ry, double rot, const Rgb& c) {
                        cairo_save(cr);
                        cairo_translate(cr, ax, ay);
                        cairo_rotate(cr, rot);
                        cairo_scale(cr, rx, ry);
                        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
                        cairo_restore(cr);
                        cairo_pattern_t* g = cairo_pattern_create_radial(ax, ay, 0, ax, ay, std::max(rx, ry));
                        AddStop(g, 0, Lighten(c, 0.5));
                        AddStop(g, 0.7, c);
                        AddStop(g, 1, Darken(c, 0.45));
                        cairo_set_source(cr, g);
                        cairo_fill_preserve(cr);
                        cairo_pattern_destroy(g);
                        SetColor(cr, Hex(0x3A1A10), 0.8);
                        cairo_set_line_width(cr, 1.0);
                        cairo_stroke(cr);
                    };
                    wing(1.5, -9.5, 7.5, 10.5, 0.35, Hex(colors[k][0]));
                    wing(-6, -7, 5.5, 7, -0.4, Hex(colors[k][1]));
                    cairo_restore(cr);
                }
                cairo_save(cr);
                cairo_scale(cr, 11, 2.4);
                cairo_arc(cr, -0.1, 0, 1, 0, 2 * M_PI);
                cairo_restore(cr);
                SetColor(cr, Hex(0x2A1A14));
                cairo_fill(cr);
                cairo_move_to(cr, 9, -1);
                cairo_curve_to(cr, 12, -3, 14, -6, 15, -8);
                cairo_move_to(cr, 9, 1);
                cairo_curve_to(cr, 12, 3, 14, 6, 15, 8);
                cairo_set_line_width(cr, 1);
                cairo_stroke(cr);
                cairo_restore(cr);
            }
            char name[64];
            std::snprintf(name, sizeof name, "Graphics/butterfly_anim%d_%s.png", k + 1, dir ? "right" : "left");
            out.WritePng(name, sheet.surface, 6, 1);
        }
    }
}

void Digits(Output& out)
{
    const int cw = 30, h = 44;
    Canvas c(cw * 10, h);
    TextStyle s;
    s.face = Face::SansBold;
    s.size = 36;
    s.fillTop = Hex(0xFFFBE0);
    s.fillBottom = Hex(0xFFB81E);
    s.outline = Hex(0x5A2206);
    s.outlineWidth = 2.4;
    s.centreY = false;
    for (int d = 0; d < 10; ++d) {
        char t[2] = {char('0' + d), 0};
        DrawText(c.cr, t, d * cw + cw / 2.0, 36, s);
    }
    out.WritePng("Graphics/digits.png", c.surface);
}

void Bar(Output& out, const std::string& name, int w, int h, bool full)
{
    Canvas c(w, h);
    cairo_t* cr = c.cr;
    RoundedRect(cr, 1, 1, w - 2, h - 2, (h - 2) / 2.0);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h);
    if (full) {
        AddStop(g, 0, Hex(0xFFF2A0));
        AddStop(g, 0.45, Hex(0xFFB52A));
        AddStop(g, 1, Hex(0xE8641A));
    } else {
        AddStop(g, 0, Hex(0x1E0A04), 0.9);
        AddStop(g, 1, Hex(0x4A2214), 0.9);
    }
    FillStroke(cr, g, full ? Hex(0x8A3A0A) : Hex(0xC88A3A), 1.5, 0.9);
    if (full) {
        RoundedRect(cr, 4, 3, w - 8, h * 0.35, h * 0.18);
        SetColor(cr, Rgb{1, 1, 1}, 0.45);
        cairo_fill(cr);
    }
    out.WritePng(name, c.surface);
}

void ClockWarning(Output& out)
{
    const int w = 128, h = 58;
    Canvas c(w, h);
    Field ring = Coverage(w, h, [](cairo_t* cr) {
        RoundedRect(cr, 10, 10, 108, 38, 19);
        cairo_set_line_width(cr, 5);
        cairo_stroke(cr);
    });
    Field glow = ring;
    Blur(glow, 4);
    PaintField(c.cr, glow, Hex(0xFF3020), 1.0);
    PaintField(c.cr, ring, Hex(0xFF6A50), 0.95);
    RoundedRect(c.cr, 12, 12, 104, 34, 17);
    SetColor(c.cr, Hex(0xFF2A10), 0.22);
    cairo_fill(c.cr);
    out.WritePng("Graphics/round_time.png", c.surface);
}

} // namespace

void MakeSprites(Output& out)
{
    Particles(out);
    Bonuses(out);
    Effects(out);
    Bug(out);
    Butterflies(out);
    Digits(out);
    Bar(out, "Graphics/progress-empty.png", 104, 20, false);
    Bar(out, "Graphics/progress-full.png", 104, 20, true);
    Bar(out, "Graphics/loading_empty.png", 320, 30, false);
    Bar(out, "Graphics/loading_full.png", 320, 30, true);
    ClockWarning(out);
}

} // namespace Content
