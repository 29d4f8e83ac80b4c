#include <gtest/gtest.h>

#include "test_pictures.h"
#include "wmf_recorder.h"

namespace wmf {
namespace {

using test::Rec;

std::vector<WmfRecord> Recorded(WmfRecorder& recorder) {
  return CopyOf(test::ReadOrFail(recorder.Close()).records);
}

TEST(WmfRecorder, SourceSlotsAreMappedToTheOutputsOwnSlots) {
  WmfRecorder recorder;
  const int ownPen = recorder.CreatePenIndirect(0, 0, 0x123456);  // takes output slot 0
  recorder.Play(test::Pen(0x0000FF));                              // source slot 0 -> output slot 1
  recorder.Play(test::Brush(0x00FF00));                            // source slot 1 -> output slot 2
  recorder.Play(Rec(MetaSelectObject, {0}));
  recorder.Play(Rec(MetaSelectObject, {1}));
  recorder.Play(Rec(MetaDeleteObject, {0}));                      // frees output slot 1
  recorder.Play(test::Pen(0xFF0000));                              // source slot 0 -> output slot 1 again
  recorder.Play(Rec(MetaSelectObject, {0}));
  EXPECT_EQ(ownPen, 0);

  const std::vector<WmfRecord> out = Recorded(recorder);
  ASSERT_EQ(out.size(), 8u);
  EXPECT_EQ(out[3], Rec(MetaSelectObject, {1}));
  EXPECT_EQ(out[4], Rec(MetaSelectObject, {2}));
  EXPECT_EQ(out[5], Rec(MetaDeleteObject, {1}));
  EXPECT_EQ(out[7], Rec(MetaSelectObject, {1}));
  EXPECT_EQ(recorder.SelectedPen(), 1);
  EXPECT_EQ(recorder.SelectedBrush(), 2);
  EXPECT_EQ(test::ReadOrFail(recorder.Close()).header.objectCount, 3);
}

TEST(WmfRecorder, SelectingOrDeletingAnEmptySlotRecordsNothing) {
  WmfRecorder recorder;
  recorder.Play(Rec(MetaSelectObject, {4}));
  recorder.Play(Rec(MetaDeleteObject, {0}));
  recorder.Play(Rec(MetaSelectObject, {}));  // too short to name an object
  recorder.Play(Rec(MetaFillRegion, {0, 1}));
  EXPECT_EQ(recorder.RecordCount(), 0u);
}

TEST(WmfRecorder, RegionRecordsNameTheirRegionAndBrushByOutputSlot) {
  WmfRecorder recorder;
  recorder.CreateBrushIndirect(0, 0, 0);                // output slot 0
  recorder.Play(Rec(MetaCreateRegion, {0, 6, 0, 0}));  // source 0 -> output 1
  recorder.Play(test::Brush(0x00FF00));                 // source 1 -> output 2
  recorder.Play(Rec(MetaFillRegion, {0, 1}));
  recorder.Play(Rec(MetaFrameRegion, {0, 1, 5, 6}));
  const std::vector<WmfRecord> out = Recorded(recorder);
  EXPECT_EQ(out[3], Rec(MetaFillRegion, {1, 2}));
  EXPECT_EQ(out[4], Rec(MetaFrameRegion, {1, 2, 5, 6}));
}

TEST(WmfRecorder, KnowsTheSelectedPenAndBrushAcrossOwnObjects) {
  WmfRecorder recorder;
  recorder.Play(test::Pen(0));
  recorder.Play(test::Brush(0));
  recorder.Play(Rec(MetaSelectObject, {0}));
  recorder.Play(Rec(MetaSelectObject, {1}));
  const int pen = recorder.SelectedPen(), brush = recorder.SelectedBrush();
  const int tempPen = recorder.CreatePenIndirect(0, 0, 0xFFFFFF);
  const int tempBrush = recorder.CreateBrushIndirect(0, 0xFFFFFF, 0);
  recorder.SelectObject(tempPen);
  recorder.SelectObject(tempBrush);
  EXPECT_EQ(recorder.SelectedPen(), tempPen);
  recorder.SelectObject(pen);
  recorder.SelectObject(brush);
  recorder.DeleteObject(tempPen);
  recorder.DeleteObject(tempBrush);
  EXPECT_EQ(recorder.SelectedPen(), pen);
  EXPECT_EQ(recorder.SelectedBrush(), brush);

  recorder.Play(Rec(MetaDeleteObject, {0}));
  EXPECT_EQ(recorder.SelectedPen(), -1);
  EXPECT_EQ(test::ReadOrFail(recorder.Close()).header.objectCount, 4);
}

}  // namespace
}  // namespace wmf
