#include "emf_conversion.h"

#include <cmath>

#include "embedded_emf.h"
#include "emf_file.h"
#include "emf_mapping.h"
#include "record_views.h"

namespace wmf {
namespace {

bool FitsInt32(double v) { return std::isfinite(v) && std::abs(v) < 2147483647.0; }

}  // namespace

std::optional<PictureFrame> EmbeddedEmfFrame(const WmfPicture& picture) {
  EmbeddedEmf embedded = FindEmbeddedEmf(picture.records);
  if (embedded.bytes.empty()) return std::nullopt;
  EmfPicture emf;
  std::string error;
  if (!ReadEmf(std::move(embedded.bytes), emf, error)) return std::nullopt;
  const std::optional<EmfMapping> mapping = InitialEmfMapping(emf);
  if (!mapping) return std::nullopt;

  // The frame in device pixels, then in the EMF's logical units: the window
  // whose origin and extent the EMF's mapping puts onto those pixels.
  const EmfHeader& h = emf.header;
  const EmfHeader::Scale himetric = h.HimetricPerPixel();
  const double px = 1 / himetric.x, py = 1 / himetric.y;
  const double orgX = (h.frame.left * px - mapping->x.offset) / mapping->x.scale;
  const double orgY = (h.frame.top * py - mapping->y.offset) / mapping->y.scale;
  const double extX = (static_cast<double>(h.frame.right) - h.frame.left) * px / mapping->x.scale;
  const double extY = (static_cast<double>(h.frame.bottom) - h.frame.top) * py / mapping->y.scale;
  if (!FitsInt32(orgX) || !FitsInt32(orgY) || !FitsInt32(extX) || !FitsInt32(extY)) return std::nullopt;
  if (std::lround(extX) == 0 || std::lround(extY) == 0) return std::nullopt;

  // Picture space keeps the frame's proportions on paper, whatever the
  // logical units of each axis: its x unit is the EMF's logical x unit, and
  // its height is the frame's height in that unit.
  const double frameW = static_cast<double>(h.frame.right) - h.frame.left;
  const double frameH = static_cast<double>(h.frame.bottom) - h.frame.top;
  const double height = std::abs(extX) * frameH / frameW;
  if (!FitsInt32(height) || std::lround(height) == 0) return std::nullopt;
  const int32_t sizeX = static_cast<int32_t>(std::lround(std::abs(extX)));
  const int32_t sizeY = static_cast<int32_t>(std::lround(height));

  PictureFrame frame;
  Mapping& m = frame.initial;
  m.mapMode = 8;
  m.windowOrgX = static_cast<int32_t>(std::lround(orgX));
  m.windowOrgY = static_cast<int32_t>(std::lround(orgY));
  m.windowExtX = static_cast<int32_t>(std::lround(extX));
  m.windowExtY = static_cast<int32_t>(std::lround(extY));
  m.windowExtSet = true;
  frame.reference = m;
  frame.units = frame.size = Point64{sizeX, sizeY};
  frame.frameKnown = true;
  frame.fixedMapping = true;
  return frame;
}

double FrameFit(const RecordList& records, const PictureFrame& frame) {
  if (!frame.frameKnown) return 0;
  MappingModel mapping;
  mapping.Begin(frame);
  Box64 drawn;
  for (RecordView r : records) {
    mapping.Apply(r);
    if (r.function != MetaMoveTo && !IsDrawingRecord(r.function)) continue;
    if (const std::optional<GeometryView> g = GeometryView::Of(r))
      g->ForEachPoint([&](PointAt p) { drawn.Add(mapping.ToPicture(X(r, p), Y(r, p))); });
  }
  if (drawn.Empty()) return 0;
  const auto span = [](int64_t lo, int64_t hi) { return hi > lo ? static_cast<double>(hi - lo) : 0.0; };
  const double w = static_cast<double>(frame.size.x), h = static_cast<double>(frame.size.y);
  const double common = span(std::max<int64_t>(drawn.minX, 0), std::min(drawn.maxX, frame.size.x)) *
                        span(std::max<int64_t>(drawn.minY, 0), std::min(drawn.maxY, frame.size.y));
  const double all = span(drawn.minX, drawn.maxX) * span(drawn.minY, drawn.maxY) + w * h - common;
  return all > 0 ? common / all : 0;
}

}  // namespace wmf
