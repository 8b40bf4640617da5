#include "gameplay/TextureHandles.h"

#include "gameplay/EngineCalls.h"

namespace {

constexpr uint32_t kMaxIds = 256;
Quill::Image* registered[kMaxIds] = {};
uint32_t registeredCount = 0;
bool overflowLogged = false;

} // namespace

TextureId TextureIdOf(Quill::Image* texture) {
    if (!texture) return 0;
    for (uint32_t i = 0; i < registeredCount; ++i)
        if (registered[i] == texture) return i + 1;
    if (registeredCount == kMaxIds) {
        if (!overflowLogged) EngineCalls::Log("Overflow error: maximum texture ids in play", 0);
        overflowLogged = true;
        return 0;
    }
    registered[registeredCount++] = texture;
    return registeredCount;
}

Quill::Image* TextureOf(TextureId id) {
    if (id == 0 || id > registeredCount) return nullptr;
    return registered[id - 1];
}

void ResetTextureIds() {
    for (auto& r : registered) r = nullptr;
    registeredCount = 0;
    overflowLogged = false;
}
