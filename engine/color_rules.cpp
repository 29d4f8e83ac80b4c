#include "color_rules.h"

#include <cmath>

#include "acad_palettes.h"
#include "record_views.h"

namespace wmf {
namespace {

void SetPenWidth(WmfRecord& pen, int32_t width) {
  StoreDoubleWord(pen, PenFields::kWidth, static_cast<uint32_t>(width));  // lopnWidth.x low half, .y high half
}

}  // namespace

std::optional<int> ColorNumberOf(int palette, uint32_t color) {
  const PaletteTable& palettes = AcadPalettes();
  for (int row = 0; row < kColorNumbers; ++row)
    if (palettes[row][palette] == color) return row == 0 ? 7 : row;
  return std::nullopt;
}

int32_t PenWidthUnits(double width, bool metric, double unitsPerInchOut) {
  const double inches = metric ? width / static_cast<double>(25.4f) : width;
  const double units = inches * unitsPerInchOut + 0.5;
  if (!(units > -2147483648.0 && units < 2147483648.0)) return 0;
  return static_cast<int32_t>(units);
}

ColorOutcome ApplyColorRules(ColorUse use, uint32_t color, const WmfSettings& settings, int palette,
                             double unitsPerInchOut) {
  ColorOutcome out{color & 0x00FFFFFF, std::nullopt};
  const ColorEntry* entry = nullptr;
  auto lookUp = [&] {
    const std::optional<int> number = ColorNumberOf(palette, out.color);
    entry = number ? &settings.colors[*number] : nullptr;
    return entry != nullptr;
  };
  enum class Next { BlackRule, WhiteRule, Store } next = Next::BlackRule;

  switch (use) {
    case ColorUse::Line:
      if (settings.Lineoptions == 2) out.penWidth = PenWidthUnits(settings.FixedWidth, settings.IsMetric, unitsPerInchOut);
      if (settings.Lineoptions == 3 && lookUp()) {
        out.penWidth = PenWidthUnits(entry->width, settings.IsMetric, unitsPerInchOut);
        out.color = entry->lineColor;
      }
      break;
    case ColorUse::Fill:
      if (settings.Filledoptions == 0) {
        next = Next::WhiteRule;
      } else if (settings.Filledoptions == 2) {
        out.color = kBlack;
        next = Next::Store;
      } else if (settings.Filledoptions == 3) {
        if (lookUp()) out.color = entry->fillColor;
        next = Next::WhiteRule;
      } else {
        next = Next::Store;
      }
      break;
    case ColorUse::Other:
      if (settings.Lineoptions == 3 && lookUp()) out.color = entry->lineColor;
      break;
  }
  if (next == Next::BlackRule && settings.MakeBlack) {
    out.color = kBlack;
    next = Next::Store;
  }
  if (next != Next::Store && settings.WhiteBlack && settings.RemoveBackground && out.color == kWhite) out.color = kBlack;
  out.color &= 0x00FFFFFF;
  return out;
}

bool RewriteColorRecord(WmfRecord& record, const PassState& pass, const WmfSettings& settings, int palette) {
  const size_t at = ColorParam(record.function);
  if (!Has(record, at + 2)) return false;
  if (pass.inNested) return true;  // colours inside nested blocks keep even their flags byte
  const ColorUse use = record.function == MetaCreatePenIndirect     ? ColorUse::Line
                       : record.function == MetaCreateBrushIndirect ? ColorUse::Fill
                                                                    : ColorUse::Other;
  const ColorOutcome out = ApplyColorRules(use, DoubleWordAt(record, at), settings, palette, pass.unitsPerInchOut);
  if (out.penWidth) SetPenWidth(record, *out.penWidth);
  StoreDoubleWord(record, at, out.color);
  return true;
}

}  // namespace wmf
