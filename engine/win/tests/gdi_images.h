// Pictures drawn by the system's own players (GDI) into images, and the
// measures the rendering checks compare them by.
#pragma once

#include <windows.h>
// GDI+ reads the PNG images of other readers (it needs the COM types that
// WIN32_LEAN_AND_MEAN leaves out).
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
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

// The size of an image of at most kMaxSide pixels that keeps a window's
// proportions.
inline Size ImageSizeFor(Size window) {
  const double scale = static_cast<double>(kMaxSide) / std::max(window.x, window.y);
  return Size{static_cast<int32_t>(std::lround(window.x * scale)), static_cast<int32_t>(std::lround(window.y * scale))};
}

// The same in an image of that size.
inline Image Render(const WmfPicture& picture, const std::vector<uint8_t>& standardBits, Size window) {
  if (picture.placeable)
    window = Size{std::abs(picture.placeable->right - picture.placeable->left),
                  std::abs(picture.placeable->bottom - picture.placeable->top)};
  const Size size = ImageSizeFor(window);
  return RenderAt(picture, standardBits, window, size.x, size.y);
}

// Draws an enhanced metafile over the whole of a `width` × `height` image
// of `paper`, as PlayEnhMetaFile places it.
inline Image RenderEmf(HENHMETAFILE emf, int width, int height, int paper = WHITE_BRUSH) {
  return Drawn(width, height, [&](HDC dc) {
    const RECT all{0, 0, std::max(1, width), std::max(1, height)};
    EXPECT_TRUE(PlayEnhMetaFile(dc, emf, &all));
  }, paper);
}

// Draws standard metafile bits as a program that asks the clipboard for an
// enhanced metafile gets them: the system converts them with the METAFILEPICT
// they were published with (MM_ANISOTROPIC, the size in HIMETRIC), and the
// EMF is played over the whole image.
inline Image RenderThroughEmf(const std::vector<uint8_t>& standardBits, Size himetric, int width, int height) {
  const METAFILEPICT pict{MM_ANISOTROPIC, himetric.x, himetric.y, nullptr};
  HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(standardBits.size()), standardBits.data(), nullptr, &pict);
  EXPECT_NE(emf, nullptr) << "the system does not convert the picture";
  if (!emf) return Drawn(width, height, [](HDC) {});
  const Image image = RenderEmf(emf, width, height);
  DeleteEnhMetaFile(emf);
  return image;
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

// An image file (PNG, BMP) as GDI+ reads it, laid over white paper; an empty
// image when it cannot be read.
inline Image LoadImageFile(const std::filesystem::path& path) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Image image;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return image;
  {
    Gdiplus::Bitmap bitmap(path.wstring().c_str());
    Gdiplus::BitmapData data{};
    Gdiplus::Rect all(0, 0, static_cast<INT>(bitmap.GetWidth()), static_cast<INT>(bitmap.GetHeight()));
    if (bitmap.GetLastStatus() == Gdiplus::Ok &&
        bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
      image.width = all.Width;
      image.height = all.Height;
      image.pixels.reserve(static_cast<size_t>(all.Width) * all.Height);
      for (int y = 0; y < all.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) + y * data.Stride);
        for (int x = 0; x < all.Width; ++x) {
          const uint32_t p = row[x], alpha = p >> 24;
          uint32_t rgb = 0;
          for (int shift : {16, 8, 0}) rgb |= (((p >> shift) & 0xFF) * alpha + 255 * (255 - alpha)) / 255 << shift;
          image.pixels.push_back(rgb);
        }
      }
      bitmap.UnlockBits(&data);
    }
  }
  Gdiplus::GdiplusShutdown(token);
  return image;
}

// The part of `image` from (left, top), `width` × `height`, paper beyond its
// edges.
inline Image Part(const Image& image, int left, int top, int width, int height) {
  Image part;
  part.width = std::max(1, width);
  part.height = std::max(1, height);
  part.pixels.assign(static_cast<size_t>(part.width) * part.height, 0xFFFFFF);
  for (int y = 0; y < part.height; ++y)
    for (int x = 0; x < part.width; ++x)
      if (left + x >= 0 && left + x < image.width && top + y >= 0 && top + y < image.height)
        part.pixels[static_cast<size_t>(y) * part.width + x] = image.At(left + x, top + y);
  return part;
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

// Which pixels of `image`, sampled on `width` × `height`, carry ink: a pixel
// does when any pixel of the image it covers does (so that a line a pixel
// wide shows at any scale).
inline std::vector<uint8_t> InkMask(const Image& image, int width, int height) {
  std::vector<uint8_t> mask(static_cast<size_t>(width) * height, 0);
  for (int y = 0; y < height; ++y) {
    const int y0 = y * image.height / height, y1 = std::max(y0 + 1, (y + 1) * image.height / height);
    for (int x = 0; x < width; ++x) {
      const int x0 = x * image.width / width, x1 = std::max(x0 + 1, (x + 1) * image.width / width);
      bool ink = false;
      for (int sy = y0; sy < y1 && !ink; ++sy)
        for (int sx = x0; sx < x1 && !ink; ++sx) ink = Inked(image.At(sx, sy));
      mask[static_cast<size_t>(y) * width + x] = ink;
    }
  }
  return mask;
}

// How an image a reader shows differs from the expected one, both 0 (same)
// to 1, on the expected image's size: by ink, the share of inked pixels with
// no ink within one pixel of them in the other image (the larger of the two
// ways: readers draw lines a pixel apart or a little thicker), and by tone,
// as Distance measures it (it tells fills apart).
struct Difference {
  double ink = 0, tone = 0;
};

// The difference where the shown image matches best when moved by up to
// `slack` pixels each way (a reader that rounds the picture's place
// otherwise).
inline Difference Compare(const Image& expected, const Image& shown, int slack = 0) {
  const int width = expected.width, height = expected.height;
  const std::vector<uint8_t> a = InkMask(expected, width, height), b = InkMask(shown, width, height);
  const std::vector<double> toneA = Blurred(expected, width, height), toneB = Blurred(shown, width, height);
  const auto dilated = [&](const std::vector<uint8_t>& mask) {
    std::vector<uint8_t> out(mask.size(), 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (mask[static_cast<size_t>(y) * width + x])
          for (int ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny)
            for (int nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx)
              out[static_cast<size_t>(ny) * width + nx] = 1;
    return out;
  };
  const std::vector<uint8_t> nearA = dilated(a), nearB = dilated(b);
  const auto share = [](size_t missing, size_t inked, size_t otherInked) {
    return inked ? static_cast<double>(missing) / inked : (otherInked ? 1.0 : 0.0);
  };
  Difference best{1, 1};
  for (int dy = -slack; dy <= slack; ++dy) {
    for (int dx = -slack; dx <= slack; ++dx) {
      size_t inkedA = 0, missingA = 0, inkedB = 0, missingB = 0;
      double squares = 0;
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          const size_t i = static_cast<size_t>(y) * width + x;
          const int sx = x + dx, sy = y + dy;
          const bool inside = sx >= 0 && sx < width && sy >= 0 && sy < height;
          const size_t j = inside ? static_cast<size_t>(sy) * width + sx : 0;
          if (a[i]) ++inkedA, missingA += !(inside && nearB[j]);
          if (inside && b[j]) ++inkedB, missingB += !nearA[i];
          const double t = toneA[i] - (inside ? toneB[j] : 1.0);
          squares += t * t;
        }
      }
      const Difference d{std::max(share(missingA, inkedA, inkedB), share(missingB, inkedB, inkedA)),
                         std::sqrt(squares / (static_cast<double>(width) * height))};
      if (d.ink + d.tone < best.ink + best.tone) best = d;
    }
  }
  return best;
}

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

// LibreOffice runs on Linux, outside Wine: the render tests write the
// pictures it is to draw into one folder, the libreoffice_reader test has
// them all drawn in one start of soffice (a PNG page each, named as the
// picture), then runs the render tests' LibreOffice cases with
// CLIPMEND_LIBREOFFICE_PAGES naming the pages' folder.
inline std::filesystem::path LibreOfficeInputFolder() {
  const std::filesystem::path folder = std::filesystem::current_path() / "render-check" / "libreoffice" / "input";
  std::filesystem::create_directories(folder);
  return folder;
}

inline void RemoveFilesEndingIn(const std::filesystem::path& folder, const char* ending) {
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ending) std::filesystem::remove(entry.path());
}

inline std::optional<std::filesystem::path> LibreOfficePages() {
  const char* folder = std::getenv("CLIPMEND_LIBREOFFICE_PAGES");
  if (!folder || !*folder) return std::nullopt;
  return std::filesystem::path(folder);
}

inline std::optional<std::string> LibreOfficeUnavailable() {
  if (LibreOfficePages()) return std::nullopt;
  return "LibreOffice's pages are drawn by the libreoffice_reader test, which runs soffice and then this check";
}

// LibreOffice puts a picture's frame at its size (`width` × `height` pixels
// at 96 dots per inch) in the middle of its page: the picture `stem` as it
// drew it there.
inline Image LibreOfficeDrawing(const std::string& stem, double width, double height) {
  const Image page = LoadImageFile(*LibreOfficePages() / (stem + ".png"));
  EXPECT_GT(page.width, 0) << "LibreOffice drew no page of " << stem;
  return Part(page, static_cast<int>((page.width - width) / 2), static_cast<int>((page.height - height) / 2),
              static_cast<int>(std::lround(width)), static_cast<int>(std::lround(height)));
}

}  // namespace wmf::test
