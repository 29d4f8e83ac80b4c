#include "emf_records.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

// Whether `bytes` from `at` lie within the record's body.
bool Within(const EmfRecordView& r, uint64_t at, uint64_t bytes) { return at <= r.body.size() && bytes <= r.body.size() - at; }

// A bitmap's (offBmi, cbBmi, offBits, cbBits) at `fields`: each part, when
// it has any bytes, lies after the record's type and size and within it, and
// the rows of an uncompressed image (BI_RGB, BI_BITFIELDS) under a
// BITMAPINFOHEADER or later header within its bits; `wholeImage` false for a
// record that draws only some of its rows.
bool BitmapWithin(const EmfRecordView& r, size_t fields, bool wholeImage = true) {
  if (!r.Has(fields + 16)) return false;
  for (const size_t part : {fields, fields + 8}) {
    const uint64_t offset = *r.U32(part), bytes = *r.U32(part + 4);
    if (bytes > 0 && (offset < 8 || !Within(r, offset - 8, bytes))) return false;
  }
  const size_t info = *r.U32(fields) - 8;
  if (!wholeImage || *r.U32(fields + 4) < 20 || *r.U32(info) < 40) return true;
  const uint32_t compression = *r.U32(info + 16);
  if (compression != 0 && compression != 3) return true;
  uint16_t bitCount;
  std::memcpy(&bitCount, r.body.data() + info + 14, 2);
  const uint64_t width = std::abs(int64_t{*r.I32(info + 4)}), height = std::abs(int64_t{*r.I32(info + 8)});
  return height == 0 || (bitCount * width + 31) / 32 * 4 <= *r.U32(fields + 12) / height;
}

// An EMRTEXT at `at`: its characters and, when it has them, its advances
// (two a character with ETO_PDY).
bool TextWithin(const EmfRecordView& r, size_t at, uint64_t charBytes) {
  constexpr uint32_t kEtoPdy = 0x2000;
  if (!r.Has(at + 40)) return false;
  const uint64_t chars = *r.U32(at + 8), offString = *r.U32(at + 12), options = *r.U32(at + 16), offDx = *r.U32(at + 36);
  if (chars == 0) return true;
  if (offString < 8 || !Within(r, offString - 8, chars * charBytes)) return false;
  return offDx == 0 || (offDx >= 8 && Within(r, offDx - 8, chars * 4 * (options & kEtoPdy ? 2 : 1)));
}

}  // namespace

std::optional<size_t> EmfObjectIndexField(uint32_t type) {
  switch (type) {
    case EmrCreatePen: case EmrCreateBrushIndirect: case EmrCreatePalette: case EmrExtCreateFontIndirectW:
    case EmrCreateMonoBrush: case EmrCreateDibPatternBrushPt: case EmrExtCreatePen: case EmrCreateColorSpace:
    case EmrCreateColorSpaceW: case EmrSelectObject: case EmrDeleteObject: case EmrSelectPalette:
    case EmrSetPaletteEntries: case EmrResizePalette: case EmrSetColorSpace: case EmrDeleteColorSpace:
    case EmrColorCorrectPalette:
      return 0;
    case EmrFillRgn: case EmrFrameRgn:
      return kBounds + 4;  // ihBrush, after the region data's size
    default:
      return std::nullopt;
  }
}

bool EmfRecordHoldsItsData(const EmfRecordView& r) {
  switch (r.type) {
    case EmrPolyBezier: case EmrPolygon: case EmrPolyline: case EmrPolyBezierTo: case EmrPolylineTo:
    case EmrPolyBezier16: case EmrPolygon16: case EmrPolyline16: case EmrPolyBezierTo16: case EmrPolylineTo16:
    case EmrPolyDraw: case EmrPolyDraw16: {
      const bool small = r.type >= EmrPolyBezier16;
      const bool typed = r.type == EmrPolyDraw || r.type == EmrPolyDraw16;  // a type byte for each point
      return r.Has(kBounds + 4) && Within(r, kBounds + 4, uint64_t{*r.U32(kBounds)} * ((small ? 4 : 8) + typed));
    }
    case EmrPolyPolyline: case EmrPolyPolygon: case EmrPolyPolyline16: case EmrPolyPolygon16: {
      // Players take each polygon's points by its count: together they stay
      // within the points the record holds.
      if (!r.Has(kBounds + 8)) return false;
      const uint64_t polys = *r.U32(kBounds), points = *r.U32(kBounds + 4);
      const bool small = r.type == EmrPolyPolyline16 || r.type == EmrPolyPolygon16;
      if (!Within(r, kBounds + 8, 4 * polys + points * (small ? 4 : 8))) return false;
      uint64_t counted = 0;
      for (uint64_t i = 0; i < polys; ++i) counted += *r.U32(kBounds + 8 + 4 * i);
      return counted <= points;
    }
    case EmrExtTextOutA: case EmrExtTextOutW:
      return TextWithin(r, EmfTextView::kReference, r.type == EmrExtTextOutW ? 2 : 1);
    case EmrPolyTextOutA: case EmrPolyTextOutW: {
      constexpr size_t kStrings = kBounds + 12;  // after iGraphicsMode, exScale, eyScale
      if (!r.Has(kStrings + 4) || !Within(r, kStrings + 4, uint64_t{*r.U32(kStrings)} * 40)) return false;
      for (uint32_t i = 0; i < *r.U32(kStrings); ++i)
        if (!TextWithin(r, kStrings + 4 + 40 * i, r.type == EmrPolyTextOutW ? 2 : 1)) return false;
      return true;
    }
    case EmrFillRgn: case EmrFrameRgn: case EmrInvertRgn: case EmrPaintRgn:
      return EmfRegionView::Of(r).has_value();
    case EmrExtSelectClipRgn:  // without region data it takes the clip away
      return r.Has(8) && (*r.U32(0) == 0 || EmfRegionView::Of(r));
    case EmrBitBlt: case EmrStretchBlt: case EmrAlphaBlend: case EmrTransparentBlt:
      return r.Has(r.type == EmrBitBlt ? 92 : 100) && BitmapWithin(r, 76);
    case EmrMaskBlt:
      return BitmapWithin(r, 76) && BitmapWithin(r, 104);
    case EmrPlgBlt:
      return BitmapWithin(r, 88) && BitmapWithin(r, 116);
    case EmrSetDIBitsToDevice:  // it draws cScans rows of the image
      return r.Has(68) && BitmapWithin(r, 40, false);
    case EmrStretchDIBits:
      return r.Has(72) && BitmapWithin(r, 40);
    case EmrCreateMonoBrush: case EmrCreateDibPatternBrushPt:
      return BitmapWithin(r, 8);
    case EmrExtCreatePen:  // LOGPENEX ends with its style entries
      return BitmapWithin(r, 4) && r.Has(44) && Within(r, 44, uint64_t{*r.U32(40)} * 4);
    case EmrExtCreateFontIndirectW:  // a LOGFONTW at least
      return r.Has(4 + 92);
    case EmrCreatePalette: {  // LOGPALETTE: version and entry count (16 bits each), the entries
      if (!r.Has(8)) return false;
      uint16_t entries;
      std::memcpy(&entries, r.body.data() + 6, 2);
      return Within(r, 8, uint64_t{entries} * 4);
    }
    case EmrSetPaletteEntries:
      return r.Has(12) && Within(r, 12, uint64_t{*r.U32(8)} * 4);
    case EmrGradientFill: {  // the vertices, then triangles (three indices) or rectangles (two)
      constexpr uint32_t kGradientFillTriangle = 2;
      if (!r.Has(kBounds + 12)) return false;
      const uint64_t vertices = *r.U32(kBounds), shapes = *r.U32(kBounds + 4);
      return Within(r, kBounds + 12, vertices * 16 + shapes * (*r.U32(kBounds + 8) == kGradientFillTriangle ? 12 : 8));
    }
    default:
      return true;
  }
}

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
