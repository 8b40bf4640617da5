#include <initializer_list>
#pragma once
// Drawing helpers shared by every picture the content generator makes:
// colours, a seeded random source, surfaces, soft blurs for shadows and glows,
// rounded outlines and outlined text through the DejaVu faces. Everything is
// deterministic: the same calls give the same pixels on every build.
#include <cairo/cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Content {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

// 0xRRGGBB as a colour with channels 0..1.
Rgb Hex(uint32_t rgb);
Rgb Mix(const Rgb& a, const Rgb& b, double t);
Rgb Lighten(const Rgb& c, double t); // toward white
Rgb Darken(const Rgb& c, double t);  // toward black
void SetColor(cairo_t* cr, const Rgb& c, double alpha = 1.0);
void AddStop(cairo_pattern_t* p, double offset, const Rgb& c, double alpha = 1.0);
// One opaque stop of a gradient: its place (0..1) and colour as 0xRRGGBB.
struct HexStop {
    double offset;
    uint32_t hex;
};
// Makes a top-to-bottom gradient over `height` the source of the next paint or fill.
void SetVerticalGradient(cairo_t* cr, double height, std::initializer_list<HexStop> stops);

// A small linear congruential generator: fixed seeds give fixed art.
class Rng {
public:
    explicit Rng(uint32_t seed) : state(seed) {}
    uint32_t Next();
    double Uniform(); // [0, 1)
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
private:
    uint32_t state;
};

// An owned cairo surface (ARGB32, transparent) and its context.
struct Canvas {
    Canvas(int w, int h);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    int width, height;
    cairo_surface_t* surface;
    cairo_t* cr;
};

// A float field (coverage, light) the size of an image.
struct Field {
    Field(int w, int h) : width(w), height(h), v(size_t(w) * h, 0.0f) {}
    int width, height;
    std::vector<float> v;
    float At(int x, int y) const;
};

// Coverage (0..1) of whatever `draw` fills into a w x h surface.
Field Coverage(int w, int h, const std::function<void(cairo_t*)>& draw);
// Three box passes of the given radius: close to a Gaussian.
void Blur(Field& f, int radius);
// Paints `f` as a colour with per-pixel alpha = f * alpha at an offset.
void PaintField(cairo_t* cr, const Field& f, const Rgb& c, double alpha, double dx = 0, double dy = 0);
// A soft drop shadow for the outline that `draw` fills.
void DropShadow(cairo_t* cr, int w, int h, const std::function<void(cairo_t*)>& draw, double dx, double dy,
                int blur, double alpha, const Rgb& c = Rgb{0.16, 0.08, 0.04});

// A vertical two-colour gradient from y0 to y1.
cairo_pattern_t* VerticalGradient(double y0, double y1, const Rgb& top, const Rgb& bottom, double alpha = 1.0);
// Fills the current path with `fill` (which it releases) and strokes it.
void FillStroke(cairo_t* cr, cairo_pattern_t* fill, const Rgb& line, double width, double lineAlpha = 1.0);
// A soft round spot: `alpha` in the middle, `plateau` of it out to 70 %, fading to the edge.
void SoftSpot(cairo_t* cr, double x, double y, double r, const Rgb& c, double alpha, double plateau = 0.8);
// Paints a w x h picture computed pixel by pixel: `shade` gives the colour
// and alpha of a pixel, or false for a transparent one.
void PaintPixels(cairo_t* cr, int w, int h, const std::function<bool(int, int, Rgb&, double&)>& shade);

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A polygon whose corners are rounded with radius r (clamped to half an edge).
void RoundedPolygon(cairo_t* cr, const std::vector<std::pair<double, double>>& pts, double r);

enum class Face { Sans, SansBold, CondensedBold, SerifBold };
// Selects a DejaVu face (loaded once) at a pixel size.
void UseFace(cairo_t* cr, Face face, double size);
// Path-based text centred on (x, y) of its ink box (align 0) or starting at x
// (align -1) or ending at x (align 1); y is the baseline unless centreY.
struct TextStyle {
    Face face = Face::SansBold;
    double size = 20;
    Rgb fillTop{1, 1, 1}, fillBottom{1, 1, 1};
    Rgb outline{0.25, 0.12, 0.05};
    double outlineWidth = 0;
    double shadowAlpha = 0;
    int align = 0;
    bool centreY = true;
};
void DrawText(cairo_t* cr, const std::string& text, double x, double y, const TextStyle& style);
// Width of the text's ink box at the style's face and size.
double TextWidth(cairo_t* cr, const std::string& text, const TextStyle& style);

// Folder of the DejaVu fonts (set once from the command line or the default).
void SetFontFolder(const std::string& folder);
void ReleaseFonts();

} // namespace Content
