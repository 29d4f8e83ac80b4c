#include "record_rewriter.h"

#include <algorithm>
#include <utility>

#include "color_rules.h"
#include "dib_rotation.h"
#include "record_access.h"
#include "sizing.h"

namespace wmf {
namespace {

bool Rotated90Or270(int rotation) { return rotation == 90 || rotation == 270; }

// The number of points a poly record holds and needs: false when the record
// is too short for its own count.
bool PointsFit(const WmfRecord& record, size_t first, size_t count) {
  return record.params.size() >= first + 2 * count;
}

bool SamePoint(const WmfRecord& a, size_t i, const WmfRecord& b, size_t j) {
  return a.params[1 + 2 * i] == b.params[1 + 2 * j] && a.params[2 + 2 * i] == b.params[2 + 2 * j];
}

}  // namespace

RecordRewriter::RecordRewriter(PassState& pass, WmfSettings& settings, WmfRecorder& surface)
    : pass_(pass), settings_(settings), surface_(surface) {}

void RecordRewriter::TransformPoint(int32_t& x, int32_t& y) const {
  const Rect& b = pass_.bounds;
  int32_t nx = x - b.minX, ny = y - b.minY;
  switch (settings_.Rotation) {
    case 90: nx = b.maxY - y; ny = x - b.minX; break;
    case 180: nx = b.maxX - x; ny = b.maxY - y; break;
    case 270: nx = y - b.minY; ny = b.maxX - x; break;
    default: break;
  }
  x = nx;
  y = ny;
}

void RecordRewriter::TransformParams(WmfRecord& record, size_t xParam, size_t yParam) const {
  int32_t x = Signed(record, xParam), y = Signed(record, yParam);
  TransformPoint(x, y);
  Store(record, xParam, x);
  Store(record, yParam, y);
}

void RecordRewriter::TransformPoints(WmfRecord& record, size_t first, size_t count) const {
  for (size_t i = 0; i < count; ++i) TransformParams(record, first + 2 * i, first + 2 * i + 1);
}

// A box given as a corner and a size turns about its centre.
void RecordRewriter::ApplyBoxRule(WmfRecord& record, size_t x, size_t y, size_t w, size_t h, bool swapBox) const {
  int32_t cx = Signed(record, x) + Signed(record, w) / 2;
  int32_t cy = Signed(record, y) + Signed(record, h) / 2;
  TransformPoint(cx, cy);
  if (swapBox) std::swap(record.params[w], record.params[h]);
  Store(record, x, cx - Signed(record, w) / 2);
  Store(record, y, cy - Signed(record, h) / 2);
}

void RecordRewriter::RewriteRecord(const WmfRecord& record) {
  copy_ = record;
  WmfRecord& r = copy_;
  const size_t n = r.params.size();
  const int rotation = settings_.Rotation;

  switch (r.function) {
    case META_SAVEDC:
      pass_.SaveDC();
      break;
    case META_RESTOREDC:
      pass_.RestoreDC();
      break;
    case META_SETMAPMODE:
      return;  // the output's mapping mode is set by the play
    case META_SETWINDOWORG:
      if (n >= 2) WindowOrigin(r);
      break;
    case META_SETWINDOWEXT:
      if (n >= 2) WindowExtent(r);
      break;
    case META_SETVIEWPORTORG:
    case META_SETVIEWPORTEXT:
      if (settings_.Crop) return;
      break;
    case META_SETPIXEL:
      if (n >= 4) TransformParams(r, 3, 2);
      [[fallthrough]];
    case META_SETBKCOLOR:
    case META_SETTEXTCOLOR:
    case META_CREATEPENINDIRECT:
    case META_CREATEBRUSHINDIRECT:
      if (!RewriteColorRecord(r, pass_, settings_)) r = record;
      break;
    case META_LINETO:
    case META_MOVETO:
      if (n >= 2) TransformParams(r, 1, 0);
      break;
    case META_CREATEFONTINDIRECT:
      if (n >= 4) {
        Store(r, 2, Signed(r, 2) - 10 * rotation);
        Store(r, 3, Signed(r, 3) - 10 * rotation);
      }
      break;
    case META_POLYGON: {
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
      TransformPoints(r, 1, r.params[0]);
      break;
    }
    case META_POLYLINE:
      if (n < 1 || !PointsFit(r, 1, r.params[0])) break;
      if (IsDuplicateOutline(r)) {
        pass_.polygonPending = false;
        return;
      }
      TransformPoints(r, 1, r.params[0]);
      Emit(r);
      pass_.polygonPending = false;
      return;
    case META_EXCLUDECLIPRECT:
    case META_INTERSECTCLIPRECT:
    case META_ELLIPSE:
      if (n >= 4) {
        TransformParams(r, 3, 2);
        TransformParams(r, 1, 0);
      }
      break;
    case META_RECTANGLE:
      if (n >= 4) {
        Background(r);
        return;
      }
      break;
    case META_POLYPOLYGON: {
      if (n < 1 || n < 1 + static_cast<size_t>(r.params[0])) break;
      size_t points = 0;
      for (size_t i = 0; i < r.params[0]; ++i) points += r.params[1 + i];
      const size_t first = 1 + r.params[0];
      if (points > 0 && PointsFit(r, first, points)) TransformPoints(r, first, points);
      break;
    }
    case META_PATBLT:
      if (n >= 6) ApplyBoxRule(r, 5, 4, 3, 2, Rotated90Or270(rotation));
      break;
    case META_ARC:
      if (n >= 8)
        for (size_t i = 0; i < 8; i += 2) TransformParams(r, i + 1, i);
      break;
    case META_EXTTEXTOUT: {
      ExtTextLayout layout;
      if (!ReadExtTextLayout(r, layout)) break;
      TransformParams(r, 1, 0);
      if (layout.hasRect) {
        TransformParams(r, 4, 5);
        TransformParams(r, 6, 7);
      }
      break;
    }
    case META_DIBSTRETCHBLT:
      if (n >= 10) Bitmap(r, 6);
      break;
    case META_STRETCHDIB:
      if (n >= 11) Bitmap(r, 7);
      break;
    default:
      break;
  }
  Emit(r);
}

void RecordRewriter::WindowOrigin(WmfRecord& r) {
  if (r.params[0] != 0 || r.params[1] != 0) pass_.inNested = true;
  if (settings_.Crop && !pass_.awaitFirstWindowOrg) {
    TransformParams(r, 1, 0);
    const Rect& b = pass_.bounds;
    const Size f = pass_.firstWindowExt, c = pass_.currentWindowExt;
    int32_t dx = 0, dy = 0;
    switch (settings_.Rotation) {
      case 0: dx = MulDiv(b.minX, c.x, f.x); dy = MulDiv(b.minY, c.y, f.y); break;
      case 90: dx = -MulDiv(b.maxY, c.y, f.y); dy = MulDiv(b.minX, c.x, f.x); break;
      case 180: dx = -MulDiv(b.maxX, c.x, f.x); dy = -MulDiv(b.maxY, c.y, f.y); break;
      case 270: dx = MulDiv(b.minY, c.y, f.y); dy = -MulDiv(b.maxX, c.x, f.x); break;
      default: break;
    }
    Store(r, 1, Signed(r, 1) + dx);
    Store(r, 0, Signed(r, 0) + dy);
    pass_.nestedEndDepth = pass_.saveDepth - 1;
  }
  pass_.awaitFirstWindowOrg = false;
}

void RecordRewriter::WindowExtent(WmfRecord& r) {
  const Size found{Signed(r, 1), Signed(r, 0)};
  if (pass_.awaitFirstWindowExt) pass_.firstWindowExt = found;
  pass_.currentWindowExt = found;
  if (settings_.Crop) {
    const Rect& b = pass_.bounds;
    Store(r, 1, MulDiv(found.x, b.maxX - b.minX, pass_.firstWindowExt.x));
    Store(r, 0, MulDiv(found.y, b.maxY - b.minY, pass_.firstWindowExt.y));
  }
  if (Rotated90Or270(settings_.Rotation)) std::swap(r.params[0], r.params[1]);
  pass_.awaitFirstWindowExt = false;
}

// The CAD program's background: a rectangle from the picture's origin.
void RecordRewriter::Background(WmfRecord& r) {
  const bool atOrigin = Signed(r, 3) == 0 && Signed(r, 2) == 0;
  if (!atOrigin) {
    TransformParams(r, 3, 2);
    TransformParams(r, 1, 0);
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
  // white brush.
  if (previousPen < 0) previousPen = surface_.CreatePenIndirect(0, 0, kBlack);
  if (previousBrush < 0) previousBrush = surface_.CreateBrushIndirect(0, kWhite, 0);
  surface_.SelectObject(previousPen);
  surface_.SelectObject(previousBrush);
  surface_.DeleteObject(pen);
  surface_.DeleteObject(brush);
}

// A polygon that repeats the saved one and closes itself: its outline.
bool RecordRewriter::IsDuplicatePolygon(const WmfRecord& r) const {
  const WmfRecord& saved = *pass_.savedPolygon;
  const size_t m = saved.params[0];
  if (!pass_.polygonPending || r.params[0] != m + 1) return false;
  for (size_t i = 0; i < m; ++i)
    if (!SamePoint(r, i, saved, i)) return false;
  return SamePoint(r, m, r, 0);
}

// The first polyline after a polygon, closed and starting at its first point.
bool RecordRewriter::IsDuplicateOutline(const WmfRecord& r) const {
  if (!pass_.polygonPending || !pass_.savedPolygon) return false;
  const WmfRecord& saved = *pass_.savedPolygon;
  const size_t count = r.params[0];
  if (count == 0 || saved.params[0] == 0) return false;
  if (!SamePoint(r, count - 1, r, 0)) return false;
  return SamePoint(r, 0, saved, 0) || (count >= 2 && SamePoint(r, 1, saved, 0));
}

// Raster images move with their box; the pixels turn with the picture.
// `box` is the parameter index of DestHeight (DestWidth, YDest, XDest follow).
void RecordRewriter::Bitmap(WmfRecord& r, size_t box) {
  const size_t h = box, w = box + 1, y = box + 2, x = box + 3;
  int32_t cx = Signed(r, x) + Signed(r, w) / 2;
  int32_t cy = Signed(r, y) + Signed(r, h) / 2;
  TransformPoint(cx, cy);
  const bool turned = settings_.Rotation != 0 && RotateDibRecord(r, settings_.Rotation);
  if (turned && Rotated90Or270(settings_.Rotation)) std::swap(r.params[w], r.params[h]);
  Store(r, x, cx - Signed(r, w) / 2);
  Store(r, y, cy - Signed(r, h) / 2);
}

}  // namespace wmf
