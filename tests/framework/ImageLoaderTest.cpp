#include "framework/ImageLoader.h"

#include "framework/ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace Quill;
using namespace Quill::ImageLib;
using namespace imagetest;

namespace {

// A 1 x 1 TGA of one colour: the cheapest way to tell which file was read.
std::vector<uint8_t> Dot(uint32_t argb) { return MakeTga(1, 1, {argb}); }

uint32_t FirstPixel(const std::unique_ptr<ImageLib::Image>& image) { return image ? image->bits.at(0) : 0xDEADu; }

class ImageLoaderTest : public TempFolderTest {};

} // namespace

TEST_F(ImageLoaderTest, PicksTheFileByExtensionAndTriesEveryFormatWithoutOne) {
    // The marker colours say which file answered; 0xDEAD means none did.
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files; // fixture or "dot:<hex>" -> file name
        std::string request;
        uint32_t expected;
    } cases[] = {
        {"extension picks the reader", {{"dot:ff0000ff", "pic.tga"}}, "pic.tga", 0xFF0000FFu},
        {"upper-case extension, file named as written", {{"dot:ff00ff00", "pic.TGA"}}, "pic.TGA", 0xFF00FF00u},
        {"upper-case extension, file in lower case", {{"dot:ff00ff00", "pic.tga"}}, "pic.TgA", 0xFF00FF00u},
        {"no extension: .tga first", {{"dot:ff123456", "pic.tga"}, {"jpg_grey.jpg", "pic.jpg"}}, "pic", 0xFF123456u},
        {"no extension: .jpg before .png", {{"jpg_grey.jpg", "pic.jpg"}, {"png_palette.png", "pic.png"}}, "pic",
         ReferencePixels("jpg_grey.rgba")[0]},
        {"no extension: .png before .gif", {{"gif_89a.gif", "pic.gif"}, {"png_palette.png", "pic.png"}}, "pic",
         ReferencePixels("png_palette.rgba")[0]},
        {"no extension: .gif last", {{"gif_89a.gif", "pic.gif"}}, "pic", ReferencePixels("gif_89a.rgba")[0]},
        {"a broken candidate lets the next format answer", {{"png_rgb.png", "pic.jpg"}, {"gif_89a.gif", "pic.gif"}},
         "pic", ReferencePixels("gif_89a.rgba")[0]},
        {"a dot before the last slash is no extension", {{"dot:ff0a0b0c", "a.b/pic.tga"}}, "a.b/pic", 0xFF0A0B0Cu},
        {"a dot before the last backslash is no extension", {{"dot:ff0a0b0c", "a.b/pic.tga"}}, "a.b\\pic",
         0xFF0A0B0Cu},
        {"backslash paths", {{"dot:ff0d0e0f", "sub/pic.tga"}}, "sub\\pic.tga", 0xFF0D0E0Fu},
        {"content must match the extension", {{"png_rgb.png", "pic.jpg"}}, "pic.jpg", 0xDEADu},
        {"unknown extension tries nothing", {{"dot:ff000001", "pic.tga"}, {"dot:ff000001", "pic.bmp"}}, "pic.bmp",
         0xDEADu},
        {"missing file", {}, "pic.png", 0xDEADu},
        {"empty file", {{"dot:empty", "pic.tga"}}, "pic.tga", 0xDEADu},
    };
    for (const Case& c : cases) {
        EmptyFolder();
        std::filesystem::create_directories(Path("sub"));
        std::filesystem::create_directories(Path("a.b"));
        for (const auto& [source, name] : c.files) {
            if (source == "dot:empty")
                WriteBytes(Path(name), {});
            else if (source.rfind("dot:", 0) == 0)
                WriteBytes(Path(name), Dot(uint32_t(std::stoul(source.substr(4), nullptr, 16))));
            else
                CopyFixture(source, name);
        }
        EXPECT_EQ(FirstPixel(LoadImageFile(Path(c.request), false)), c.expected) << c.name;
    }
}

TEST_F(ImageLoaderTest, UnderscoreCompanionGivesAlphaFromItsBlueChannel) {
    CopyFixture("merge.png", "merge.png");
    CopyFixture("_merge.png", "_merge.png");
    std::vector<uint32_t> color = ReferencePixels("merge.rgba");
    std::vector<uint32_t> mask = ReferencePixels("_merge.rgba");
    std::unique_ptr<ImageLib::Image> image = LoadImageFile(Path("merge.png"), true);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->bits.size(), color.size());
    bool someAlphaVaries = false;
    for (size_t i = 0; i < color.size(); ++i) {
        EXPECT_EQ(image->bits[i], (color[i] & 0xFFFFFFu) | (mask[i] & 0xFFu) << 24) << "pixel " << i;
        someAlphaVaries |= (mask[i] & 0xFF) != 0xFF && (mask[i] & 0xFF) != 0;
    }
    EXPECT_TRUE(someAlphaVaries);
    // Without the alpha lookup the companion is not read.
    EXPECT_EQ(LoadImageFile(Path("merge.png"), false)->bits, color);
}

TEST_F(ImageLoaderTest, CompanionRules) {
    const uint32_t red = 0xFFFF0000u, mask = 0xFF00FF40u, otherMask = 0xFF000080u;
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, uint32_t>> dots; // file -> 1 x 1 colour
        std::string request;
        uint32_t expected;
    } cases[] = {
        {"underscore before the last component", {{"sub/pic.tga", red}, {"sub/_pic.tga", mask}}, "sub\\pic.tga",
         0x40FF0000u},
        {"underscore name wins over name + underscore",
         {{"pic.tga", red}, {"_pic.tga", mask}, {"pic_.tga", otherMask}},
         "pic",
         0x40FF0000u},
        {"name + underscore, every format tried", {{"pic.tga", red}, {"pic_.tga", otherMask}}, "pic", 0x80FF0000u},
        {"name + underscore after an extension finds nothing", {{"pic.tga", red}, {"pic.tga_", otherMask}},
         "pic.tga", red},
        {"alpha image alone gives white", {{"_pic.tga", mask}}, "pic.tga", 0x40FFFFFFu},
        {"no companion leaves the colours", {{"pic.tga", 0x80102030u}}, "pic.tga", 0x80102030u},
        {"neither image", {}, "pic.tga", 0xDEADu},
    };
    for (const Case& c : cases) {
        EmptyFolder();
        std::filesystem::create_directories(Path("sub"));
        for (const auto& [name, argb] : c.dots) WriteBytes(Path(name), Dot(argb));
        EXPECT_EQ(FirstPixel(LoadImageFile(Path(c.request), true)), c.expected) << c.name;
    }
}

TEST_F(ImageLoaderTest, CompanionOfAnotherSizeIsNotMerged) {
    WriteBytes(Path("pic.tga"), MakeTga(2, 1, {0xFF010203u, 0xFF040506u}));
    WriteBytes(Path("_pic.tga"), MakeTga(1, 2, {0xFF000011u, 0xFF000022u}));
    std::unique_ptr<ImageLib::Image> image = LoadImageFile(Path("pic.tga"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->bits, (std::vector<uint32_t>{0xFF010203u, 0xFF040506u}));
}

TEST_F(ImageLoaderTest, GetImageCopiesIntoADisplayImage) {
    CopyFixture("png_palette_trns.png", "pic.png");
    std::unique_ptr<DDImage> image = GetImage(Path("pic.png"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetWidth(), 13);
    EXPECT_EQ(image->GetHeight(), 7);
    std::vector<uint32_t> expected = ReferencePixels("png_palette_trns.rgba");
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image->GetBits()));
    EXPECT_TRUE(image->HasAlpha());
    EXPECT_TRUE(image->HasTrans());

    CopyFixture("jpg_colour.jpg", "opaque.jpg");
    image = GetImage(Path("opaque.jpg"));
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->HasAlpha());

    EXPECT_FALSE(GetImage(Path("missing.png")));
}
