#include <gtest/gtest.h>

#include "engine_harness.h"
#include "sample_pictures.h"
#include "trial_settings.h"

namespace wmf {
namespace {

using test::Rec;

TEST(CMetafile, MmTextPictureIsTakenAt120PixelsPerInch) {
  test::EngineHarness h;
  auto picture = h.Capture({test::LineTo(10, 10)}, MetafilePict{1, 1200, 600});
  EXPECT_EQ(picture->windowExt, (Size{1200, 600}));
  EXPECT_EQ(picture->header.mm, 8);
  EXPECT_EQ(picture->header.xExt, 25400);
  EXPECT_EQ(picture->header.yExt, 12700);
  EXPECT_DOUBLE_EQ(picture->unitsPerInch, 120);
  EXPECT_EQ(picture->fullRect, (Rect{0, 0, 1200, 600}));
}

TEST(CMetafile, ScaleComesFromTheFirstWindowExtentAndTheSuggestedSize) {
  test::EngineHarness h;
  auto picture = h.Capture({test::WindowExt(8000, 6000), test::WindowExt(100, 100), test::LineTo(10, 10)},
                           MetafilePict{8, 20320, 15240});
  EXPECT_EQ(picture->windowExt, (Size{8000, 6000}));
  EXPECT_DOUBLE_EQ(picture->unitsPerInch, 1000);
  EXPECT_EQ(picture->loaded, 1);
}

TEST(CMetafile, PictureWithoutSuggestedSizeIsTakenAt1440UnitsPerInch) {
  for (MetafilePict pict : {MetafilePict{8, 0, 0}, MetafilePict{8, -4, -3}, MetafilePict{7, -100, 50}}) {
    SCOPED_TRACE(pict.xExt);
    test::EngineHarness h;
    auto picture = h.Capture({test::WindowExt(2880, 1440), test::LineTo(10, 10)}, pict);
    EXPECT_DOUBLE_EQ(picture->unitsPerInch, 1440);
    EXPECT_EQ(picture->header.xExt, 5080);
    EXPECT_EQ(picture->header.yExt, 2540);
  }
}

TEST(CMetafile, PlayStartsWithTheOutputsMappingModeAndWindow) {
  test::EngineHarness h;
  h.settings.Crop = 0;
  auto picture = h.Capture({test::WindowExt(8000, 6000), test::Pen(0x0000FF), test::LineTo(10, 10)});
  Size output;
  const std::vector<WmfRecord> out = h.Play(*picture, &output);
  EXPECT_EQ(output, (Size{8000, 6000}));
  ASSERT_GE(out.size(), 3u);
  EXPECT_EQ(out[0], Rec(MetaSetMapMode, {8}));
  EXPECT_EQ(out[1], Rec(MetaSetWindowOrg, {0, 0}));
  EXPECT_EQ(out[2], Rec(MetaSetWindowExt, {6000, 8000}));
}

// Each play is one job, for the caller that publishes it to count.
TEST(CMetafile, PlayingTwiceGivesIdenticalPicturesAndAJobEach) {
  CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES();
  test::EngineHarness h;
  std::vector<WmfRecord> records;
  for (const auto& path : test::ReadableCorpus())
    if (path.filename() == "cad-hatches_1.wmf") records = CopyOf(test::ReadOrFail(test::FileBytes(path)).records);
  ASSERT_FALSE(records.empty());
  auto picture = h.Capture(records);
  WmfRecorder first, second;
  EXPECT_EQ(picture->Play(first, h.settings).jobs, 1);
  EXPECT_EQ(picture->Play(second, h.settings).jobs, 1);
  EXPECT_EQ(first.Close(), second.Close());
  EXPECT_EQ(CopyOf(picture->picture().records), records);  // the captured picture is unchanged
}

TEST(CMetafile, PictureNotLoadedPlaysNothingAndIsNoJob) {
  test::EngineHarness h;
  auto picture = h.Capture({test::WindowExt(8000, 6000), test::LineTo(100, 50)});
  picture->loaded = 0;
  WmfRecorder surface;
  const PlayResult played = picture->Play(surface, h.settings);
  EXPECT_EQ(played.output, Size{});
  EXPECT_EQ(played.jobs, 0);
  EXPECT_EQ(surface.RecordCount(), 0u);
  EXPECT_EQ(h.messages.errors, std::vector<std::wstring>{L"Metafile not properly loaded."});
}

TEST(CMetafile, ChangedOptionsTakeEffectOnTheNextPlayOnly) {
  test::EngineHarness h;
  auto picture = h.Capture({test::WindowExt(8000, 6000), test::LineTo(100, 50), test::LineTo(300, 200)});
  Size first, second;
  h.Play(*picture, &first);
  h.settings.Rotation = 90;
  h.Play(*picture, &second);
  EXPECT_EQ(second, (Size{first.y, first.x}));
}

// Options tried on the picture make what the engine would make with them,
// and leave the engine's settings and their count of jobs alone.
TEST(CMetafile, PlayWithOtherOptionsCountsNothingAndTouchesNothing) {
  test::EngineHarness h;
  auto picture = h.Capture({test::WindowExt(8000, 6000), test::LineTo(100, 50), test::LineTo(300, 200)});
  TrialSettings trial;
  trial.CopyFrom(h.settings);
  trial.Record().Rotation = 90;
  const int jobs = h.settings.Jobs, trialJobs = trial.Record().Jobs;
  WmfRecorder tried;
  const Size turned = picture->Play(tried, trial.Record()).output;
  EXPECT_EQ(h.settings.Jobs, jobs);
  EXPECT_EQ(trial.Record().Jobs, trialJobs);
  EXPECT_EQ(h.settings.Rotation, 0);

  Size upright;
  h.Play(*picture, &upright);
  EXPECT_EQ(turned, (Size{upright.y, upright.x})) << "the next play has the engine's options again";
  h.settings.Rotation = 90;
  WmfRecorder engine;
  picture->Play(engine, h.settings);
  EXPECT_EQ(tried.Close(), engine.Close());
}

}  // namespace
}  // namespace wmf
