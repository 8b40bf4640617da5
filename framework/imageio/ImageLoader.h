#pragma once
// framework/imageio/: reading image files (PNG, JPEG, GIF, TGA) into images,
// and writing PNG. It may use base/, platform/ (files) and graphics/ (the
// image type), nothing else.
//
// Image files: PNG (libpng), JPEG (libjpeg), GIF and 32-bit TGA (our own
// readers). A name without extension tries .tga, .jpg, .png and .gif in that
// order; an alpha companion ("_" + name in the same folder, or name + "_")
// supplies the alpha channel from its blue byte. Malformed files give none.
//
// Every reader decodes from bytes in memory, refuses sizes beyond the limits
// below before it allocates anything, and never reads past the data it was
// given, so a broken or hostile file costs a null result and nothing else.
#include "framework/graphics/Image.h"

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

// No side of a loaded image may be longer, and no image may have more pixels
// (16 MB of them). No picture of ours is larger than the 800 x 600 screen, so
// this leaves room to spare; anything beyond is a broken or hostile header,
// refused before memory is spent on it.
constexpr int64_t kMaxImageSide = 4096;
constexpr int64_t kMaxImagePixels = int64_t(1) << 22;
// Image files larger than this are not read at all: an uncompressed picture
// of the largest size above, and a margin.
constexpr size_t kMaxImageFileBytes = size_t(24) << 20;

// Whether a reader may make an image of this size: both sides at least 1 and
// the size within the limits above.
bool ImageSizeAllowed(int64_t width, int64_t height);
// A width x height image of transparent black pixels, or null when the size is
// not allowed.
std::unique_ptr<Image> NewImage(int64_t width, int64_t height);

std::unique_ptr<Image> LoadImageFile(const std::string& fileName, bool withAlphaImage);

} // namespace ImageLib

// LoadImageFile with alpha lookup, copied into a new display image.
std::unique_ptr<DDImage> GetImage(const std::string& fileName, DDInterface* display = nullptr);

} // namespace Quill
