#pragma once
// The plain records of play: a shape on the board, in the panel or in hand
// (ShapeCell), the shape classes read from classes.xml (ShapeDef, ShapeClass),
// the six board lines (BoardLine) and the two critters (Bug, Butterfly).
// ShapeCell and BoardLine go byte for byte into saved games, so every field is
// 32 bits wide, in a fixed order, and the sizes are pinned below. Texture
// handles are 32-bit ids (TextureHandles.h), never raw pointers, so the byte
// image has the same size on every machine; they are resolved again whenever a
// level starts or a saved game is restored.
#include "gameplay/TextureHandles.h"

#include <cstddef>
#include <cstdint>

// Texts of the class table: up to 254 characters and the terminator.
constexpr int kNameSize = 255;
constexpr int kMaxShapesPerClass = 10;
constexpr int kMaxClasses = 30;
constexpr int kMaxCells = 180;
constexpr int kPanelSlots = 20;
constexpr int kLineCount = 6;
constexpr int kButterflyCount = 8;

// One shape: a board cell, a panel shape, the held shape or the last placed one.
struct ShapeCell {
    int32_t classIndex = 0; // index into the level's classes; -1 in "last placed" means none
    int32_t shape = 0;      // index of the ShapeDef within the class
    float restY = 0;        // board cell: y at scroll offset 0
    float x = 0;            // centre
    float y = 0;
    float width = 0;        // hit box only; sprites are drawn at their pixel size
    float height = 0;
    float speed = 0;        // board cell: -lineSpeed at build time; nothing reads it
    int32_t shown = 0;      // cell: its line still stands; held shape: holding
    int32_t filled = 0;     // cell: the right shape was placed on it
    int32_t bonus = 0;      // panel or held shape: 0 none, 1 any-shape, 2 band, 3 area
    TextureId maskImage = 0; // cell: the silhouette drawn while empty
    TextureId mainImage = 0; // cell: drawn when filled; panel/held: the image drawn
};
static_assert(sizeof(ShapeCell) == 52, "ShapeCell is 13 fields of 32 bits");
static_assert(offsetof(ShapeCell, shown) == 32 && offsetof(ShapeCell, mainImage) == 48, "ShapeCell field order");

struct ShapeDef {
    char mainImage[kNameSize] = {};
    char maskImage[kNameSize] = {};
};
static_assert(sizeof(ShapeDef) == 510, "ShapeDef is two 255-byte paths");

struct ShapeClass {
    ShapeDef shapes[kMaxShapesPerClass];
    int32_t shapeCount = 0;
    char name[kNameSize] = {};
    char soundEvent[kNameSize] = {};
};
static_assert(offsetof(ShapeClass, shapeCount) == 5100 && offsetof(ShapeClass, name) == 5104 &&
                  offsetof(ShapeClass, soundEvent) == 5359 && sizeof(ShapeClass) == 5616,
              "ShapeClass layout");

struct BoardLine {
    float x = 0;
    float y = 0.5f;
    uint32_t tint = 0;  // alpha byte from the fade, then white; recomputed at every draw
    float fade = 1.0f;  // tweened to 0 when the line goes
    int32_t removed = 0;
    float drift = 0.01f;
};
static_assert(sizeof(BoardLine) == 24, "BoardLine is 6 fields of 32 bits");
static_assert(offsetof(BoardLine, removed) == 16, "BoardLine field order");

// The opponent that walks in, eats a filled shape and walks out. The target is
// an index into the Game's cell table (the table never moves during a level).
struct Bug {
    int32_t active = 0;
    float lastLeave = 0;
    float arrivedAt = 0;
    int32_t state = 0; // 0 walking in, 1 eating, 2 walking out
    float speed = 0.2f;
    float x = 0, y = 0;
    float startX = -0.1f, startY = 0.2f;
    float exitX = 1.1f, exitY = 0.2f;
    int32_t targetCell = -1;
    float interval = 5.0f;
    float eatTime = 2.0f;
};

// A menu decoration drifting about and turning every three seconds.
struct Butterfly {
    float lastTurn = 0;
    float homeX = 0, homeY = 0;
    float x = 0, y = 0;
    float heading = 0; // radians, 0 = right, growing toward down
    float phase = 0;
    int32_t wandering = 1;
    int32_t circling = 0;
    float speed = 0.02f;
    TextureId leftImage = 0;
    TextureId rightImage = 0;
};
static_assert(sizeof(Butterfly) == 48, "Butterfly is 12 fields of 32 bits");
