// The extent analysis run once when a picture is captured: the extent of what
// is drawn, the window extent, the background colour and the palette.
#pragma once

#include <string>
#include <vector>

#include "metafile.h"
#include "object_table.h"
#include "text_measurer.h"

namespace wmf {

class ExtentAnalysis {
 public:
  ExtentAnalysis(PassState& pass, WmfSettings& settings, TextMeasurer& measurer);

  // Resets the pass state for the analysis.
  void Begin();
  // The rule for one record, in file order.
  void AnalyseRecord(const WmfRecord& record);

 private:
  void ExtendBounds(int32_t x, int32_t y);
  void ExtendPoints(const WmfRecord& record, size_t first, size_t count);
  void BackgroundRectangle();
  void TextBox(const WmfRecord& record);
  void CreateObject(const WmfRecord& record, ObjectKind kind);

  PassState& pass_;
  WmfSettings& settings_;
  TextMeasurer& measurer_;
  // The scratch target's object table, with the fonts it holds by slot.
  ObjectTable objects_;
  std::vector<LogFont> fonts_;
  // The measuring surface: the current font and text alignment.
  LogFont currentFont_;
  uint16_t textAlign_ = 0;
  std::string text_;
};

}  // namespace wmf
