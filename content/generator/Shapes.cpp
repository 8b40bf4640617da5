#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace Content {

namespace {

using Points = std::vector<std::pair<double, double>>;

void Circle(cairo_t* cr, double x, double y, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
}

void Poly(cairo_t* cr, const Points& p, double r)
{
    RoundedPolygon(cr, p, r);
    cairo_fill(cr);
}

Points Star(int n, double outer, double inner)
{
    Points p;
    for (int i = 0; i < 2 * n; ++i) {
        double a = -M_PI / 2 + i * M_PI / n;
        double r = (i % 2) ? inner : outer;
        p.push_back({std::cos(a) * r, std::sin(a) * r});
    }
    return p;
}

// Each outline fills its parts one by one, so overlapping parts always join.
void Heart(cairo_t* cr, int)
{
    cairo_move_to(cr, 0, 0.95);
    cairo_curve_to(cr, -0.35, 0.65, -1.0, 0.25, -0.95, -0.3);
    cairo_curve_to(cr, -0.9, -0.88, -0.2, -0.98, 0, -0.45);
    cairo_curve_to(cr, 0.2, -0.98, 0.9, -0.88, 0.95, -0.3);
    cairo_curve_to(cr, 1.0, 0.25, 0.35, 0.65, 0, 0.95);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Drop(cairo_t* cr, int)
{
    cairo_move_to(cr, 0, -1);
    cairo_curve_to(cr, 0.3, -0.55, 0.75, -0.1, 0.75, 0.3);
    cairo_curve_to(cr, 0.75, 0.72, 0.42, 0.98, 0, 0.98);
    cairo_curve_to(cr, -0.42, 0.98, -0.75, 0.72, -0.75, 0.3);
    cairo_curve_to(cr, -0.75, -0.1, -0.3, -0.55, 0, -1);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void StarShape(cairo_t* cr, int v)
{
    static const int points[3] = {5, 4, 6};
    static const double inner[3] = {0.47, 0.42, 0.56};
    Poly(cr, Star(points[v], 1.0, inner[v]), 0.09);
}

void Moon(cairo_t* cr, int)
{
    const double ra = 0.95, rb = 0.8, d = 0.5;
    double xi = (d * d + ra * ra - rb * rb) / (2 * d), yi = std::sqrt(ra * ra - xi * xi);
    double t1 = std::atan2(yi, xi);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, ra, t1, 2 * M_PI - t1);
    cairo_arc_negative(cr, d, 0, rb, std::atan2(-yi, xi - d), std::atan2(yi, xi - d));
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Leaf(cairo_t* cr, int)
{
    cairo_move_to(cr, 0, -1);
    cairo_curve_to(cr, 0.72, -0.5, 0.72, 0.4, 0, 0.8);
    cairo_curve_to(cr, -0.72, 0.4, -0.72, -0.5, 0, -1);
    cairo_close_path(cr);
    cairo_fill(cr);
    RoundedRect(cr, -0.07, 0.55, 0.14, 0.45, 0.07);
    cairo_fill(cr);
}

void Triangle(cairo_t* cr, int) { Poly(cr, {{0, -0.95}, {0.95, 0.78}, {-0.95, 0.78}}, 0.2); }

void Fish(cairo_t* cr, int)
{
    cairo_move_to(cr, 0.98, 0.0);
    cairo_curve_to(cr, 0.6, -0.62, -0.2, -0.66, -0.52, -0.1);
    cairo_line_to(cr, -0.98, -0.55);
    cairo_curve_to(cr, -0.82, -0.15, -0.82, 0.15, -0.98, 0.55);
    cairo_line_to(cr, -0.52, 0.1);
    cairo_curve_to(cr, -0.2, 0.66, 0.6, 0.62, 0.98, 0.0);
    cairo_close_path(cr);
    cairo_fill(cr);
    // The dorsal fin makes "up" and "down" readable when the fish is turned.
    Poly(cr, {{-0.1, -0.45}, {0.15, -0.85}, {0.4, -0.45}}, 0.08);
}

void Bolt(cairo_t* cr, int)
{
    Poly(cr,
         {{-0.1, -1.0}, {0.6, -1.0}, {0.18, -0.22}, {0.65, -0.22}, {-0.38, 1.0}, {-0.08, 0.12}, {-0.6, 0.12}},
         0.06);
}

void Flower(cairo_t* cr, int v)
{
    static const int petals[3] = {5, 4, 6};
    static const double pr[3] = {0.4, 0.46, 0.35};
    int n = petals[v];
    Circle(cr, 0, 0, 0.45);
    for (int i = 0; i < n; ++i) {
        double a = -M_PI / 2 + i * 2 * M_PI / n;
        Circle(cr, std::cos(a) * 0.56, std::sin(a) * 0.56, pr[v]);
    }
}

void Mushroom(cairo_t* cr, int)
{
    cairo_move_to(cr, -1, 0.08);
    cairo_curve_to(cr, -1, -0.65, -0.5, -0.95, 0, -0.95);
    cairo_curve_to(cr, 0.5, -0.95, 1, -0.65, 1, 0.08);
    cairo_curve_to(cr, 0.6, 0.22, -0.6, 0.22, -1, 0.08);
    cairo_close_path(cr);
    cairo_fill(cr);
    RoundedRect(cr, -0.3, 0.0, 0.6, 0.95, 0.2);
    cairo_fill(cr);
}

void Bell(cairo_t* cr, int)
{
    cairo_move_to(cr, -0.15, -0.75);
    cairo_line_to(cr, 0.15, -0.75);
    cairo_curve_to(cr, 0.6, -0.7, 0.6, -0.1, 0.65, 0.35);
    cairo_curve_to(cr, 0.7, 0.55, 0.95, 0.58, 0.95, 0.7);
    cairo_line_to(cr, -0.95, 0.7);
    cairo_curve_to(cr, -0.95, 0.58, -0.7, 0.55, -0.65, 0.35);
    cairo_curve_to(cr, -0.6, -0.1, -0.6, -0.7, -0.15, -0.75);
    cairo_close_path(cr);
    cairo_fill(cr);
    Circle(cr, 0, 0.8, 0.2);
    Circle(cr, 0, -0.8, 0.16);
}

void Arrow(cairo_t* cr, int)
{
    Poly(cr, {{0, -1}, {0.85, -0.12}, {0.3, -0.12}, {0.3, 0.95}, {-0.3, 0.95}, {-0.3, -0.12}, {-0.85, -0.12}},
         0.08);
}

void House(cairo_t* cr, int)
{
    Poly(cr,
         {{0, -0.95},
          {0.92, -0.12},
          {0.92, 0.9},
          {0.26, 0.9},
          {0.26, 0.32},
          {-0.26, 0.32},
          {-0.26, 0.9},
          {-0.92, 0.9},
          {-0.92, -0.12}},
         0.07);
}

void Ell(cairo_t* cr, int)
{
    Poly(cr, {{-0.65, -0.95}, {-0.1, -0.95}, {-0.1, 0.4}, {0.8, 0.4}, {0.8, 0.95}, {-0.65, 0.95}}, 0.12);
}

void Tee(cairo_t* cr, int)
{
    Poly(cr,
         {{-0.95, -0.8},
          {0.95, -0.8},
          {0.95, -0.22},
          {0.29, -0.22},
          {0.29, 0.9},
          {-0.29, 0.9},
          {-0.29, -0.22},
          {-0.95, -0.22}},
         0.12);
}

void Cloud(cairo_t* cr, int)
{
    Circle(cr, -0.48, 0.15, 0.42);
    Circle(cr, 0.02, -0.2, 0.56);
    Circle(cr, 0.52, 0.12, 0.42);
    RoundedRect(cr, -0.92, 0.0, 1.86, 0.62, 0.3);
    cairo_fill(cr);
}

void Note(cairo_t* cr, int)
{
    cairo_save(cr);
    cairo_translate(cr, -0.3, 0.62);
    cairo_rotate(cr, -0.4);
    cairo_scale(cr, 0.46, 0.32);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    RoundedRect(cr, 0.02, -0.95, 0.15, 1.55, 0.05);
    cairo_fill(cr);
    cairo_move_to(cr, 0.1, -0.95);
    cairo_curve_to(cr, 0.2, -0.55, 0.85, -0.5, 0.62, 0.15);
    cairo_curve_to(cr, 0.62, -0.25, 0.4, -0.42, 0.12, -0.45);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Gem(cairo_t* cr, int) { Poly(cr, {{-0.5, -0.78}, {0.5, -0.78}, {0.95, -0.25}, {0, 0.98}, {-0.95, -0.25}}, 0.08); }

struct ClassDef {
    ShapeClassArt art;
    void (*draw)(cairo_t*, int);
    double angle[3];  // degrees
    bool mirror[3];
};

const std::vector<ClassDef>& Defs()
{
    static const std::vector<ClassDef> defs = {
        {{"heart", 0xE8363F}, Heart, {0, 90, 180}, {false, false, false}},
        {{"drop", 0x2D82E6}, Drop, {0, 90, 180}, {false, false, false}},
        {{"star", 0xFFAE1A}, StarShape, {0, 0, 0}, {false, false, false}},
        {{"moon", 0xA98BF2}, Moon, {-20, 160, 90}, {false, false, false}},
        {{"leaf", 0x3EB64B}, Leaf, {40, -40, 180}, {false, false, false}},
        {{"triangle", 0xF67A22}, Triangle, {0, 90, 180}, {false, false, false}},
        {{"fish", 0x15B3AA}, Fish, {0, 0, -90}, {false, true, false}},
        {{"bolt", 0xFFDD33}, Bolt, {0, 0, 90}, {false, true, false}},
        {{"flower", 0xFF6FB7}, Flower, {0, 0, 0}, {false, false, false}},
        {{"mushroom", 0xB0673A}, Mushroom, {0, 90, 180}, {false, false, false}},
        {{"bell", 0x8D5AD8}, Bell, {0, 90, 180}, {false, false, false}},
        {{"arrow", 0x4152CC}, Arrow, {0, 90, 180}, {false, false, false}},
        {{"house", 0xFF7D68}, House, {0, 90, 180}, {false, false, false}},
        {{"ell", 0x9AD236}, Ell, {0, 90, 180}, {false, false, false}},
        {{"tee", 0xB23FBA}, Tee, {0, 90, 180}, {false, false, false}},
        {{"cloud", 0x6CC9F6}, Cloud, {0, 90, 180}, {false, false, false}},
        {{"note", 0xDE3290}, Note, {0, 0, 180}, {false, true, false}},
        {{"gem", 0x1FA37A}, Gem, {0, 180, 90}, {false, false, false}},
    };
    return defs;
}

} // namespace

const std::vector<ShapeClassArt>& ShapeClassTable()
{
    static const std::vector<ShapeClassArt> table = [] {
        std::vector<ShapeClassArt> t;
        for (const ClassDef& d : Defs())
            t.push_back(d.art);
        return t;
    }();
    return table;
}

Field ShapeCoverage(int index, int variant, int size, double cx, double cy, double radius)
{
    const ClassDef& d = Defs()[size_t(index)];
    return Coverage(size, size, [&](cairo_t* cr) {
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, radius, radius);
        cairo_rotate(cr, d.angle[variant] * M_PI / 180);
        if (d.mirror[variant])
            cairo_scale(cr, -1, 1);
        d.draw(cr, variant);
    });
}

void PaintGlossy(cairo_t* cr, const Field& a, const Rgb& color, double shadowAlpha)
{
    int w = a.width, h = a.height;
    if (shadowAlpha > 0) {
        Field s = a;
        Blur(s, std::max(1, w / 40));
        PaintField(cr, s, Rgb{0.18, 0.08, 0.03}, shadowAlpha, w / 32.0, w / 22.0);
    }
    Field depth = a;
    int br = std::max(2, w / 20);
    Blur(depth, br);
    // Bounding box of the body: the light and the highlight follow it.
    int x0 = w, y0 = h, x1 = 0, y1 = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (a.At(x, y) > 0.5f) {
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < x0)
        return;
    double bw = x1 - x0 + 1, bh = y1 - y0 + 1;
    const double lx = -0.45, ly = -0.6, lz = 0.66; // light from the top left
    double hx = lx, hy = ly, hz = lz + 1, hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    hx /= hl, hy /= hl, hz /= hl;
    double slope = 0.9 * br;
    PaintPixels(cr, w, h, [&](int x, int y, Rgb& out, double& alpha) {
        alpha = a.At(x, y);
        if (alpha <= 0)
            return false;
        double nx = -(depth.At(x + 1, y) - depth.At(x - 1, y)) * slope;
        double ny = -(depth.At(x, y + 1) - depth.At(x, y - 1)) * slope;
        double nl = std::sqrt(nx * nx + ny * ny + 1);
        nx /= nl, ny /= nl;
        double nz = 1 / nl;
        double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
        double spec = std::pow(std::max(0.0, nx * hx + ny * hy + nz * hz), 30) * 0.55;
        double ty = (y - y0) / bh;
        Rgb c = ty < 0.5 ? Lighten(color, 0.22 * (0.5 - ty) * 2) : Darken(color, 0.18 * (ty - 0.5) * 2);
        double shade = 0.5 + 0.75 * diffuse;
        c = Rgb{c.r * shade, c.g * shade, c.b * shade};
        // A soft glossy band across the upper part of the body.
        double gx = (x - (x0 + bw * 0.42)) / (bw * 0.36), gy = (y - (y0 + bh * 0.27)) / (bh * 0.2);
        double gloss = std::max(0.0, 1 - (gx * gx + gy * gy));
        gloss = gloss * gloss * 0.5 * std::min(1.0, double(depth.At(x, y)) * 1.4);
        out = Mix(c, Rgb{1, 1, 1}, std::min(1.0, gloss + spec));
        return true;
    });
}

void PaintMask(cairo_t* cr, const Field& a, const Rgb& color)
{
    int w = a.width, h = a.height;
    Field depth = a;
    Blur(depth, std::max(1, w / 32));
    Rgb dark = Mix(Rgb{0.13, 0.07, 0.16}, Darken(color, 0.55), 0.35);
    Rgb rimColor{1.0, 0.95, 0.84};
    PaintPixels(cr, w, h, [&](int x, int y, Rgb& out, double& alpha) {
        double al = a.At(x, y);
        if (al <= 0)
            return false;
        // A light rim just inside the outline keeps dark silhouettes
        // readable on dark backgrounds.
        double rim = std::clamp((0.8 - depth.At(x, y)) / 0.35, 0.0, 1.0);
        out = Mix(dark, rimColor, 0.6 * rim);
        alpha = al * 0.7;
        return true;
    });
}

void MakeShapes(Output& out)
{
    const int n = ShapeImageSize;
    for (size_t i = 0; i < Defs().size(); ++i) {
        const ClassDef& d = Defs()[i];
        for (int v = 0; v < ShapesPerClass; ++v) {
            Field a = ShapeCoverage(int(i), v, n, n / 2.0 - 1, n / 2.0 - 1.5, n * 0.41);
            std::string base = "Graphics/Shapes/" + d.art.name + "_" + std::to_string(v + 1);
            Canvas main(n, n);
            PaintGlossy(main.cr, a, Hex(d.art.color), 0.45);
            out.WritePng(base + ".png", main.surface);
            Canvas mask(n, n);
            PaintMask(mask.cr, a, Hex(d.art.color));
            out.WritePng(base + "_mask.png", mask.surface);
        }
    }
}

} // namespace Content
