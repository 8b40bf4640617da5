#include "ContactSheet.h"

#include "Paint.h"

#include <algorithm>
#include <cstdio>

namespace Content {

namespace {

struct Tile {
    const SheetEntry* entry;
    int frame; // 0-based, -1 for the whole picture
};

const int TileW = 180, TileH = 150, ImageW = 170, ImageH = 122, Columns = 10;

void Checker(cairo_t* cr, double x, double y, double w, double h)
{
    for (int j = 0; j * 10 < h; ++j)
        for (int i = 0; i * 10 < w; ++i) {
            bool dark = (i + j) % 2;
            cairo_rectangle(cr, x + i * 10, y + j * 10, std::min(10.0, w - i * 10), std::min(10.0, h - j * 10));
            cairo_set_source_rgb(cr, dark ? 0.62 : 0.82, dark ? 0.62 : 0.82, dark ? 0.64 : 0.84);
            cairo_fill(cr);
        }
}

} // namespace

bool WriteContactSheet(const Output& out, const std::string& path)
{
    std::vector<Tile> tiles;
    for (const SheetEntry& e : out.Entries()) {
        int frames = e.columns * e.rows;
        if (frames <= 1)
            tiles.push_back({&e, -1});
        else
            for (int f = 0; f < frames; ++f)
                tiles.push_back({&e, f});
    }
    int rows = int((tiles.size() + Columns - 1) / Columns);
    Canvas c(Columns * TileW, std::max(1, rows) * TileH);
    cairo_t* cr = c.cr;
    cairo_set_source_rgb(cr, 0.2, 0.18, 0.2);
    cairo_paint(cr);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const Tile& t = tiles[i];
        double tx = double(i % Columns) * TileW + 5, ty = double(i / Columns) * TileH + 4;
        Checker(cr, tx, ty, ImageW, ImageH);
        int sw = cairo_image_surface_get_width(t.entry->surface);
        int sh = cairo_image_surface_get_height(t.entry->surface);
        double fw = double(sw) / t.entry->columns, fh = double(sh) / t.entry->rows;
        double fx = 0, fy = 0;
        if (t.frame >= 0) {
            fx = (t.frame % t.entry->columns) * fw;
            fy = double(t.frame / t.entry->columns) * fh;
        }
        double scale = std::min({ImageW / fw, ImageH / fh, 2.0});
        double dx = tx + (ImageW - fw * scale) / 2, dy = ty + (ImageH - fh * scale) / 2;
        cairo_save(cr);
        cairo_rectangle(cr, dx, dy, fw * scale, fh * scale);
        cairo_clip(cr);
        cairo_translate(cr, dx, dy);
        cairo_scale(cr, scale, scale);
        cairo_set_source_surface(cr, t.entry->surface, -fx, -fy);
        cairo_paint(cr);
        cairo_restore(cr);
        std::string label = t.entry->name;
        size_t slash = label.find('/');
        if (slash != std::string::npos && label.compare(0, slash, "Graphics") == 0)
            label = label.substr(slash + 1);
        if (t.frame >= 0)
            label += " [" + std::to_string(t.frame + 1) + "]";
        UseFace(cr, Face::Sans, 10.5);
        cairo_text_extents_t e;
        cairo_text_extents(cr, label.c_str(), &e);
        double fit = std::min(1.0, ImageW / std::max(1.0, e.x_advance));
        UseFace(cr, Face::Sans, 10.5 * fit);
        cairo_move_to(cr, tx, ty + ImageH + 15);
        cairo_set_source_rgb(cr, 0.95, 0.92, 0.85);
        cairo_show_text(cr, label.c_str());
    }
    cairo_surface_flush(c.surface);
    if (cairo_surface_write_to_png(c.surface, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "content: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace Content
