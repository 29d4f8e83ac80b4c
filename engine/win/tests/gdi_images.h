// Pictures drawn by the system's own players (GDI) into images, and the
// measures the rendering checks compare them by.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "metafile.h"
#include "win/gdi_owners.h"
#include "wmf_file.h"

namespace wmf::test {

inline constexpr int kMaxSide = 400;

struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// An image of `width` × `height` pixels of `paper` (white unless told) on
// which `draw` draws.
inline Image Drawn(int width, int height, const std::function<void(HDC)>& draw, int paper = WHITE_BRUSH) {
  Image image;
  image.width = std::max(1, width);
  image.height = std::max(1, height);
  ::wmf::win::DcOwner dc(CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  ::wmf::win::GdiObjectOwner<HBITMAP> bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  EXPECT_TRUE(bitmap);
  HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
  RECT all{0, 0, image.width, image.height};
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(paper)));
  draw(dc.Get());
  GdiFlush();
  const auto* source = static_cast<const uint32_t*>(bits);
  image.pixels.assign(source, source + static_cast<size_t>(image.width) * image.height);
  for (uint32_t& p : image.pixels) p &= 0xFFFFFF;
  SelectObject(dc.Get(), old);
  return image;
}

// Draws a picture (placeable or standard bits) the way a program pastes
// it: MM_ANISOTROPIC, the box of the placeable header (or else `window`,
// the frame the picture draws in) mapped onto an image of `width` ×
// `height`; the picture's own window records replace that window.
inline Image RenderAt(const WmfPicture& picture, const std::vector<uint8_t>& standardBits, Size window, int width,
                      int height, int paper = WHITE_BRUSH) {
  if (picture.placeable)
    window = Size{std::abs(picture.placeable->right - picture.placeable->left),
                  std::abs(picture.placeable->bottom - picture.placeable->top)};
  return Drawn(width, height, [&](HDC dc) {
    HMETAFILE metafile = SetMetaFileBitsEx(static_cast<UINT>(standardBits.size()), standardBits.data());
    EXPECT_NE(metafile, nullptr);
    SetMapMode(dc, MM_ANISOTROPIC);
    if (picture.placeable) SetWindowOrgEx(dc, picture.placeable->left, picture.placeable->top, nullptr);
    SetWindowExtEx(dc, window.x, window.y, nullptr);
    SetViewportExtEx(dc, std::max(1, width), std::max(1, height), nullptr);
    PlayMetaFile(dc, metafile);
    DeleteMetaFile(metafile);
  }, paper);
}

// The same in an image of at most kMaxSide pixels that keeps the window's
// proportions.
inline Image Render(const WmfPicture& picture, const std::vector<uint8_t>& standardBits, Size window) {
  if (picture.placeable)
    window = Size{std::abs(picture.placeable->right - picture.placeable->left),
                  std::abs(picture.placeable->bottom - picture.placeable->top)};
  const double scale = static_cast<double>(kMaxSide) / std::max(window.x, window.y);
  return RenderAt(picture, standardBits, window, static_cast<int>(std::lround(window.x * scale)),
                  static_cast<int>(std::lround(window.y * scale)));
}

// Draws an enhanced metafile over the whole of a `width` × `height` image
// of `paper`, as PlayEnhMetaFile places it.
inline Image RenderEmf(HENHMETAFILE emf, int width, int height, int paper = WHITE_BRUSH) {
  return Drawn(width, height, [&](HDC dc) {
    const RECT all{0, 0, std::max(1, width), std::max(1, height)};
    EXPECT_TRUE(PlayEnhMetaFile(dc, emf, &all));
  }, paper);
}

// The image turned clockwise by `degrees`, as the engine turns pictures.
inline Image Rotate(const Image& in, int degrees) {
  Image out;
  const bool quarter = degrees == 90 || degrees == 270;
  out.width = quarter ? in.height : in.width;
  out.height = quarter ? in.width : in.height;
  out.pixels.resize(in.pixels.size());
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      int sx = x, sy = y;
      switch (degrees) {
        case 90: sx = y; sy = in.height - 1 - x; break;
        case 180: sx = in.width - 1 - x; sy = in.height - 1 - y; break;
        case 270: sx = in.width - 1 - y; sy = x; break;
        default: break;
      }
      out.pixels[static_cast<size_t>(y) * out.width + x] = in.At(sx, sy);
    }
  }
  return out;
}

// Brightness blurred over 5 × 5 pixels, sampled on `width` × `height` (so
// that renders a pixel apart in size or position compare as equal).
inline std::vector<double> Blurred(const Image& image, int width, int height) {
  std::vector<double> out(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int cx = x * image.width / width, cy = y * image.height / height;
      double sum = 0;
      int count = 0;
      for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
          const int px = std::clamp(cx + dx, 0, image.width - 1), py = std::clamp(cy + dy, 0, image.height - 1);
          const uint32_t p = image.At(px, py);
          sum += ((p >> 16) & 0xFF) * 0.3 + ((p >> 8) & 0xFF) * 0.59 + (p & 0xFF) * 0.11;
          ++count;
        }
      }
      out[static_cast<size_t>(y) * width + x] = sum / count / 255.0;
    }
  }
  return out;
}

// Root-mean-square difference of the blurred images, 0 (same) to 1.
inline double Distance(const Image& a, const Image& b) {
  const std::vector<double> pa = Blurred(a, a.width, a.height), pb = Blurred(b, a.width, a.height);
  double sum = 0;
  for (size_t i = 0; i < pa.size(); ++i) sum += (pa[i] - pb[i]) * (pa[i] - pb[i]);
  return std::sqrt(sum / pa.size());
}

inline void SaveBmp(const Image& image, const std::filesystem::path& path) {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = image.width;
  info.biHeight = -image.height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  const DWORD pixelBytes = static_cast<DWORD>(image.pixels.size() * 4);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + pixelBytes;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(reinterpret_cast<const char*>(image.pixels.data()), pixelBytes);
}

// Whether a pixel carries ink on the white page: its darkest channel, as
// light CAD colours are nearly white in brightness.
inline bool Inked(uint32_t p) { return std::min({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF}) < 235; }

// The distance in pixels from each edge (left, top, right, bottom) to the
// nearest ink; the image's size when there is none.
inline std::array<int, 4> InkDistances(const Image& image) {
  std::array<int, 4> d = {image.width, image.height, image.width, image.height};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (!Inked(image.At(x, y))) continue;
      d[0] = std::min(d[0], x);
      d[1] = std::min(d[1], y);
      d[2] = std::min(d[2], image.width - 1 - x);
      d[3] = std::min(d[3], image.height - 1 - y);
    }
  }
  return d;
}

// The box of the inked pixels, right and bottom exclusive; empty (left at
// least right) when nothing is inked.
inline RECT InkBox(const Image& image) {
  const std::array<int, 4> d = InkDistances(image);
  return RECT{d[0], d[1], image.width - d[2], image.height - d[3]};
}

}  // namespace wmf::test
