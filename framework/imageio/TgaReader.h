#pragma once
// The one TGA variant the game's art uses: uncompressed 32-bit pixels with a
// top-left origin and 8 alpha bits (descriptor 0x28), right after the 18-byte
// header. Its little-endian BGRA pixels are our ARGB values as they stand.
#include "framework/imageio/ImageLoader.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Quill::ImageLib {

// Null for any other variant, a short file or a size beyond the loader's limits.
std::unique_ptr<Image> DecodeTga(const uint8_t* data, size_t size);

} // namespace Quill::ImageLib
