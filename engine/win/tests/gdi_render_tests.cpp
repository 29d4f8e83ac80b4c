// The rendering check: pictures and their improved copies drawn by the
// system's own metafile player (GDI) and compared pixel by pixel. With
// cropping and colour options off the copy must look like the original, and
// a rotated copy like the original's image turned the same way.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

// The engine's headers come before <windows.h>, which defines the record
// names as macros.
#include "engine_harness.h"
#include "placeable_file.h"
#include "record_access.h"
#include "win/gdi_owners.h"

namespace wmf {
namespace {

constexpr int kMaxSide = 400;

struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Draws a picture (placeable or standard bits) the way a program pastes
// it: MM_ANISOTROPIC, the frame of the placeable header (or the picture's
// own window) mapped onto an image that keeps its proportions.
Image Render(const WmfPicture& picture, const std::vector<uint8_t>& standardBits, Size window) {
  Image image;
  const double scale = static_cast<double>(kMaxSide) / std::max(window.x, window.y);
  image.width = std::max(1, static_cast<int>(std::lround(window.x * scale)));
  image.height = std::max(1, static_cast<int>(std::lround(window.y * scale)));

  win::DcOwner dc(CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  win::GdiObjectOwner<HBITMAP> bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  EXPECT_TRUE(bitmap);
  HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
  RECT all{0, 0, image.width, image.height};
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

  HMETAFILE metafile = SetMetaFileBitsEx(static_cast<UINT>(standardBits.size()), standardBits.data());
  EXPECT_NE(metafile, nullptr);
  SetMapMode(dc.Get(), MM_ANISOTROPIC);
  if (picture.placeable) {
    SetWindowOrgEx(dc.Get(), picture.placeable->left, picture.placeable->top, nullptr);
  }
  SetWindowExtEx(dc.Get(), window.x, window.y, nullptr);
  SetViewportExtEx(dc.Get(), image.width, image.height, nullptr);
  PlayMetaFile(dc.Get(), metafile);
  DeleteMetaFile(metafile);
  GdiFlush();

  const auto* source = static_cast<const uint32_t*>(bits);
  image.pixels.assign(source, source + static_cast<size_t>(image.width) * image.height);
  for (uint32_t& p : image.pixels) p &= 0xFFFFFF;
  SelectObject(dc.Get(), old);
  return image;
}

// The image turned clockwise by `degrees`, as the engine turns pictures.
Image Rotate(const Image& in, int degrees) {
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
std::vector<double> Blurred(const Image& image, int width, int height) {
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
double Distance(const Image& a, const Image& b) {
  const std::vector<double> pa = Blurred(a, a.width, a.height), pb = Blurred(b, a.width, a.height);
  double sum = 0;
  for (size_t i = 0; i < pa.size(); ++i) sum += (pa[i] - pb[i]) * (pa[i] - pb[i]);
  return std::sqrt(sum / pa.size());
}

void SaveBmp(const Image& image, const std::filesystem::path& path) {
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

// The picture's own window: its first window extent, else its frame.
Size WindowOf(const WmfPicture& picture) {
  for (const WmfRecord& r : picture.records)
    if (r.function == META_SETWINDOWEXT && r.params.size() >= 2) return Size{Signed(r, 1), Signed(r, 0)};
  if (picture.placeable)
    return Size{picture.placeable->right - picture.placeable->left, picture.placeable->bottom - picture.placeable->top};
  return Size{1000, 1000};
}

// Pictures drawn only with records that the engine moves and turns, in a
// window from the origin (the pictures CAD programs make).
const char* const kPictures[] = {
    "cad-POLI-ALL210_12.wmf", "cad-cc_dxflib.wmf",   "cad-colors.wmf",       "cad-dimension_in_block.wmf",
    "cad-hatches_1.wmf",      "cad-usa.wmf",         "cad-wipeout_door.wmf", "libwmf-Eg.wmf",
    "libwmf-anim0002.wmf",    "libwmf-ant.wmf",      "libwmf-formula1.wmf",  "libwmf-formula2.wmf",
    "libwmf-formula3.wmf",    "libwmf-formula4.wmf", "libwmf-fulltest.wmf",  "libwmf-p0000001.wmf",
    "libwmf-p0000016.wmf",
};

// A META_STRETCHDIB of a `width` × `height` bitmap with `bits` per pixel,
// drawn at (x, y) scaled `scale` times; its pixels have no symmetry, so
// that a wrongly turned image shows.
WmfRecord StretchDib(int x, int y, int width, int height, int bits, int scale) {
  const uint32_t stride = (bits * width + 31) / 32 * 4;
  std::vector<uint8_t> dib(40);
  const uint32_t colours = bits <= 8 ? (1u << bits) : 0;
  const uint32_t header[10] = {40, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                               1u | (static_cast<uint32_t>(bits) << 16), 0, stride * height, 0, 0, colours, 0};
  std::memcpy(dib.data(), header, 40);
  for (uint32_t c = 0; c < colours; ++c) {
    const uint8_t quad[4] = {static_cast<uint8_t>(c * 97), static_cast<uint8_t>(c * 53 + 40), static_cast<uint8_t>(255 - c * 31), 0};
    dib.insert(dib.end(), quad, quad + 4);
  }
  for (int row = 0; row < height; ++row) {
    for (uint32_t byte = 0; byte < stride; ++byte) {
      // A dark block in one corner and a thin line along one side.
      const int column = static_cast<int>(byte * 8 / std::max(bits, 1));
      const bool ink = (row < height / 2 && column < width / 2) || column == width - 2;
      dib.push_back(ink ? 0x00 : 0xFF);
    }
  }
  WmfRecord r{META_STRETCHDIB, {0x0020, 0x00CC, 0, static_cast<uint16_t>(height), static_cast<uint16_t>(width), 0, 0,
                                static_cast<uint16_t>(height * scale), static_cast<uint16_t>(width * scale),
                                static_cast<uint16_t>(y), static_cast<uint16_t>(x)}};
  if (dib.size() % 2) dib.push_back(0);
  for (size_t i = 0; i < dib.size(); i += 2) r.params.push_back(static_cast<uint16_t>(dib[i] | dib[i + 1] << 8));
  return r;
}

constexpr double kLimit = 0.08;

// The corpus pictures and one with raster images of every depth.
std::vector<std::pair<std::string, WmfPicture>> Pictures() {
  std::vector<std::pair<std::string, WmfPicture>> pictures;
  for (const char* name : kPictures)
    pictures.emplace_back(name, test::ReadOrFail(test::FileBytes(test::CorpusDir() / name)));
  pictures.emplace_back("bitmaps.wmf", test::PictureOf({test::WindowOrg(0, 0), test::WindowExt(1600, 1000),
                                                        StretchDib(100, 100, 37, 23, 24, 12),
                                                        StretchDib(700, 500, 29, 17, 8, 20),
                                                        StretchDib(100, 650, 41, 9, 1, 14),
                                                        StretchDib(1300, 60, 13, 30, 4, 7),
                                                        test::Poly(META_POLYLINE, {{50, 50}, {1550, 950}})}));
  return pictures;
}

TEST(GdiRender, ImprovedPicturesLookLikeTheOriginalTurned) {
  const std::filesystem::path artifacts = std::filesystem::current_path() / "render-check";
  std::filesystem::create_directories(artifacts);
  for (const auto& [name, original] : Pictures()) {
    const Image before = Render(original, WriteWmf(original.records), WindowOf(original));
    for (int rotation : {0, 90, 180, 270}) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(rotation));
      test::EngineHarness h;
      auto picture = h.Capture(original.records, MetafilePict{8, 0, 0});
      h.settings.Crop = 0;
      h.settings.RemoveBackground = 0;
      h.settings.Rotation = rotation;
      WmfRecorder surface;
      const Size output = picture->Play(surface);
      const std::vector<uint8_t> bits = surface.Close();
      const WmfPicture improved = test::ReadOrFail(PlaceableFileBytes(bits, output, 1440));
      const Image after = Render(improved, bits, output);
      const Image expected = Rotate(before, rotation);
      const double distance = Distance(expected, after);
      EXPECT_LT(distance, kLimit);
      if (distance >= kLimit) {
        const std::string stem = std::filesystem::path(name).stem().string() + "-" + std::to_string(rotation);
        SaveBmp(expected, artifacts / (stem + "-expected.bmp"));
        SaveBmp(after, artifacts / (stem + "-actual.bmp"));
      }
      // The check tells a picture turned the wrong way from a right one.
      const Image opposite = Rotate(before, (rotation + 180) % 360);
      if (Distance(expected, opposite) > 2 * kLimit) {
        EXPECT_GT(Distance(opposite, after), kLimit);
      }
    }
  }
}

}  // namespace
}  // namespace wmf
