#include "framework/imageio/PngWriter.h"

#include "framework/platform/Files.h"

#include <png.h>

namespace Quill {

namespace {
void AppendBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}
void NoFlush(png_structp) {}
} // namespace

bool EncodePng(const uint32_t* argb, int width, int height, bool withAlpha, std::vector<uint8_t>& out) {
    out.clear();
    if (!argb || width <= 0 || height <= 0 || width > 65535 || height > 65535) return false;
    const size_t channels = withAlpha ? 4 : 3;
    // Everything libpng's longjmp may skip over is made before setjmp.
    std::vector<png_byte> row(static_cast<size_t>(width) * channels);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        out.clear();
        return false;
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const uint32_t* src = argb + static_cast<size_t>(y) * static_cast<size_t>(width);
        png_byte* dst = row.data();
        for (int x = 0; x < width; ++x) {
            uint32_t p = src[x];
            *dst++ = static_cast<png_byte>(p >> 16);
            *dst++ = static_cast<png_byte>(p >> 8);
            *dst++ = static_cast<png_byte>(p);
            if (withAlpha) *dst++ = static_cast<png_byte>(p >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool WritePng(const std::string& path, const uint32_t* argb, int width, int height, bool withAlpha) {
    std::vector<uint8_t> bytes;
    return EncodePng(argb, width, height, withAlpha, bytes) && WriteFileAtomic(path, bytes.data(), bytes.size());
}

} // namespace Quill
