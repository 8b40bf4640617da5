#pragma once
// The small window icon, drawn in code so the program needs no icon file: a
// gold-rimmed blue disc with a white four-pointed star, the game's star ring
// in miniature, on a transparent ground.
#include <cstdint>
#include <vector>

constexpr int kAppIconSize = 32;

// kAppIconSize x kAppIconSize ARGB pixels, rows top to bottom.
std::vector<uint32_t> MakeAppIcon();
