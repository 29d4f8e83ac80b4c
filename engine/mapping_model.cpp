#include "mapping_model.h"

#include <algorithm>
#include <cstdlib>

#include "record_views.h"

namespace wmf {
namespace {

constexpr int32_t kMmIsotropic = 7;
constexpr int32_t kMmAnisotropicMode = 8;

int32_t Saturate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Picture space is held within ±2^61: far beyond any 16-bit output, and
// near enough to zero that the sums, differences and roundings the engine
// makes of a few coordinates stay within 64 bits.
constexpr int64_t kPictureLimit = int64_t{1} << 61;

// n / d rounded to the nearest integer, halves away from zero, held within
// picture space; d is not 0.
int64_t RoundedDivide(__int128 n, __int128 d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  const __int128 q = n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
  return static_cast<int64_t>(std::clamp<__int128>(q, -kPictureLimit, kPictureLimit));
}

bool ScalesExtents(const Mapping& m) { return m.mapMode == kMmIsotropic || m.mapMode == kMmAnisotropicMode; }

// SCALEWINDOWEXT and SCALEVIEWPORTEXT: extent × num / denom, as GDI does it
// in integers; a result of 0 is refused as GDI refuses it.
void ScaleExtent(int32_t& extX, int32_t& extY, RecordView r) {
  using F = ScaleFields;
  const int32_t yDenom = Signed(r, F::kYDenom), yNum = Signed(r, F::kYNum), xDenom = Signed(r, F::kXDenom),
                xNum = Signed(r, F::kXNum);
  if (xDenom == 0 || yDenom == 0) return;
  const int64_t x = static_cast<int64_t>(extX) * xNum / xDenom;
  const int64_t y = static_cast<int64_t>(extY) * yNum / yDenom;
  if (x == 0 || y == 0) return;
  extX = Saturate(x);
  extY = Saturate(y);
}

}  // namespace

bool IsDrawingRecord(uint16_t function) {
  switch (function) {
    case MetaLineTo: case MetaPolyline: case MetaPolygon: case MetaPolyPolygon:
    case MetaRectangle: case MetaRoundRect: case MetaEllipse: case MetaArc: case MetaPie: case MetaChord:
    case MetaTextOut: case MetaExtTextOut: case MetaSetPixel: case MetaPatBlt: case MetaBitBlt:
    case MetaStretchBlt: case MetaDibBitBlt: case MetaDibStretchBlt: case MetaStretchDib:
    case MetaSetDibToDev: case MetaFloodFill: case MetaExtFloodFill: case MetaFillRegion:
    case MetaFrameRegion: case MetaPaintRegion: case MetaInvertRegion:
      return true;
    default:
      return false;
  }
}

void MappingModel::Begin(const PictureFrame& frame) {
  Begin(frame.initial, frame.reference, frame.fixedMapping, frame.units);
}

void MappingModel::Begin(const Mapping& initial, const Mapping& reference, bool fixed, Point64 units) {
  fixed_ = fixed;
  current_ = initial;
  reference_ = reference;
  saved_.clear();
  const Point64 frame = units.x > 0 && units.y > 0 ? units : FrameSize(reference);
  unitsX_ = reference.windowExtSet ? frame.x : std::abs(static_cast<int64_t>(reference.viewportExtX));
  unitsY_ = reference.windowExtSet ? frame.y : std::abs(static_cast<int64_t>(reference.viewportExtY));
  NoteChange();
}

// Most pictures draw in one window with the reference's own extents: their
// points need no more than a subtraction.
void MappingModel::NoteChange() {
  const Mapping& m = current_;
  const Mapping& r = reference_;
  translationOnly_ = m.viewportExtX == r.viewportExtX && m.viewportExtY == r.viewportExtY &&
                     m.viewportOrgX == r.viewportOrgX && m.viewportOrgY == r.viewportOrgY &&
                     m.windowExtX == unitsX_ && m.windowExtY == unitsY_;
}

bool MappingModel::Apply(RecordView r) {
  const bool applied = Follow(r);
  if (applied) NoteChange();
  return applied;
}

bool MappingModel::Follow(RecordView r) {
  Mapping scratch = current_;
  Mapping& m = fixed_ ? scratch : current_;
  const std::optional<GeometryView> g = GeometryView::Of(r);
  const std::optional<uint16_t> first = FirstWord(r);
  // A window's or viewport's pair, or an offset of one.
  const auto pair = [&](int32_t& x, int32_t& y, bool offset) {
    if (!g) return;
    const int32_t px = X(r, g->First()), py = Y(r, g->First());
    x = offset ? Saturate(static_cast<int64_t>(x) + px) : px;
    y = offset ? Saturate(static_cast<int64_t>(y) + py) : py;
  };
  // GDI refuses an extent of 0, and ignores extents in fixed mapping modes.
  const auto extent = [&](int32_t& x, int32_t& y) {
    if (!g || !ScalesExtents(m) || X(r, g->First()) == 0 || Y(r, g->First()) == 0) return false;
    pair(x, y, false);
    return true;
  };
  switch (r.function) {
    case MetaSetMapMode:
      if (first) m.mapMode = *first;
      return true;
    case MetaSetWindowOrg:
      pair(m.windowOrgX, m.windowOrgY, false);
      return true;
    case MetaSetViewportOrg:
      pair(m.viewportOrgX, m.viewportOrgY, false);
      return true;
    case MetaOffsetWindowOrg:
      pair(m.windowOrgX, m.windowOrgY, true);
      return true;
    case MetaOffsetViewportOrg:
      pair(m.viewportOrgX, m.viewportOrgY, true);
      return true;
    case MetaSetWindowExt:
      if (extent(m.windowExtX, m.windowExtY)) m.windowExtSet = true;
      return true;
    case MetaSetViewportExt:
      extent(m.viewportExtX, m.viewportExtY);
      return true;
    case MetaScaleWindowExt:
      if (g && ScalesExtents(m)) ScaleExtent(m.windowExtX, m.windowExtY, r);
      return true;
    case MetaScaleViewportExt:
      if (g && ScalesExtents(m)) ScaleExtent(m.viewportExtX, m.viewportExtY, r);
      return true;
    case MetaSaveDC:
      if (!fixed_) saved_.push_back(current_);
      return true;
    case MetaRestoreDC: {
      if (fixed_) return true;
      // -k restores the state saved k saves ago, +k the k-th saved state; a
      // level that does not exist leaves everything as it is.
      const int32_t level = first ? static_cast<int16_t>(*first) : -1;
      const int64_t keep = level < 0 ? static_cast<int64_t>(saved_.size()) + level : level - 1;
      if (level == 0 || keep < 0 || keep >= static_cast<int64_t>(saved_.size())) return true;
      current_ = saved_[static_cast<size_t>(keep)];
      saved_.resize(static_cast<size_t>(keep));
      return true;
    }
    default:
      return false;
  }
}

// P = ((L - wo) × ve / we + vo - voRef) × U / veRef, in exact integers.
int64_t MappingModel::Axis(int64_t logical, int32_t windowOrg, int32_t windowExt, int32_t viewportOrg,
                           int32_t viewportExt, int32_t refViewportOrg, int32_t refViewportExt,
                           int64_t units) const {
  const __int128 numerator = (static_cast<__int128>(logical) - windowOrg) * viewportExt * units +
                             (static_cast<__int128>(viewportOrg) - refViewportOrg) * windowExt * units;
  const __int128 denominator = static_cast<__int128>(windowExt) * refViewportExt;
  return RoundedDivide(numerator, denominator);
}

Point64 MappingModel::ScaledToPicture(int32_t x, int32_t y) const {
  const Mapping& m = current_;
  const Mapping& r = reference_;
  return Point64{Axis(x, m.windowOrgX, m.windowExtX, m.viewportOrgX, m.viewportExtX, r.viewportOrgX, r.viewportExtX,
                      unitsX_),
                 Axis(y, m.windowOrgY, m.windowExtY, m.viewportOrgY, m.viewportExtY, r.viewportOrgY, r.viewportExtY,
                      unitsY_)};
}

Point64 MappingModel::DistanceToPicture(int64_t dx, int64_t dy) const {
  const Mapping& m = current_;
  const Mapping& r = reference_;
  return Point64{Axis(dx, 0, m.windowExtX, 0, m.viewportExtX, 0, r.viewportExtX, unitsX_),
                 Axis(dy, 0, m.windowExtY, 0, m.viewportExtY, 0, r.viewportExtY, unitsY_)};
}

double MappingModel::ScaleX() const {
  return static_cast<double>(current_.viewportExtX) * unitsX_ / (static_cast<double>(current_.windowExtX) * reference_.viewportExtX);
}

double MappingModel::ScaleY() const {
  return static_cast<double>(current_.viewportExtY) * unitsY_ / (static_cast<double>(current_.windowExtY) * reference_.viewportExtY);
}

Mapping MappingModel::FindReference(const RecordList& records, const Mapping& initial,
                                    bool firstWindow) {
  MappingModel model;
  model.Begin(initial, initial);
  for (RecordView record : records) {
    if (IsDrawingRecord(record.function)) break;
    model.Apply(record);
    if (firstWindow && record.function == MetaSetWindowExt && model.current_.windowExtSet) break;
  }
  return model.current_;
}

Point64 MappingModel::FrameSize(const Mapping& reference) {
  if (!reference.windowExtSet) return Point64{};
  return Point64{std::abs(static_cast<int64_t>(reference.windowExtX)), std::abs(static_cast<int64_t>(reference.windowExtY))};
}

}  // namespace wmf
