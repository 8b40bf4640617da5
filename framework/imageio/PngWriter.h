#pragma once
// Writes 32-bit ARGB pixels as a PNG file (screenshots of the back buffer).
// The file is replaced atomically; libpng's error jump stays inside one function.
#include <cstdint>
#include <string>
#include <vector>

namespace Quill {

// Encodes width x height ARGB pixels (rows from the top) as 8-bit RGB, or RGBA
// with withAlpha. False for a null or empty picture or an encoder failure.
bool EncodePng(const uint32_t* argb, int width, int height, bool withAlpha, std::vector<uint8_t>& out);
// EncodePng and an atomic write to `path`.
bool WritePng(const std::string& path, const uint32_t* argb, int width, int height, bool withAlpha = false);

} // namespace Quill
