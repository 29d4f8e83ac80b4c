#include "emf_records.h"

#include "emf_record_kinds.h"

namespace wmf {
namespace {

constexpr size_t kBounds = 16;  // the RECTL most drawing records start with

// `count` points from `at`, of 32 bits (POINTL) or 16 bits (POINTS) each.
void Points(const EmfRecordView& r, size_t at, size_t count, bool small, const std::function<void(EmfPoint)>& visit) {
  const size_t size = small ? 4 : 8;
  for (size_t i = 0; i < count && r.Has(at + (i + 1) * size); ++i) {
    const size_t p = at + i * size;
    if (small) {
      int16_t x, y;
      std::memcpy(&x, r.body.data() + p, 2);
      std::memcpy(&y, r.body.data() + p + 2, 2);
      visit(EmfPoint{x, y});
    } else {
      visit(EmfPoint{*r.I32(p), *r.I32(p + 4)});
    }
  }
}

// The four corners of the box (left, top, right, bottom) at `at`.
void Corners(const EmfRecordView& r, size_t at, const std::function<void(EmfPoint)>& visit) {
  if (!r.Has(at + 16)) return;
  const int32_t l = *r.I32(at), t = *r.I32(at + 4), rt = *r.I32(at + 8), b = *r.I32(at + 12);
  for (const EmfPoint p : {EmfPoint{l, t}, EmfPoint{rt, t}, EmfPoint{l, b}, EmfPoint{rt, b}}) visit(p);
}

// A box from its corner and size.
void Box(const EmfRecordView& r, size_t corner, size_t size, const std::function<void(EmfPoint)>& visit) {
  if (!r.Has(corner + 8) || !r.Has(size + 8)) return;
  const int32_t x = *r.I32(corner), y = *r.I32(corner + 4);
  const int64_t w = *r.I32(size), h = *r.I32(size + 4);
  const auto at = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  for (const EmfPoint p : {EmfPoint{x, y}, EmfPoint{at(x + w), y}, EmfPoint{x, at(y + h)}, EmfPoint{at(x + w), at(y + h)}})
    visit(p);
}

}  // namespace

bool ForEachEmfPoint(const EmfRecordView& r, const std::function<void(EmfPoint)>& visit) {
  switch (r.type) {
    case EmrPolyBezier: case EmrPolygon: case EmrPolyline: case EmrPolyBezierTo: case EmrPolylineTo:
    case EmrPolyDraw:
      Points(r, kBounds + 4, r.U32(kBounds).value_or(0), false, visit);
      return true;
    case EmrPolyBezier16: case EmrPolygon16: case EmrPolyline16: case EmrPolyBezierTo16: case EmrPolylineTo16:
    case EmrPolyDraw16:
      Points(r, kBounds + 4, r.U32(kBounds).value_or(0), true, visit);
      return true;
    case EmrPolyPolyline: case EmrPolyPolygon: case EmrPolyPolyline16: case EmrPolyPolygon16: {
      // NumberOfPolys, Count, the counts of each, then the points.
      const uint64_t polys = r.U32(kBounds).value_or(0), count = r.U32(kBounds + 4).value_or(0);
      const uint64_t at = kBounds + 8 + 4 * polys;
      if (at > r.body.size()) return true;
      const bool small = r.type == EmrPolyPolyline16 || r.type == EmrPolyPolygon16;
      Points(r, static_cast<size_t>(at), static_cast<size_t>(count), small, visit);
      return true;
    }
    case EmrEllipse: case EmrRectangle: case EmrRoundRect: case EmrArc: case EmrChord: case EmrPie: case EmrArcTo:
      Corners(r, 0, visit);
      return true;
    case EmrAngleArc: {
      if (!r.Has(12)) return true;
      const int64_t cx = *r.I32(0), cy = *r.I32(4), radius = *r.U32(8);
      const auto at = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
      visit(EmfPoint{at(cx - radius), at(cy - radius)});
      visit(EmfPoint{at(cx + radius), at(cy + radius)});
      return true;
    }
    case EmrLineTo: case EmrMoveToEx: case EmrSetPixelV: case EmrExtFloodFill:
      Points(r, 0, 1, false, visit);
      return true;
    case EmrBitBlt: case EmrStretchBlt: case EmrMaskBlt: case EmrAlphaBlend: case EmrTransparentBlt:
      Box(r, kBounds, kBounds + 8, visit);  // xDest, yDest, cxDest, cyDest
      return true;
    case EmrStretchDIBits:
      Box(r, kBounds, kBounds + 48, visit);  // xDest, yDest ... cxDest, cyDest at the end
      return true;
    case EmrSetDIBitsToDevice:
      Box(r, kBounds, kBounds + 16, visit);  // xDest, yDest; the source's cx, cy
      return true;
    case EmrPlgBlt:
      Points(r, kBounds, 3, false, visit);  // the parallelogram's three corners
      return true;
    case EmrGradientFill: {
      // nVer, nTri, ulMode, then TRIVERTEX (x, y, four colour words) each.
      const uint32_t vertices = r.U32(kBounds).value_or(0);
      for (uint32_t i = 0; i < vertices && r.Has(kBounds + 12 + (i + 1) * 16); ++i)
        visit(EmfPoint{*r.I32(kBounds + 12 + i * 16), *r.I32(kBounds + 16 + i * 16)});
      return true;
    }
    default:
      return false;
  }
}

LogFont EmfFontOf(const EmfRecordView& r) {
  LogFont font;
  const auto i32 = [&](size_t at) { return r.I32(at).value_or(0); };
  const auto clamp16 = [](int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); };
  // ihFont, then LOGFONTW: Height, Width, Escapement, Orientation, Weight,
  // eight bytes (Italic ... PitchAndFamily) and 32 WCHARs of face name.
  font.height = clamp16(i32(4));
  font.width = clamp16(i32(8));
  font.escapement = clamp16(i32(12));
  font.orientation = clamp16(i32(16));
  font.weight = clamp16(i32(20));
  uint8_t* bytes[] = {&font.italic, &font.underline, &font.strikeOut, &font.charSet,
                      &font.outPrecision, &font.clipPrecision, &font.quality, &font.pitchAndFamily};
  for (size_t i = 0; i < 8 && r.Has(24 + i + 1); ++i) *bytes[i] = r.body[24 + i];
  for (size_t at = 32; at + 2 <= 32 + 64 && r.Has(at + 2); at += 2) {
    const char16_t c = static_cast<char16_t>(r.body[at] | r.body[at + 1] << 8);
    if (c == 0) break;
    font.faceName.push_back(c < 256 ? static_cast<char>(c) : '?');
  }
  return font;
}

std::optional<EmfTextView> EmfTextView::Of(const EmfRecordView& r) {
  if ((r.type != EmrExtTextOutW && r.type != EmrExtTextOutA) || !r.Has(kRectangle + 20)) return std::nullopt;
  EmfTextView view;
  view.wide = r.type == EmrExtTextOutW;
  view.reference = EmfPoint{*r.I32(kReference), *r.I32(kReference + 4)};
  const uint32_t chars = *r.U32(kReference + 8), offString = *r.U32(kReference + 12);
  view.options = *r.U32(kOptions);
  for (size_t i = 0; i < 4; ++i) view.rect[i] = *r.I32(kRectangle + 4 * i);
  const uint32_t offDx = *r.U32(kRectangle + 16);
  // Offsets count from the record's start, 8 bytes before its body.
  const uint64_t charBytes = static_cast<uint64_t>(chars) * (view.wide ? 2 : 1);
  if (offString >= 8 && offString - 8 + charBytes <= r.body.size()) {
    const uint8_t* text = r.body.data() + offString - 8;
    for (uint32_t i = 0; i < chars; ++i)
      view.text.push_back(view.wide ? static_cast<char16_t>(text[2 * i] | text[2 * i + 1] << 8) : text[i]);
  }
  if (offDx >= 8 && offDx - 8 + 4ull * chars <= r.body.size() && chars > 0) {
    int64_t sum = 0;
    for (uint32_t i = 0; i < chars; ++i) sum += *r.I32(offDx - 8 + 4 * i);
    view.advanceSum = sum;
  }
  return view;
}

std::optional<EmfRegionView> EmfRegionView::Of(const EmfRecordView& r) {
  EmfRegionView view;
  size_t sizeAt = 0;
  switch (r.type) {
    case EmrFillRgn: sizeAt = kBounds; view.dataAt = kBounds + 8; break;        // cbRgnData, ihBrush
    case EmrFrameRgn: sizeAt = kBounds; view.dataAt = kBounds + 16; break;      // cbRgnData, ihBrush, Width, Height
    case EmrInvertRgn: case EmrPaintRgn: sizeAt = kBounds; view.dataAt = kBounds + 4; break;
    case EmrExtSelectClipRgn:
      sizeAt = 0;
      view.dataAt = 8;
      view.clipMode = r.U32(4).value_or(0);
      break;
    default: return std::nullopt;
  }
  const uint64_t size = r.U32(sizeAt).value_or(0);
  // RGNDATAHEADER: dwSize (32), iType, nCount, nRgnSize, rcBound; the RECTLs follow.
  if (size < 32 || view.dataAt + size > r.body.size()) return std::nullopt;
  const uint32_t count = r.U32(view.dataAt + 8).value_or(0);
  view.rectsAt = view.dataAt + 32;
  if (view.rectsAt + 16ull * count > view.dataAt + size) return std::nullopt;
  view.rectCount = count;
  return view;
}

}  // namespace wmf
