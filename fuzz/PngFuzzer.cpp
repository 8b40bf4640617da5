// PNG files through the image loader; a PNG that loads is written again with
// our PNG writer and must read back pixel for pixel.
#include "fuzz/ImageFuzz.h"

#include "framework/imageio/PngWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<Quill::ImageLib::Image> image = fuzz::LoadImageInput(data, size, ".png");
    if (!image) return 0;
    const std::string again = fuzz::Folder() + "/again.png";
    fuzz::Check(Quill::WritePng(again, image->bits.data(), image->width, image->height, true), "PNG written");
    std::unique_ptr<Quill::ImageLib::Image> back = Quill::ImageLib::LoadImageFile(again, false);
    fuzz::Check(back && back->width == image->width && back->height == image->height && back->bits == image->bits,
                "PNG reads back as written");
    return 0;
}
