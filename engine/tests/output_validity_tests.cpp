#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "embedded_emf.h"
#include "engine_harness.h"
#include "output_checks.h"
#include "sample_pictures.h"
#include "test_emf.h"

namespace wmf {
namespace {

using test::ExpectSoundObjectUse;

struct Options {
  const char* name;
  std::function<void(WmfSettings&)> adjust;
};

TEST(OutputValidity, EveryCorpusPictureWithEveryKindOfOption) {
  CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES();
  const Options options[] = {
      {"defaults", [](WmfSettings&) {}},
      {"no crop", [](WmfSettings& s) { s.Crop = 0; }},
      {"crop without margin", [](WmfSettings& s) { s.LeaveMargin = 0; }},
      {"90", [](WmfSettings& s) { s.Rotation = 90; }},
      {"180", [](WmfSettings& s) { s.Rotation = 180; }},
      {"270 without crop", [](WmfSettings& s) { s.Rotation = 270; s.Crop = 0; }},
      {"fixed width, black fills", [](WmfSettings& s) { s.Lineoptions = 2; s.Filledoptions = 2; s.RemoveLines = 1; }},
      {"per colour", [](WmfSettings& s) { s.Lineoptions = 3; s.Filledoptions = 3; s.RemoveLines = 1; }},
      {"make black", [](WmfSettings& s) { s.MakeBlack = 1; s.WhiteBlack = 0; }},
      {"background kept", [](WmfSettings& s) { s.RemoveBackground = 0; s.Rotation = 90; }},
      {"fit width in cm", [](WmfSettings& s) { s.Widthoptions = 1; s.IsMetric = 1; s.PictureWidth = 12; }},
  };
  for (const auto& path : test::ReadableCorpus()) {
    const std::vector<WmfRecord> records = CopyOf(test::ReadOrFail(test::FileBytes(path)).records);
    for (const Options& o : options) {
      SCOPED_TRACE(path.filename().string() + " / " + o.name);
      test::EngineHarness h;
      auto picture = h.Capture(records);
      o.adjust(h.settings);
      WmfRecorder surface;
      const Size output = picture->Play(surface, h.settings).output;
      EXPECT_GT(output.x, 0);
      EXPECT_GT(output.y, 0);
      WmfPicture out;
      std::string error;
      ASSERT_TRUE(ReadWmf(surface.Close(), out, error)) << error;
      ExpectSoundObjectUse(out);
      for (RecordView r : out.records) EXPECT_FALSE(IsEmbeddedEmfPiece(r)) << "a stale copy as an enhanced metafile";
      EXPECT_EQ(CopyOf(picture->picture().records), records);
    }
  }
}

// The picture's copy of itself as an enhanced metafile would show the
// picture as it was before it was improved: it is left out, and other
// comments stay.
TEST(OutputValidity, TheEmbeddedEnhancedMetafileIsLeftOut) {
  std::vector<WmfRecord> records = test::EmfPieces(std::vector<uint8_t>(9000, 1), 4000);
  const WmfRecord comment = test::Rec(MetaEscape, {kMfComment, 6, 0x6548, 0x6C6C, 0x216F});
  records.insert(records.end(), {comment, test::WindowExt(100, 100), test::LineTo(50, 50)});
  test::EngineHarness h;
  auto picture = h.Capture(records);
  const std::vector<WmfRecord> out = h.Play(*picture);
  EXPECT_EQ(std::count(out.begin(), out.end(), comment), 1);
  EXPECT_TRUE(std::none_of(out.begin(), out.end(), [](const WmfRecord& r) { return IsEmbeddedEmfPiece(r); }));
}

// Crafted records at the limits of their fields: the arithmetic stays sound
// (the native tests run under UBSan) and the output fits its fields.
TEST(OutputValidity, CraftedRecordsAtTheLimitsGiveSoundOutput) {
  // EXTTEXTOUT with 32,769 characters, each advancing 65,535 units.
  WmfRecord longText = test::Rec(MetaExtTextOut, {100, 100, 32769, 0});
  longText.params.insert(longText.params.end(), (32769 + 1) / 2, 0x4141);
  longText.params.insert(longText.params.end(), 32769, 0xFFFF);
  // A text the measurer gives at its saturation, right-aligned at the far corner.
  WmfRecord wideText = test::Rec(MetaExtTextOut, {32767, 32767, 40000, 0});
  wideText.params.insert(wideText.params.end(), 20000, 0x4141);
  const struct {
    const char* name;
    std::vector<WmfRecord> records;
    int advance;
  } cases[] = {
      {"advances beyond 32 bits", {test::WindowExt(32767, 32767), longText}, 5},
      {"measured at saturation", {test::WindowExt(32767, 32767), test::Rec(MetaSetTextAlign, {0x1A}), wideText}, 53687},
  };
  for (const auto& c : cases) {
    for (const bool cad : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (cad ? ", CAD" : ", other"));
      test::EngineHarness h;
      h.measurer.advance = c.advance;
      auto picture = h.Capture(c.records, {8, 20320, 15240}, 0, cad);
      WmfRecorder surface;
      const auto [output, scale, jobs] = picture->Play(surface, h.settings);
      EXPECT_GT(output.x, 0);
      EXPECT_LE(output.x, 32767);
      EXPECT_GT(output.y, 0);
      EXPECT_LE(output.y, 32767);
      EXPECT_TRUE(std::isfinite(scale));
      EXPECT_LE(scale, 65535);
    }
  }
}

// With the background kept, a background drawn after the picture deleted
// its pen restores a default pen made once, not a new one each time.
TEST(OutputValidity, KeptBackgroundsLeakNoObjects) {
  std::vector<WmfRecord> records = {test::WindowExt(8000, 6000), test::Pen(0x123456), test::Rec(MetaSelectObject, {0}),
                                    test::Rec(MetaDeleteObject, {0})};
  for (int i = 0; i < 10000; ++i) records.push_back(test::Rectangle(0, 0, 8000, 6000));
  records.push_back(test::LineTo(100, 100));
  test::EngineHarness h;
  auto picture = h.Capture(records);
  h.settings.RemoveBackground = 0;
  WmfRecorder surface;
  picture->Play(surface, h.settings);
  WmfPicture out;
  std::string error;
  ASSERT_TRUE(ReadWmf(surface.Close(), out, error)) << error;
  EXPECT_LE(out.header.objectCount, 4);
  ExpectSoundObjectUse(out);
}

// A scale beyond the placeable header's Inch field shrinks the output's
// coordinates instead of losing the scale's high bits.
TEST(OutputValidity, ScaleBeyondTheInchFieldShrinksTheCoordinates) {
  CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES();
  test::EngineHarness h;
  auto picture = h.Capture(test::ReadOrFail(test::FileBytes(test::CorpusDir() / "cad-usa.wmf")),
                           MetafilePict{8, 19000, 27700}, false);
  h.settings.Percentage = 2;  // 127,000 units per inch
  WmfRecorder surface;
  const auto [output, scale, jobs] = picture->Play(surface, h.settings);
  EXPECT_LE(scale, 65535);
  EXPECT_NEAR(output.x / scale, 10100 / 127000.0, 0.001);  // the same physical width, 0.08 inch
}

}  // namespace
}  // namespace wmf
