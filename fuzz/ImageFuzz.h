#pragma once
// The image harnesses' one body: the input is written as an image file of the
// given extension and loaded through the game's image loader, alpha
// companion lookup included. A loaded image must hold exactly its pixels and
// lie within the loader's limits.
#include "fuzz/FuzzSupport.h"

#include "framework/imageio/ImageLoader.h"

namespace fuzz {

inline std::unique_ptr<Quill::ImageLib::Image> LoadImageInput(const uint8_t* data, size_t size,
                                                              const std::string& extension) {
    Init();
    const std::string name = "Graphics\\fuzz" + extension;
    WriteFile(name, data, size);
    std::unique_ptr<Quill::ImageLib::Image> image = Quill::ImageLib::LoadImageFile(name, true);
    if (image) {
        Check(Quill::ImageLib::ImageSizeAllowed(image->width, image->height), "image within the limits");
        Check(image->bits.size() == size_t(image->width) * size_t(image->height), "pixels match the size");
    }
    return image;
}

} // namespace fuzz
