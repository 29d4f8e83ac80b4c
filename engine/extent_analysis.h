// The extent analysis run once when a picture is captured: the extent of what
// is drawn, the window extent, the background colour and the palette.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mapping_model.h"
#include "metafile.h"
#include "object_table.h"
#include "record_views.h"
#include "text_measurer.h"

namespace wmf {

// What the analysis keeps of the objects of the picture's table.
struct ObjectInfo {
  LogFont font;
  bool visible = true;  // a pen or brush that draws (not PS_NULL, BS_NULL)
  uint32_t color = 0;   // a pen's or solid brush's colour
  bool solid = false;   // a solid brush
  Box64 region;         // a region's bounds in picture space
};

class ExtentAnalysis {
 public:
  // `palette` is the picture's, which a light CAD background makes lighter.
  ExtentAnalysis(PassState& pass, int& palette, TextMeasurer& measurer, const PictureFrame& frame);

  // Resets the pass state for the analysis.
  void Begin();
  // The rule for one record, in file order.
  void AnalyseRecord(RecordView record);

 private:
  void Measure(Box64 box);
  void MeasureDrawing(RecordView record, const GeometryView& g);
  void MeasureRun(RecordView record, const GeometryView& g, bool visible);
  void MeasureBetween(RecordView record, PointAt a, PointAt b);
  void MeasureCorners(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  void BackgroundRectangle();
  void TextBox(RecordView record, const GeometryView& g);
  void TextAt(int32_t x, int32_t y, std::string_view text, const int64_t* advanceSum);
  void CreateObject(RecordView record, ObjectKind kind);
  bool PenDraws() const;
  bool FillsWithoutBitmap(uint32_t rasterOperation) const;
  bool FillDraws() const;

  PassState& pass_;
  int& palette_;
  TextMeasurer& measurer_;
  const PictureFrame& frame_;
  MappingModel mapping_;
  Box64 drawn_;
  std::optional<Point64> lineStart_;  // set by a move, not yet measured
  Point64 position_;                  // the current position
  // The clip rectangle in picture space (none: unclipped), saved and
  // restored with the device context.
  std::optional<Box64> clip_;
  std::vector<std::optional<Box64>> savedClips_;
  // The scratch target's object table, with what it holds by slot.
  ObjectTable objects_;
  std::vector<ObjectInfo> info_;
  ObjectInfo pen_, brush_;  // selected; GDI's defaults: black pen, white brush
  // The measuring surface: the current font and text alignment.
  LogFont currentFont_;
  uint16_t textAlign_ = 0;
  std::string text_;
};

// The frame of a captured picture: from the placeable header when there is
// one, the picture's own window records, or the clipboard's MM_TEXT size.
PictureFrame FindPictureFrame(const WmfPicture& picture, const struct MetafilePict& header, bool declaredCad);

}  // namespace wmf
