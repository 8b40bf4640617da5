#include "framework/imageio/ImageLoader.h"

#include "framework/imageio/GifReader.h"
#include "framework/imageio/JpegReader.h"
#include "framework/imageio/PngReader.h"
#include "framework/imageio/TgaReader.h"
#include "framework/platform/Files.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace Quill {

namespace ImageLib {

namespace {

using Decoder = std::unique_ptr<Image> (*)(const uint8_t* data, size_t size);

struct Format {
    const char* extension;
    Decoder decode;
};

// The order in which a name without extension is tried.
const Format kFormats[] = {
    {".tga", DecodeTga},
    {".jpg", DecodeJpeg},
    {".png", DecodePng},
    {".gif", DecodeGif},
};

bool EqualsIgnoreCase(const std::string& a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The extension is the part from the last dot, when that dot comes after the
// last slash or backslash; otherwise it is empty.
size_t ExtensionStart(const std::string& fileName) {
    size_t dot = fileName.find_last_of('.');
    size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return fileName.size();
    return dot;
}

std::unique_ptr<Image> DecodeFile(const std::string& path, Decoder decode) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxImageFileBytes) || bytes.empty()) return nullptr;
    return decode(bytes.data(), bytes.size());
}

// The alpha companion's first name: "_" in front of the last path component.
std::string UnderscoreName(const std::string& fileName) {
    size_t slash = fileName.find_last_of("/\\");
    size_t cut = slash == std::string::npos ? 0 : slash + 1;
    return fileName.substr(0, cut) + "_" + fileName.substr(cut);
}

// The colour image takes the alpha image's blue byte as its alpha; without a
// colour image the result is white with that alpha.
std::unique_ptr<Image> MergeAlpha(std::unique_ptr<Image> color, std::unique_ptr<Image> alpha) {
    if (!alpha) return color;
    if (!color) {
        for (uint32_t& pixel : alpha->bits) pixel = (pixel & 0xFFu) << 24 | 0xFFFFFFu;
        return alpha;
    }
    if (color->width != alpha->width || color->height != alpha->height) return color;
    for (size_t i = 0; i < color->bits.size(); ++i)
        color->bits[i] = (color->bits[i] & 0xFFFFFFu) | (alpha->bits[i] & 0xFFu) << 24;
    return color;
}

} // namespace

bool ImageSizeAllowed(int64_t width, int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

std::unique_ptr<Image> NewImage(int64_t width, int64_t height) {
    if (!ImageSizeAllowed(width, height)) return nullptr;
    auto image = std::make_unique<Image>();
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->bits.assign(static_cast<size_t>(width * height), 0u);
    return image;
}

std::unique_ptr<Image> LoadImageFile(const std::string& fileName, bool withAlphaImage) {
    size_t extensionStart = ExtensionStart(fileName);
    std::string extension = fileName.substr(extensionStart);
    std::string baseName = fileName.substr(0, extensionStart);
    std::unique_ptr<Image> color;
    for (const Format& format : kFormats) {
        if (extension.empty()) {
            color = DecodeFile(baseName + format.extension, format.decode);
        } else if (EqualsIgnoreCase(extension, format.extension)) {
            // On a case-sensitive file system "Logo.PNG" may be the file's own
            // name or stand for "Logo.png": the name as written goes first.
            color = DecodeFile(fileName, format.decode);
            if (!color && extension != format.extension)
                color = DecodeFile(baseName + format.extension, format.decode);
        }
        if (color) break;
    }
    if (!withAlphaImage) return color;
    std::unique_ptr<Image> alpha = LoadImageFile(UnderscoreName(fileName), false);
    if (!alpha) alpha = LoadImageFile(fileName + "_", false);
    return MergeAlpha(std::move(color), std::move(alpha));
}

} // namespace ImageLib

std::unique_ptr<DDImage> GetImage(const std::string& fileName, DDInterface* display) {
    std::unique_ptr<ImageLib::Image> plain = ImageLib::LoadImageFile(fileName, true);
    if (!plain) return nullptr;
    auto image = std::make_unique<DDImage>(display);
    image->Create(plain->width, plain->height);
    std::copy(plain->bits.begin(), plain->bits.end(), image->GetBits());
    image->BitsChanged();
    return image;
}

} // namespace Quill
