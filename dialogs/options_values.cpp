#include "options_values.h"

#include <cmath>

#include "text_format.h"

namespace {

double RoundedTo(double value, double factor, double divisor) { return std::floor(value * factor + 0.5) / divisor; }

template <class Change>
void ForRepresentatives(std::array<ColorEntry, kColorNumbers>& colors, const std::vector<int>& selected,
                        Change change) {
  for (int c : selected) {
    if (c > 0 && c < kColorNumbers && colors[c].representative == c) change(colors[c]);
  }
}

}  // namespace

OptionsDialogValues ReadOptionsValues(const WmfSettings& s) {
  OptionsDialogValues v;
  v.crop = s.Crop;
  v.tilemode = s.Tilemode;
  v.removeBackground = s.RemoveBackground;
  v.fixedWidth = s.FixedWidth;
  v.makeBlack = s.MakeBlack;
  v.percentage = s.Percentage;
  v.pictureWidth = s.PictureWidth;
  v.pictureHeight = s.PictureHeight;
  v.drawingScale = s.DrawingScale;
  v.wmfScale = s.WMFScale;
  v.outlinesToo = s.Outlinestoo;
  v.rotationIndex = s.Rotation / 90;
  switch (s.Lineoptions) {
    case 1: v.lineChoice = 0; v.makeBlack = 1; break;  // black thin lines
    case 2: v.lineChoice = 1; break;
    case 3: v.lineChoice = 2; break;
    default: v.lineChoice = 0; break;
  }
  switch (s.Filledoptions) {
    case 2: v.fillChoice = 0; break;
    case 3: v.fillChoice = 3; break;
    default: v.fillChoice = 1; break;
  }
  switch (s.Widthoptions) {
    case 1: v.sizeChoice = 2; break;
    case 2: v.sizeChoice = 3; break;
    case 3: v.sizeChoice = 4; break;
    default: v.sizeChoice = s.Percentage == 100 ? 0 : 1; break;
  }
  return v;
}

void WriteOptionsValues(const OptionsDialogValues& v, WmfSettings& s) {
  s.Crop = v.crop;
  s.Tilemode = v.tilemode;
  s.RemoveBackground = v.removeBackground;
  s.FixedWidth = v.fixedWidth;
  s.MakeBlack = v.makeBlack;
  s.Percentage = v.percentage;
  s.PictureWidth = v.pictureWidth;
  s.PictureHeight = v.pictureHeight;
  s.DrawingScale = v.drawingScale;
  s.WMFScale = v.wmfScale;
  s.Outlinestoo = v.outlinesToo;
  if (v.rotationIndex >= 0 && v.rotationIndex <= 3) s.Rotation = v.rotationIndex * 90;
  switch (v.lineChoice) {
    case 0: s.Lineoptions = 0; break;
    case 1: s.Lineoptions = 2; break;
    case 2: s.Lineoptions = 3; break;
    default: break;
  }
  switch (v.fillChoice) {
    case 0: s.Filledoptions = 2; break;
    case 1: s.Filledoptions = 0; break;
    case 3: s.Filledoptions = 3; break;
    default: break;  // "Remove" is not offered
  }
  switch (v.sizeChoice) {
    case 0: s.Widthoptions = 0; s.Percentage = 100; break;
    case 1: s.Widthoptions = 0; break;
    case 2: s.Widthoptions = 1; break;
    case 3: s.Widthoptions = 2; break;
    case 4: s.Widthoptions = 3; break;
    default: break;
  }
}

double MaxFixedWidth(bool metric) { return metric ? 25 : 1; }
double MaxPictureSide(bool metric) { return metric ? 2500 : 999; }

void ConvertDialogUnits(OptionsDialogValues& v, std::array<ColorEntry, kColorNumbers>& colors, bool toMetric) {
  // inch <-> mm at a thousandth; inch <-> cm at a tenth
  const auto millimetres = [toMetric](double x) {
    return toMetric ? RoundedTo(x, 25400, 1000) : RoundedTo(x, 1000 / 25.4, 1000);
  };
  const auto centimetres = [toMetric](double x) {
    return toMetric ? RoundedTo(x, 25.4, 10) : RoundedTo(x, 10 / 2.54, 10);
  };
  v.fixedWidth = millimetres(v.fixedWidth);
  v.wmfScale = millimetres(v.wmfScale);
  v.pictureWidth = centimetres(v.pictureWidth);
  v.pictureHeight = centimetres(v.pictureHeight);
  for (int c = 1; c < kColorNumbers; ++c) colors[c].width = millimetres(colors[c].width);
}

std::wstring BoxWidthText(double width, bool metric) {
  return FormatText(metric ? L"%.2f" : L"%.3f", width);
}

std::wstring ListWidthText(double width, bool metric) {
  std::wstring text = BoxWidthText(width, metric);
  if (!metric && !text.empty() && text.back() == L'0') text.pop_back();
  return text;
}

double StepMargin(double margin, int delta) {
  double next = margin + 0.1 * delta;
  if (next < 1e-9) next = 0;
  if (next > 5) next = 5;
  return next;
}

void SetWidths(std::array<ColorEntry, kColorNumbers>& colors, const std::vector<int>& selected, double width) {
  ForRepresentatives(colors, selected, [width](ColorEntry& e) { e.width = width; });
}

void SetLineColors(std::array<ColorEntry, kColorNumbers>& colors, const std::vector<int>& selected, uint32_t color) {
  ForRepresentatives(colors, selected, [color](ColorEntry& e) { e.lineColor = color; });
}

void SetFillColors(std::array<ColorEntry, kColorNumbers>& colors, const std::vector<int>& selected, uint32_t color) {
  ForRepresentatives(colors, selected, [color](ColorEntry& e) { e.fillColor = color; });
}

void ResetColorTable(std::array<ColorEntry, kColorNumbers>& colors, bool metric, int palette) {
  for (int c = 1; c < kColorNumbers; ++c) {
    colors[c].width = metric ? 0.25 : 0.01;
    colors[c].lineColor = colors[c].fillColor = AcadPalettes()[c][palette];
  }
}
