#pragma once
// Shared by the image loader and image reader tests: the committed reference
// corpus (each picture beside its ImageMagick decode as raw R, G, B, A bytes),
// a fresh temporary folder per test, and small TGA files built byte by byte.
#include "framework/imageio/ImageLoader.h"
#include "framework/support/TestFiles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace imagetest {

using testfiles::PutLe16;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

inline std::string Fixture(const std::string& name) { return std::string(VELMORA_FIXTURES) + "/images/" + name; }

// The reference decode of a corpus picture as ARGB values.
inline std::vector<uint32_t> ReferencePixels(const std::string& rgbaName) {
    std::vector<uint8_t> raw = ReadBytes(Fixture(rgbaName));
    std::vector<uint32_t> argb;
    for (size_t i = 0; i + 3 < raw.size(); i += 4)
        argb.push_back(uint32_t(raw[i + 3]) << 24 | uint32_t(raw[i]) << 16 | uint32_t(raw[i + 1]) << 8 | raw[i + 2]);
    return argb;
}

// A 32-bit TGA with the given header fields and ARGB pixels.
inline std::vector<uint8_t> MakeTga(uint32_t w, uint32_t h, const std::vector<uint32_t>& argb, uint8_t type = 2,
                                    uint8_t bits = 32, uint8_t descriptor = 0x28) {
    std::vector<uint8_t> out = {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe16(out, w);
    PutLe16(out, h);
    out.push_back(bits);
    out.push_back(descriptor);
    for (uint32_t p : argb)
        for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(p >> shift));
    return out;
}

// A test that works in its own fresh temporary folder.
class TempFolderTest : public ::testing::Test {
protected:
    // Empties the folder, for table-driven tests that need a clean one per case.
    void EmptyFolder() const {
        std::filesystem::remove_all(folder.path);
        std::filesystem::create_directory(folder.path);
    }
    std::string Path(const std::string& name) const { return folder / name; }
    void CopyFixture(const std::string& fixture, const std::string& name) const {
        WriteBytes(Path(name), ReadBytes(Fixture(fixture)));
    }

    testfiles::TempFolder folder;
};

} // namespace imagetest
