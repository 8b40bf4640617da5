#pragma once
// The shape classes: each has its own outline and colour, and three shapes
// whose outlines differ (turned, mirrored or with a different count of
// points). A shape's main image is glossy with a soft drop shadow; its mask
// is a dark translucent silhouette of exactly the same outline with a light
// rim, so it reads on light and dark backgrounds alike.
#include "Output.h"
#include "Paint.h"

#include <string>
#include <vector>

namespace Content {

struct ShapeClassArt {
    std::string name;
    uint32_t color;
};

// The classes in the order of classes.xml.
const std::vector<ShapeClassArt>& ShapeClassTable();
constexpr int ShapesPerClass = 3;
constexpr int ShapeImageSize = 64;

// Coverage of shape `variant` of class `index`, fitted into a square of
// `size` pixels centred at (cx, cy) with the given radius.
Field ShapeCoverage(int index, int variant, int size, double cx, double cy, double radius);
// The glossy picture of a coverage field in `color`: body, bevel light,
// highlight and a drop shadow (shadowAlpha 0 for none).
void PaintGlossy(cairo_t* cr, const Field& a, const Rgb& color, double shadowAlpha);
// The dark silhouette of a coverage field, tinted a little with `color`.
void PaintMask(cairo_t* cr, const Field& a, const Rgb& color);

// Writes Graphics/Shapes/<name>_<n>.png and <name>_<n>_mask.png for every class.
void MakeShapes(Output& out);

} // namespace Content
