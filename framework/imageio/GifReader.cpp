#include "framework/imageio/GifReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace Quill::ImageLib {

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeBits = 12;

// Bounds-checked reading of the file's bytes: every read past the end fails.
class ByteStream {
public:
    ByteStream(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool Byte(uint8_t& out) {
        if (pos >= size) return false;
        out = data[pos++];
        return true;
    }
    bool Word(uint32_t& out) {
        if (size - pos < 2) return false;
        out = uint32_t(data[pos]) | uint32_t(data[pos + 1]) << 8;
        pos += 2;
        return true;
    }
    bool Bytes(uint8_t* out, size_t count) {
        if (size - pos < count) return false;
        std::memcpy(out, data + pos, count);
        pos += count;
        return true;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};

using Palette = std::array<uint32_t, 256>;

// Reads 2^((flags & 7) + 1) RGB triplets into opaque ARGB entries.
bool ReadColorTable(ByteStream& in, uint8_t flags, Palette& palette) {
    size_t count = size_t(2) << (flags & 7);
    uint8_t rgb[3 * 256];
    if (!in.Bytes(rgb, 3 * count)) return false;
    for (size_t i = 0; i < count; ++i)
        palette[i] = 0xFF000000u | uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    return true;
}

// Reads a chain of sub-blocks up to its zero length. The first block's bytes
// go to `first` (up to its size; `firstLength` tells how many there were),
// and with `all` set every block's bytes are appended to it. A chain cut off
// by the end of the file keeps what was there and reports false.
bool ReadSubBlocks(ByteStream& in, std::vector<uint8_t>* all, uint8_t* first = nullptr, size_t* firstLength = nullptr) {
    bool isFirst = true;
    for (;;) {
        uint8_t length;
        if (!in.Byte(length)) return false;
        if (length == 0) return true;
        uint8_t block[255];
        if (!in.Bytes(block, length)) return false;
        if (isFirst && first) {
            std::memcpy(first, block, length);
            *firstLength = length;
        }
        isFirst = false;
        if (all) all->insert(all->end(), block, block + length);
    }
}

// Skips the extensions before the first image and keeps the transparent
// index of the graphic control block that governs it (-1 for none).
// False at the trailer, an unknown block or the end of the file.
bool FindImageDescriptor(ByteStream& in, int& transparentIndex) {
    for (;;) {
        uint8_t introducer, label;
        if (!in.Byte(introducer)) return false;
        if (introducer == ',') return true;
        if (introducer != '!' || !in.Byte(label)) return false;
        uint8_t first[255];
        size_t firstLength = 0;
        if (!ReadSubBlocks(in, nullptr, first, &firstLength)) return false;
        if (label == 0xF9) transparentIndex = firstLength >= 4 && (first[0] & 1) ? first[3] : -1;
    }
}

// The rows in the order the image data fill them.
std::vector<int32_t> RowOrder(int32_t height, bool interlaced) {
    std::vector<int32_t> rows;
    rows.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int32_t y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    static const int32_t kStart[4] = {0, 4, 2, 1};
    static const int32_t kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int32_t y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
    return rows;
}

// Writes decoded colour indices into the image row by row.
class PixelSink {
public:
    PixelSink(Image& image, const Palette& colors, bool interlaced)
        : image(image), colors(colors), rows(RowOrder(image.height, interlaced)) {}
    bool Full() const { return row >= rows.size(); }
    void Put(uint8_t index) {
        if (Full()) return;
        image.bits[static_cast<size_t>(rows[row]) * static_cast<size_t>(image.width) + static_cast<size_t>(x)] =
            colors[index];
        if (++x == image.width) {
            x = 0;
            ++row;
        }
    }

private:
    Image& image;
    const Palette& colors;
    std::vector<int32_t> rows;
    size_t row = 0;
    int32_t x = 0;
};

// LZW codes, least significant bit first, from the joined sub-block data.
class CodeReader {
public:
    explicit CodeReader(const std::vector<uint8_t>& data) : data(data) {}
    // False when the data run out before `bits` more bits.
    bool Read(int bits, int& code) {
        while (count < bits) {
            if (pos >= data.size()) return false;
            buffer |= uint32_t(data[pos++]) << count;
            count += 8;
        }
        code = static_cast<int>(buffer & ((1u << bits) - 1));
        buffer >>= bits;
        count -= bits;
        return true;
    }

private:
    const std::vector<uint8_t>& data;
    size_t pos = 0;
    uint32_t buffer = 0;
    int count = 0;
};

// Decodes until the end code, the end of the data, a full image or a code
// that cannot be right (one not yet in the table other than the next one,
// or a table entry before any literal). Every table walk follows prefixes to
// strictly smaller codes, so no damaged data can make it loop.
void DecodeLzw(const std::vector<uint8_t>& data, int minCodeSize, PixelSink& sink) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    std::vector<uint16_t> prefix(kMaxCodes);
    std::vector<uint8_t> suffix(kMaxCodes);
    std::vector<uint8_t> stack(kMaxCodes + 1);
    for (int i = 0; i < clear; ++i) suffix[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    CodeReader codes(data);
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    uint8_t firstOfPrevious = 0;
    int code;
    while (!sink.Full() && codes.Read(codeSize, code)) {
        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) return;
        if (previous < 0) {
            if (code > clear) return;
            sink.Put(static_cast<uint8_t>(code));
            previous = code;
            firstOfPrevious = static_cast<uint8_t>(code);
            continue;
        }
        const int current = code;
        size_t depth = 0;
        if (code == next) {
            // The code being defined right now: the previous string plus its own first byte.
            stack[depth++] = firstOfPrevious;
            code = previous;
        } else if (code > next) {
            return;
        }
        while (code > end) {
            stack[depth++] = suffix[static_cast<size_t>(code)];
            code = prefix[static_cast<size_t>(code)];
        }
        firstOfPrevious = static_cast<uint8_t>(code);
        stack[depth++] = firstOfPrevious;
        while (depth > 0) sink.Put(stack[--depth]);
        if (next < kMaxCodes) {
            prefix[static_cast<size_t>(next)] = static_cast<uint16_t>(previous);
            suffix[static_cast<size_t>(next)] = firstOfPrevious;
            ++next;
            if (next == (1 << codeSize) && codeSize < kMaxCodeBits) ++codeSize;
        }
        previous = current;
    }
}

// The most pixels that `bytes` of LZW data can decode to. Every code takes at
// least minCodeSize + 1 bits, and the k-th code after a clear stands for at
// most k pixels (each table entry is one longer than an earlier one), never
// more than the table holds.
int64_t MostPixels(size_t bytes, int minCodeSize) {
    const int64_t codes = static_cast<int64_t>(bytes) * 8 / (minCodeSize + 1);
    const int64_t ramp = std::min<int64_t>(codes, kMaxCodes);
    return ramp * (ramp + 1) / 2 + (codes - ramp) * kMaxCodes;
}

} // namespace

std::unique_ptr<Image> DecodeGif(const uint8_t* data, size_t size) {
    if (size < 6 || (std::memcmp(data, "GIF87", 5) != 0 && std::memcmp(data, "GIF89", 5) != 0)) return nullptr;
    ByteStream in(data + 6, size - 6);
    uint32_t screenWidth, screenHeight;
    uint8_t screenFlags, background, aspect;
    if (!in.Word(screenWidth) || !in.Word(screenHeight) || !in.Byte(screenFlags) || !in.Byte(background) ||
        !in.Byte(aspect))
        return nullptr;
    // Indices beyond the colour table, or with no table at all, read as opaque black.
    Palette colors;
    colors.fill(0xFF000000u);
    if ((screenFlags & 0x80) && !ReadColorTable(in, screenFlags, colors)) return nullptr;

    int transparentIndex = -1;
    if (!FindImageDescriptor(in, transparentIndex)) return nullptr;
    uint32_t left, top, width, height;
    uint8_t imageFlags, minCodeSize;
    if (!in.Word(left) || !in.Word(top) || !in.Word(width) || !in.Word(height) || !in.Byte(imageFlags))
        return nullptr;
    if (imageFlags & 0x80) {
        colors.fill(0xFF000000u);
        if (!ReadColorTable(in, imageFlags, colors)) return nullptr;
    }
    if (transparentIndex >= 0) colors[static_cast<size_t>(transparentIndex)] = 0;
    // Code sizes outside 1..8 cannot index a 256-entry table.
    if (!in.Byte(minCodeSize) || minCodeSize < 1 || minCodeSize > 8) return nullptr;
    if (!ImageSizeAllowed(width, height)) return nullptr;
    std::vector<uint8_t> lzwData;
    ReadSubBlocks(in, &lzwData); // a cut-off chain still decodes as far as it goes
    // Data that could not fill the image it claims, even at the best
    // compression LZW allows, make no picture: refused rather than held as a
    // large transparent image.
    if (MostPixels(lzwData.size(), minCodeSize) < int64_t(width) * height) return nullptr;
    std::unique_ptr<Image> image = NewImage(width, height);
    if (!image) return nullptr;
    PixelSink sink(*image, colors, (imageFlags & 0x40) != 0);
    DecodeLzw(lzwData, minCodeSize, sink);
    return image;
}

} // namespace Quill::ImageLib
