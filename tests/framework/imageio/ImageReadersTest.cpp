#include "framework/imageio/GifReader.h"
#include "framework/imageio/JpegReader.h"
#include "framework/imageio/PngReader.h"
#include "framework/imageio/TgaReader.h"

#include "framework/imageio/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>

using namespace Quill::ImageLib;
using namespace imagetest;

namespace {

using Decoder = std::unique_ptr<Image> (*)(const uint8_t*, size_t);

std::unique_ptr<Image> Decode(const std::vector<uint8_t>& bytes, Decoder decode) {
    return decode(bytes.data(), bytes.size());
}

const char* const kCorpus[] = {
    "png_rgb.png", "png_rgba.png", "png_16bit.png", "png_palette.png", "png_palette4.png", "png_palette_trns.png",
    "png_grey.png", "png_grey2.png", "png_grey_alpha.png", "png_grey_trns.png", "png_rgb_trns.png",
    "png_interlaced.png", "png_interlaced_small.png", "jpg_colour.jpg", "jpg_grey.jpg", "jpg_progressive.jpg",
    "gif_89a.gif", "gif_87a.gif", "gif_interlaced.gif", "gif_local.gif", "gif_transparent.gif", "gif_frames.gif",
    "tga_32.tga",
};

// --- PNG chunk surgery, for damage that gets past libpng's checksums ---

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void PutBe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

// Recomputes the checksum of every whole chunk.
void FixPngCrcs(std::vector<uint8_t>& png) {
    size_t pos = 8;
    while (pos + 12 <= png.size()) {
        uint32_t length = Be32(&png[pos]);
        if (length > png.size() - pos - 12) break;
        PutBe32(&png[pos + 8 + length], Crc32(&png[pos + 4], length + 4));
        pos += 12 + length;
    }
}

// --- GIF building ---

struct Code {
    int value;
    int bits;
};

// LZW codes packed least significant bit first.
std::vector<uint8_t> PackCodes(const std::vector<Code>& codes) {
    std::vector<uint8_t> out;
    size_t bit = 0;
    for (const Code& c : codes)
        for (int i = 0; i < c.bits; ++i, ++bit) {
            if (bit % 8 == 0) out.push_back(0);
            out.back() |= uint8_t((c.value >> i & 1) << (bit % 8));
        }
    return out;
}

// Indices as literal codes only, each after a clear code, so the table never
// grows and every code has minCodeSize + 1 bits.
std::vector<Code> LiteralCodes(const std::vector<uint8_t>& indices, int minCodeSize, bool withEnd = true) {
    int clear = 1 << minCodeSize, bits = minCodeSize + 1;
    std::vector<Code> codes;
    for (uint8_t index : indices) codes.insert(codes.end(), {{clear, bits}, {index, bits}});
    if (withEnd) codes.push_back({clear + 1, bits});
    return codes;
}

struct GifParts {
    std::string signature = "GIF89a";
    uint32_t width = 4, height = 2;
    std::vector<uint32_t> globalTable; // RGB values, a power of two of them
    std::vector<uint8_t> beforeImage;  // extensions between the header and the image
    std::vector<uint32_t> localTable;
    bool interlaced = false;
    int minCodeSize = 3;
    std::vector<uint8_t> lzw; // one sub-block, so under 256 bytes
};

std::vector<uint8_t> MakeGif(const GifParts& g) {
    auto tableFlags = [](const std::vector<uint32_t>& table) {
        uint8_t bits = 0;
        while ((size_t(2) << bits) < table.size()) ++bits;
        return table.empty() ? 0 : 0x80 | bits;
    };
    auto putTable = [](std::vector<uint8_t>& out, const std::vector<uint32_t>& table) {
        for (uint32_t rgb : table) out.insert(out.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
    };
    std::vector<uint8_t> out(g.signature.begin(), g.signature.end());
    PutLe16(out, g.width);
    PutLe16(out, g.height);
    out.insert(out.end(), {uint8_t(tableFlags(g.globalTable)), 0, 0});
    putTable(out, g.globalTable);
    out.insert(out.end(), g.beforeImage.begin(), g.beforeImage.end());
    out.insert(out.end(), {',', 0, 0, 0, 0});
    PutLe16(out, g.width);
    PutLe16(out, g.height);
    out.push_back(uint8_t((g.interlaced ? 0x40 : 0) | tableFlags(g.localTable)));
    putTable(out, g.localTable);
    out.insert(out.end(), {uint8_t(g.minCodeSize), uint8_t(g.lzw.size())});
    out.insert(out.end(), g.lzw.begin(), g.lzw.end());
    out.insert(out.end(), {0, 0x3B});
    return out;
}

// Sixteen distinct colours in the GIF tables: index i is 0x10 * i + 1 in every
// channel, named by a hexadecimal digit.
uint32_t GifColour(char digit) { return (0x10 * uint32_t(digit <= '9' ? digit - '0' : digit - 'a' + 10) + 1) * 0x010101u; }

// Expected GIF pixels, one character each: a digit or a-f is that table
// colour, '.' transparent black, 'k' opaque black.
std::vector<uint32_t> Pixels(const std::string& text) {
    std::vector<uint32_t> out;
    for (char c : text) out.push_back(c == '.' ? 0u : 0xFF000000u | (c == 'k' ? 0 : GifColour(c)));
    return out;
}

} // namespace

TEST(ImageReaders, MatchReferenceDecodesOfTheCorpus) {
    for (const char* name : kCorpus) {
        std::string file = name;
        std::unique_ptr<Image> image = LoadImageFile(Fixture(file), false);
        ASSERT_TRUE(image) << file;
        std::vector<uint32_t> expected = ReferencePixels(file.substr(0, file.rfind('.')) + ".rgba");
        ASSERT_EQ(image->bits.size(), expected.size()) << file;
        EXPECT_EQ(size_t(image->width) * size_t(image->height), expected.size()) << file;
        // Our 16-bit PNG path keeps each channel's high byte where the
        // reference rounds, so those may differ by one.
        int tolerance = file == "png_16bit.png" ? 1 : 0;
        for (size_t i = 0; i < expected.size(); ++i)
            for (int shift = 0; shift < 32; shift += 8)
                ASSERT_LE(std::abs(int(image->bits[i] >> shift & 0xFF) - int(expected[i] >> shift & 0xFF)), tolerance)
                    << file << " pixel " << i << ": got " << std::hex << image->bits[i] << " want " << expected[i];
    }
}

// A PNG cut anywhere before the end of its image data, or a TGA cut at all,
// is refused. Damaged bytes in every format are the fuzz harnesses' part.
TEST(ImageReaders, TruncatedCopiesAreRefused) {
    for (const char* name : kCorpus) {
        std::string file = name;
        bool isPng = file.find(".png") != std::string::npos, isTga = file.find(".tga") != std::string::npos;
        if (!isPng && !isTga) continue;
        std::vector<uint8_t> bytes = ReadBytes(Fixture(file));
        Decoder decode = isPng ? DecodePng : DecodeTga;
        ASSERT_TRUE(Decode(bytes, decode)) << file;
        // PNG pixels are checked to the end of the image data (the 12-byte
        // end chunk is not needed); a TGA is never shorter than its pixels.
        size_t end = isPng ? bytes.size() - 12 : bytes.size();
        size_t step = bytes.size() > 1500 ? bytes.size() / 500 : 1;
        for (size_t cut = 0; cut < end; cut += step) {
            // A copy of exactly `cut` bytes, so the sanitizer sees any read past it.
            std::vector<uint8_t> head(bytes.begin(), bytes.begin() + long(cut));
            EXPECT_FALSE(Decode(head, decode)) << file << " cut at " << cut;
        }
    }
}

TEST(ImageReaders, RefuseSizesBeyondTheLimitsBeforeDecoding) {
    std::vector<uint8_t> png = ReadBytes(Fixture("png_rgb.png")), jpg = ReadBytes(Fixture("jpg_progressive.jpg"));
    size_t sof = 2; // the JPEG frame header
    while (sof + 9 < jpg.size() && !(jpg[sof] == 0xFF && (jpg[sof + 1] == 0xC0 || jpg[sof + 1] == 0xC2))) ++sof;
    ASSERT_LT(sof + 9, jpg.size());
    for (auto [w, h] : std::vector<std::pair<uint32_t, uint32_t>>{{4097, 1}, {1, 4097}, {2049, 2048}, {16384, 4096}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        std::vector<uint8_t> bigPng = png, bigJpg = jpg;
        PutBe32(&bigPng[16], w);
        PutBe32(&bigPng[20], h);
        FixPngCrcs(bigPng); // so the checksums cannot be what refuses it
        const uint8_t jpgSize[] = {uint8_t(h >> 8), uint8_t(h), uint8_t(w >> 8), uint8_t(w)};
        std::copy(jpgSize, jpgSize + 4, bigJpg.begin() + long(sof + 5));
        GifParts g;
        g.width = w, g.height = h;
        g.lzw = PackCodes(LiteralCodes({1, 2}, 3));
        EXPECT_FALSE(Decode(bigPng, DecodePng));
        EXPECT_FALSE(Decode(bigJpg, DecodeJpeg));
        EXPECT_FALSE(Decode(MakeGif(g), DecodeGif));
        EXPECT_FALSE(Decode(MakeTga(w, h, {}), DecodeTga));
    }
}

TEST(JpegReader, RefusesAFileOfEndlesslyRepeatedScans) {
    // The progressive file's last scan said again and again: libjpeg only
    // warns about it, so without a limit each copy would be decoded.
    std::vector<uint8_t> jpg = ReadBytes(Fixture("jpg_progressive.jpg"));
    size_t lastScan = 0;
    for (size_t i = 0; i + 1 < jpg.size(); ++i)
        if (jpg[i] == 0xFF && jpg[i + 1] == 0xDA) lastScan = i;
    ASSERT_GT(lastScan, 0u);
    std::vector<uint8_t> scan(jpg.begin() + long(lastScan), jpg.end() - 2);
    std::vector<uint8_t> few(jpg.begin(), jpg.end() - 2), many = few;
    for (int i = 0; i < 20; ++i) few.insert(few.end(), scan.begin(), scan.end());
    for (int i = 0; i < 600; ++i) many.insert(many.end(), scan.begin(), scan.end());
    for (std::vector<uint8_t>* file : {&few, &many}) {
        file->push_back(0xFF);
        file->push_back(0xD9);
    }
    EXPECT_TRUE(Decode(few, DecodeJpeg));
    EXPECT_FALSE(Decode(many, DecodeJpeg));
}

TEST(TgaReader, TakesOnlyUncompressedTopDown32BitPixels) {
    const std::vector<uint32_t> pixels = {0x80102030u, 0xFF405060u, 0x00708090u, 0x01A0B0C0u, 0xFFFFFFFFu, 0u};
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> change; // of a plain 3 x 2 file
        bool loads;
    } cases[] = {
        {"plain", [](std::vector<uint8_t>&) {}, true},
        {"bytes after the pixels", [](std::vector<uint8_t>& b) { b.push_back(7); }, true},
        {"id field stepped over", [](std::vector<uint8_t>& b) { b[0] = 3, b.insert(b.begin() + 18, {'a', 'b', 'c'}); },
         true},
        {"bottom-up origin", [](std::vector<uint8_t>& b) { b[17] = 0x08; }, false},
        {"no alpha bits", [](std::vector<uint8_t>& b) { b[17] = 0x20; }, false},
        {"24 bits", [](std::vector<uint8_t>& b) { b[16] = 24; }, false},
        {"run-length encoded", [](std::vector<uint8_t>& b) { b[2] = 10; }, false},
        {"zero width", [](std::vector<uint8_t>& b) { b[12] = 0; }, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = MakeTga(3, 2, pixels);
        c.change(bytes);
        std::unique_ptr<Image> image = Decode(bytes, DecodeTga);
        ASSERT_EQ(image != nullptr, c.loads) << c.name;
        EXPECT_TRUE(!image || (image->width == 3 && image->height == 2 && image->bits == pixels)) << c.name;
    }
}

TEST(GifReader, DecodesTheFirstImageAndSurvivesOddOrDamagedStreams) {
    const int clear = 8, end = 9; // minimum code size 3: codes of 4 bits to start with
    const std::vector<uint8_t> extensions = {
        0x21, 0xFE, 3, 'h', 'i', '!', 0, // a comment, a loop count and one nobody knows
        0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0,
        0x21, 0x42, 2, 9, 9, 1, 7, 0};
    auto codes = [](std::vector<Code> list) { return [list](GifParts& g) { g.lzw = PackCodes(list); }; };
    struct Case {
        const char* name;
        std::function<void(GifParts&)> change; // of a 4 x 2 image of indices 1 to 7, 0
        std::string pixels;                    // empty: no image
    } cases[] = {
        {"89a with extensions", [&](GifParts& g) { g.beforeImage = extensions; }, "12345670"},
        {"local table replaces the global one",
         [](GifParts& g) { g.localTable = std::exchange(g.globalTable, std::vector<uint32_t>(2, 0xABCDEF)); },
         "12345670"},
        {"no colour table at all", [](GifParts& g) { g.globalTable.clear(); }, "kkkkkkkk"},
        {"transparent index",
         [](GifParts& g) {
             g.beforeImage = {0x21, 0xF9, 4, 0x01, 0, 0, 5, 0};
             g.lzw = PackCodes(LiteralCodes({5, 1, 5, 2, 3, 5, 4, 7}, 3));
         },
         ".1.23.47"},
        {"transparent index without its flag", [](GifParts& g) { g.beforeImage = {0x21, 0xF9, 4, 0, 0, 0, 1, 0}; },
         "12345670"},
        // One column of ten rows in the order the passes visit them.
        {"interlaced",
         [](GifParts& g) {
             g.width = 1, g.height = 10, g.minCodeSize = 4, g.interlaced = true;
             g.lzw = PackCodes(LiteralCodes({0, 8, 4, 2, 6, 1, 3, 5, 7, 9}, 4));
         },
         "0123456789"},
        // 1, then code 10 = the entry being defined ("1 1"), then code 11 = "1 1 1".
        {"code defined by its own use", codes({{clear, 4}, {1, 4}, {10, 4}, {11, 4}, {end, 4}}), "111111.."},
        {"no clear code first", codes({{2, 4}, {3, 4}, {end, 4}}), "23......"},
        {"code beyond the table ends the decode", codes({{clear, 4}, {1, 4}, {2, 4}, {14, 4}, {3, 4}}), "12......"},
        {"table code right after a clear", codes({{clear, 4}, {1, 4}, {clear, 4}, {10, 4}, {2, 4}}), "1......."},
        {"data run out", [](GifParts& g) { g.lzw = PackCodes(LiteralCodes({1, 2, 3}, 3, false)); }, "123....."},
        // Data too few to fill the image even at LZW's best: no picture, rather
        // than a large transparent one.
        {"no data at all", [](GifParts& g) { g.lzw.clear(); }, ""},
        {"claims more pixels than its data can hold", [](GifParts& g) { g.width = 64, g.height = 64; }, ""},
        {"more pixels than the image",
         [](GifParts& g) { g.lzw = PackCodes(LiteralCodes(std::vector<uint8_t>(40, 6), 3)); }, "66666666"},
    };
    for (const Case& c : cases) {
        GifParts g;
        for (char digit : std::string("0123456789abcdef")) g.globalTable.push_back(GifColour(digit));
        g.lzw = PackCodes(LiteralCodes({1, 2, 3, 4, 5, 6, 7, 0}, 3));
        c.change(g);
        std::unique_ptr<Image> image = Decode(MakeGif(g), DecodeGif);
        ASSERT_EQ(image != nullptr, !c.pixels.empty()) << c.name;
        EXPECT_EQ(image ? image->bits : std::vector<uint32_t>(), Pixels(c.pixels)) << c.name;
    }
}
