#pragma once
// The game's one queue of timed things: floating and flying numbers, titles,
// growing and shrinking images, star animations, particle bursts, the glow
// that follows a placed cell, value tweens (fades, lines closing up, the clock
// reset), delayed sound events and delayed score additions. A sequence (say,
// every reward at the end of a level) is laid out at once by delays; the round
// flow then only waits for the queue to become idle. So this is the game's
// sequencer as well as its effect system.
//
// A fixed table of 150 entries in the order they were added; adding never
// allocates and fails (false, nothing added) when the table is full. Tween and
// addition targets, and the followed position of a glow, are pointers into the
// Game object, which outlives every entry.
#include "gameplay/EngineCalls.h"

#include <cstdint>

// A colour of opacity a (0..1): alpha byte trunc(255 a) + 1 kept to 8 bits, so
// a = 1 gives byte 0 (read as opaque) and a = 0 gives byte 1; white.
uint32_t FadeColour(float a);

namespace Effect {
enum : int32_t {
    FloatingText = 1,
    GrowingImage = 3,
    Tween = 4,
    TitleSweep = 5,
    ShrinkingImage = 6,
    Sound = 7,
    FadingTitle = 8,
    SheetAnimation = 9,
    ParticleBurst = 10,
    PlacingGlow = 11,
    FlyingText = 12,
    BurstTitle = 13,
    DelayedAdd = 14,
};
}

struct EffectEntry {
    struct Particle {
        float angle, speedFactor, size, spin;
    };
    int32_t kind = 0;
    int32_t layer = -1;
    float start = 0;
    float duration = 0;
    float progress = 0;
    int32_t pending = 1;
    int32_t finished = 0;
    float x = 0, y = 0;
    const float* followX = nullptr;
    const float* followY = nullptr;
    float width = 0, height = 0;
    float toX = 0, toY = 0;
    float yOffset = 0;
    char text[255] = {};
    int32_t digits = 0;
    EngineCalls::Texture image = nullptr;
    int32_t columns = 1, rows = 1;
    float drift = 0;
    Particle particles[10] = {};
    int32_t particleCount = 0;
    float radius = 0;
    float tweenFrom = 0, tweenTo = 0;
    float* tweenTarget = nullptr;
    int32_t* addTarget = nullptr;
    int32_t addAmount = 0;
};

class EffectQueue {
public:
    static constexpr int kCapacity = 150;

    EffectQueue();
    virtual ~EffectQueue() = default;
    EffectQueue(const EffectQueue&) = delete;
    EffectQueue& operator=(const EffectQueue&) = delete;

    // Kind 1: text rising 0.15 and fading out; digits draws it with the digits image.
    bool AddFloatingText(int layer, float delay, float duration, float x, float y, const char* text, bool digits);
    // Kind 3: an image growing from nothing to (w, h).
    bool AddGrowingImage(int layer, float delay, float duration, float x, float y, float w, float h,
                         EngineCalls::Texture image);
    // Kind 4: *target moves from `from` to `to` (invisible).
    bool AddTween(float delay, float duration, float from, float to, float* target);
    // Sends every tween of *target (pending or running) to `to` instead;
    // false when there is none.
    bool RetargetTweens(const float* target, float to);
    // Kind 5: a title falling in from above, resting, falling out below.
    bool AddTitleSweep(int layer, float delay, float duration, float x, float y, const char* text, float yOffset);
    // Kind 6: an image shrinking from (w, h) to nothing.
    bool AddShrinkingImage(int layer, float delay, float duration, float x, float y, float w, float h,
                           EngineCalls::Texture image);
    // Kind 7: a sound event played once at its start (invisible, one second of life).
    bool AddSoundEvent(float delay, const char* name);
    // Kind 8: a title fading in, holding and fading out.
    bool AddFadingTitle(int layer, float delay, float duration, float x, float y, const char* text, bool digits);
    // Kind 9: a sprite sheet played once over the duration.
    bool AddSheetAnimation(int layer, float delay, float duration, float x, float y, EngineCalls::Texture image,
                           int columns, int rows, float drift);
    // Kind 10: particles flying out from (x, y); even spreads them evenly.
    bool AddParticleBurst(int layer, float delay, float duration, float x, float y, float size, float radius,
                          EngineCalls::Texture image, bool even);
    // Kind 11: an additive glow that follows a cell's position.
    bool AddPlacingGlow(int layer, float delay, float duration, const float* followX, const float* followY,
                        EngineCalls::Texture image);
    // Kind 12: a number flying from (x, y) to (toX, toY).
    bool AddFlyingText(int layer, float delay, float duration, float x, float y, float toX, float toY,
                       const char* text, bool digits);
    // Kind 13: a big title that drops in, rests, then swells and fades.
    bool AddBurstTitle(int layer, float delay, float duration, float x, float y, const char* text);
    // Kind 14: adds `amount` to *target once, at the start (invisible, one second of life).
    bool AddDelayed(float delay, int32_t amount, int32_t* target);

    // Once per tick: starts, advances and removes entries.
    void Update();
    // Draws the started entries of one layer, in table order.
    void Draw(int layer) const;
    // No entry left at all (pending, running or finished-but-not-removed).
    bool Idle() const { return count == 0; }
    // Removes every entry; the next update measures time from now.
    void Clear();
    // Particles per burst: 10 with 3-D acceleration, 5 without.
    void SetParticleCount(int n);
    int ParticleCount() const { return particleCount; }

    int Count() const { return count; }
    const EffectEntry& Entry(int i) const { return entries[i]; }

private:
    EffectEntry* Append(int kind, int layer, float delay, float duration);
    // An image effect with a place and a size (growing or shrinking).
    bool AddSizedImage(int kind, int layer, float delay, float duration, float x, float y, float w, float h,
                       EngineCalls::Texture image);
    void StartAction(EffectEntry& e);
    void DrawEntry(const EffectEntry& e) const;

    EffectEntry entries[kCapacity];
    int count = 0;
    int particleCount = 10;
    float lastUpdate = 0;
};

// The process-wide queue.
EffectQueue& TheEffectQueue();
