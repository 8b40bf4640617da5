#include "engine/RandomInt.h"

#include <atomic>
#include <cmath>
#include <cstdint>

namespace {

// Only the main thread draws; the atomic just keeps a stray draw from
// another thread from being undefined behaviour.
std::atomic<uint32_t> state{1};

} // namespace

void SeedRandom(unsigned seed) { state.store(seed, std::memory_order_relaxed); }

int RandomDraw() {
    uint32_t x = state.load(std::memory_order_relaxed) * 214013u + 2531011u;
    state.store(x, std::memory_order_relaxed);
    return static_cast<int>((x >> 16) & 0x7FFF);
}

float RandomUnit() { return static_cast<float>(RandomDraw()) / 32767.0f; }

int RandomInt(int min, int max) {
    // The draw below starts from -1, so a range holding -1 is done at once.
    if (min <= -1 && -1 <= max) return -1;
    if (max < min) return min;
    // Scaled by (max + 1), not the width of the range: draws that land above
    // max are thrown back. Products are kept in 64 bits so a wide range
    // cannot overflow; a raw 0 always lands on min, so the loop ends.
    const float scale = 3.0518509e-05f;
    int64_t r = -1;
    while (r < min || r > max) {
        float product = static_cast<float>(static_cast<int64_t>(RandomDraw()) * (static_cast<int64_t>(max) + 1));
        r = static_cast<int64_t>(min) + static_cast<int64_t>(std::floor(product * scale));
    }
    return static_cast<int>(r);
}
