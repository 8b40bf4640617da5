#include "Icons.h"

#include "Paint.h"
#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace Content {

namespace {

const int IconSizes[] = {16, 32, 48, 64, 128, 256};

int StarClass()
{
    const std::vector<ShapeClassArt>& table = ShapeClassTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].name == "star")
            return int(i);
    return 0;
}

cairo_surface_t* DrawIcon(int n)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, n, n);
    cairo_t* cr = cairo_create(s);
    // The tile fills the icon less a small margin, as desktop icons do.
    const double margin = std::max(1.0, n / 16.0);
    const double side = n - 2 * margin;
    RoundedRect(cr, margin, margin, side, side, side * 0.2);
    FillStroke(cr, VerticalGradient(margin, margin + side, Hex(0x2B4C9A), Hex(0x101A40)), Hex(0xE8B64A),
               std::max(1.0, n / 24.0));
    const int star = StarClass();
    Field body = ShapeCoverage(star, 0, n, n / 2.0, n / 2.0 + n * 0.02, side * 0.4);
    PaintGlossy(cr, body, Hex(ShapeClassTable()[size_t(star)].color), n >= 48 ? 0.45 : 0);
    cairo_destroy(cr);
    return s;
}

} // namespace

void MakeIcons(Output& out, const std::string& appId)
{
    for (int n : IconSizes) {
        cairo_surface_t* s = DrawIcon(n);
        const std::string size = std::to_string(n) + "x" + std::to_string(n);
        out.WritePng("hicolor/" + size + "/apps/" + appId + ".png", s);
        cairo_surface_destroy(s);
    }
}

} // namespace Content
