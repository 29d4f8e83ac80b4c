// Large generated pictures of the kind CAD programs put on the clipboard,
// for the benchmark and the end-to-end tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <initializer_list>
#include <random>
#include <vector>

#include "test_emf.h"
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

// The same drawing as an enhanced metafile of about `megabytes`, as a CAD
// program puts it on the clipboard in its own format: an A3 frame, y up in
// a window of its own, 16-bit points, texts in UTF-16 with their advances.
inline std::vector<uint8_t> CadEmf(int megabytes) {
  std::mt19937 random(7);
  auto coordinate = [&] { return static_cast<int16_t>(random() % 30000 + 100); };
  EmfBuilder e({0, 0, 41999, 29699});
  size_t bytes = 108;
  const auto raw = [&](uint32_t type, const std::vector<uint8_t>& body) {
    e.Raw(type, body);
    bytes += 8 + (body.size() + 3) / 4 * 4;
  };
  const auto record = [&](uint32_t type, std::initializer_list<int32_t> fields) {
    e.Record(type, fields);
    bytes += 8 + 4 * fields.size();
  };
  const auto put = [](std::vector<uint8_t>& body, const auto& value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    body.insert(body.end(), p, p + sizeof value);
  };
  // Bounds, then the count and the points.
  const auto poly16 = [&](uint32_t type, const std::vector<int16_t>& xy) {
    std::vector<uint8_t> body(16, 0);
    put(body, static_cast<uint32_t>(xy.size() / 2));
    for (int16_t v : xy) put(body, v);
    raw(type, body);
  };
  record(EmrSetMapMode, {8});
  record(EmrSetWindowExtEx, {32000, -24000});
  record(EmrSetWindowOrgEx, {0, 24000});
  record(EmrSetViewportExtEx, {1586, 1122});
  record(EmrCreateBrushIndirect, {1, 0, 0x000000, 0});
  record(EmrSelectObject, {1});
  record(EmrRectangle, {0, 0, 32000, 24000});
  std::vector<uint8_t> font = {4, 0, 0, 0};  // slot 4, then LOGFONTW: height -120, weight 400, "Arial"
  for (int32_t v : {-120, 0, 0, 0, 400}) put(font, v);
  font.resize(32, 0);
  for (char16_t c : std::u16string(u"Arial")) put(font, c);
  font.resize(4 + 92, 0);
  raw(EmrExtCreateFontIndirectW, font);
  record(EmrSelectObject, {4});
  record(EmrSetTextAlign, {24});
  // Three 24-bit bitmaps of up to 600 by 600 pixels, as the WMF picture has.
  const int side = std::clamp(static_cast<int>(std::sqrt(megabytes * 1048576.0 / 4 / 9)), 16, 600);
  const uint32_t stride = (24 * side + 31) / 32 * 4, image = stride * side;
  for (int bitmap = 0; bitmap < 3; ++bitmap) {
    std::vector<uint8_t> body(16, 0);
    for (int32_t v : {1000 + bitmap * 5000, 2000, 0, 0, side, side}) put(body, v);
    for (uint32_t v : {80u, 40u, 120u, image, 0u, 0x00CC0020u}) put(body, v);
    for (int32_t v : {side * 4, side * 4, 40, side, side}) put(body, v);
    for (uint32_t v : {1u | 24u << 16, 0u, image, 0u, 0u, 0u, 0u}) put(body, v);
    for (uint32_t i = 0; i < image; ++i) body.push_back(static_cast<uint8_t>(i * 2654435761u >> 13));
    raw(EmrStretchDIBits, body);
  }
  const std::u16string label = u"Dimension 12";
  int colour = 1;
  while (bytes < static_cast<size_t>(megabytes) * 1024 * 1024) {
    const int32_t rgb = static_cast<int32_t>(0x000000FFu << (8 * (colour++ % 3)));
    record(EmrCreatePen, {2, 0, 1, 0, rgb});
    record(EmrSelectObject, {2});
    record(EmrCreateBrushIndirect, {3, 0, rgb, 0});
    record(EmrSelectObject, {3});
    for (int i = 0; i < 40; ++i) {
      std::vector<int16_t> xy(2 * (2 + random() % 30));
      for (int16_t& v : xy) v = coordinate();
      poly16(EmrPolyline16, xy);
    }
    for (int i = 0; i < 10; ++i) {
      std::vector<int16_t> xy(8);
      for (int16_t& v : xy) v = coordinate();
      poly16(EmrPolygon16, xy);
      xy.insert(xy.end(), {xy[0], xy[1]});
      poly16(EmrPolyline16, xy);
    }
    for (int i = 0; i < 10; ++i) {
      // Bounds, iGraphicsMode, scales, then EMRTEXT, the string and its advances.
      std::vector<uint8_t> body(16, 0);
      put(body, uint32_t{1});
      put(body, 0.0f);
      put(body, 0.0f);
      for (int32_t v : {int32_t{coordinate()}, int32_t{coordinate()}}) put(body, v);
      for (uint32_t v : {static_cast<uint32_t>(label.size()), 76u, 0u, 0u, 0u, 0u, 0u, 76u + 24u}) put(body, v);
      for (char16_t c : label) put(body, c);
      for (size_t k = 0; k < label.size(); ++k) put(body, int32_t{70});
      raw(EmrExtTextOutW, body);
    }
    // A nested block, as an inserted drawing.
    record(EmrSaveDC, {});
    record(EmrSetWindowOrgEx, {-200, 300});
    record(EmrSetWindowExtEx, {16000, -12000});
    record(EmrMoveToEx, {coordinate(), coordinate()});
    record(EmrLineTo, {coordinate(), coordinate()});
    record(EmrRestoreDC, {-1});
    record(EmrSelectObject, {static_cast<int32_t>(0x80000007)});  // the black pen, a stock object
    record(EmrDeleteObject, {2});
    record(EmrDeleteObject, {3});
  }
  return e.Handles(5).Finish();  // slots 1 to 4 and slot 0
}

}  // namespace wmf::test
