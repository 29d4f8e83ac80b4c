// The rewriting pass: every record of a captured picture, changed for the
// options in force, played into the recording surface.
#pragma once

#include "mapping_model.h"
#include "metafile.h"
#include "record_views.h"

namespace wmf {

class RecordRewriter {
 public:
  // `outputDivisor` shrinks the output's coordinates when the region or the
  // scale would not fit the output's 16-bit fields (1: no change).
  // `palette` is the one colours are looked up in.
  RecordRewriter(PassState& pass, const WmfSettings& settings, int palette, WmfRecorder& surface,
                 const PictureFrame& frame, int64_t outputDivisor = 1);

  // The rule for one record, in file order; `record` itself is not changed.
  void RewriteRecord(RecordView record);

  // Moves one point of picture space into the output region and rotates it.
  Point64 TransformPoint(Point64 p) const;

 private:
  Point64 ToOutput(int32_t x, int32_t y) const;
  Point64 DistanceToOutput(int64_t dx, int64_t dy) const;
  void MovePoint(WmfRecord& record, PointAt at) const;
  void MovePoints(WmfRecord& record, const GeometryView& g) const;
  void ScaleSize(WmfRecord& record, PointAt size, bool swap) const;
  double SizeFactor(bool vertical) const;
  void WindowOrigin(WmfRecord& record, const GeometryView& g);
  void WindowExtent(WmfRecord& record, const GeometryView& g);
  void Background(WmfRecord& record, const GeometryView& g);
  void Font(WmfRecord& record) const;
  void Pen(WmfRecord& record) const;
  void Advances(WmfRecord& record, const ExtTextLayout& layout) const;
  void Region(WmfRecord& record) const;
  bool IsDuplicatePolygon(const WmfRecord& record, const GeometryView& g) const;
  bool IsDuplicateOutline(const WmfRecord& record, const GeometryView& g) const;
  void Blit(WmfRecord& record);
  void Emit(const WmfRecord& record) { surface_.Play(record); }
  int DefaultPen();
  int DefaultBrush();

  PassState& pass_;
  const WmfSettings& settings_;
  int palette_;
  WmfRecorder& surface_;
  const PictureFrame& frame_;
  int64_t divisor_;
  MappingModel mapping_;
  int defaultPen_ = -1, defaultBrush_ = -1;  // made once, for restoring after the background
  WmfRecord copy_;  // the record being changed; the picture's own stays as it is
};

}  // namespace wmf
