// Small pictures built in the tests, record by record.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "metafile.h"
#include "wmf_file.h"

namespace wmf::test {

inline WmfRecord Rec(uint16_t function, std::initializer_list<int> params) {
  WmfRecord record{function, {}};
  for (int p : params) record.params.push_back(static_cast<uint16_t>(p));
  return record;
}

// A polygon or polyline from (x, y) pairs.
inline WmfRecord Poly(uint16_t function, std::initializer_list<std::pair<int, int>> points) {
  WmfRecord record{function, {static_cast<uint16_t>(points.size())}};
  for (auto [x, y] : points) {
    record.params.push_back(static_cast<uint16_t>(x));
    record.params.push_back(static_cast<uint16_t>(y));
  }
  return record;
}

inline WmfRecord Pen(uint32_t color, int width = 0, int style = 0) {
  return Rec(MetaCreatePenIndirect, {style, width, 0, static_cast<int>(color & 0xFFFF), static_cast<int>(color >> 16)});
}

inline WmfRecord Brush(uint32_t color, int style = 0) {
  return Rec(MetaCreateBrushIndirect, {style, static_cast<int>(color & 0xFFFF), static_cast<int>(color >> 16), 0});
}

inline WmfRecord WindowExt(int x, int y) { return Rec(MetaSetWindowExt, {y, x}); }
inline WmfRecord WindowOrg(int x, int y) { return Rec(MetaSetWindowOrg, {y, x}); }
inline WmfRecord LineTo(int x, int y) { return Rec(MetaLineTo, {y, x}); }
inline WmfRecord Rectangle(int left, int top, int right, int bottom) {
  return Rec(MetaRectangle, {bottom, right, top, left});
}


inline std::vector<uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline WmfPicture ReadOrFail(const std::vector<uint8_t>& bytes) {
  WmfPicture picture;
  std::string error;
  if (!ReadWmf(bytes, picture, error)) throw std::runtime_error("unreadable picture: " + error);
  return picture;
}

// A picture of `records` as read from a standard metafile.
inline WmfPicture PictureOf(const std::vector<WmfRecord>& records) { return ReadOrFail(WriteWmf(records)); }

}  // namespace wmf::test
