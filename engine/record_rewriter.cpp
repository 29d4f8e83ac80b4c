#include "record_rewriter.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "color_rules.h"
#include "dib_rotation.h"
#include "embedded_emf.h"
#include "record_access.h"
#include "sizing.h"

namespace wmf {
namespace {

bool Rotated90Or270(int rotation) { return rotation == 90 || rotation == 270; }

// The number of points a poly record holds and needs: false when the record
// is too short for its own count.
bool PointsFit(RecordView record, size_t first, size_t count) {
  return record.params.size() >= first + 2 * count;
}

bool SamePoint(RecordView a, size_t i, RecordView b, size_t j) {
  return a.params[1 + 2 * i] == b.params[1 + 2 * j] && a.params[2 + 2 * i] == b.params[2 + 2 * j];
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
  std::vector<uint16_t> params(r.params.begin(), r.params.begin() + 2);  // raster operation
  params.push_back(r.params[blit.box]);                                  // SrcHeight
  params.push_back(r.params[blit.box + 1]);                              // SrcWidth
  params.push_back(r.params[2]);                                         // YSrc
  params.push_back(r.params[3]);                                         // XSrc
  params.insert(params.end(), r.params.begin() + blit.box, r.params.begin() + blit.box + 4);
  params.insert(params.end(), r.params.begin() + blit.bitmap, r.params.end());
  r.function = dib ? MetaDibStretchBlt : MetaStretchBlt;
  r.params = std::move(params);
}

// A blit without a bitmap is a raster operation with the brush alone (office
// programs fill table cells so): the MetaPatBlt of the same operation and box,
// which every player draws.
void MakePatBlt(WmfRecord& r, const BlitView& blit) {
  r.params = {r.params[0], r.params[1], r.params[blit.box], r.params[blit.box + 1], r.params[blit.box + 2],
              r.params[blit.box + 3]};
  r.function = MetaPatBlt;
}

// A MetaSetDibToDev of the whole image as the MetaStretchDib that draws the
// same pixels into the same box, so that it can be scaled and turned. False
// for a band of an image.
bool MakeStretchDib(WmfRecord& r, const BlitView& blit) {
  const uint16_t scanCount = r.params[1], startScan = r.params[2];
  if (startScan != 0 || blit.height <= 0 || scanCount < blit.height || !blit.bitmap) return false;
  std::vector<uint16_t> params = {0x0020, 0x00CC,  // SRCCOPY
                                  r.params[0],     // ColorUsage
                                  r.params[5],  r.params[6], r.params[3], r.params[4],
                                  r.params[5],  r.params[6], r.params[7], r.params[8]};
  params.insert(params.end(), r.params.begin() + blit.bitmap, r.params.end());
  r.function = MetaStretchDib;
  r.params = std::move(params);
  return true;
}

// The cover of a line by intervals, kept as the rectangles of a region are
// swept from top to bottom: a tree over the pieces between their x edges
// counts how many rectangles cover each piece and knows the parts wholly
// covered. A band then costs its own spans, not every rectangle in it.
class IntervalCover {
 public:
  explicit IntervalCover(std::vector<int64_t> edges)
      : edges_(std::move(edges)), count_(4 * edges_.size()), covered_(4 * edges_.size()), full_(4 * edges_.size()) {}

  // Adds `delta` covers over [from, to); both are among the edges.
  void Add(int64_t from, int64_t to, int delta) { Add(1, 0, edges_.size() - 1, Piece(from), Piece(to), delta); }

  // The covered intervals from left to right, touching ones merged.
  void Covered(std::vector<std::pair<int64_t, int64_t>>& out) const {
    out.clear();
    Collect(1, 0, edges_.size() - 1, out);
  }

 private:
  size_t Piece(int64_t x) const {
    return static_cast<size_t>(std::lower_bound(edges_.begin(), edges_.end(), x) - edges_.begin());
  }

  // `node` holds the pieces [lo, hi).
  void Add(size_t node, size_t lo, size_t hi, size_t from, size_t to, int delta) {
    if (to <= lo || hi <= from) return;
    if (from <= lo && hi <= to) {
      count_[node] += delta;
    } else {
      const size_t mid = (lo + hi) / 2;
      Add(2 * node, lo, mid, from, to, delta);
      Add(2 * node + 1, mid, hi, from, to, delta);
    }
    const bool leaf = hi - lo == 1;
    covered_[node] = count_[node] > 0 || (!leaf && (covered_[2 * node] || covered_[2 * node + 1]));
    full_[node] = count_[node] > 0 || (!leaf && full_[2 * node] && full_[2 * node + 1]);
  }

  void Collect(size_t node, size_t lo, size_t hi, std::vector<std::pair<int64_t, int64_t>>& out) const {
    if (!covered_[node]) return;
    if (full_[node]) {
      if (!out.empty() && out.back().second == edges_[lo]) out.back().second = edges_[hi];
      else out.emplace_back(edges_[lo], edges_[hi]);
      return;
    }
    const size_t mid = (lo + hi) / 2;
    Collect(2 * node, lo, mid, out);
    Collect(2 * node + 1, mid, hi, out);
  }

  std::vector<int64_t> edges_;
  std::vector<int> count_;     // rectangles covering all of the node's pieces
  std::vector<char> covered_;  // some of its pieces are covered
  std::vector<char> full_;     // all of them are
};

// Values sorted and without repeats.
std::vector<int64_t> SortedEdges(std::vector<int64_t> values) {
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

}  // namespace

RecordRewriter::RecordRewriter(PassState& pass, WmfSettings& settings, WmfRecorder& surface,
                               const PictureFrame& frame, int64_t outputDivisor)
    : pass_(pass), settings_(settings), surface_(surface), frame_(frame), divisor_(std::max<int64_t>(outputDivisor, 1)) {
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

void RecordRewriter::MovePoint(WmfRecord& record, size_t xParam, size_t yParam) const {
  const Point64 p = ToOutput(Signed(record, xParam), Signed(record, yParam));
  StoreClamped(record, xParam, p.x);
  StoreClamped(record, yParam, p.y);
}

void RecordRewriter::MovePoints(WmfRecord& record, size_t first, size_t count) const {
  for (size_t i = 0; i < count; ++i) MovePoint(record, first + 2 * i, first + 2 * i + 1);
}

// Output units per logical unit along the picture's x or y axis, without sign.
double RecordRewriter::SizeFactor(bool vertical) const {
  return std::abs(vertical ? mapping_.ScaleY() : mapping_.ScaleX()) / static_cast<double>(divisor_);
}

// A size without direction (a corner's ellipse, a frame's brush): scaled,
// and its sides swapped when the picture turns a quarter.
void RecordRewriter::ScaleSize(WmfRecord& r, size_t w, size_t h, bool swap) const {
  const double fx = SizeFactor(false), fy = SizeFactor(true);
  if (fx != 1.0) StoreClamped(r, w, std::llround(Signed(r, w) * fx));
  if (fy != 1.0) StoreClamped(r, h, std::llround(Signed(r, h) * fy));
  if (swap) std::swap(r.params[w], r.params[h]);
}

void RecordRewriter::RewriteRecord(RecordView record) {
  copy_.Assign(record);
  WmfRecord& r = copy_;
  const size_t n = r.params.size();
  const int rotation = settings_.Rotation;
  const bool quarter = Rotated90Or270(rotation);

  // The picture's mapping is taken into every coordinate below; the output
  // keeps the one window set by the play.
  mapping_.Apply(record);
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
      if (n >= 2) WindowOrigin(r);
      break;
    case MetaSetWindowExt:
      if (n >= 2) WindowExtent(r);
      break;
    case MetaSetPixel:
      if (n >= 4) MovePoint(r, 3, 2);
      [[fallthrough]];
    case MetaSetBkColor:
    case MetaSetTextColor:
    case MetaCreateBrushIndirect:
      if (!RewriteColorRecord(r, pass_, settings_)) r.Assign(record);
      break;
    case MetaCreatePenIndirect:
      Pen(r);
      if (!RewriteColorRecord(r, pass_, settings_)) r.Assign(record);
      break;
    case MetaLineTo:
    case MetaMoveTo:
      if (n >= 2) MovePoint(r, 1, 0);
      break;
    case MetaFloodFill:
      if (n >= 4) MovePoint(r, 3, 2);
      break;
    case MetaExtFloodFill:
      if (n >= 5) MovePoint(r, 4, 3);
      break;
    case MetaCreateFontIndirect:
      Font(r);
      break;
    case MetaPolygon: {
      if (n < 1 || !PointsFit(r, 1, r.params[0])) break;
      if (pass_.savedPolygon) {
        if (IsDuplicatePolygon(r)) {
          pass_.savedPolygon.reset();
          return;
        }
        pass_.savedPolygon.reset();
      }
      if (settings_.RemoveLines && (settings_.Filledoptions || settings_.MakeBlack || settings_.Lineoptions)) {
        pass_.savedPolygon = record;
        pass_.polygonPending = true;
      }
      MovePoints(r, 1, r.params[0]);
      break;
    }
    case MetaPolyline:
      if (n < 1 || !PointsFit(r, 1, r.params[0])) break;
      if (IsDuplicateOutline(r)) {
        pass_.polygonPending = false;
        return;
      }
      MovePoints(r, 1, r.params[0]);
      Emit(r);
      pass_.polygonPending = false;
      return;
    case MetaExcludeClipRect:
    case MetaIntersectClipRect:
    case MetaEllipse:
      if (n >= 4) {
        MovePoint(r, 3, 2);
        MovePoint(r, 1, 0);
      }
      break;
    case MetaRoundRect:
      if (n >= 6) {
        MovePoint(r, 5, 4);
        MovePoint(r, 3, 2);
        ScaleSize(r, 1, 0, quarter);
      }
      break;
    case MetaRectangle:
      if (n < 4) break;
      if (frame_.cad) {
        Background(r);
        return;
      }
      MovePoint(r, 3, 2);
      MovePoint(r, 1, 0);
      break;
    case MetaPolyPolygon: {
      if (n < 1 || n < 1 + static_cast<size_t>(r.params[0])) break;
      size_t points = 0;
      for (size_t i = 0; i < r.params[0]; ++i) points += r.params[1 + i];
      const size_t first = 1 + r.params[0];
      if (points > 0 && PointsFit(r, first, points)) MovePoints(r, first, points);
      break;
    }
    case MetaArc:
    case MetaPie:
    case MetaChord:
      if (n >= 8) Arc(r);
      break;
    case MetaTextOut:
      if (const std::optional<TextOutView> text = TextOutView::Of(r)) MovePoint(r, text->yParam + 1, text->yParam);
      break;
    case MetaExtTextOut: {
      ExtTextLayout layout;
      if (!ReadExtTextLayout(r, layout)) break;
      MovePoint(r, 1, 0);
      if (layout.hasRect) {
        MovePoint(r, 4, 5);
        MovePoint(r, 6, 7);
      }
      if (layout.hasDx) Advances(r);
      break;
    }
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
      if (n >= 2) {
        const Point64 d = DistanceToOutput(Signed(r, 1), Signed(r, 0));
        StoreClamped(r, 1, d.x);
        StoreClamped(r, 0, d.y);
      }
      break;
    case MetaFrameRegion:
      if (n >= 4) ScaleSize(r, 3, 2, quarter);
      break;
    default:
      if (BlitView::Of(r)) {
        Blit(r);
        return;
      }
      break;
  }
  Emit(r);
}

// Window records set the output's own window: the picture's mapping is
// already in every coordinate.
void RecordRewriter::WindowOrigin(WmfRecord& r) {
  // A block drawn with a window origin of its own keeps its colours.
  pass_.WindowOrigin(Signed(r, 1), Signed(r, 0));
  Store(r, 1, 0);
  Store(r, 0, 0);
}

void RecordRewriter::WindowExtent(WmfRecord& r) {
  const Size found{Signed(r, 1), Signed(r, 0)};
  if (pass_.awaitFirstWindowExt) pass_.firstWindowExt = found;
  pass_.currentWindowExt = found;
  Store(r, 1, pass_.outputSize.x);
  Store(r, 0, pass_.outputSize.y);
  pass_.awaitFirstWindowExt = false;
}

// The CAD program's background: a rectangle from the picture's origin.
void RecordRewriter::Background(WmfRecord& r) {
  const bool atOrigin = Signed(r, 3) == 0 && Signed(r, 2) == 0;
  if (!atOrigin) {
    MovePoint(r, 3, 2);
    MovePoint(r, 1, 0);
    Emit(r);
    return;
  }
  if (settings_.RemoveBackground) return;

  // Repaint it over the whole output window in the background colour.
  Store(r, 3, 0);
  Store(r, 2, 0);
  Store(r, 1, pass_.outputSize.x);
  Store(r, 0, pass_.outputSize.y);
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

// Arcs, pies and chords: the box and the points that aim the ends. GDI
// draws them counterclockwise as seen on the device whatever the mapping,
// so start and end keep their roles when a mirror is taken into the points.
void RecordRewriter::Arc(WmfRecord& r) const {
  for (size_t i = 0; i < 8; i += 2) MovePoint(r, i + 1, i);
}

// Fonts turn with the picture and keep their size in the output's units.
void RecordRewriter::Font(WmfRecord& r) const {
  const int rotation = settings_.Rotation;
  if (r.params.size() < 4) return;
  Store(r, 2, Signed(r, 2) - 10 * rotation);
  Store(r, 3, Signed(r, 3) - 10 * rotation);
  const double fy = SizeFactor(true), fx = SizeFactor(false);
  if (fy != 1.0 && Signed(r, 0) != 0) {
    const int64_t height = std::llround(Signed(r, 0) * fy);
    StoreClamped(r, 0, height != 0 ? height : (Signed(r, 0) < 0 ? -1 : 1));
  }
  if (fx != 1.0 && Signed(r, 1) != 0) StoreClamped(r, 1, std::max<int64_t>(1, std::llround(Signed(r, 1) * fx)));
}

// A pen's width is a length of the picture: it scales with the drawing.
void RecordRewriter::Pen(WmfRecord& r) const {
  const double fx = SizeFactor(false);
  if (fx == 1.0 || r.params.size() < 2 || Signed(r, 1) <= 0) return;
  StoreClamped(r, 1, std::max<int64_t>(1, std::llround(Signed(r, 1) * fx)));
}

// The advances of a text, scaled with its font; rounding is carried from
// character to character so that the text keeps its length.
void RecordRewriter::Advances(WmfRecord& r) const {
  const double fx = SizeFactor(false);
  if (fx == 1.0) return;
  ExtTextLayout layout;
  if (!ReadExtTextLayout(r, layout) || !layout.hasDx) return;
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
  if (!Has(r, 11)) return;
  std::vector<Box64> rects;
  const size_t scans = r.params[5];
  size_t at = 11;
  for (size_t s = 0; s < scans && Has(r, at + 3); ++s) {
    const size_t pairs = r.params[at] / 2;
    if (!Has(r, at + 3 + 2 * pairs + 1)) break;
    const int32_t top = Signed(r, at + 1), bottom = Signed(r, at + 2);
    for (size_t i = 0; i < pairs; ++i) {
      Box64 box;
      box.Add(ToOutput(Signed(r, at + 3 + 2 * i), top));
      box.Add(ToOutput(Signed(r, at + 4 + 2 * i), bottom));
      box.minX = std::clamp<int64_t>(box.minX, INT16_MIN, INT16_MAX);
      box.maxX = std::clamp<int64_t>(box.maxX, INT16_MIN, INT16_MAX);
      box.minY = std::clamp<int64_t>(box.minY, INT16_MIN, INT16_MAX);
      box.maxY = std::clamp<int64_t>(box.maxY, INT16_MIN, INT16_MAX);
      if (box.minX < box.maxX && box.minY < box.maxY) rects.push_back(box);
    }
    at += 3 + 2 * pairs + 1;
  }
  std::vector<int64_t> ys, xs;
  for (const Box64& b : rects) {
    ys.insert(ys.end(), {b.minY, b.maxY});
    xs.insert(xs.end(), {b.minX, b.maxX});
  }
  const std::vector<int64_t> edges = SortedEdges(std::move(ys));
  // Each rectangle enters the cover at its top edge and leaves at its bottom.
  std::vector<const Box64*> byTop, byBottom;
  for (const Box64& b : rects) byTop.push_back(&b);
  byBottom = byTop;
  std::sort(byTop.begin(), byTop.end(), [](const Box64* a, const Box64* b) { return a->minY < b->minY; });
  std::sort(byBottom.begin(), byBottom.end(), [](const Box64* a, const Box64* b) { return a->maxY < b->maxY; });
  IntervalCover cover(SortedEdges(std::move(xs)));
  size_t nextToEnter = 0, nextToLeave = 0;

  std::vector<uint16_t> body;
  Box64 bounds;
  size_t scanCount = 0, maxScan = 0;
  std::vector<std::pair<int64_t, int64_t>> merged;
  for (size_t e = 0; e + 1 < edges.size(); ++e) {
    const int64_t top = edges[e], bottom = edges[e + 1];
    for (; nextToLeave < byBottom.size() && byBottom[nextToLeave]->maxY <= top; ++nextToLeave)
      cover.Add(byBottom[nextToLeave]->minX, byBottom[nextToLeave]->maxX, -1);
    for (; nextToEnter < byTop.size() && byTop[nextToEnter]->minY <= top; ++nextToEnter)
      cover.Add(byTop[nextToEnter]->minX, byTop[nextToEnter]->maxX, 1);
    cover.Covered(merged);
    if (merged.empty()) continue;
    const uint16_t count = static_cast<uint16_t>(2 * merged.size());
    body.push_back(count);
    body.push_back(static_cast<uint16_t>(top));
    body.push_back(static_cast<uint16_t>(bottom));
    for (const auto& [left, right] : merged) {
      body.push_back(static_cast<uint16_t>(left));
      body.push_back(static_cast<uint16_t>(right));
      bounds.Add(Point64{left, top});
      bounds.Add(Point64{right, bottom});
    }
    body.push_back(count);
    ++scanCount;
    maxScan = std::max<size_t>(maxScan, count);
  }
  if (bounds.Empty()) bounds = Box64{0, 0, 0, 0};
  std::vector<uint16_t> params(r.params.begin(), r.params.begin() + 4);
  params.push_back(static_cast<uint16_t>(std::min<size_t>(22 + 2 * body.size(), 0xFFFF)));  // bytes
  params.push_back(static_cast<uint16_t>(std::min<size_t>(scanCount, 0xFFFF)));
  params.push_back(static_cast<uint16_t>(std::min<size_t>(maxScan, 0xFFFF)));
  for (int64_t v : {bounds.minX, bounds.minY, bounds.maxX, bounds.maxY}) params.push_back(static_cast<uint16_t>(v));
  params.insert(params.end(), body.begin(), body.end());
  r.params = std::move(params);
}

// A polygon that repeats the saved one and closes itself: its outline.
bool RecordRewriter::IsDuplicatePolygon(const WmfRecord& r) const {
  const RecordView saved = *pass_.savedPolygon;
  const size_t m = saved.params[0];
  if (!pass_.polygonPending || r.params[0] != m + 1) return false;
  for (size_t i = 0; i < m; ++i)
    if (!SamePoint(r, i, saved, i)) return false;
  return SamePoint(r, m, r, 0);
}

// The first polyline after a polygon, closed and starting at its first point.
bool RecordRewriter::IsDuplicateOutline(const WmfRecord& r) const {
  if (!pass_.polygonPending || !pass_.savedPolygon) return false;
  const RecordView saved = *pass_.savedPolygon;
  const size_t count = r.params[0];
  if (count == 0 || saved.params[0] == 0) return false;
  if (!SamePoint(r, count - 1, r, 0)) return false;
  return SamePoint(r, 0, saved, 0) || (count >= 2 && SamePoint(r, 1, saved, 0));
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
  const size_t h = blit->box, w = blit->box + 1, y = blit->box + 2, x = blit->box + 3;
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
  StoreClamped(r, w, box.x);
  StoreClamped(r, h, box.y);
  StoreClamped(r, x, centre.x - Signed(r, w) / 2);
  StoreClamped(r, y, centre.y - Signed(r, h) / 2);
  Emit(r);
}

}  // namespace wmf
