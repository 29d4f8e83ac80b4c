#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "engine_harness.h"

namespace wmf {
namespace {

using test::Rec;

// A picture whose drawing spans (100, 50)-(300, 200) in an 8000 × 6000 window,
// followed by the records under test.
std::vector<WmfRecord> Cropped(std::vector<WmfRecord> rest) {
  std::vector<WmfRecord> records = {test::WindowExt(8000, 6000), test::Poly(MetaPolyline, {{100, 200}, {300, 50}})};
  records.insert(records.end(), rest.begin(), rest.end());
  return records;
}

// Plays `records` with the settings changed by `adjust` (after capture) and
// returns the output records after the play's own three and the `skip`
// records that follow them.
std::vector<WmfRecord> Played(std::vector<WmfRecord> records, const std::function<void(WmfSettings&)>& adjust,
                              size_t skip = 2) {
  test::EngineHarness h;
  h.settings.LeaveMargin = 0;
  auto picture = h.Capture(std::move(records));
  adjust(h.settings);
  std::vector<WmfRecord> out = h.Play(*picture);
  out.erase(out.begin(), out.begin() + std::min(out.size(), 3 + skip));
  return out;
}

auto Rotation(int degrees) {
  return [degrees](WmfSettings& s) { s.Rotation = degrees; };
}

TEST(RecordRewriter, PointsAreCroppedAndRotated) {
  const struct {
    int rotation, x, y;
  } cases[] = {{0, 50, 30}, {90, 120, 50}, {180, 150, 120}, {270, 30, 150}};
  for (const auto& c : cases) {
    const auto out = Played(Cropped({test::LineTo(150, 80)}), Rotation(c.rotation));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], test::LineTo(c.x, c.y)) << c.rotation;
  }
}

// An exact crop (no margin) keeps one unit of room beyond the far edges,
// where GDI leaves out a figure's last row and column.
TEST(RecordRewriter, FirstWindowExtentBecomesTheRegion) {
  for (auto [rotation, x, y] : {std::tuple{0, 201, 151}, std::tuple{90, 151, 201}}) {
    const auto out = Played(Cropped({}), Rotation(rotation), 0);
    EXPECT_EQ(out[0], test::WindowExt(x, y)) << rotation;
  }
}

// The picture's mapping is taken into its coordinates, so the records that
// set it go, cropped or not.
TEST(RecordRewriter, MappingModeAndViewportRecordsGo) {
  const std::vector<WmfRecord> extra = {Rec(MetaSetMapMode, {8}), Rec(MetaSetViewportOrg, {0, 0}),
                                        Rec(MetaSetViewportExt, {600, 800})};
  EXPECT_TRUE(Played(Cropped(extra), [](WmfSettings&) {}).empty());
  EXPECT_TRUE(Played(Cropped(extra), [](WmfSettings& s) { s.Crop = 0; }).empty());
}

// A region is rebuilt from its rectangles as bands of the output: touching
// spans merge, and a turned region has other bands than the original.
TEST(RecordRewriter, RegionsAreRebuiltInBandsOfTheOutput) {
  // Two rectangles side by side over one as wide as both.
  const WmfRecord region = Rec(MetaCreateRegion, {0, 6, 0, 0, 54, 2, 4, 100, 50, 130, 70,
                                                  4, 50, 60, 100, 110, 120, 130, 4,
                                                  2, 60, 70, 100, 130, 2});
  const struct {
    int rotation;
    std::vector<int> boundsAndScans;
  } cases[] = {
      {0, {2, 4, 0, 0, 30, 20, 4, 0, 10, 0, 10, 20, 30, 4, 2, 10, 20, 0, 30, 2}},
      {90, {3, 2, 130, 0, 150, 30, 2, 0, 10, 130, 150, 2, 2, 10, 20, 130, 140, 2, 2, 20, 30, 130, 150, 2}},
  };
  for (const auto& c : cases) {
    const auto out = Played(Cropped({region}), Rotation(c.rotation));
    ASSERT_EQ(out.size(), 1u);
    WmfRecord expected = Rec(MetaCreateRegion, {0, 6, 0, 0});
    expected.params.push_back(static_cast<uint16_t>(22 + 2 * (c.boundsAndScans.size() - 6)));
    for (int v : c.boundsAndScans) expected.params.push_back(static_cast<uint16_t>(v));
    EXPECT_EQ(out[0], expected) << c.rotation;
  }
}

TEST(RecordRewriter, BackgroundIsRemoved) {
  const auto out = Played(Cropped({test::Pen(0), test::Rectangle(0, 0, 8000, 6000), test::Rectangle(0, 10, 500, 600)}),
                          [](WmfSettings& s) { s.Crop = 0; });
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].function, MetaCreatePenIndirect);
  EXPECT_EQ(out[1], test::Rectangle(0, 10, 500, 600));  // not at the origin: an ordinary rectangle
}

TEST(RecordRewriter, KeptBackgroundFillsTheOutputInItsColourAndRestoresPenAndBrush) {
  const auto out =
      Played(Cropped({test::Pen(0x00FFFF), Rec(MetaSelectObject, {0}), test::Brush(0x112233), Rec(MetaSelectObject, {1}),
                      test::Rectangle(0, 0, 8000, 6000), test::LineTo(150, 80)}),
             [](WmfSettings& s) { s.RemoveBackground = 0; });
  // pen, select, brush, select, then: temp pen, temp brush, select both,
  // the rectangle, select the old pen and brush, delete the temporaries.
  ASSERT_EQ(out.size(), 14u);
  EXPECT_EQ(out[4], test::Pen(0x00FFFF));
  EXPECT_EQ(out[5], test::Brush(0x00FFFF));
  EXPECT_EQ(out[6], Rec(MetaSelectObject, {2}));
  EXPECT_EQ(out[7], Rec(MetaSelectObject, {3}));
  EXPECT_EQ(out[8], test::Rectangle(0, 0, 201, 151));  // the output window, with room at the far edges
  EXPECT_EQ(out[9], Rec(MetaSelectObject, {0}));
  EXPECT_EQ(out[10], Rec(MetaSelectObject, {1}));
  EXPECT_EQ(out[11], Rec(MetaDeleteObject, {2}));
  EXPECT_EQ(out[12], Rec(MetaDeleteObject, {3}));
}

TEST(RecordRewriter, KeptBackgroundWithoutSelectedObjectsRestoresTheDefaults) {
  const auto out = Played(Cropped({test::Pen(0xFFFFFF), test::Rectangle(0, 0, 8000, 6000)}),
                          [](WmfSettings& s) { s.RemoveBackground = 0; });
  ASSERT_EQ(out.size(), 12u);
  EXPECT_EQ(out[5].function, MetaRectangle);
  EXPECT_EQ(out[6], test::Pen(0x000000));
  EXPECT_EQ(out[7], test::Brush(0xFFFFFF));
  EXPECT_EQ(out[8], Rec(MetaSelectObject, {3}));
  EXPECT_EQ(out[9], Rec(MetaSelectObject, {4}));
  EXPECT_EQ(out[10], Rec(MetaDeleteObject, {1}));
}

struct OutlineCase {
  const char* name;
  std::vector<WmfRecord> records;
  std::function<void(WmfSettings&)> adjust;
  size_t expectedCount;
};

TEST(RecordRewriter, DuplicateOutlinesOfFilledAreasAreRemoved) {
  const auto triangle = test::Poly(MetaPolygon, {{0, 0}, {10, 0}, {10, 10}});
  const auto closedPolygon = test::Poly(MetaPolygon, {{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  const auto closedPolyline = test::Poly(MetaPolyline, {{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  const auto removeWithBlackFills = [](WmfSettings& s) { s.RemoveLines = 1; s.Filledoptions = 2; };
  const OutlineCase cases[] = {
      {"polygon outline", {triangle, closedPolygon}, removeWithBlackFills, 1},
      {"polyline outline", {triangle, closedPolyline}, removeWithBlackFills, 1},
      {"open polyline stays", {triangle, test::Poly(MetaPolyline, {{0, 0}, {10, 0}, {10, 10}})}, removeWithBlackFills, 2},
      {"different polygon stays", {triangle, test::Poly(MetaPolygon, {{0, 0}, {10, 1}, {10, 10}, {0, 0}})},
       removeWithBlackFills, 2},
      {"only the first polyline is examined", {triangle, test::LineTo(1, 1), closedPolyline, closedPolyline},
       removeWithBlackFills, 3},
      {"polyline starting at the second point", {triangle, test::Poly(MetaPolyline, {{5, 5}, {0, 0}, {5, 5}})},
       removeWithBlackFills, 1},
      {"nothing removed without a line or fill option", {triangle, closedPolygon},
       [](WmfSettings& s) { s.RemoveLines = 1; }, 2},
      {"nothing removed without the option", {triangle, closedPolygon}, [](WmfSettings& s) { s.Filledoptions = 2; }, 2},
  };
  for (const OutlineCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Played(Cropped(c.records), c.adjust).size(), c.expectedCount);
  }
}

TEST(RecordRewriter, FontsTurnWithThePicture) {
  for (auto [rotation, angle] : {std::pair{0, 0}, std::pair{90, -900}, std::pair{270, -2700}}) {
    const auto out = Played(Cropped({Rec(MetaCreateFontIndirect, {12, 0, 0, 0, 400})}), Rotation(rotation));
    EXPECT_EQ(static_cast<int16_t>(out[0].params[2]), angle);
    EXPECT_EQ(static_cast<int16_t>(out[0].params[3]), angle);
  }
}

TEST(RecordRewriter, BoxesTurnAboutTheirCentre) {
  test::EngineHarness h;
  h.settings.LeaveMargin = 0;
  auto picture = h.Capture({test::WindowExt(100, 100), test::Poly(MetaPolyline, {{0, 0}, {100, 100}}),
                            Rec(MetaPatBlt, {0x21, 0xF0, 10, 40, 20, 10})});
  h.settings.Rotation = 90;
  const auto out = h.Play(*picture);
  EXPECT_EQ(out.back(), Rec(MetaPatBlt, {0x21, 0xF0, 40, 10, 10, 70}));
}

// Blits without a bitmap fill their box with the brush: they keep their fill
// as the raster operation it is, moved and turned like MetaPatBlt.
TEST(RecordRewriter, BlitsWithoutABitmapTurnAsFills) {
  const WmfRecord blits[] = {
      Rec(MetaDibBitBlt, {0x21, 0xF0, 0, 0, 0, 10, 40, 20, 10}),
      Rec(MetaDibStretchBlt, {0x21, 0xF0, 5, 20, 0, 0, 0, 10, 40, 20, 10}),
      Rec(MetaBitBlt, {0x21, 0xF0, 0, 0, 0, 10, 40, 20, 10}),
      Rec(MetaStretchBlt, {0x21, 0xF0, 5, 20, 0, 0, 0, 10, 40, 20, 10}),
  };
  for (const WmfRecord& blit : blits) {
    SCOPED_TRACE(RecordName(blit.function));
    test::EngineHarness h;
    h.settings.LeaveMargin = 0;
    auto picture = h.Capture({test::WindowExt(100, 100), test::Poly(MetaPolyline, {{0, 0}, {100, 100}}), blit});
    h.settings.Rotation = 90;
    const auto out = h.Play(*picture);
    EXPECT_EQ(out.back(), Rec(MetaPatBlt, {0x21, 0xF0, 40, 10, 10, 70}));
  }
}

TEST(RecordRewriter, TextAndItsRectangleMoveTogether) {
  const auto out = Played(Cropped({Rec(MetaExtTextOut, {80, 150, 1, 2, 110, 60, 120, 70, 0x41})}), Rotation(0));
  EXPECT_EQ(out[0], Rec(MetaExtTextOut, {30, 50, 1, 2, 10, 10, 20, 20, 0x41}));
}

// Texts and blits without stretching move like every other record; a blit
// without a bitmap becomes the fill it is, which the output can turn.
TEST(RecordRewriter, TextOutAndBitBltMoveWithThePicture) {
  const auto out = Played(Cropped({Rec(MetaTextOut, {1, 0x41, 80, 150}),
                                   Rec(MetaDibBitBlt, {0x21, 0xF0, 0, 0, 0, 10, 10, 80, 150})}),
                          Rotation(90));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], Rec(MetaTextOut, {1, 0x41, 50, 120}));
  EXPECT_EQ(out[1], Rec(MetaPatBlt, {0x21, 0xF0, 10, 10, 50, 110}));
}

// A block drawn in a window of its own lands where GDI draws it; the output
// keeps its one window.
TEST(RecordRewriter, NestedWindowsAreTakenIntoTheDrawing) {
  const auto out = Played(Cropped({test::WindowOrg(0, 0), Rec(MetaSaveDC, {}), test::WindowOrg(150, 80),
                                   test::WindowExt(4000, 3000), test::LineTo(190, 110), Rec(MetaRestoreDC, {0xFFFF}),
                                   test::LineTo(190, 110)}),
                          Rotation(0));
  ASSERT_EQ(out.size(), 7u);
  EXPECT_EQ(out[0], test::WindowOrg(0, 0));
  EXPECT_EQ(out[2], test::WindowOrg(0, 0));
  EXPECT_EQ(out[3], test::WindowExt(201, 151));
  EXPECT_EQ(out[4], test::LineTo(80 - 100, 60 - 50));  // (40, 30) from the block's origin, at twice the scale
  EXPECT_EQ(out[6], test::LineTo(90, 60));
}

TEST(RecordRewriter, RecordsTooShortForTheirRulesPassUnchanged) {
  const std::vector<WmfRecord> shortOnes = {Rec(MetaLineTo, {5}), Rec(MetaPolygon, {9, 1, 2}),
                                            Rec(MetaRectangle, {1, 2}), Rec(MetaPatBlt, {1}),
                                            Rec(MetaExtTextOut, {1, 2, 50, 0}), Rec(MetaSetTextColor, {1}),
                                            Rec(MetaPolyPolygon, {3, 1})};
  EXPECT_EQ(Played(Cropped(shortOnes), Rotation(90)), shortOnes);
}

// The background rule is for CAD pictures: one known to be from a CAD
// program, or one that draws the CAD background first (a rectangle from the
// origin in a pen and brush of one colour). Other pictures keep their first
// rectangle as drawn.
TEST(RecordRewriter, OnlyCadPicturesHaveABackground) {
  const std::vector<WmfRecord> filledFrame = {test::WindowExt(1000, 1000), test::Pen(0x800000), Rec(MetaSelectObject, {0}),
                                              test::Brush(0xF0C080), Rec(MetaSelectObject, {1}),
                                              test::Rectangle(0, 0, 1000, 1000), test::LineTo(500, 500)};
  const std::vector<WmfRecord> cadBackground = {test::WindowExt(1000, 1000), test::Pen(0x202020), Rec(MetaSelectObject, {0}),
                                                test::Brush(0x202020), Rec(MetaSelectObject, {1}),
                                                test::Rectangle(0, 0, 1000, 1000), test::LineTo(500, 500)};
  const auto rectangles = [](const std::vector<WmfRecord>& out) {
    std::vector<WmfRecord> found;
    for (const WmfRecord& r : out)
      if (r.function == MetaRectangle) found.push_back(r);
    return found;
  };
  for (const int removeBackground : {0, 1}) {
    SCOPED_TRACE(removeBackground);
    test::EngineHarness h;
    auto other = h.Capture(filledFrame, h.kByFirstWindow, 0, false);
    h.settings.Crop = 0;
    h.settings.RemoveBackground = removeBackground;
    const auto out = h.Play(*other);
    EXPECT_EQ(rectangles(out), std::vector<WmfRecord>{test::Rectangle(0, 0, 1000, 1000)});
    EXPECT_EQ(std::count_if(out.begin(), out.end(), [](const WmfRecord& r) { return r.function == MetaCreatePenIndirect; }), 1);

    auto cad = h.Capture(cadBackground, h.kByFirstWindow, 0, false);
    EXPECT_EQ(cad->extents, (Rect{500, 500, 500, 500}));
    EXPECT_EQ(cad->passState().backgroundColor, 0x202020u);
    EXPECT_EQ(rectangles(h.Play(*cad)).size(), removeBackground ? 0u : 1u);
  }
}

}  // namespace
}  // namespace wmf
