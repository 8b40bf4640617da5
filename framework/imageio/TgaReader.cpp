#include "framework/imageio/TgaReader.h"

namespace Quill::ImageLib {

namespace {

constexpr size_t kHeaderSize = 18;
constexpr uint8_t kUncompressedTrueColor = 2;
constexpr uint8_t kTopLeftEightAlphaBits = 0x28;

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

} // namespace

std::unique_ptr<Image> DecodeTga(const uint8_t* data, size_t size) {
    if (size < kHeaderSize) return nullptr;
    uint8_t idLength = data[0];
    uint8_t colorMapType = data[1];
    uint8_t imageType = data[2];
    uint32_t colorMapLength = Le16(data + 5);
    uint8_t colorMapDepth = data[7];
    uint32_t width = Le16(data + 12);
    uint32_t height = Le16(data + 14);
    uint8_t bitsPerPixel = data[16];
    uint8_t descriptor = data[17];
    // Compressed pixels read as raw ones would be garbage, so only the plain
    // variant is taken. An id field or a colour map before the pixels is
    // stepped over rather than read as pixels.
    if (imageType != kUncompressedTrueColor || bitsPerPixel != 32 || descriptor != kTopLeftEightAlphaBits)
        return nullptr;
    size_t offset = kHeaderSize + idLength;
    if (colorMapType != 0) offset += (colorMapLength * colorMapDepth + 7) / 8;
    if (!ImageSizeAllowed(width, height)) return nullptr;
    size_t count = static_cast<size_t>(width) * height;
    if (offset > size || (size - offset) / 4 < count) return nullptr;
    std::unique_ptr<Image> image = NewImage(width, height);
    if (!image) return nullptr;
    const uint8_t* in = data + offset;
    // Little-endian B, G, R, A bytes are our ARGB values.
    for (size_t i = 0; i < count; ++i, in += 4)
        image->bits[i] = uint32_t(in[3]) << 24 | uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
    return image;
}

} // namespace Quill::ImageLib
