#include "Paint.h"

#include <cairo/cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace Content {

Rgb Hex(uint32_t rgb)
{
    return Rgb{((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

Rgb Mix(const Rgb& a, const Rgb& b, double t)
{
    return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Lighten(const Rgb& c, double t) { return Mix(c, Rgb{1, 1, 1}, t); }
Rgb Darken(const Rgb& c, double t) { return Mix(c, Rgb{0, 0, 0}, t); }

void SetColor(cairo_t* cr, const Rgb& c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void AddStop(cairo_pattern_t* p, double offset, const Rgb& c, double alpha)
{
    cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

void SetVerticalGradient(cairo_t* cr, double height, std::initializer_list<HexStop> stops)
{
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, height);
    for (const HexStop& s : stops)
        AddStop(g, s.offset, Hex(s.hex));
    cairo_set_source(cr, g); // the context keeps its own reference
    cairo_pattern_destroy(g);
}

uint32_t Rng::Next()
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

double Rng::Uniform() { return Next() / double(1u << 24); }

Canvas::Canvas(int w, int h) : width(w), height(h)
{
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cr = cairo_create(surface);
}

Canvas::~Canvas()
{
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

float Field::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0.0f;
    return v[size_t(y) * width + x];
}

Field Coverage(int w, int h, const std::function<void(cairo_t*)>& draw)
{
    Canvas c(w, h);
    cairo_set_source_rgba(c.cr, 1, 1, 1, 1);
    draw(c.cr);
    cairo_surface_flush(c.surface);
    Field f(w, h);
    const unsigned char* data = cairo_image_surface_get_data(c.surface);
    int stride = cairo_image_surface_get_stride(c.surface);
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < w; ++x)
            f.v[size_t(y) * w + x] = (row[x] >> 24) / 255.0f;
    }
    return f;
}

static void BoxPass(std::vector<float>& v, int w, int h, int r, bool horizontal)
{
    std::vector<float> out(v.size());
    int n = horizontal ? w : h, lines = horizontal ? h : w;
    float scale = 1.0f / float(2 * r + 1);
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> float {
            if (i < 0 || i >= n)
                return 0.0f;
            return horizontal ? v[size_t(l) * w + i] : v[size_t(i) * w + l];
        };
        float sum = 0;
        for (int i = -r; i <= r; ++i)
            sum += at(i);
        for (int i = 0; i < n; ++i) {
            float& o = horizontal ? out[size_t(l) * w + i] : out[size_t(i) * w + l];
            o = sum * scale;
            sum += at(i + r + 1) - at(i - r);
        }
    }
    v.swap(out);
}

void Blur(Field& f, int radius)
{
    if (radius <= 0)
        return;
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(f.v, f.width, f.height, radius, true);
        BoxPass(f.v, f.width, f.height, radius, false);
    }
}

void PaintField(cairo_t* cr, const Field& f, const Rgb& c, double alpha, double dx, double dy)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, f.width, f.height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < f.height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < f.width; ++x) {
            double a = std::clamp(double(f.v[size_t(y) * f.width + x]) * alpha, 0.0, 1.0);
            uint32_t A = uint32_t(std::lround(a * 255));
            uint32_t R = uint32_t(std::lround(c.r * A)), G = uint32_t(std::lround(c.g * A)),
                     B = uint32_t(std::lround(c.b * A));
            row[x] = (A << 24) | (R << 16) | (G << 8) | B;
        }
    }
    cairo_surface_mark_dirty(s);
    cairo_save(cr);
    cairo_set_source_surface(cr, s, dx, dy);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(s);
}

void DropShadow(cairo_t* cr, int w, int h, const std::function<void(cairo_t*)>& draw, double dx, double dy,
                int blur, double alpha, const Rgb& c)
{
    Field f = Coverage(w, h, draw);
    Blur(f, blur);
    PaintField(cr, f, c, alpha, dx, dy);
}

cairo_pattern_t* VerticalGradient(double y0, double y1, const Rgb& top, const Rgb& bottom, double alpha)
{
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y0, 0, y1);
    AddStop(g, 0, top, alpha);
    AddStop(g, 1, bottom, alpha);
    return g;
}

void FillStroke(cairo_t* cr, cairo_pattern_t* fill, const Rgb& line, double width, double lineAlpha)
{
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    SetColor(cr, line, lineAlpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void SoftSpot(cairo_t* cr, double x, double y, double r, const Rgb& c, double alpha, double plateau)
{
    cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, r);
    AddStop(p, 0, c, alpha);
    AddStop(p, 0.7, c, alpha * plateau);
    AddStop(p, 1, c, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void PaintPixels(cairo_t* cr, int w, int h, const std::function<bool(int, int, Rgb&, double&)>& shade)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < w; ++x) {
            Rgb c;
            double a = 0;
            if (!shade(x, y, c, a) || a <= 0) {
                row[x] = 0;
                continue;
            }
            uint32_t A = uint32_t(std::lround(std::clamp(a, 0.0, 1.0) * 255));
            auto ch = [&](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * A)); };
            row[x] = (A << 24) | (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b);
        }
    }
    cairo_surface_mark_dirty(s);
    cairo_save(cr);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(s);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    r = std::min(r, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void RoundedPolygon(cairo_t* cr, const std::vector<std::pair<double, double>>& pts, double r)
{
    size_t n = pts.size();
    if (n < 3)
        return;
    cairo_new_sub_path(cr);
    for (size_t i = 0; i < n; ++i) {
        auto [px, py] = pts[(i + n - 1) % n];
        auto [cx, cy] = pts[i];
        auto [nx, ny] = pts[(i + 1) % n];
        double l1 = std::hypot(px - cx, py - cy), l2 = std::hypot(nx - cx, ny - cy);
        double rr = std::min({r, l1 / 2, l2 / 2});
        double ax = cx + (px - cx) / l1 * rr, ay = cy + (py - cy) / l1 * rr;
        double bx = cx + (nx - cx) / l2 * rr, by = cy + (ny - cy) / l2 * rr;
        if (i == 0)
            cairo_move_to(cr, ax, ay);
        else
            cairo_line_to(cr, ax, ay);
        // A cubic through the corner's control point approximates the round.
        cairo_curve_to(cr, ax + (cx - ax) * 0.55, ay + (cy - ay) * 0.55, bx + (cx - bx) * 0.55,
                       by + (cy - by) * 0.55, bx, by);
    }
    cairo_close_path(cr);
}

namespace {

struct FontStore {
    std::string folder = "/usr/share/fonts/truetype/dejavu";
    FT_Library library = nullptr;
    std::map<Face, std::pair<FT_Face, cairo_font_face_t*>> faces;
};

FontStore& Fonts()
{
    static FontStore store;
    return store;
}

const char* FaceFile(Face f)
{
    switch (f) {
    case Face::Sans: return "DejaVuSans.ttf";
    case Face::SansBold: return "DejaVuSans-Bold.ttf";
    case Face::CondensedBold: return "DejaVuSansCondensed-Bold.ttf";
    case Face::SerifBold: return "DejaVuSerif-Bold.ttf";
    }
    return "DejaVuSans.ttf";
}

} // namespace

void SetFontFolder(const std::string& folder) { Fonts().folder = folder; }

void UseFace(cairo_t* cr, Face face, double size)
{
    FontStore& s = Fonts();
    auto it = s.faces.find(face);
    if (it == s.faces.end()) {
        if (!s.library && FT_Init_FreeType(&s.library) != 0) {
            std::fprintf(stderr, "content: FreeType does not start\n");
            return;
        }
        std::string path = s.folder + "/" + FaceFile(face);
        FT_Face ft = nullptr;
        if (FT_New_Face(s.library, path.c_str(), 0, &ft) != 0) {
            std::fprintf(stderr, "content: cannot load font %s\n", path.c_str());
            return;
        }
        cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(ft, 0);
        it = s.faces.emplace(face, std::make_pair(ft, cf)).first;
    }
    cairo_set_font_face(cr, it->second.second);
    cairo_set_font_size(cr, size);
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, o);
    cairo_font_options_destroy(o);
}

void ReleaseFonts()
{
    FontStore& s = Fonts();
    for (auto& [face, pair] : s.faces) {
        cairo_font_face_destroy(pair.second);
        FT_Done_Face(pair.first);
    }
    s.faces.clear();
    if (s.library)
        FT_Done_FreeType(s.library);
    s.library = nullptr;
}

double TextWidth(cairo_t* cr, const std::string& text, const TextStyle& style)
{
    UseFace(cr, style.face, style.size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.width + style.outlineWidth;
}

void DrawText(cairo_t* cr, const std::string& text, double x, double y, const TextStyle& style)
{
    cairo_save(cr);
    UseFace(cr, style.face, style.size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    double ox = style.align == 0 ? x - e.x_bearing - e.width / 2 : style.align < 0 ? x - e.x_bearing
                                                                                     : x - e.x_bearing - e.width;
    double oy = style.centreY ? y - e.y_bearing - e.height / 2 : y;
    double top = oy + e.y_bearing, bottom = top + e.height;
    if (style.shadowAlpha > 0) {
        cairo_move_to(cr, ox + style.size * 0.05, oy + style.size * 0.07);
        cairo_text_path(cr, text.c_str());
        cairo_set_line_width(cr, style.outlineWidth * 2 + 1);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_source_rgba(cr, 0.1, 0.04, 0.02, style.shadowAlpha);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
    }
    cairo_move_to(cr, ox, oy);
    cairo_text_path(cr, text.c_str());
    if (style.outlineWidth > 0) {
        cairo_set_line_width(cr, style.outlineWidth * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        SetColor(cr, style.outline);
        cairo_stroke_preserve(cr);
    }
    cairo_pattern_t* g = cairo_pattern_create_linear(0, top, 0, bottom);
    AddStop(g, 0, style.fillTop);
    AddStop(g, 1, style.fillBottom);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
}

} // namespace Content
