// GIF files through the image loader.
#include "fuzz/ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::LoadImageInput(data, size, ".gif");
    return 0;
}
