#include "record_rewriter.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "color_rules.h"
#include "dib_rotation.h"
#include "embedded_emf.h"
#include "record_views.h"
#include "region_bands.h"
#include "sizing.h"

namespace wmf {
namespace {

bool Rotated90Or270(int rotation) { return rotation == 90 || rotation == 270; }

// Point i of poly record a and point j of poly record b are the same, as
// found in the picture.
bool SamePoint(RecordView a, const GeometryView& ga, size_t i, RecordView b, const GeometryView& gb, size_t j) {
  return X(a, ga.RunPoint(i)) == X(b, gb.RunPoint(j)) && Y(a, ga.RunPoint(i)) == Y(b, gb.RunPoint(j));
}

// Output coordinates are 16-bit: a value beyond them is held at the limit.
void StoreClamped(WmfRecord& record, size_t i, int64_t value) {
  Store(record, i, static_cast<int32_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX)));
}

// a / b rounded to the nearest integer, halves away from zero; b > 0.
int64_t Divide(int64_t a, int64_t b) { return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b); }

// A record with a bitmap in its stretching form: the same box with a source
// of the same size (DIBBITBLT to DIBSTRETCHBLT, BITBLT to STRETCHBLT), so
// that it can be scaled and turned.
void MakeStretching(WmfRecord& r, const BlitView& blit) {
  const bool dib = r.function == MetaDibBitBlt;
  const auto at = r.params.begin();
  std::vector<uint16_t> params(at + BlitView::kRasterOperation, at + BlitView::kRasterOperation + 2);
  params.insert(params.end(), at + blit.box, at + blit.box + 2);                    // the source's size: the box's
  params.insert(params.end(), at + blit.sourceOrigin, at + blit.sourceOrigin + 2);  // YSrc, XSrc
  params.insert(params.end(), at + blit.box, at + blit.box + 4);
  params.insert(params.end(), r.params.begin() + blit.bitmap, r.params.end());
  r.function = dib ? MetaDibStretchBlt : MetaStretchBlt;
  r.params = std::move(params);
}

// A blit without a bitmap is a raster operation with the brush alone (office
// programs fill table cells so): the MetaPatBlt of the same operation and box,
// which every player draws.
void MakePatBlt(WmfRecord& r, const BlitView& blit) {
  const auto at = r.params.begin();
  std::vector<uint16_t> params(at + BlitView::kRasterOperation, at + BlitView::kRasterOperation + 2);
  params.insert(params.end(), at + blit.box, at + blit.box + 4);
  r.params = std::move(params);
  r.function = MetaPatBlt;
}

// A MetaSetDibToDev of the whole image as the MetaStretchDib that draws the
// same pixels into the same box, so that it can be scaled and turned. False
// for a band of an image.
bool MakeStretchDib(WmfRecord& r, const BlitView& blit) {
  using F = DibToDevFields;
  const uint16_t scanCount = r.params[F::kScanCount], startScan = r.params[F::kStartScan];
  if (startScan != 0 || blit.height <= 0 || scanCount < blit.height || !blit.bitmap) return false;
  const auto at = r.params.begin();
  std::vector<uint16_t> params = {0x0020, 0x00CC,  // SRCCOPY
                                  r.params[F::kColorUsage]};
  params.insert(params.end(), at + blit.box, at + blit.box + 2);            // the source's size: the box's
  params.insert(params.end(), at + F::kYSource, at + F::kXSource + 1);      // YDib, XDib
  params.insert(params.end(), at + blit.box, at + blit.box + 4);
  params.insert(params.end(), at + blit.bitmap, r.params.end());
  r.function = MetaStretchDib;
  r.params = std::move(params);
  return true;
}

}  // namespace

RecordRewriter::RecordRewriter(PassState& pass, const WmfSettings& settings, int palette, WmfRecorder& surface,
                               const PictureFrame& frame, int64_t outputDivisor)
    : pass_(pass),
      settings_(settings),
      palette_(palette),
      surface_(surface),
      frame_(frame),
      divisor_(std::max<int64_t>(outputDivisor, 1)) {
  mapping_.Begin(frame);
}

Point64 RecordRewriter::TransformPoint(Point64 p) const {
  const Rect& b = pass_.bounds;
  Point64 out{p.x - b.minX, p.y - b.minY};
  switch (settings_.Rotation) {
    case 90: out = {b.maxY - p.y, p.x - b.minX}; break;
    case 180: out = {b.maxX - p.x, b.maxY - p.y}; break;
    case 270: out = {p.y - b.minY, b.maxX - p.x}; break;
    default: break;
  }
  if (divisor_ > 1) out = {Divide(out.x, divisor_), Divide(out.y, divisor_)};
  return out;
}

Point64 RecordRewriter::ToOutput(int32_t x, int32_t y) const { return TransformPoint(mapping_.ToPicture(x, y)); }

// A distance of the picture as a distance of the output: mapped, turned
// (without the region's offset) and shrunk.
Point64 RecordRewriter::DistanceToOutput(int64_t dx, int64_t dy) const {
  Point64 d = mapping_.DistanceToPicture(dx, dy);
  switch (settings_.Rotation) {
    case 90: d = {-d.y, d.x}; break;
    case 180: d = {-d.x, -d.y}; break;
    case 270: d = {d.y, -d.x}; break;
    default: break;
  }
  if (divisor_ > 1) d = {Divide(d.x, divisor_), Divide(d.y, divisor_)};
  return d;
}

void RecordRewriter::MovePoint(WmfRecord& record, PointAt at) const {
  const Point64 p = ToOutput(X(record, at), Y(record, at));
  StoreClamped(record, at.x, p.x);
  StoreClamped(record, at.y, p.y);
}

void RecordRewriter::MovePoints(WmfRecord& record, const GeometryView& g) const {
  g.ForEachPoint([&](PointAt at) { MovePoint(record, at); });
}

// Output units per logical unit along the picture's x or y axis, without sign.
double RecordRewriter::SizeFactor(bool vertical) const {
  return std::abs(vertical ? mapping_.ScaleY() : mapping_.ScaleX()) / static_cast<double>(divisor_);
}

// A size without direction (a corner's ellipse, a frame's brush): scaled,
// and its sides swapped when the picture turns a quarter.
void RecordRewriter::ScaleSize(WmfRecord& r, PointAt size, bool swap) const {
  const double fx = SizeFactor(false), fy = SizeFactor(true);
  if (fx != 1.0) StoreClamped(r, size.x, std::llround(X(r, size) * fx));
  if (fy != 1.0) StoreClamped(r, size.y, std::llround(Y(r, size) * fy));
  if (swap) std::swap(r.params[size.x], r.params[size.y]);
}

void RecordRewriter::RewriteRecord(RecordView record) {
  copy_.Assign(record);
  WmfRecord& r = copy_;
  // The picture's mapping is taken into every coordinate below; the output
  // keeps the one window set by the play.
  mapping_.Apply(record);
  const std::optional<GeometryView> g = GeometryView::Of(record);
  switch (r.function) {
    case MetaSaveDC:
      pass_.SaveDC();
      break;
    case MetaRestoreDC:
      pass_.RestoreDC();
      break;
    case MetaSetMapMode:
    case MetaSetViewportOrg:
    case MetaSetViewportExt:
    case MetaOffsetWindowOrg:
    case MetaOffsetViewportOrg:
    case MetaScaleWindowExt:
    case MetaScaleViewportExt:
      return;
    case MetaSetWindowOrg:
      if (g) WindowOrigin(r, *g);
      break;
    case MetaSetWindowExt:
      if (g) WindowExtent(r, *g);
      break;
    case MetaSetPixel:
      if (g) MovePoints(r, *g);
      [[fallthrough]];
    case MetaSetBkColor:
    case MetaSetTextColor:
    case MetaCreateBrushIndirect:
      if (!RewriteColorRecord(r, pass_, settings_, palette_)) r.Assign(record);
      break;
    case MetaCreatePenIndirect:
      Pen(r);
      if (!RewriteColorRecord(r, pass_, settings_, palette_)) r.Assign(record);
      break;
    case MetaCreateFontIndirect:
      Font(r);
      break;
    case MetaPolygon:
      if (!g || !g->Complete()) break;
      if (pass_.savedPolygon) {
        if (IsDuplicatePolygon(r, *g)) {
          pass_.savedPolygon.reset();
          return;
        }
        pass_.savedPolygon.reset();
      }
      if (settings_.RemoveLines && (settings_.Filledoptions || settings_.MakeBlack || settings_.Lineoptions)) {
        pass_.savedPolygon = record;
        pass_.polygonPending = true;
      }
      MovePoints(r, *g);
      break;
    case MetaPolyline:
      if (!g || !g->Complete()) break;
      if (IsDuplicateOutline(r, *g)) {
        pass_.polygonPending = false;
        return;
      }
      MovePoints(r, *g);
      Emit(r);
      pass_.polygonPending = false;
      return;
    case MetaRectangle:
      if (g && frame_.cad) {
        Background(r, *g);
        return;
      }
      if (g) MovePoints(r, *g);
      break;
    case MetaCreateRegion:
      Region(r);
      break;
    case MetaEscape:
      // A copy of the picture as an enhanced metafile, which readers would
      // show instead of the improved picture: left out, as GDI's recorder
      // leaves it out when it plays one metafile into another.
      if (IsEmbeddedEmfPiece(r)) return;
      break;
    case MetaOffsetClipRgn:
      if (g) {
        const PointAt p = g->First();
        const Point64 d = DistanceToOutput(X(r, p), Y(r, p));
        StoreClamped(r, p.x, d.x);
        StoreClamped(r, p.y, d.y);
      }
      break;
    default:
      if (!g) break;
      if (g->shape() == Shape::Blit) {
        Blit(r);
        return;
      }
      // Every other shape: its points move, a size without a place scales,
      // a text's advances scale with its font. (An arc's start and end keep
      // their roles when a mirror is taken into them: GDI draws arcs
      // counterclockwise as seen on the device whatever the mapping.)
      if (g->shape() != Shape::PolyPolygon || (g->Complete() && g->RunCount() > 0)) MovePoints(r, *g);
      if (const std::optional<PointAt> size = g->Size()) ScaleSize(r, *size, Rotated90Or270(settings_.Rotation));
      if (g->ExtText() && g->ExtText()->hasDx) Advances(r, *g->ExtText());
      break;
  }
  Emit(r);
}

// Window records set the output's own window: the picture's mapping is
// already in every coordinate.
void RecordRewriter::WindowOrigin(WmfRecord& r, const GeometryView& g) {
  // A block drawn with a window origin of its own keeps its colours.
  const PointAt p = g.First();
  pass_.WindowOrigin(X(r, p), Y(r, p));
  Store(r, p.x, 0);
  Store(r, p.y, 0);
}

void RecordRewriter::WindowExtent(WmfRecord& r, const GeometryView& g) {
  const PointAt p = g.First();
  const Size found{X(r, p), Y(r, p)};
  if (pass_.awaitFirstWindowExt) pass_.firstWindowExt = found;
  pass_.currentWindowExt = found;
  Store(r, p.x, pass_.outputSize.x);
  Store(r, p.y, pass_.outputSize.y);
  pass_.awaitFirstWindowExt = false;
}

// The CAD program's background: a rectangle from the picture's origin.
void RecordRewriter::Background(WmfRecord& r, const GeometryView& g) {
  const PointAt low = g.BoxMin(), high = g.BoxMax();
  const bool atOrigin = X(r, low) == 0 && Y(r, low) == 0;
  if (!atOrigin) {
    MovePoints(r, g);
    Emit(r);
    return;
  }
  if (settings_.RemoveBackground) return;

  // Repaint it over the whole output window in the background colour.
  Store(r, low.x, 0);
  Store(r, low.y, 0);
  Store(r, high.x, pass_.outputSize.x);
  Store(r, high.y, pass_.outputSize.y);
  int previousPen = surface_.SelectedPen();
  int previousBrush = surface_.SelectedBrush();
  const int pen = surface_.CreatePenIndirect(0, 0, pass_.backgroundColor & 0x00FFFFFF);
  const int brush = surface_.CreateBrushIndirect(0, pass_.backgroundColor & 0x00FFFFFF, 0);
  surface_.SelectObject(pen);
  surface_.SelectObject(brush);
  Emit(r);
  // Nothing selected before means the surface's defaults: a black pen and a
  // white brush, made once and used again for every later background.
  if (previousPen < 0) previousPen = DefaultPen();
  if (previousBrush < 0) previousBrush = DefaultBrush();
  surface_.SelectObject(previousPen);
  surface_.SelectObject(previousBrush);
  surface_.DeleteObject(pen);
  surface_.DeleteObject(brush);
}

int RecordRewriter::DefaultPen() {
  if (!surface_.HoldsObject(defaultPen_)) defaultPen_ = surface_.CreatePenIndirect(0, 0, kBlack);
  return defaultPen_;
}

int RecordRewriter::DefaultBrush() {
  if (!surface_.HoldsObject(defaultBrush_)) defaultBrush_ = surface_.CreateBrushIndirect(0, kWhite, 0);
  return defaultBrush_;
}

// Fonts turn with the picture and keep their size in the output's units.
void RecordRewriter::Font(WmfRecord& r) const {
  using F = FontFields;
  const int rotation = settings_.Rotation;
  if (!Has(r, F::kAngles)) return;
  Store(r, F::kEscapement, Signed(r, F::kEscapement) - 10 * rotation);
  Store(r, F::kOrientation, Signed(r, F::kOrientation) - 10 * rotation);
  const double fy = SizeFactor(true), fx = SizeFactor(false);
  const int32_t height = Signed(r, F::kHeight), width = Signed(r, F::kWidth);
  if (fy != 1.0 && height != 0) {
    const int64_t scaled = std::llround(height * fy);
    StoreClamped(r, F::kHeight, scaled != 0 ? scaled : (height < 0 ? -1 : 1));
  }
  if (fx != 1.0 && width != 0) StoreClamped(r, F::kWidth, std::max<int64_t>(1, std::llround(width * fx)));
}

// A pen's width is a length of the picture: it scales with the drawing.
void RecordRewriter::Pen(WmfRecord& r) const {
  const double fx = SizeFactor(false);
  if (fx == 1.0 || !Has(r, PenFields::kWidth + 1) || Signed(r, PenFields::kWidth) <= 0) return;
  StoreClamped(r, PenFields::kWidth, std::max<int64_t>(1, std::llround(Signed(r, PenFields::kWidth) * fx)));
}

// The advances of a text, scaled with its font; rounding is carried from
// character to character so that the text keeps its length.
void RecordRewriter::Advances(WmfRecord& r, const ExtTextLayout& layout) const {
  const double fx = SizeFactor(false);
  if (fx == 1.0) return;
  // The running length is held within 2^53, where it rounds exactly and
  // steps between characters cannot overflow; the output's advances are
  // 16-bit anyway.
  constexpr double kLimit = 9007199254740992.0;
  double exact = 0;
  int64_t given = 0;
  for (size_t i = 0; i < layout.count; ++i) {
    exact += Signed(r, layout.dxWord + i) * fx;
    const int64_t next = std::llround(std::clamp(exact, -kLimit, kLimit));
    StoreClamped(r, layout.dxWord + i, next - given);
    given = next;
  }
}

// A region is rebuilt from its rectangles, each taken into the output: a
// turned or mirrored region has other scans than the original.
void RecordRewriter::Region(WmfRecord& r) const {
  if (!Has(r, RegionView::kFirstScan)) return;
  std::vector<Box64> rects;
  RegionView::ForEachRect(r, [&](RegionRect rect) {
    Box64 box;
    box.Add(ToOutput(rect.left, rect.top));
    box.Add(ToOutput(rect.right, rect.bottom));
    box.minX = std::clamp<int64_t>(box.minX, INT16_MIN, INT16_MAX);
    box.maxX = std::clamp<int64_t>(box.maxX, INT16_MIN, INT16_MAX);
    box.minY = std::clamp<int64_t>(box.minY, INT16_MIN, INT16_MAX);
    box.maxY = std::clamp<int64_t>(box.maxY, INT16_MIN, INT16_MAX);
    if (box.minX < box.maxX && box.minY < box.maxY) rects.push_back(box);
  });
  std::vector<uint16_t> body;
  Box64 bounds;
  size_t scanCount = 0, maxScan = 0;
  ForEachBand(rects, [&](int64_t top, int64_t bottom, const std::vector<std::pair<int64_t, int64_t>>& spans) {
    const uint16_t count = static_cast<uint16_t>(2 * spans.size());
    body.push_back(count);
    body.push_back(static_cast<uint16_t>(top));
    body.push_back(static_cast<uint16_t>(bottom));
    for (const auto& [left, right] : spans) {
      body.push_back(static_cast<uint16_t>(left));
      body.push_back(static_cast<uint16_t>(right));
      bounds.Add(Point64{left, top});
      bounds.Add(Point64{right, bottom});
    }
    body.push_back(count);
    ++scanCount;
    maxScan = std::max<size_t>(maxScan, count);
  });
  if (bounds.Empty()) bounds = Box64{0, 0, 0, 0};
  std::vector<uint16_t> params(r.params.begin(), r.params.begin() + RegionView::kRegionSize);
  params.push_back(static_cast<uint16_t>(std::min<size_t>(22 + 2 * body.size(), 0xFFFF)));  // bytes
  params.push_back(static_cast<uint16_t>(std::min<size_t>(scanCount, 0xFFFF)));
  params.push_back(static_cast<uint16_t>(std::min<size_t>(maxScan, 0xFFFF)));
  for (int64_t v : {bounds.minX, bounds.minY, bounds.maxX, bounds.maxY}) params.push_back(static_cast<uint16_t>(v));
  params.insert(params.end(), body.begin(), body.end());
  r.params = std::move(params);
}

// A polygon that repeats the saved one and closes itself: its outline.
bool RecordRewriter::IsDuplicatePolygon(const WmfRecord& r, const GeometryView& g) const {
  const RecordView saved = *pass_.savedPolygon;
  const GeometryView s = *GeometryView::Of(saved);
  const size_t m = s.RunCount();
  if (!pass_.polygonPending || g.RunCount() != m + 1) return false;
  for (size_t i = 0; i < m; ++i)
    if (!SamePoint(r, g, i, saved, s, i)) return false;
  return SamePoint(r, g, m, r, g, 0);
}

// The first polyline after a polygon, closed and starting at its first point.
bool RecordRewriter::IsDuplicateOutline(const WmfRecord& r, const GeometryView& g) const {
  if (!pass_.polygonPending || !pass_.savedPolygon) return false;
  const RecordView saved = *pass_.savedPolygon;
  const GeometryView s = *GeometryView::Of(saved);
  const size_t count = g.RunCount();
  if (count == 0 || s.RunCount() == 0) return false;
  if (!SamePoint(r, g, count - 1, r, g, 0)) return false;
  return SamePoint(r, g, 0, saved, s, 0) || (count >= 2 && SamePoint(r, g, 1, saved, s, 0));
}

// Boxes of pixels move with their centre; a bitmap's pixels turn with the
// picture. A bitmap that cannot be turned (JPEG or PNG, or a device-dependent
// one) is mirrored on both axes for a half turn, which is the same picture,
// and keeps its shape for a quarter turn.
void RecordRewriter::Blit(WmfRecord& r) {
  std::optional<BlitView> blit = BlitView::Of(r);
  if (r.function == MetaSetDibToDev) {
    if (!MakeStretchDib(r, *blit)) return;  // a band of an image cannot be placed on its own
    blit = BlitView::Of(r);
  } else if (!blit->bitmap && r.function != MetaPatBlt) {
    MakePatBlt(r, *blit);
    blit = BlitView::Of(r);
  } else if (r.function == MetaDibBitBlt || r.function == MetaBitBlt) {
    MakeStretching(r, *blit);
    blit = BlitView::Of(r);
  }
  const PointAt size_at = blit->Size(), corner_at = blit->Corner();
  const Point64 corner = mapping_.ToPicture(blit->x, blit->y);
  const Point64 size = mapping_.DistanceToPicture(blit->width, blit->height);
  Point64 centre = TransformPoint(Point64{corner.x + size.x / 2, corner.y + size.y / 2});
  Point64 box = size;
  if (divisor_ > 1) box = {Divide(box.x, divisor_), Divide(box.y, divisor_)};

  const int rotation = settings_.Rotation;
  if (blit->bitmap == 0) {
    if (Rotated90Or270(rotation)) std::swap(box.x, box.y);
  } else if (rotation != 0) {
    const bool turned = (r.function == MetaDibStretchBlt || r.function == MetaStretchDib) &&
                        RotateDibRecord(r, rotation);
    if (turned && Rotated90Or270(rotation)) std::swap(box.x, box.y);
    if (!turned && rotation == 180) box = {-box.x, -box.y};
  }
  StoreClamped(r, size_at.x, box.x);
  StoreClamped(r, size_at.y, box.y);
  StoreClamped(r, corner_at.x, centre.x - X(r, size_at) / 2);
  StoreClamped(r, corner_at.y, centre.y - Y(r, size_at) / 2);
  Emit(r);
}

}  // namespace wmf
