// Colours, line widths and fills: what the options do to the colour, pen and
// brush records of a picture.
#pragma once

#include <cstdint>
#include <optional>

#include "metafile.h"

namespace wmf {

inline constexpr uint32_t kWhite = 0xFFFFFF;

// The AutoCAD colour number 1..255 of a picture colour (flags byte cleared)
// in the palette in force, which it also stores into oPalette; black and
// white are colour number 7. None when the palette lacks the colour.
std::optional<int> ColorNumberOf(WmfSettings& settings, uint32_t color);

// A line width in inches (millimetres when metric) in output logical units.
int32_t PenWidthUnits(double width, bool metric, double unitsPerInchOut);

// Applies the colour, width and fill rules to a copy of a MetaSetBkColor,
// MetaSetTextColor, MetaSetPixel, MetaCreatePenIndirect or
// MetaCreateBrushIndirect record. Inside a nested block nothing changes.
// False when the record is too short for its colour (it stays unchanged).
bool RewriteColorRecord(WmfRecord& record, const PassState& pass, WmfSettings& settings);

}  // namespace wmf
