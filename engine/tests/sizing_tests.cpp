#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

#include "engine_harness.h"
#include "generated_pictures.h"
#include "placeable_file.h"
#include "sizing.h"

namespace wmf {
namespace {

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(7, 3, 4), 5);
  EXPECT_EQ(MulDiv(8000, 200, 8000), 200);
  EXPECT_EQ(MulDiv(100000, 100000, 10000), 1000000);  // the product needs 64 bits
  EXPECT_EQ(MulDiv(1, 2, 0), -1);
  EXPECT_EQ(MulDiv(10, 10, -3), -33);
}

struct RegionCase {
  const char* name;
  std::function<void(WmfSettings&)> adjust;
  Rect extents;
  Rect bounds;
  Size output;
};

TEST(ChooseRegion, CropsWithMarginAndRotates) {
  const Rect full{0, 0, 8000, 6000};
  const RegionCase cases[] = {
      {"no margin", [](WmfSettings& s) { s.LeaveMargin = 0; }, {100, 50, 300, 200}, {100, 50, 300, 200}, {200, 150}},
      {"half percent margin", [](WmfSettings&) {}, {100, 50, 300, 200}, {99, 49, 301, 201}, {202, 152}},
      {"margin clamped", [](WmfSettings& s) { s.Margin = 1; }, {5, 5, 32758, 1000}, {0, 0, 32760, 1327}, {32760, 1327}},
      {"no crop", [](WmfSettings& s) { s.Crop = 0; }, {100, 50, 300, 200}, full, {8000, 6000}},
      {"rotated", [](WmfSettings& s) { s.LeaveMargin = 0; s.Rotation = 90; }, {100, 50, 300, 200}, {100, 50, 300, 200},
       {150, 200}},
      {"nothing measured", [](WmfSettings&) {}, {32767, 32767, -32767, -32767}, full, {8000, 6000}},
      {"a vertical line", [](WmfSettings& s) { s.LeaveMargin = 0; }, {10, 20, 10, 90}, {10, 20, 11, 90}, {1, 70}},
  };
  for (const RegionCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::EngineHarness h;
    c.adjust(h.settings);
    Rect bounds;
    EXPECT_EQ(ChooseRegion(h.settings, c.extents, full, bounds), c.output);
    EXPECT_EQ(bounds, c.bounds);
  }
}

struct ScaleCase {
  const char* name;
  std::function<void(WmfSettings&)> adjust;
  Size output;
  double unitsPerInch;
  Size himetric;
};

TEST(ChooseScale, SizeModes) {
  const ScaleCase cases[] = {
      {"percentage", [](WmfSettings&) {}, {2000, 1500}, 1000, {5080, 3810}},
      {"double size", [](WmfSettings& s) { s.Percentage = 200; }, {2000, 1500}, 1000, {10160, 7620}},
      {"fixed width", [](WmfSettings& s) { s.Widthoptions = 1; }, {2000, 1500}, 1000, {15240, 11430}},
      {"fixed width in cm", [](WmfSettings& s) { s.Widthoptions = 1; s.IsMetric = 1; s.PictureWidth = 15; },
       {2000, 1500}, 1000, {15000, 11250}},
      {"fixed height", [](WmfSettings& s) { s.Widthoptions = 2; }, {2000, 1500}, 1000, {30480, 22860}},
      {"scaled without drawing height is the percentage", [](WmfSettings& s) { s.Widthoptions = 3; }, {2000, 1500},
       1000, {5080, 3810}},
  };
  for (const ScaleCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::EngineHarness h;
    c.adjust(h.settings);
    const double scale = ChooseScale(h.settings, c.output, c.unitsPerInch, Rect{0, 0, 8000, 6000}, 0);
    EXPECT_TRUE(std::isfinite(scale) && scale > 0);
    EXPECT_EQ(PhysicalSize(c.output, scale), c.himetric);
  }
}

TEST(ChooseScale, ScaledModeRelatesThePictureToTheDrawing) {
  test::EngineHarness h;
  h.settings.Widthoptions = 3;
  h.settings.WMFScale = 1;       // one inch on paper
  h.settings.DrawingScale = 100;  // shows 100 drawing units
  // The whole picture, 6000 units high, shows a drawing 600 units high: 6 inches.
  EXPECT_DOUBLE_EQ(ChooseScale(h.settings, {8000, 6000}, 1000, Rect{0, 0, 8000, 6000}, 600), 1000);
  h.settings.IsMetric = 1;
  h.settings.WMFScale = 25.4f;
  EXPECT_DOUBLE_EQ(ChooseScale(h.settings, {8000, 6000}, 1000, Rect{0, 0, 8000, 6000}, 600), 1000);
}

TEST(PhysicalSize, IsAlwaysPositive) {
  EXPECT_EQ(PhysicalSize({1, 1}, 1e9), (Size{1, 1}));
  EXPECT_EQ(PhysicalSize({2000, 1500}, 333.33), (Size{15240, 11430}));
}

TEST(StatusText, InchesOrCentimetres) {
  EXPECT_EQ(SizeStatusText({5080, 3810}, false), L"(size: 2.00\" * 1.50\")");
  EXPECT_EQ(SizeStatusText({5080, 3810}, true), L"(size: 5.1 * 3.8 cm)");
}

TEST(PlaceableFile, HeaderCarriesFrameScaleAndChecksum) {
  const std::vector<uint8_t> bits = WriteWmf({});
  const std::vector<uint8_t> file = WritePlaceableWmf(PlaceableHeaderFor({2000, 1500}, 1000), bits);
  ASSERT_EQ(file.size(), bits.size() + 22);
  EXPECT_EQ(file[10] | (file[11] << 8), 2000);
  EXPECT_EQ(file[12] | (file[13] << 8), 1500);
  EXPECT_EQ(file[14] | (file[15] << 8), 1000);
  EXPECT_EQ(file[20] | (file[21] << 8), 0x56F5);
  EXPECT_EQ(PlaceableHeaderFor({2000, 1500}, 1000.0 / 3).inch, 333);
}

// A file in memory; writing fails once it would pass `limit` bytes, as on a
// full disk.
class MemoryFile : public FileSink {
 public:
  explicit MemoryFile(size_t limit = SIZE_MAX) : limit_(limit) {}
  bool Append(std::span<const uint8_t> piece) override {
    if (bytes.size() + piece.size() > limit_) return false;
    bytes.insert(bytes.end(), piece.begin(), piece.end());
    return true;
  }
  bool Overwrite(uint64_t offset, std::span<const uint8_t> piece) override {
    if (offset + piece.size() > bytes.size()) return false;
    std::copy(piece.begin(), piece.end(), bytes.begin() + static_cast<ptrdiff_t>(offset));
    return true;
  }
  std::vector<uint8_t> bytes;

 private:
  size_t limit_;
};

// A picture played into a file piece by piece is the picture played whole,
// whatever the size of the pieces; a write that fails is reported.
TEST(PlaceableFile, PlayedInPiecesIsThePicturePlayedWhole) {
  test::EngineHarness h;
  h.settings.Rotation = 90;
  h.settings.Lineoptions = 3;
  auto picture = h.Capture(test::CadPicture(1), MetafilePict{8, 81280, 60960});
  WmfRecorder whole;
  const PlayResult played = picture->Play(whole, h.settings);
  const std::vector<uint8_t> expected = WritePlaceableWmf(PlaceableHeaderFor(played.output, played.unitsPerInch),
                                                          whole.Close());

  MemoryFile file;
  ASSERT_TRUE(PlayToFile(*picture, h.settings, file).written);
  EXPECT_EQ(file.bytes, expected);

  for (size_t pieceBytes : {1, 7, 4096}) {
    SCOPED_TRACE(pieceBytes);
    std::vector<uint8_t> spilled;
    WmfRecorder surface;
    surface.SpillTo([&](std::span<const uint8_t> piece) {
      spilled.insert(spilled.end(), piece.begin(), piece.end());
      return true;
    }, pieceBytes);
    picture->Play(surface, h.settings);
    const std::vector<uint8_t> header = surface.CloseSpilled();
    ASSERT_EQ(header.size(), kStandardHeaderBytes);
    std::copy(header.begin(), header.end(), spilled.begin());
    EXPECT_TRUE(std::equal(spilled.begin(), spilled.end(), expected.begin() + kPlaceableHeaderBytes,
                           expected.end()));
  }

  MemoryFile full(expected.size() / 2);
  EXPECT_FALSE(PlayToFile(*picture, h.settings, full).written);
}

struct DegenerateCase {
  const char* name;
  std::vector<WmfRecord> records;
  std::function<void(WmfSettings&)> adjust;
};

TEST(DegeneratePictures, GiveFinitePositiveSizes) {
  const DegenerateCase cases[] = {
      {"nothing drawn", {test::WindowExt(8000, 6000)}, [](WmfSettings&) {}},
      {"everything nested", {test::WindowExt(8000, 6000), test::WindowOrg(5, 5), test::LineTo(1, 1)}, [](WmfSettings&) {}},
      {"first window extent 0", {test::WindowExt(0, 0), test::LineTo(10, 10), test::LineTo(20, 30)}, [](WmfSettings&) {}},
      {"no window extent, nothing drawn", {}, [](WmfSettings&) {}},
      {"a single point", {test::WindowExt(100, 100), test::LineTo(10, 10)}, [](WmfSettings& s) { s.LeaveMargin = 0; }},
      {"scaled mode", {test::WindowExt(100, 100), test::LineTo(10, 10), test::LineTo(50, 50)},
       [](WmfSettings& s) { s.Widthoptions = 3; }},
      {"fixed width of a point", {test::WindowExt(100, 100), test::LineTo(10, 10)},
       [](WmfSettings& s) { s.Widthoptions = 1; s.LeaveMargin = 0; s.Lineoptions = 2; }},
  };
  for (const DegenerateCase& c : cases) {
    for (int rotation : {0, 90}) {
      SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(rotation));
      test::EngineHarness h;
      auto picture = h.Capture(c.records);
      c.adjust(h.settings);
      h.settings.Rotation = rotation;
      WmfRecorder surface;
      const auto [output, scale, jobs] = picture->Play(surface, h.settings);
      EXPECT_GT(output.x, 0);
      EXPECT_GT(output.y, 0);
      EXPECT_TRUE(std::isfinite(scale) && scale > 0) << scale;
      const Size himetric = PhysicalSize(output, scale);
      EXPECT_GT(himetric.x, 0);
      EXPECT_GT(himetric.y, 0);
      test::ReadOrFail(surface.Close());
    }
  }
}

}  // namespace
}  // namespace wmf
