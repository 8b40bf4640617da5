#pragma once
// Shared by the blend and sampler tests: the drawing paths this machine runs,
// a scope that forces one, and random pixels and tints with the alpha
// structures the fast loops take shortcuts on.
#include "framework/graphics/Blend.h"

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace blendtest {

// The paths this machine runs besides the plain one.
inline std::vector<Quill::Blend::Path> FastPaths() {
    std::vector<Quill::Blend::Path> paths;
    for (Quill::Blend::Path p : {Quill::Blend::Path::Sse2, Quill::Blend::Path::Avx2, Quill::Blend::Path::Avx512})
        if (Quill::Blend::PathSupported(p)) paths.push_back(p);
    return paths;
}

// Sets a path for one test and puts the best one back afterwards.
class PathScope {
public:
    explicit PathScope(Quill::Blend::Path p) { ok = Quill::Blend::SetPath(p); }
    ~PathScope() { Quill::Blend::SetPath(Quill::Blend::BestPath()); }
    bool ok;
};

// Pixel sources with different alpha structure: the loops take shortcuts on
// fully opaque and fully clear runs, so each needs to be exercised.
inline uint32_t RandomPixel(std::mt19937& rng, int kind) {
    uint32_t rgb = rng() & 0xFFFFFFu;
    switch (kind) {
    case 0: // anything
        return rng();
    case 1: { // runs of opaque and clear with soft edges
        uint32_t r = rng() % 8;
        uint32_t a = r < 3 ? 255 : r < 6 ? 0 : rng() & 0xFF;
        return (a << 24) | rgb;
    }
    case 2: // alpha at the ends of the range
        return (uint32_t(std::array<int, 6>{0, 1, 2, 127, 254, 255}[rng() % 6]) << 24) | rgb;
    default: // all opaque
        return 0xFF000000u | rgb;
    }
}

inline uint32_t RandomTint(std::mt19937& rng) {
    switch (rng() % 4) {
    case 0:
        return 0xFFFFFFFFu;
    case 1:
        return 0xFF000000u | (rng() & 0xFFFFFFu);
    case 2:
        return (160u << 24) | 0xFFFFFFu;
    default:
        return rng();
    }
}

} // namespace blendtest
