#include "gameplay/EffectQueue.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kTwoPi = 6.2831853f;
const char* const kDigitsImage = "Graphics\\digits.png";
const char* const kTitleBacking = "Graphics\\title_backing.png";

void CopyText(char (&dest)[255], const char* text) {
    if (!text) text = "";
    std::strncpy(dest, text, sizeof dest - 1);
    dest[sizeof dest - 1] = 0;
}

float Pow5(float v) { return v * v * v * v * v; }

// A language text or a number in the digits image.
void DrawLabel(const EffectEntry& e, float x, float y, float textSize, int textFlags, uint32_t colour,
               float digitScale) {
    if (e.digits)
        EngineCalls::DrawDigits(EngineCalls::GetTexture(kDigitsImage), x, y, 0.75f, colour, e.text, digitScale);
    else
        EngineCalls::DrawText(x, y, textSize, colour, textFlags, e.text);
}

// A soft dark backing behind a title, fitted to the title's measured width
// (so it fits any language's words), that lets the light letters read over
// the busy, light board. It fades with the title.
void DrawTitleBacking(const EffectEntry& e, float x, float y, float size, int textFlags, float a) {
    using namespace EngineCalls;
    const float width = e.digits ? DigitsWidth(GetTexture(kDigitsImage), 0.75f, e.text, 1.0f)
                                 : TextWidth(size, textFlags, e.text);
    if (!(width > 0)) return;
    DrawSprite(GetTexture(kTitleBacking), x, y, width + 0.08f, 0.115f, 0, 0, 1, 1, FadeColour(a), 1, 0);
}

} // namespace

uint32_t FadeColour(float a) {
    float scaled = 255.0f * a;
    if (!(scaled > -1000.0f)) scaled = -1000.0f; // also NaN
    if (scaled > 1000.0f) scaled = 1000.0f;
    uint32_t alpha = static_cast<uint32_t>(static_cast<int>(scaled) + 1) & 0xFFu;
    return (alpha << 24) | 0x00FFFFFFu;
}

EffectQueue::EffectQueue() { lastUpdate = EngineCalls::NowSeconds(); }

EffectEntry* EffectQueue::Append(int kind, int layer, float delay, float duration) {
    if (count >= kCapacity) return nullptr;
    EffectEntry& e = entries[count++];
    e = EffectEntry();
    e.kind = kind;
    e.layer = layer;
    e.start = EngineCalls::NowSeconds() + delay;
    e.duration = duration;
    return &e;
}

bool EffectQueue::AddFloatingText(int layer, float delay, float duration, float x, float y, const char* text,
                                  bool digits) {
    EffectEntry* e = Append(Effect::FloatingText, layer, delay, duration);
    if (!e) return false;
    e->x = x;
    e->y = y;
    CopyText(e->text, text);
    e->digits = digits;
    return true;
}

bool EffectQueue::AddSizedImage(int kind, int layer, float delay, float duration, float x, float y, float w,
                                float h, EngineCalls::Texture image) {
    EffectEntry* e = Append(kind, layer, delay, duration);
    if (!e) return false;
    e->x = x;
    e->y = y;
    e->width = w;
    e->height = h;
    e->image = image;
    return true;
}

bool EffectQueue::AddGrowingImage(int layer, float delay, float duration, float x, float y, float w, float h,
                                  EngineCalls::Texture image) {
    return AddSizedImage(Effect::GrowingImage, layer, delay, duration, x, y, w, h, image);
}

bool EffectQueue::AddTween(float delay, float duration, float from, float to, float* target) {
    EffectEntry* e = Append(Effect::Tween, -1, delay, duration);
    if (!e) return false;
    e->tweenFrom = from;
    e->tweenTo = to;
    e->tweenTarget = target;
    return true;
}

bool EffectQueue::RetargetTweens(const float* target, float to) {
    bool found = false;
    for (int i = 0; i < count; ++i) {
        EffectEntry& e = entries[i];
        if (e.kind != Effect::Tween || e.tweenTarget != target) continue;
        e.tweenTo = to;
        found = true;
    }
    return found;
}

bool EffectQueue::AddTitleSweep(int layer, float delay, float duration, float x, float y, const char* text,
                                float yOffset) {
    EffectEntry* e = Append(Effect::TitleSweep, layer, delay, duration);
    if (!e) return false;
    e->x = x;
    e->y = y;
    CopyText(e->text, text);
    e->yOffset = yOffset;
    return true;
}

bool EffectQueue::AddShrinkingImage(int layer, float delay, float duration, float x, float y, float w, float h,
                                    EngineCalls::Texture image) {
    return AddSizedImage(Effect::ShrinkingImage, layer, delay, duration, x, y, w, h, image);
}

bool EffectQueue::AddSoundEvent(float delay, const char* name) {
    EffectEntry* e = Append(Effect::Sound, -1, delay, 1.0f);
    if (!e) return false;
    CopyText(e->text, name);
    return true;
}

bool EffectQueue::AddFadingTitle(int layer, float delay, float duration, float x, float y, const char* text,
                                 bool digits) {
    EffectEntry* e = Append(Effect::FadingTitle, layer, delay, duration);
    if (!e) return false;
    e->x = x;
    e->y = y;
    CopyText(e->text, text);
    e->digits = digits;
    return true;
}

bool EffectQueue::AddSheetAnimation(int layer, float delay, float duration, float x, float y,
                                    EngineCalls::Texture image, int columns, int rows, float drift) {
    EffectEntry* e = Append(Effect::SheetAnimation, layer, delay, duration);
    if (!e) return false;
    e->x = x;
    e->y = y;
    e->image = image;
    e->columns = columns;
    e->rows = rows;
    e->drift = drift;
    return true;
}

bool EffectQueue::AddParticleBurst(int layer, float delay, float duration, float x, float y, float size,
                                   float radius, EngineCalls::Texture image, bool even) {
    EffectEntry* e = Append(Effect::ParticleBurst, layer, delay, duration);
    if (!e) return false;
    e->x = x;
    e->y = y;
    e->radius = radius;
    e->image = image;
    e->particleCount = particleCount;
    for (int j = 0; j < particleCount; ++j) {
        EffectEntry::Particle& p = e->particles[j];
        if (even) {
            p.angle = kTwoPi * static_cast<float>(j) / static_cast<float>(particleCount);
            p.speedFactor = 1.0f;
        } else {
            p.angle = static_cast<float>(EngineCalls::RandomRaw()) / 32767.0f * kTwoPi;
            p.speedFactor = static_cast<float>(EngineCalls::RandomRaw()) / 32767.0f * 0.5f + 0.5f;
        }
        p.size = size;
        p.spin = static_cast<float>(EngineCalls::RandomRaw()) / 32767.0f * 2.0f - 1.0f;
    }
    return true;
}

bool EffectQueue::AddPlacingGlow(int layer, float delay, float duration, const float* followX, const float* followY,
                                 EngineCalls::Texture image) {
    EffectEntry* e = Append(Effect::PlacingGlow, layer, delay, duration);
    if (!e) return false;
    e->followX = followX;
    e->followY = followY;
    e->image = image;
    return true;
}

bool EffectQueue::AddFlyingText(int layer, float delay, float duration, float x, float y, float toX, float toY,
                                const char* text, bool digits) {
    EffectEntry* e = Append(Effect::FlyingText, layer, delay, duration);
    if (!e) return false;
    e->x = x;
    e->y = y;
    e->toX = toX;
    e->toY = toY;
    CopyText(e->text, text);
    e->digits = digits;
    return true;
}

bool EffectQueue::AddBurstTitle(int layer, float delay, float duration, float x, float y, const char* text) {
    EffectEntry* e = Append(Effect::BurstTitle, layer, delay, duration);
    if (!e) return false;
    e->x = x;
    e->y = y;
    CopyText(e->text, text);
    return true;
}

bool EffectQueue::AddDelayed(float delay, int32_t amount, int32_t* target) {
    EffectEntry* e = Append(Effect::DelayedAdd, -1, delay, 1.0f);
    if (!e) return false;
    e->addAmount = amount;
    e->addTarget = target;
    return true;
}

void EffectQueue::StartAction(EffectEntry& e) {
    switch (e.kind) {
    case Effect::Tween:
        if (e.tweenTarget) *e.tweenTarget = e.tweenFrom;
        break;
    case Effect::DelayedAdd:
        if (e.addTarget) *e.addTarget += e.addAmount;
        break;
    case Effect::Sound:
        EngineCalls::PlayEvent(e.text);
        break;
    default:
        break;
    }
}

void EffectQueue::Update() {
    float now = EngineCalls::NowSeconds();
    float elapsed = now - lastUpdate;
    lastUpdate = now;
    int i = 0;
    while (i < count) {
        EffectEntry& e = entries[i];
        if (e.duration == 0 || e.start > now) {
            ++i;
            continue;
        }
        if (e.pending) {
            e.pending = 0;
            StartAction(e);
        } else if (e.finished) {
            for (int k = i; k + 1 < count; ++k) entries[k] = entries[k + 1];
            --count;
            continue; // the entry that moved up is looked at next
        } else {
            e.progress += elapsed / e.duration;
            if (e.progress >= 1.0f) {
                e.progress = 1.0f;
                e.finished = 1;
            }
            if (e.progress == 0) e.finished = 0;
            if (e.kind == Effect::Tween && e.tweenTarget)
                *e.tweenTarget = e.finished ? e.tweenTo : (1.0f - e.progress) * e.tweenFrom + e.progress * e.tweenTo;
        }
        ++i;
    }
}

void EffectQueue::Draw(int layer) const {
    for (int i = 0; i < count; ++i) {
        const EffectEntry& e = entries[i];
        if (e.pending || e.layer != layer) continue;
        DrawEntry(e);
    }
}

void EffectQueue::DrawEntry(const EffectEntry& e) const {
    using namespace EngineCalls;
    const float p = e.progress;
    switch (e.kind) {
    case Effect::FloatingText:
        DrawLabel(e, e.x, e.y - 0.15f * p, 0.05f, 1, FadeColour(1.0f - p), 1.0f);
        break;
    case Effect::GrowingImage:
        DrawSprite(e.image, e.x, e.y, p * e.width, p * e.height, 0, 0, 1, 1, 0xFFFFFFFFu, 1, 0);
        break;
    case Effect::TitleSweep: {
        const float y = e.y + e.yOffset + Pow5(2.0f * p - 1.0f);
        DrawTitleBacking(e, e.x, y, 0.1f, 17, 1.0f);
        DrawText(e.x, y, 0.1f, 0xFFFFFFFFu, 17, e.text);
        break;
    }
    case Effect::ShrinkingImage:
        DrawSprite(e.image, e.x, e.y, (1.0f - p) * e.width, (1.0f - p) * e.height, 0, 0, 1, 1, 0xFFFFFFFFu, 1, 0);
        break;
    case Effect::FadingTitle: {
        float a = p < 0.25f ? p / 0.25f : (p <= 0.85f ? 1.0f : 1.0f - (p - 0.85f) / 0.15f);
        DrawTitleBacking(e, e.x, e.y, 0.1f, 17, a);
        DrawLabel(e, e.x, e.y, 0.1f, 17, FadeColour(a), 1.0f);
        break;
    }
    case Effect::SheetAnimation: {
        float since = NowSeconds() - e.start;
        DrawSpriteFrame(e.image, e.x, e.y + e.drift * since, 0.05f, 0.07f, 521, e.columns, e.rows, p,
                        FadeColour(1.0f - p));
        break;
    }
    case Effect::ParticleBurst: {
        float a = p <= 0.75f ? 1.0f : (1.0f - p) * 4.0f;
        for (int j = 0; j < e.particleCount; ++j) {
            const EffectEntry::Particle& q = e.particles[j];
            float r = p * e.radius * q.speedFactor;
            float w = (0.5f * p + 0.5f) * q.size;
            DrawSprite(e.image, e.x + std::cos(q.angle) * r, e.y + std::sin(q.angle) * r * 4.0f / 3.0f, w,
                       w * 4.0f / 3.0f, 0, 0, 1, 1, FadeColour(a), 1, q.spin * 2.0f * kTwoPi * p);
        }
        break;
    }
    case Effect::PlacingGlow:
        if (e.followX && e.followY)
            DrawSprite(e.image, *e.followX, *e.followY, 0, 0, 0, 0, 1, 1, FadeColour(0.5f - p / 2.0f), 10, 0);
        break;
    case Effect::FlyingText: {
        float p3 = p * p * p;
        float x = (1.0f - p3) * e.x + p3 * e.toX;
        float y = (1.0f - p) * e.y + p * e.toY;
        float a = p < 0.1f ? 10.0f * p : (p > 0.9f ? 10.0f * (1.0f - p) : 1.0f);
        DrawLabel(e, x, y, 0.05f, 1, FadeColour(a), 1.0f - 0.5f * p);
        break;
    }
    case Effect::BurstTitle: {
        float y = e.y, size = 0.2f, a = 1.0f;
        if (p < 0.6f) {
            y = e.y + Pow5(p / 0.6f - 1.0f);
        } else if (p > 0.9f) {
            float q = (p - 0.9f) / 0.1f;
            size = 0.2f + 0.4f * q;
            a = 1.0f - q;
        }
        DrawText(e.x, y, size, FadeColour(a), 1, e.text);
        break;
    }
    default: // tweens, sounds and additions draw nothing
        break;
    }
}

void EffectQueue::Clear() {
    count = 0;
    lastUpdate = EngineCalls::NowSeconds();
}

void EffectQueue::SetParticleCount(int n) { particleCount = n < 1 ? 1 : (n > 10 ? 10 : n); }

EffectQueue& TheEffectQueue() {
    static EffectQueue queue;
    return queue;
}
