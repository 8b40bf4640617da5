#pragma once
// PNG decoding through libpng for the image loader. Every colour type and bit
// depth comes out as 8-bit ARGB: palettes and grey expanded, tRNS turned into
// alpha, an opaque alpha added where the file has none, 16-bit channels cut
// to their high byte, interlaced files put back together.
#include "framework/imageio/ImageLoader.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Quill::ImageLib {

// Null when the bytes are not a PNG, are damaged or describe a size beyond
// the loader's limits.
std::unique_ptr<Image> DecodePng(const uint8_t* data, size_t size);

} // namespace Quill::ImageLib
