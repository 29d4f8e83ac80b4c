// Where each kind of record keeps its coordinates: the one description the
// analysis, the rewriting and the mapping read them by.
#include <gtest/gtest.h>

#include <vector>

#include "record_views.h"
#include "test_pictures.h"

namespace wmf {
namespace {

using test::Rec;

// The coordinate pairs a record's view walks, as (x, y) values.
std::vector<std::pair<int, int>> Points(const WmfRecord& r) {
  std::vector<std::pair<int, int>> points;
  const std::optional<GeometryView> g = GeometryView::Of(r);
  if (g) g->ForEachPoint([&](PointAt p) { points.emplace_back(X(r, p), Y(r, p)); });
  return points;
}

TEST(GeometryView, EveryShapeWalksItsPointsInRecordOrder) {
  using P = std::vector<std::pair<int, int>>;
  const struct {
    WmfRecord record;
    P points;
  } cases[] = {
      {test::LineTo(5, 7), P{{5, 7}}},
      {test::WindowOrg(-3, 4), P{{-3, 4}}},
      {test::Poly(MetaPolyline, {{1, 2}, {3, 4}}), P{{1, 2}, {3, 4}}},
      {Rec(MetaPolyPolygon, {2, 1, 2, 10, 20, 30, 40, 50, 60}), P{{10, 20}, {30, 40}, {50, 60}}},
      {test::Rectangle(1, 2, 30, 40), P{{1, 2}, {30, 40}}},
      {Rec(MetaRoundRect, {5, 6, 40, 30, 2, 1}), P{{1, 2}, {30, 40}}},
      {Rec(MetaArc, {8, 7, 6, 5, 40, 30, 2, 1}), P{{7, 8}, {5, 6}, {1, 2}, {30, 40}}},
      {Rec(MetaSetPixel, {0xFF, 0, 9, 8}), P{{8, 9}}},
      {Rec(MetaExtFloodFill, {1, 0xFF, 0, 9, 8}), P{{8, 9}}},
      {Rec(MetaTextOut, {1, 0x41, 9, 8}), P{{8, 9}}},
      {Rec(MetaExtTextOut, {9, 8, 1, 2, 1, 2, 3, 4, 0x41}), P{{8, 9}, {1, 2}, {3, 4}}},
      {Rec(MetaPatBlt, {0x21, 0xF0, 10, 20, 9, 8}), P{{8, 9}}},
      {Rec(MetaOffsetClipRgn, {-2, -1}), P{{-1, -2}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(RecordName(c.record.function));
    EXPECT_EQ(Points(c.record), c.points);
  }
}

TEST(GeometryView, BoxesAndSizesAreNamed) {
  const WmfRecord arc = Rec(MetaArc, {8, 7, 6, 5, 40, 30, 2, 1});
  const GeometryView g = *GeometryView::Of(arc);
  EXPECT_TRUE(g.HasBox());
  EXPECT_EQ(X(arc, g.BoxMin()), 1);
  EXPECT_EQ(Y(arc, g.BoxMax()), 40);
  const WmfRecord round = Rec(MetaRoundRect, {5, 6, 40, 30, 2, 1});
  const PointAt corner = *GeometryView::Of(round)->Size();
  EXPECT_EQ(X(round, corner), 6);  // width
  EXPECT_EQ(Y(round, corner), 5);  // height
}

// The length of a record is checked once, when its view is made: a record
// too short for its shape has none, and a poly record short of its count
// has the points it holds.
TEST(GeometryView, ShortRecordsAreCheckedOnce) {
  for (const WmfRecord& r : {Rec(MetaLineTo, {5}), Rec(MetaRectangle, {1, 2, 3}), Rec(MetaArc, {1, 2, 3, 4, 5, 6, 7}),
                             Rec(MetaRoundRect, {1, 2, 3, 4, 5}), Rec(MetaPolyline, {}),
                             Rec(MetaPolyPolygon, {3, 1, 1}), Rec(MetaExtTextOut, {1, 2, 5, 0, 0x41})})
    EXPECT_FALSE(GeometryView::Of(r)) << RecordName(r.function);

  const WmfRecord lying = Rec(MetaPolygon, {5, 1, 2, 3, 4});  // five points counted, two there
  const GeometryView g = *GeometryView::Of(lying);
  EXPECT_FALSE(g.Complete());
  EXPECT_EQ(g.RunCount(), 2u);
  EXPECT_EQ(Points(lying), (std::vector<std::pair<int, int>>{{1, 2}, {3, 4}}));
  EXPECT_FALSE(GeometryView::Of(Rec(MetaSelectObject, {1})));  // no coordinates
}

TEST(RegionView, WalksWholeScansOnly) {
  // One scan of two rectangles, then a scan cut short.
  const WmfRecord region = Rec(MetaCreateRegion, {0, 6, 0, 0, 40, 2, 4, 0, 0, 50, 20,
                                                  4, 10, 20, 1, 5, 30, 50, 4,
                                                  4, 30, 40, 1, 5});
  std::vector<int> lefts;
  RegionView::ForEachRect(region, [&](RegionRect r) {
    lefts.push_back(r.left);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.bottom, 20);
  });
  EXPECT_EQ(lefts, (std::vector<int>{1, 30}));
}

}  // namespace
}  // namespace wmf
