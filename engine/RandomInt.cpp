#include "engine/RandomInt.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <random>

#include <unistd.h>

namespace {

// Every run deals differently: the sequence starts from the wall clock in
// seconds, mixed with a finer clock so that two starts within one second
// differ too.
uint32_t ClockSeed() {
    uint64_t seconds = static_cast<uint64_t>(std::time(nullptr));
    uint64_t ticks = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<uint32_t>(seconds ^ ticks ^ (ticks >> 32));
}

// Only the main thread draws; the atomic just keeps a stray draw from
// another thread from being undefined behaviour. Made on first use, so a
// draw from another global's constructor also finds it seeded.
std::atomic<uint32_t>& State() {
    static std::atomic<uint32_t> state{ClockSeed()};
    return state;
}

} // namespace

unsigned SystemSeed() {
    uint32_t seed = ClockSeed() ^ (static_cast<uint32_t>(getpid()) * 2654435761u);
    // The system's own random source where it has one; the clocks and the
    // process id alone already differ between two starts.
    try {
        std::random_device device;
        seed ^= device();
    } catch (...) {
    }
    return seed;
}

void SeedRandom(unsigned seed) { State().store(seed, std::memory_order_relaxed); }

unsigned RandomState() { return State().load(std::memory_order_relaxed); }

int RandomDraw() {
    std::atomic<uint32_t>& state = State();
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
