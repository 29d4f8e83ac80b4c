// The rewriting pass: every record of a captured picture, changed for the
// options in force, played into the recording surface.
#pragma once

#include "metafile.h"

namespace wmf {

class RecordRewriter {
 public:
  RecordRewriter(PassState& pass, WmfSettings& settings, WmfRecorder& surface);

  // The rule for one record, in file order; `record` itself is not changed.
  void RewriteRecord(const WmfRecord& record);

  // Moves one point into the output region and rotates it.
  void TransformPoint(int32_t& x, int32_t& y) const;

 private:
  void TransformParams(WmfRecord& record, size_t xParam, size_t yParam) const;
  void TransformPoints(WmfRecord& record, size_t first, size_t count) const;
  void ApplyBoxRule(WmfRecord& record, size_t x, size_t y, size_t w, size_t h, bool swapBox) const;
  void WindowOrigin(WmfRecord& record);
  void WindowExtent(WmfRecord& record);
  void Background(WmfRecord& record);
  bool IsDuplicatePolygon(const WmfRecord& record) const;
  bool IsDuplicateOutline(const WmfRecord& record) const;
  void Bitmap(WmfRecord& record, size_t firstBoxParam);
  void Emit(const WmfRecord& record) { surface_.Play(record); }

  PassState& pass_;
  WmfSettings& settings_;
  WmfRecorder& surface_;
  WmfRecord copy_;  // the record being changed; the picture's own stays as it is
};

}  // namespace wmf
