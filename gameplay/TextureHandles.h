#pragma once
// 32-bit ids for texture handles. The shape records keep their textures as
// 32-bit fields (their byte image goes into saved games), so a pointer cannot
// live there; this small table turns a texture pointer into an id and back.
// Id 0 is "no texture". Ids are only meaningful within one run: records read
// from a saved game get theirs resolved again from their class and shape.
#include <cstdint>

namespace Quill {
class Image;
}

using TextureId = uint32_t;

// The id of a texture, registering it on first sight; 0 for null, and 0 (with
// one log line) when the table of 256 ids is full.
TextureId TextureIdOf(Quill::Image* texture);
// The texture of an id; null for 0 or an id that was never handed out.
Quill::Image* TextureOf(TextureId id);
// Forgets every id (when the textures themselves are released, and in tests).
void ResetTextureIds();
