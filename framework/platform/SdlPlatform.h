#pragma once
// The platform over SDL2: one window (at a desktop position, or covering the
// desktop for full screen), the back buffer shown through a streaming texture
// scaled with its aspect kept (black bars fill the rest), SDL events turned
// into the framework's messages and virtual keys, the pointer mapped between
// window pixels and the logical screen, system cursors, message boxes, the
// shell's open and one audio device. Nothing outside this folder sees SDL.
#include "framework/platform/Platform.h"

#include <vector>

namespace Quill {

// Where a logical w x h picture lands in a window of winW x winH pixels when
// it is scaled as large as fits with its aspect kept, centred.
Rect LetterboxRect(int winW, int winH, int logicalW, int logicalH);
// A window point mapped into the logical picture of `box` (may lie outside it).
void WindowToLogical(const Rect& box, int logicalW, int logicalH, int wx, int wy, int& lx, int& ly);
// A logical point mapped to the window (the centre of its pixel).
void LogicalToWindow(const Rect& box, int logicalW, int logicalH, int lx, int ly, int& wx, int& wy);
// The parts of a w x h picture that differ from the one shown before, as
// rectangles: the picture is cut into bands of `bandH` rows and columns of
// `tileW` pixels, and each run of changed tiles in a band is one rectangle
// (clipped to the picture). Nothing changed gives none.
std::vector<Rect> ChangedRects(const uint32_t* picture, const uint32_t* shown, int w, int h, int tileW, int bandH);
// Appends the 8-bit characters of UTF-8 text (code points up to 255; others
// and broken sequences are dropped).
void Utf8ToLatin1(const char* text, std::string& out);

} // namespace Quill
