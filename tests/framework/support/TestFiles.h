#pragma once
// Files for the framework tests: a fresh temporary folder per test (tests run
// in parallel, so none may share one), and whole files read and written as
// bytes or text, and numbers put into byte images.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testfiles {

using Bytes = std::vector<uint8_t>;

// Made under `base` (/tmp unless a test needs another file system), removed
// with everything in it when the folder goes. `path` is empty if it could not
// be made, so nothing outside it is ever removed.
class TempFolder {
public:
    explicit TempFolder(const std::string& base = "/tmp") {
        std::string pattern = base + "/velmora_test_XXXXXX";
        if (mkdtemp(pattern.data())) path = pattern;
        EXPECT_FALSE(path.empty()) << "no temporary folder under " << base;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::string& path) {
    Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    EXPECT_TRUE(out.good()) << "could not write " << path;
}

// Numbers appended to a byte image, least or most significant byte first.
inline void PutLe16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void PutLe32(Bytes& b, uint32_t v) {
    PutLe16(b, v & 0xFFFF);
    PutLe16(b, v >> 16);
}
inline void PutBe32(Bytes& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
}

inline void WriteText(const std::string& path, const std::string& text) { WriteBytes(path, Bytes(text.begin(), text.end())); }

} // namespace testfiles
