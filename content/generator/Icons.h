#pragma once
// The desktop icons: the game's golden star shape, glossy as on the board,
// on a rounded night-blue tile, drawn afresh at every size the desktop's
// hicolor theme asks for so that small sizes stay crisp rather than shrunk.
#include "Output.h"

#include <string>

namespace Content {

// Writes hicolor/<n>x<n>/apps/<appId>.png under `out` for n = 16, 32, 48,
// 64, 128 and 256.
void MakeIcons(Output& out, const std::string& appId);

} // namespace Content
