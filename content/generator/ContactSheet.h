#pragma once
// A contact sheet of every picture generated, each on a checkerboard with its
// file name, animation sheets frame by frame, so the art can be judged at a
// glance. It is written beside the build, not into the game folder.
#include "Output.h"

#include <string>

namespace Content {

bool WriteContactSheet(const Output& out, const std::string& path);

} // namespace Content
