// Large generated pictures of the kind CAD programs put on the clipboard,
// for the benchmark and the end-to-end tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <random>
#include <vector>

#include "test_pictures.h"

namespace wmf::test {

// A 24-bit bitmap of `side` × `side` pixels in a MetaStretchDib.
inline void AddBitmap(std::vector<WmfRecord>& out, int x, int y, int side) {
  WmfRecord& r = out.emplace_back();
  r.function = MetaStretchDib;
  const int w = side, h = side;
  r.params = {0x0020, 0x00CC, 0, static_cast<uint16_t>(h), static_cast<uint16_t>(w), 0, 0,
              static_cast<uint16_t>(h), static_cast<uint16_t>(w), static_cast<uint16_t>(y), static_cast<uint16_t>(x)};
  const uint32_t stride = (24 * w + 31) / 32 * 4;
  const uint32_t image = stride * h;
  const uint32_t header[10] = {40, static_cast<uint32_t>(w), static_cast<uint32_t>(h), 1 | (24u << 16), 0, image, 0, 0, 0, 0};
  for (uint32_t v : header) {
    r.params.push_back(static_cast<uint16_t>(v));
    r.params.push_back(static_cast<uint16_t>(v >> 16));
  }
  for (uint32_t i = 0; i < image / 2; ++i) r.params.push_back(static_cast<uint16_t>(i * 2654435761u >> 7));
}

// About `megabytes` of what a CAD program puts on the clipboard: a
// background, pens and brushes per colour, polylines, filled polygons with
// their outlines, texts, nested blocks and a few large bitmaps.
inline std::vector<WmfRecord> CadPicture(int megabytes) {
  std::mt19937 random(7);
  auto coordinate = [&] { return static_cast<int>(random() % 30000) + 100; };
  std::vector<WmfRecord> out;
  out.push_back(Rec(MetaSetWindowOrg, {0, 0}));
  out.push_back(Rec(MetaSetWindowExt, {24000, 32000}));
  out.push_back(Rec(MetaCreatePenIndirect, {0, 0, 0, 0, 0}));
  out.push_back(Rec(MetaSelectObject, {0}));
  out.push_back(Rec(MetaRectangle, {24000, 32000, 0, 0}));
  out.push_back(Rec(MetaCreateFontIndirect, {-120, 0, 0, 0, 400, 0, 0, 0, 0x7241, 0x6169, 0x006C}));
  out.push_back(Rec(MetaSelectObject, {1}));
  out.push_back(Rec(MetaSetTextAlign, {24}));
  // Three 24-bit bitmaps of up to 600 by 600 pixels, a quarter of a small
  // picture at most.
  const int side = std::clamp(static_cast<int>(std::sqrt(megabytes * 1048576.0 / 4 / 9)), 16, 600);
  for (int bitmap = 0; bitmap < 3; ++bitmap) AddBitmap(out, 1000 + bitmap * 5000, 2000, side);

  size_t words = 0;
  for (const WmfRecord& r : out) words += r.SizeWords();
  const size_t target = static_cast<size_t>(megabytes) * 1024 * 1024 / 2;
  int colour = 1;
  while (words < target) {
    const uint32_t rgb = 0x000000FFu << (8 * (colour % 3));
    colour++;
    const size_t before = out.size();
    out.push_back(Rec(MetaCreatePenIndirect, {0, 1, 0, static_cast<int>(rgb & 0xFFFF), static_cast<int>(rgb >> 16)}));
    out.push_back(Rec(MetaSelectObject, {2}));
    out.push_back(Rec(MetaCreateBrushIndirect, {0, static_cast<int>(rgb & 0xFFFF), static_cast<int>(rgb >> 16), 0}));
    out.push_back(Rec(MetaSelectObject, {3}));
    for (int i = 0; i < 40; ++i) {
      WmfRecord& line = out.emplace_back();
      line.function = MetaPolyline;
      const int points = 2 + static_cast<int>(random() % 30);
      line.params.push_back(static_cast<uint16_t>(points));
      for (int p = 0; p < 2 * points; ++p) line.params.push_back(static_cast<uint16_t>(coordinate()));
    }
    for (int i = 0; i < 10; ++i) {
      WmfRecord polygon{MetaPolygon, {4}};
      for (int p = 0; p < 8; ++p) polygon.params.push_back(static_cast<uint16_t>(coordinate()));
      WmfRecord outline{MetaPolyline, {5}};
      outline.params.insert(outline.params.end(), polygon.params.begin() + 1, polygon.params.end());
      outline.params.push_back(polygon.params[1]);
      outline.params.push_back(polygon.params[2]);
      out.push_back(polygon);
      out.push_back(outline);
    }
    for (int i = 0; i < 10; ++i) {
      out.push_back(Rec(MetaExtTextOut, {coordinate(), coordinate(), 12, 0, 0x6944, 0x656D, 0x736E, 0x6F69, 0x206E, 0x3231}));
    }
    // A nested block, as an inserted drawing.
    out.push_back(Rec(MetaSaveDC, {}));
    out.push_back(Rec(MetaSetWindowOrg, {-200, -300}));
    out.push_back(Rec(MetaSetWindowExt, {12000, 16000}));
    out.push_back(Rec(MetaMoveTo, {coordinate(), coordinate()}));
    out.push_back(Rec(MetaLineTo, {coordinate(), coordinate()}));
    out.push_back(Rec(MetaRestoreDC, {-1}));
    out.push_back(Rec(MetaSelectObject, {0}));
    out.push_back(Rec(MetaDeleteObject, {2}));
    out.push_back(Rec(MetaDeleteObject, {3}));
    for (size_t i = before; i < out.size(); ++i) words += out[i].SizeWords();
  }
  return out;
}

}  // namespace wmf::test
