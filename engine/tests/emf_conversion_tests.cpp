// Pictures made by the system's conversion of an enhanced metafile: one frame
// for the extents, the region, the output's window and the scale, whether the
// conversion kept the EMF's coordinates or mapped them to its window.
#include <gtest/gtest.h>

#include <cmath>

#include "emf_conversion.h"
#include "engine_harness.h"
#include "sizing.h"
#include "test_emf.h"

namespace wmf {
namespace {

using test::Rec;

// A 150 × 80 mm EMF drawn in 0.01 mm, shown at 96 dots per inch.
std::vector<uint8_t> HimetricEmf() {
  return test::EmfBuilder({0, 0, 15000, 8000})
      .Record(EmrSetMapMode, {8})
      .Record(EmrSetViewportExtEx, {96, 96})
      .Record(EmrSetWindowExtEx, {2540, 2540})
      .Record(EmrRectangle, {3000, 2000, 9000, 6000})
      .Finish();
}

// The conversion as a metafile: the EMF in comments, the frame as a window
// in pixels (567 × 302 at 96 dpi), then the drawing in `unit`s of the frame
// per 0.01 mm, a rectangle from (30, 20) to (90, 60) mm.
WmfPicture Conversion(double unit) {
  std::vector<WmfRecord> records = test::EmfPieces(HimetricEmf(), 4000);
  const auto at = [unit](int himetric) { return static_cast<int>(std::lround(himetric * unit)); };
  for (WmfRecord r : {Rec(MetaSetMapMode, {7}), test::WindowOrg(0, 0), test::WindowExt(567, 302),
                      Rec(MetaSaveDC, {}), Rec(MetaIntersectClipRect, {at(8000), at(15000), 0, 0}),
                      Rec(MetaSaveDC, {}), test::Pen(0x0000FF), Rec(MetaSelectObject, {0}),
                      test::Poly(MetaPolyline, {{at(3000), at(2000)}, {at(9000), at(2000)}, {at(9000), at(6000)},
                                                {at(3000), at(6000)}, {at(3000), at(2000)}}),
                      Rec(MetaRestoreDC, {0xFFFF}), Rec(MetaRestoreDC, {0xFFFF})})
    records.push_back(r);
  return test::PictureOf(records);
}

constexpr double kKeptCoordinates = 1;             // the EMF's own 0.01 mm
constexpr double kMappedToPixels = 96 / 2540.0;    // the frame's pixels

struct SizeCase {
  const char* name;
  double unit;
  bool cad, crop;
  Size expected;  // 0.01 mm
};

TEST(EmfConversion, PublishedSizeIsTheFrameTimesTheDrawnShare) {
  const SizeCase cases[] = {
      {"kept coordinates, CAD, cropped", kKeptCoordinates, true, true, {6000, 4000}},
      {"kept coordinates, CAD, whole", kKeptCoordinates, true, false, {15000, 8000}},
      {"kept coordinates, other, cropped", kKeptCoordinates, false, true, {6000, 4000}},
      {"kept coordinates, other, whole", kKeptCoordinates, false, false, {15000, 8000}},
      {"mapped to pixels, CAD, cropped", kMappedToPixels, true, true, {6000, 4000}},
      {"mapped to pixels, CAD, whole", kMappedToPixels, true, false, {15000, 8000}},
      {"mapped to pixels, other, cropped", kMappedToPixels, false, true, {6000, 4000}},
      {"mapped to pixels, other, whole", kMappedToPixels, false, false, {15000, 8000}},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (int32_t mm : {7, 8}) {
      test::EngineHarness h;
      h.settings.Crop = c.crop;
      h.settings.LeaveMargin = 0;
      auto picture = h.Capture(Conversion(c.unit), MetafilePict{mm, 15000, 8000}, c.cad);
      WmfRecorder surface;
      const PlayResult played = picture->Play(surface, h.settings);
      const Size size = PhysicalSize(played.output, played.unitsPerInch);
      EXPECT_NEAR(size.x, c.expected.x, 0.02 * c.expected.x) << "mm " << mm;
      EXPECT_NEAR(size.y, c.expected.y, 0.02 * c.expected.y) << "mm " << mm;
      // The output's window holds the drawing: it is as large as the region.
      if (c.crop) {
        EXPECT_NEAR(played.output.x, picture->extents.maxX - picture->extents.minX, 0.01 * played.output.x);
      }
    }
  }
}

TEST(EmfConversion, KeptCoordinatesArePlacedByTheEmfTheyCameFrom) {
  const WmfPicture kept = Conversion(kKeptCoordinates);
  const std::optional<PictureFrame> frame = EmbeddedEmfFrame(kept);
  ASSERT_TRUE(frame);
  EXPECT_TRUE(frame->fixedMapping);
  EXPECT_NEAR(frame->size.x, 15000, 30);
  EXPECT_NEAR(frame->size.y, 8000, 30);
  EXPECT_GT(FrameFit(kept.records, *frame), 0.1);

  // Mapped to its window, the same drawing fits that window better than the
  // EMF's frame, and keeps the window.
  test::EngineHarness h;
  auto mapped = h.Capture(Conversion(kMappedToPixels), MetafilePict{7, 15000, 8000}, true);
  EXPECT_FALSE(mapped->frame().fixedMapping);
  EXPECT_EQ(mapped->windowExt, (Size{567, 302}));
}

}  // namespace
}  // namespace wmf
