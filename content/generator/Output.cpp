#include "Output.h"

#include <cstdio>
#include <filesystem>
#include <jpeglib.h>

namespace Content {

Output::Output(std::string gameDir) : dir(std::move(gameDir)) {}

Output::~Output()
{
    for (SheetEntry& e : entries)
        cairo_surface_destroy(e.surface);
}

bool Output::Prepare(const std::string& name)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(PathOf(name)).parent_path(), ec);
    if (ec) {
        std::fprintf(stderr, "content: cannot create the folder of %s\n", name.c_str());
        failed = true;
        return false;
    }
    return true;
}

void Output::Remember(const std::string& name, cairo_surface_t* s, int columns, int rows)
{
    entries.push_back(SheetEntry{name, cairo_surface_reference(s), columns, rows});
}

bool Output::WritePng(const std::string& name, cairo_surface_t* s, int columns, int rows)
{
    if (!Prepare(name))
        return false;
    cairo_surface_flush(s);
    if (cairo_surface_write_to_png(s, PathOf(name).c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "content: cannot write %s\n", name.c_str());
        failed = true;
        return false;
    }
    Remember(name, s, columns, rows);
    return true;
}

bool Output::WriteJpeg(const std::string& name, cairo_surface_t* s)
{
    if (!Prepare(name))
        return false;
    std::FILE* f = std::fopen(PathOf(name).c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "content: cannot write %s\n", name.c_str());
        failed = true;
        return false;
    }
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);

    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size_t(w) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint32_t* px = reinterpret_cast<const uint32_t*>(data + size_t(cinfo.next_scanline) * stride);
        for (int x = 0; x < w; ++x) {
            // Backgrounds are opaque; anything left transparent shows black.
            row[size_t(x) * 3 + 0] = (px[x] >> 16) & 0xFF;
            row[size_t(x) * 3 + 1] = (px[x] >> 8) & 0xFF;
            row[size_t(x) * 3 + 2] = px[x] & 0xFF;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bool ok = std::fclose(f) == 0;
    if (!ok)
        failed = true;
    Remember(name, s, 1, 1);
    return ok;
}

bool Output::WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes)
{
    if (!Prepare(name))
        return false;
    std::FILE* f = std::fopen(PathOf(name).c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0)
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "content: cannot write %s\n", name.c_str());
        failed = true;
    }
    return ok;
}

bool Output::WriteText(const std::string& name, const std::string& text)
{
    return WriteBytes(name, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace Content
