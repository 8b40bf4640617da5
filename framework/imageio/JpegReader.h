#pragma once
// JPEG decoding through libjpeg for the image loader: colour and grey,
// baseline and progressive, always opaque. libjpeg's fatal errors come back
// here instead of ending the program, and its warnings are kept quiet.
#include "framework/imageio/ImageLoader.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Quill::ImageLib {

// Null when the bytes are not a JPEG libjpeg can decode or describe a size
// beyond the loader's limits. Data that end early still give an image: libjpeg
// fills the missing part, as viewers do.
std::unique_ptr<Image> DecodeJpeg(const uint8_t* data, size_t size);

} // namespace Quill::ImageLib
