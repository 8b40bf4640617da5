#pragma once
// Image files: PNG (libpng), JPEG (libjpeg), GIF and 32-bit TGA (our own
// readers). A name without extension tries .tga, .jpg, .png and .gif in that
// order; an alpha companion ("_" + name in the same folder, or name + "_")
// supplies the alpha channel from its blue byte. Malformed files give none.
#include "framework/Image.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Quill {

class DDInterface;

namespace ImageLib {

// A plain pixel image: width x height ARGB values, rows from the top.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> bits;
};

std::unique_ptr<Image> LoadImageFile(const std::string& fileName, bool withAlphaImage);

} // namespace ImageLib

// LoadImageFile with alpha lookup, copied into a new display image.
std::unique_ptr<DDImage> GetImage(const std::string& fileName, DDInterface* display = nullptr);

} // namespace Quill
