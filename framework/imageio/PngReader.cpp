#include "framework/imageio/PngReader.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace Quill::ImageLib {

namespace {

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

// What the decode produces lives here, outside the frame that holds the
// setjmp, so that a longjmp out of libpng never skips a destructor.
struct PngJob {
    PngSource source;
    std::unique_ptr<Image> image;
    std::vector<png_bytep> rows;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->size - source->pos) png_error(png, "unexpected end of data");
    std::memcpy(out, source->data + source->pos, length);
    source->pos += length;
}

void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// Allocates the image and points one row pointer at each of its rows; libpng
// writes its R, G, B, A bytes straight into our pixels.
bool PrepareRows(PngJob& job, png_uint_32 width, png_uint_32 height) {
    job.image = NewImage(width, height);
    if (!job.image) return false;
    job.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        job.rows[y] = reinterpret_cast<png_bytep>(job.image->bits.data() + static_cast<size_t>(y) * width);
    return true;
}

// Asks libpng for 8-bit R, G, B, A whatever the file holds.
void RequestRgba(png_structp png, png_infop info) {
    int colorType = png_get_color_type(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (hasTrns) png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !hasTrns) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// All of libpng's work, in the one function that holds the setjmp. Only plain
// pointers live in this frame. The file's end chunks are not read: once the
// rows are complete, a missing IEND costs nothing.
bool RunPng(PngJob& job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &job.source, ReadFromMemory);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_read_info(png, info);
    RequestRgba(png, info);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    bool ok = png_get_bit_depth(png, info) == 8 && png_get_channels(png, info) == 4 &&
              png_get_rowbytes(png, info) == static_cast<size_t>(width) * 4 && PrepareRows(job, width, height);
    if (ok) png_read_image(png, job.rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

} // namespace

std::unique_ptr<Image> DecodePng(const uint8_t* data, size_t size) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return nullptr;
    PngJob job{{data, size, 0}, nullptr, {}};
    if (!RunPng(job)) return nullptr;
    // R, G, B, A bytes in memory become ARGB values.
    for (uint32_t& pixel : job.image->bits) {
        uint8_t b[4];
        std::memcpy(b, &pixel, 4);
        pixel = uint32_t(b[3]) << 24 | uint32_t(b[0]) << 16 | uint32_t(b[1]) << 8 | b[2];
    }
    return std::move(job.image);
}

} // namespace Quill::ImageLib
