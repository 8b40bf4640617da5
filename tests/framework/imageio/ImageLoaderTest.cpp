#include "framework/imageio/ImageLoader.h"

#include "framework/imageio/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Quill;
using namespace Quill::ImageLib;
using namespace imagetest;

namespace {

class ImageLoaderTest : public TempFolderTest {};

} // namespace

// Which file answers a request, and how an alpha companion merges. Sources are
// corpus pictures or "dot:<hex>", a 1 x 1 TGA of that colour; the first pixel
// tells which file answered, 0xDEAD that none did.
TEST_F(ImageLoaderTest, PicksTheFileAndItsAlphaCompanion) {
    const uint32_t grey = ReferencePixels("jpg_grey.rgba")[0], gif = ReferencePixels("gif_89a.rgba")[0];
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files; // source -> file name
        std::string request;
        bool alpha;
        uint32_t expected;
    } cases[] = {
        {"extension picks the reader", {{"dot:ff0000ff", "pic.tga"}}, "pic.tga", false, 0xFF0000FFu},
        {"no extension: .tga first", {{"dot:ff123456", "pic.tga"}, {"jpg_grey.jpg", "pic.jpg"}}, "pic", false,
         0xFF123456u},
        {"no extension: .jpg before .png", {{"jpg_grey.jpg", "pic.jpg"}, {"png_palette.png", "pic.png"}}, "pic", false,
         grey},
        {"a broken candidate lets the next format answer", {{"png_rgb.png", "pic.jpg"}, {"gif_89a.gif", "pic.gif"}},
         "pic", false, gif},
        {"a dot before the last backslash is no extension", {{"dot:ff0a0b0c", "a.b/pic.tga"}}, "a.b\\pic", false,
         0xFF0A0B0Cu},
        {"content must match the extension", {{"png_rgb.png", "pic.jpg"}}, "pic.jpg", false, 0xDEADu},
        {"unknown extension tries nothing", {{"dot:ff000001", "pic.tga"}, {"dot:ff000001", "pic.bmp"}}, "pic.bmp",
         false, 0xDEADu},
        {"underscore before the last component", {{"dot:ffff0000", "a.b/pic.tga"}, {"dot:ff00ff40", "a.b/_pic.tga"}},
         "a.b\\pic.tga", true, 0x40FF0000u},
        {"name + underscore, every format tried", {{"dot:ffff0000", "pic.tga"}, {"dot:ff000080", "pic_.tga"}}, "pic",
         true, 0x80FF0000u},
        {"alpha image alone gives white", {{"dot:ff00ff40", "_pic.tga"}}, "pic.tga", true, 0x40FFFFFFu},
        {"no companion leaves the colours", {{"dot:80102030", "pic.tga"}}, "pic.tga", true, 0x80102030u},
    };
    for (const Case& c : cases) {
        EmptyFolder();
        std::filesystem::create_directories(Path("a.b"));
        for (const auto& [source, name] : c.files) {
            if (source.rfind("dot:", 0) == 0)
                WriteBytes(Path(name), MakeTga(1, 1, {uint32_t(std::stoul(source.substr(4), nullptr, 16))}));
            else
                CopyFixture(source, name);
        }
        std::unique_ptr<ImageLib::Image> image = LoadImageFile(Path(c.request), c.alpha);
        EXPECT_EQ(image ? image->bits.at(0) : 0xDEADu, c.expected) << c.name;
    }
}

TEST_F(ImageLoaderTest, CompanionGivesAlphaPixelByPixelOnlyWhenTheSizesMatch) {
    WriteBytes(Path("pic.tga"), MakeTga(2, 1, {0xFF010203u, 0xFF040506u}));
    WriteBytes(Path("_pic.tga"), MakeTga(2, 1, {0xFF000011u, 0xFF000022u}));
    std::unique_ptr<ImageLib::Image> image = LoadImageFile(Path("pic.tga"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bits, (std::vector<uint32_t>{0x11010203u, 0x22040506u}));
    WriteBytes(Path("_pic.tga"), MakeTga(1, 2, {0xFF000011u, 0xFF000022u}));
    image = LoadImageFile(Path("pic.tga"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bits, (std::vector<uint32_t>{0xFF010203u, 0xFF040506u}));
}

// Files are read whole, so a file beyond the cap is refused unread, whatever
// it holds; a picture padded to exactly the cap still loads.
TEST_F(ImageLoaderTest, RefusesFilesLargerThanTheCap) {
    for (size_t size : {kMaxImageFileBytes, kMaxImageFileBytes + 1}) {
        WriteBytes(Path("big.tga"), MakeTga(1, 1, {0xFF102030u}));
        ASSERT_EQ(truncate(Path("big.tga").c_str(), static_cast<off_t>(size)), 0);
        EXPECT_EQ(LoadImageFile(Path("big.tga"), false) != nullptr, size == kMaxImageFileBytes) << size;
    }
}
