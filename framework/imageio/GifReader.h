#pragma once
// Our own GIF reader: the first image of a GIF87a or GIF89a file, with its
// global or local colour table, interlacing and the transparent index of a
// graphic control block (that index becomes transparent black). Further
// frames and the image's left/top offsets are ignored; the result has the
// size of the first image descriptor.
#include "framework/imageio/ImageLoader.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Quill::ImageLib {

// Null when the bytes are not a GIF, hold no image, the image is empty or
// beyond the loader's limits, or its data are too few to fill it. Damaged picture data end the decode early: the
// pixels decoded so far are kept and the rest stay transparent black.
std::unique_ptr<Image> DecodeGif(const uint8_t* data, size_t size);

} // namespace Quill::ImageLib
