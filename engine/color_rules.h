// Colours, line widths and fills: what the options do to the colour, pen and
// brush records of a picture.
#pragma once

#include <cstdint>
#include <optional>

#include "metafile.h"

namespace wmf {

inline constexpr uint32_t kWhite = 0xFFFFFF;

// The AutoCAD colour number 1..255 of a picture colour (flags byte cleared)
// in `palette` (0..8); black and white are colour number 7. None when the
// palette lacks the colour.
std::optional<int> ColorNumberOf(int palette, uint32_t color);

// A line width in inches (millimetres when metric) in output logical units.
int32_t PenWidthUnits(double width, bool metric, double unitsPerInchOut);

// What a colour of a picture is used for.
enum class ColorUse {
  Line,   // a pen
  Fill,   // a brush
  Other,  // the text colour, the background colour, a pixel
};

// What the options make of one colour: the colour, and for a pen the width
// it gets in output logical units, if the options set one.
struct ColorOutcome {
  uint32_t color = 0;
  std::optional<int32_t> penWidth;
};

// The colour, width and fill rules, the same for every picture format:
// `palette` is the palette in force (WmfSettings::PaletteInForce of the
// picture's own), `unitsPerInchOut` the output's scale.
ColorOutcome ApplyColorRules(ColorUse use, uint32_t color, const WmfSettings& settings, int palette,
                             double unitsPerInchOut);

// Applies the rules to a copy of a MetaSetBkColor, MetaSetTextColor,
// MetaSetPixel, MetaCreatePenIndirect or MetaCreateBrushIndirect record.
// Inside a nested block nothing changes. False when the record is too short
// for its colour (it stays unchanged).
bool RewriteColorRecord(WmfRecord& record, const PassState& pass, const WmfSettings& settings, int palette);

}  // namespace wmf
