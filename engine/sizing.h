// Which region of a picture is output, how large the output window is after
// rotation, and at what physical size the output is suggested.
#pragma once

#include "metafile.h"

namespace wmf {

// a × b / c with a 64-bit intermediate, rounded to the nearest integer
// (halves away from zero); -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// Sets `bounds` to the region to output and returns the output window size
// (w, h), swapped for a rotation of 90 or 270 degrees. Never empty: a region
// without width or height gets one logical unit.
Size ChooseRegion(const WmfSettings& settings, const Rect& extents, const Rect& fullRect, Rect& bounds);

// The output scale in logical units per inch for the size mode in force.
// Always finite and positive.
double ChooseScale(const WmfSettings& settings, Size output, double unitsPerInch, const Rect& fullRect,
                   double drawingHeight);

// GDI leaves out a figure's right and bottom edge: the output window of an
// exact crop (no margin) reaches a little beyond the far edges, so that
// lines there stay visible. Other outputs are returned as they are.
Size WithFarEdgeRoom(const WmfSettings& settings, const Rect& extents, const Rect& bounds, Size output);

// The whole factor by which the output's coordinates shrink so that the
// window (w, h) fits 16-bit fields and the scale the placeable header's Inch
// field; 1 for every ordinary picture.
int64_t OutputDivisor(Size output, double unitsPerInchOut);

// (w, h) shrunk by `divisor`, rounded as the coordinates are; at least 1.
Size ShrinkSize(Size output, int64_t divisor);

// The suggested size of the output in HIMETRIC; both at least 1.
Size PhysicalSize(Size output, double unitsPerInchOut);

}  // namespace wmf
