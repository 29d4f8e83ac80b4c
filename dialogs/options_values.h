// What the options dialogs show, apart from their windows: how the picture
// options translate into the choices of the main options dialog and back,
// the conversion of its lengths when the unit changes, and the edits of the
// advanced options' colour table.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "wmf_settings.h"

// The members of the main options dialog, one per control.
struct OptionsDialogValues {
  int crop = 0;
  int tilemode = 0;
  int removeBackground = 0;
  double fixedWidth = 0;
  int lineChoice = 0;  // 0 thin, 1 fixed width, 2 advanced; -1 none
  int makeBlack = 0;
  int fillChoice = 0;  // 0 black, 1 unmodified, 2 remove, 3 advanced; -1 none
  int sizeChoice = 0;  // 0 unmodified, 1 percentage, 2 width, 3 height, 4 scaled; -1 none
  double percentage = 100;
  double pictureWidth = 0;
  double pictureHeight = 0;
  double drawingScale = 0;
  double wmfScale = 0;
  int outlinesToo = 0;
  int rotationIndex = 0;  // Rotation / 90; -1 none
};

// The settings as the dialog shows them.
OptionsDialogValues ReadOptionsValues(const WmfSettings& settings);
// The dialog's members taken over into the settings (after they were read
// and checked); a choice of -1 leaves its setting as it is.
void WriteOptionsValues(const OptionsDialogValues& values, WmfSettings& settings);

// The largest fixed line width (inch, or mm) and picture side (inch, or cm).
double MaxFixedWidth(bool metric);
double MaxPictureSide(bool metric);

// After the unit changed: the dialog's lengths and the colour table's widths
// (colours 1 to 255) in the new unit, to a thousandth of a millimetre or of
// an inch, and the picture sides to a tenth of a centimetre or of an inch.
void ConvertDialogUnits(OptionsDialogValues& values, std::array<ColorEntry, kColorNumbers>& colors, bool toMetric);

// A width as the colour list shows it: "%.2f" in mm; "%.3f" in inch with one
// trailing zero dropped (0.010 is 0.01, 0.100 is 0.10, 0.015 stays).
std::wstring ListWidthText(double width, bool metric);
// A width as the width box shows it: "%.2f" in mm, "%.3f" in inch.
std::wstring BoxWidthText(double width, bool metric);

// The margin after one step of its up-down control (+1 up, -1 down): a
// tenth per step, kept within 0 to 5, and exactly 0 below a billionth.
double StepMargin(double margin, int delta);

// Only the colours that stand for themselves take a new width or colour;
// the others follow theirs.
void SetWidths(std::array<ColorEntry, kColorNumbers>& colors, const std::vector<int>& selected, double width);
void SetLineColors(std::array<ColorEntry, kColorNumbers>& colors, const std::vector<int>& selected, uint32_t color);
void SetFillColors(std::array<ColorEntry, kColorNumbers>& colors, const std::vector<int>& selected, uint32_t color);
// "Reset all": every width 0.25 mm or 0.01 inch, every colour the palette's.
void ResetColorTable(std::array<ColorEntry, kColorNumbers>& colors, bool metric, int palette);
