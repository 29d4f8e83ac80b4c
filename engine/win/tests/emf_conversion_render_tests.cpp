// Pictures that reach the program as the system's conversion of an enhanced
// metafile: every sample EMF is put on the clipboard, the clipboard's own
// METAFILEPICT of it is improved as the program improves a clipboard picture,
// and the size it is published at is checked against the EMF itself drawn by
// the system: uncropped, the METAFILEPICT's size; cropped, the frame times the
// share of it that is drawn.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "engine_harness.h"
#include "gdi_images.h"
#include "sample_pictures.h"
#include "sizing.h"
#include "text_measurer_factory.h"

namespace wmf {
namespace {

using test::Image;

// Sample EMFs left out, with the reason.
const std::map<std::string, std::string> kLeftOut = {
    {"uemf-test_libuemf_ref.emf",
     "Wine's player page-faults on it (a handle-table index out of range) and its clipboard offers no "
     "METAFILEPICT of it"},
};

struct Conversion {
  MetafilePict pict;
  std::vector<uint8_t> bits;
};

// What the clipboard offers as CF_METAFILEPICT when an EMF is put on it.
std::optional<Conversion> SystemConversion(HENHMETAFILE emf) {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  EmptyClipboard();
  SetClipboardData(CF_ENHMETAFILE, CopyEnhMetaFileW(emf, nullptr));
  CloseClipboard();
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<Conversion> conversion;
  if (HANDLE data = GetClipboardData(CF_METAFILEPICT)) {
    if (const auto* pict = static_cast<const METAFILEPICT*>(GlobalLock(data))) {
      const UINT size = GetMetaFileBitsEx(pict->hMF, 0, nullptr);
      Conversion c{MetafilePict{pict->mm, pict->xExt, pict->yExt}, std::vector<uint8_t>(size)};
      if (size > 0 && GetMetaFileBitsEx(pict->hMF, size, c.bits.data()) == size) conversion = std::move(c);
      GlobalUnlock(data);
    }
  }
  EmptyClipboard();
  CloseClipboard();
  return conversion;
}

struct Published {
  Size himetric;
  Size output;
  std::vector<uint8_t> bits;
};

Published Improve(const Conversion& c, bool cad, bool crop) {
  test::EngineHarness h;
  h.settings.Crop = crop;
  h.settings.LeaveMargin = 0;
  h.settings.RemoveBackground = 0;
  h.settings.Lineoptions = 0;
  h.settings.Filledoptions = 0;
  h.settings.MakeBlack = 0;
  std::unique_ptr<TextMeasurer> measurer = MakeTextMeasurer();
  EngineContext context{h.messages, *measurer, 32};
  CMetafile picture(c.pict, test::ReadOrFail(c.bits), 0, 0, context, cad);
  WmfRecorder surface;
  const PlayResult played = picture.Play(surface, h.settings);
  return Published{PhysicalSize(played.output, played.unitsPerInch), played.output, surface.Close()};
}

constexpr int kLongSide = 1200;
constexpr double kSizeTolerance = 0.02;
constexpr double kSameLook = 0.08;

// The box of what an image of a picture paints: ink on white paper, or
// anything on black paper (a white fill shows there).
RECT PaintedBox(const Image& onWhite, const Image& onBlack) {
  RECT box = test::InkBox(onWhite);
  for (int y = 0; y < onBlack.height; ++y)
    for (int x = 0; x < onBlack.width; ++x)
      if (onBlack.At(x, y) != 0) {
        box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1), box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box;
}

// Conversions that do not show what their EMF shows, with the reason. Their
// crop is judged against what the conversion itself draws, unless
// `cropComparable` is false.
struct Difference {
  const char* reason;
  bool cropComparable = true;
};
const std::map<std::string, Difference> kConversionDiffers = {
    {"emf2svg-EA-test-file-001.emf",
     {"it sets its window origin again while it draws; the conversion leaves that out, and its text moves"}},
    {"emf2svg-EA-test-file-004.emf",
     {"it sets its window origin again while it draws; the conversion leaves that out, and its text moves"}},
    {"emf2svg-test-109.emf",
     {"it changes its mapping mode, window, viewport and world transform while it draws; the conversion leaves "
      "those changes out"}},
    {"emf2svg-EA-test-file-020.emf",
     {"it scales its world transform to 1/16 around each text and back; the conversion leaves the transforms out"}},
    {"emf2svg-EA-test-file-101.emf",
     {"it changes its world transform and window and viewport origins while it draws; the conversion leaves "
      "those changes out"}},
    {"emf2svg-test-000.emf",
     {"it scales its world transform to 1/16 around each shape and text and back; the conversion leaves the "
      "transforms out, and with them the bars and labels"}},
    {"emf2svg-test-013.emf",
     {"the conversion clips with regions in device pixels, which clip elsewhere when the picture is drawn at "
      "another size than the EMF's reference device; its bitmaps are left out",
      false}},
    {"emf2svg-test-118.emf",
     {"it changes its mapping mode, window, viewport and world transform while it draws; the conversion leaves "
      "those changes out, and its bitmap (the whole table) too"}},
    {"emf2svg-test-125.emf",
     {"it changes its world transform and window and viewport origins while it draws; the conversion leaves "
      "those changes out"}},
    {"emf2svg-test-131.emf",
     {"the conversion clips with regions in device pixels, which clip elsewhere when the picture is drawn at "
      "another size than the EMF's reference device (three quarters of the pie vanish at this size)",
      false}},
    {"emf2svg-test-150.emf",
     {"it changes its world transform while it draws and clips with paths; the conversion leaves both out"}},
    {"emf2svg-test-152.emf", {"its only drawing is a path of curves, which the conversion leaves out"}},
    {"emf2svg-test-154.emf", {"its only drawing is a path of curves, which the conversion leaves out"}},
    {"emf2svg-test-156.emf",
     {"it changes its mapping mode, window and viewport while it draws; the conversion leaves those changes out"}},
    {"emf2svg-test-179.emf",
     {"it changes its mapping mode while it draws and draws a bitmap; the conversion leaves both out and "
      "draws a dot"}},
    {"emf2svg-test-181.emf", {"its only drawing is a bitmap, which the conversion leaves out"}},
    {"emf2svg-test-182.emf",
     {"it changes its world transform while it draws and clips with paths; the conversion leaves both out"}},
    {"emf2svg-test-186.emf", {"it draws with paths and clips with paths; the conversion leaves both out"}},
    {"labels-unicode.emf",
     {"its Cyrillic and Greek text becomes question marks in the conversion (the ANSI code page), and its "
      "circle, a path of curves, is left out"}},
    {"uemf-test_mm_anisotropic_ref.emf", {"Wine's player draws nothing of the EMF at this size"}},
    {"uemf-test_mm_himetric_ref.emf", {"Wine's player draws nothing of the EMF at this size"}},
    {"uemf-test_mm_isotropic_ref.emf", {"Wine's player draws nothing of the EMF at this size"}},
    {"uemf-test_mm_twips_ref.emf", {"Wine's player draws nothing of the EMF at this size"}},
};

// Crops that differ from what is drawn by a rule of the program, with the
// reason; by file and by the source the picture is taken to come from.
const std::map<std::pair<std::string, bool>, std::string> kCropDiffers = {
    {{"emf2svg-test-031.emf", true},
     "taken as from a CAD program, its first rectangle at the frame's left edge is the CAD program's background "
     "and is not measured"},
    {{"emf2svg-test-156.emf", true},
     "taken as from a CAD program, its rectangles at the frame's top edge are the CAD program's background and "
     "are not measured"},
    {{"uemf-test_mm_anisotropic_ref.emf", true},
     "taken as from a CAD program, its rectangle at the frame's top edge is the CAD program's background and is "
     "not measured"},
    {{"emf2svg-EA-test-file-001.emf", true}, "one line of text: the crop keeps the text's whole cell, above and below its ink"},
    {{"emf2svg-EA-test-file-001.emf", false}, "one line of text: the crop keeps the text's whole cell, above and below its ink"},
    {{"emf2svg-EA-test-file-004.emf", true}, "one line of text: the crop keeps the text's whole cell, above and below its ink"},
    {{"emf2svg-EA-test-file-004.emf", false}, "one line of text: the crop keeps the text's whole cell, above and below its ink"},
};

TEST(EmfConversionRender, PublishedSizeIsTheFrameTimesTheDrawnShare) {
  CLIPMEND_SKIP_WITHOUT_EMF_SAMPLES();
  const std::filesystem::path artifacts = std::filesystem::current_path() / "render-check" / "conversions";
  std::filesystem::create_directories(artifacts);
  for (const auto& path : test::EmfCorpus()) {
    const std::string name = path.filename().string();
    if (kLeftOut.count(name)) continue;
    SCOPED_TRACE(name);
    const std::string stem = path.stem().string();
    HENHMETAFILE emf = GetEnhMetaFileW(path.wstring().c_str());
    ASSERT_NE(emf, nullptr);
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(emf, sizeof header, &header);
    const double frameW = header.rclFrame.right - header.rclFrame.left;
    const double frameH = header.rclFrame.bottom - header.rclFrame.top;
    // Pixels per 0.01 mm: every image of the picture is drawn at this scale.
    const double scale = kLongSide / std::max(frameW, frameH);
    const int width = static_cast<int>(std::lround(frameW * scale)), height = static_cast<int>(std::lround(frameH * scale));
    const Image original = test::RenderEmf(emf, width, height);
    test::SaveBmp(original, artifacts / (stem + "-emf.bmp"));
    const std::optional<Conversion> conversion = SystemConversion(emf);
    DeleteEnhMetaFile(emf);
    if (!conversion) {
      ADD_FAILURE() << "the clipboard offers no METAFILEPICT";
      continue;
    }

    // Uncropped, the picture keeps the METAFILEPICT's size and shows what its
    // EMF shows, where the EMF shows it.
    const Published whole = Improve(*conversion, false, false);
    const WmfPicture wholePicture = test::ReadOrFail(whole.bits);
    const Image onWhite = test::RenderAt(wholePicture, whole.bits, whole.output, width, height);
    const Image onBlack = test::RenderAt(wholePicture, whole.bits, whole.output, width, height, BLACK_BRUSH);
    test::SaveBmp(onWhite, artifacts / (stem + "-whole.bmp"));
    const auto differs = kConversionDiffers.find(name);
    const RECT ink = test::InkBox(onWhite), painted = PaintedBox(onWhite, onBlack), originalInk = test::InkBox(original);
    if (differs == kConversionDiffers.end()) {
      EXPECT_LT(test::Distance(original, onWhite), kSameLook) << "the whole picture does not look like its EMF";
      const auto closeTo = [&](LONG a, LONG b) { return std::abs(a - b) <= std::max(width, height) / 50; };
      EXPECT_TRUE(closeTo(ink.left, originalInk.left) && closeTo(ink.top, originalInk.top) && closeTo(ink.right, originalInk.right) &&
                  closeTo(ink.bottom, originalInk.bottom))
          << "the whole picture's ink is not where its EMF's is";
    }

    for (bool cad : {true, false}) {
      for (bool crop : {false, true}) {
        SCOPED_TRACE(std::string(cad ? "from a CAD program" : "from another program") + (crop ? ", cropped" : ", whole"));
        const Published out = Improve(*conversion, cad, crop);
        if (!crop) {
          EXPECT_NEAR(out.himetric.x, conversion->pict.xExt, kSizeTolerance * conversion->pict.xExt);
          EXPECT_NEAR(out.himetric.y, conversion->pict.yExt, kSizeTolerance * conversion->pict.yExt);
          continue;
        }
        // Cropped, it holds every inked pixel and nothing beyond what is painted.
        if (ink.left >= ink.right || kCropDiffers.count({name, cad})) continue;
        if (differs != kConversionDiffers.end() && !differs->second.cropComparable) continue;
        const double slack = 2 / scale;
        const double inkW = (ink.right - ink.left) / scale, inkH = (ink.bottom - ink.top) / scale;
        const double paintedW = (painted.right - painted.left) / scale, paintedH = (painted.bottom - painted.top) / scale;
        EXPECT_GE(out.himetric.x, (1 - kSizeTolerance) * inkW - slack) << "cut off";
        EXPECT_GE(out.himetric.y, (1 - kSizeTolerance) * inkH - slack) << "cut off";
        EXPECT_LE(out.himetric.x, (1 + kSizeTolerance) * paintedW + slack) << "beyond what is drawn";
        EXPECT_LE(out.himetric.y, (1 + kSizeTolerance) * paintedH + slack) << "beyond what is drawn";
        const WmfPicture improved = test::ReadOrFail(out.bits);
        test::SaveBmp(test::RenderAt(improved, out.bits, out.output, static_cast<int>(std::lround(out.himetric.x * scale)),
                                     static_cast<int>(std::lround(out.himetric.y * scale))),
                      artifacts / (stem + (cad ? "-cad" : "-other") + "-cropped.bmp"));
      }
    }
  }
}

}  // namespace
}  // namespace wmf
