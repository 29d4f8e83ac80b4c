#include "color_rules.h"

#include <cmath>

#include "acad_palettes.h"
#include "record_access.h"

namespace wmf {
namespace {

// Where the colour stands in each record.
size_t ColorParam(uint16_t function) {
  switch (function) {
    case MetaCreatePenIndirect: return 3;
    case MetaCreateBrushIndirect: return 1;
    default: return 0;  // MetaSetBkColor, MetaSetTextColor, MetaSetPixel
  }
}

void SetPenWidth(WmfRecord& pen, int32_t width) {
  StoreDoubleWord(pen, 1, static_cast<uint32_t>(width));  // lopnWidth.x low half, .y high half
}

}  // namespace

std::optional<int> ColorNumberOf(WmfSettings& settings, uint32_t color) {
  settings.oPalette = settings.PaletteInForce();
  const PaletteTable& palettes = AcadPalettes();
  for (int row = 0; row < kColorNumbers; ++row)
    if (palettes[row][settings.oPalette] == color) return row == 0 ? 7 : row;
  return std::nullopt;
}

int32_t PenWidthUnits(double width, bool metric, double unitsPerInchOut) {
  const double inches = metric ? width / static_cast<double>(25.4f) : width;
  const double units = inches * unitsPerInchOut + 0.5;
  if (!(units > -2147483648.0 && units < 2147483648.0)) return 0;
  return static_cast<int32_t>(units);
}

bool RewriteColorRecord(WmfRecord& record, const PassState& pass, WmfSettings& settings) {
  const size_t at = ColorParam(record.function);
  if (!Has(record, at + 2)) return false;
  if (pass.inNested) return true;  // colours inside nested blocks keep even their flags byte

  uint32_t color = DoubleWordAt(record, at) & 0x00FFFFFF;
  const ColorEntry* entry = nullptr;
  auto lookUp = [&] {
    const std::optional<int> number = ColorNumberOf(settings, color);
    entry = number ? &settings.colors[*number] : nullptr;
    return entry != nullptr;
  };
  enum class Next { BlackRule, WhiteRule, Store } next = Next::BlackRule;

  switch (record.function) {
    case MetaCreatePenIndirect:
      if (settings.Lineoptions == 2)
        SetPenWidth(record, PenWidthUnits(settings.FixedWidth, settings.IsMetric, pass.unitsPerInchOut));
      if (settings.Lineoptions == 3 && lookUp()) {
        SetPenWidth(record, PenWidthUnits(entry->width, settings.IsMetric, pass.unitsPerInchOut));
        color = entry->lineColor;
      }
      break;
    case MetaCreateBrushIndirect:
      if (settings.Filledoptions == 0) {
        next = Next::WhiteRule;
      } else if (settings.Filledoptions == 2) {
        color = kBlack;
        next = Next::Store;
      } else if (settings.Filledoptions == 3) {
        if (lookUp()) color = entry->fillColor;
        next = Next::WhiteRule;
      } else {
        next = Next::Store;
      }
      break;
    default:  // background colour, text colour, pixel
      if (settings.Lineoptions == 3 && lookUp()) color = entry->lineColor;
      break;
  }
  if (next == Next::BlackRule && settings.MakeBlack) {
    color = kBlack;
    next = Next::Store;
  }
  if (next != Next::Store && settings.WhiteBlack && settings.RemoveBackground && color == kWhite) color = kBlack;
  StoreDoubleWord(record, at, color & 0x00FFFFFF);
  return true;
}

}  // namespace wmf
