// What publishing puts around a played picture: the placeable file header
// and the size text shown to the user.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "metafile.h"

namespace wmf {

// A placeable file of the played picture: the header (frame (0, 0, w, h),
// Inch = whole units per inch) followed by the metafile's bits.
std::vector<uint8_t> PlaceableFileBytes(std::span<const uint8_t> metafileBits, Size output, double unitsPerInchOut);

// "(size: 5.1 * 3.8 cm)" or "(size: 2.00\" * 1.50\")" for a size in HIMETRIC.
std::wstring SizeStatusText(Size himetric, bool metric);

}  // namespace wmf
