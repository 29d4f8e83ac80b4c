#include <gtest/gtest.h>

#include <algorithm>

#include "engine_harness.h"

namespace wmf {
namespace {

using test::Rec;

WmfRecord Font(int height, int escapement = 0, int orientation = 0) {
  return Rec(MetaCreateFontIndirect, {height, 0, escapement, orientation, 400, 0, 0, 0, 0x7241, 0x6C61});
}

// ExtTextOut at (x, y) without rectangle or advances.
WmfRecord Text(int x, int y, const std::string& text) {
  WmfRecord r = Rec(MetaExtTextOut, {y, x, static_cast<int>(text.size()), 0});
  for (size_t i = 0; i < text.size(); i += 2)
    r.params.push_back(static_cast<uint8_t>(text[i]) | (i + 1 < text.size() ? static_cast<uint8_t>(text[i + 1]) << 8 : 0));
  return r;
}

TEST(ExtentAnalysis, ExtentCoversTheDrawing) {
  test::EngineHarness h;
  auto p = h.Capture({test::WindowExt(8000, 6000), test::Poly(MetaPolyline, {{100, 200}, {300, 50}})});
  EXPECT_EQ(p->extents, (Rect{100, 50, 300, 200}));
  EXPECT_EQ(p->windowExt, (Size{8000, 6000}));
}

TEST(ExtentAnalysis, EveryGeometryRecordIsMeasured) {
  const struct {
    const char* name;
    WmfRecord record;
    Rect expected;
  } cases[] = {
      {"lineto", test::LineTo(5, 7), {5, 7, 5, 7}},
      // A move alone draws nothing; an arc is measured by its box (its start
      // and end only aim its ends).
      {"moveto", Rec(MetaMoveTo, {-3, 4}), {32767, 32767, -32767, -32767}},
      {"ellipse", Rec(MetaEllipse, {40, 30, 20, 10}), {10, 20, 30, 40}},
      {"rectangle", test::Rectangle(10, 20, 30, 40), {10, 20, 30, 40}},
      {"pixel", Rec(MetaSetPixel, {0xFF, 0, 9, 8}), {8, 9, 8, 9}},
      {"polypolygon", Rec(MetaPolyPolygon, {2, 1, 2, 1, 2, 3, 4, 5, 6}), {1, 2, 5, 6}},
      {"arc", Rec(MetaArc, {1, 2, 3, 4, 50, 60, 7, 8}), {8, 7, 60, 50}},
      {"dibstretchblt", Rec(MetaDibStretchBlt, {0x20, 0xCC, 1, 1, 0, 0, 30, 40, 10, 20}), {20, 10, 60, 40}},
      {"stretchdib", Rec(MetaStretchDib, {0x20, 0xCC, 0, 1, 1, 0, 0, 30, 40, 10, 20}), {20, 10, 60, 40}},
      {"polygon count past the end", Rec(MetaPolygon, {50, 1, 2, 3, 4}), {1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::EngineHarness h;
    auto p = h.Capture({test::WindowExt(100, 100), c.record});
    EXPECT_EQ(p->extents, c.expected);
  }
}

TEST(ExtentAnalysis, BackgroundRectangleGivesColourAndPalette) {
  const struct {
    uint32_t pen;
    int displayBits, fromIntelliCad;
    int palette;
  } cases[] = {{0x000000, 32, 0, 4}, {0xFFFFFF, 32, 0, 5}, {0xFFFFFF, 8, 0, 7}, {0xFFFFFF, 32, 1, 8},
               {0xFF0000, 32, 0, 4} /* blue is not tested */, {0x000081, 32, 0, 5}, {0x008100, 32, 0, 5}};
  for (const auto& c : cases) {
    test::EngineHarness h;
    h.context.displayBitsPerPixel = c.displayBits;
    auto p = h.Capture({test::WindowExt(8000, 6000), test::Pen(c.pen), test::Rectangle(0, 0, 8000, 6000),
                        test::LineTo(10, 10)},
                       {8, 20320, 15240}, c.fromIntelliCad);
    EXPECT_EQ(p->passState().backgroundColor, c.pen);
    EXPECT_EQ(p->palette, c.palette) << std::hex << c.pen;
    EXPECT_EQ(p->extents, (Rect{10, 10, 10, 10}));  // the background is not measured
  }
}

TEST(ExtentAnalysis, RectangleAtTheLeftEdgeCountsAsBackground) {
  test::EngineHarness h;
  auto p = h.Capture({test::WindowExt(100, 100), test::Pen(0x00FF00), test::Rectangle(0, 500, 600, 700),
                      test::LineTo(1, 1)});
  EXPECT_EQ(p->extents, (Rect{1, 1, 1, 1}));
  EXPECT_EQ(p->passState().backgroundColor, 0x00FF00u);
}

TEST(ExtentAnalysis, NestedBlocksAreNotMeasured) {
  test::EngineHarness h;
  auto p = h.Capture({test::WindowExt(8000, 6000), test::LineTo(10, 10), Rec(MetaSaveDC, {}),
                      test::WindowOrg(100, 100), test::LineTo(5000, 5000), Rec(MetaRestoreDC, {0xFFFF}),
                      test::LineTo(20, 30)});
  EXPECT_EQ(p->extents, (Rect{10, 10, 20, 30}));
}

// Both passes judge a block by one rule: inside a META_SAVEDC block, an origin
// of its own makes the block nested; outside any block an origin is the
// picture's own. A nested block is not measured, and its pens and colours
// keep what they are under every colour and width option.
TEST(ExtentAnalysis, BothPassesJudgeNestedBlocksAlike) {
  const WmfRecord red = test::Pen(0x0000FF, 3);
  const struct {
    const char* name;
    std::vector<WmfRecord> records;
    Rect extents;
    bool penKept;
  } cases[] = {
      {"a block with an origin of its own, no origin before it",
       {test::WindowExt(8000, 6000), Rec(MetaSaveDC, {}), test::WindowOrg(100, 100), red, Rec(MetaSelectObject, {0}),
        test::LineTo(5000, 5000), Rec(MetaRestoreDC, {0xFFFF}), test::LineTo(10, 10), test::LineTo(20, 30)},
       {10, 10, 20, 30},
       true},
      {"the picture's own origin away from (0, 0)",
       {test::WindowOrg(100, 100), test::WindowExt(8000, 6000), red, Rec(MetaSelectObject, {0}), test::LineTo(200, 200),
        test::LineTo(300, 400)},
       {100, 100, 200, 300},
       false},
      {"a block with the picture's own origin",
       {test::WindowOrg(100, 100), test::WindowExt(8000, 6000), Rec(MetaSaveDC, {}), test::WindowOrg(100, 100), red,
        Rec(MetaSelectObject, {0}), test::LineTo(200, 200), test::LineTo(300, 400), Rec(MetaRestoreDC, {0xFFFF})},
       {100, 100, 200, 300},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::EngineHarness h;
    auto p = h.Capture(c.records);
    EXPECT_EQ(p->extents, c.extents);
    h.settings.MakeBlack = 1;
    h.settings.Lineoptions = 2;
    const std::vector<WmfRecord> out = h.Play(*p);
    const bool kept = std::find(out.begin(), out.end(), red) != out.end();
    EXPECT_EQ(kept, c.penKept);
  }
}

struct TextCase {
  const char* name;
  int align;
  WmfRecord font;
  Rect expected;
};

TEST(ExtentAnalysis, TextIsBoxedByAlignmentAndAngle) {
  // The fake measurer gives 5 units a character, a cell of the font's height
  // and an ascent of three quarters of it.
  // The text stands at (50, 50), well inside the picture's window.
  const TextCase cases[] = {
      {"left top", 0, Font(12), {50, 50, 100, 62}},
      {"baseline", 0x18, Font(12), {50, 41, 100, 53}},
      {"bottom", 0x08, Font(12), {50, 38, 100, 50}},
      {"centre", 0x06, Font(12), {25, 50, 75, 62}},
      {"right", 0x02, Font(12), {0, 50, 50, 62}},
      {"turned 90 degrees", 0, Font(12, 900, 900), {50, 0, 62, 50}},
      {"escapement when orientation is 0", 0, Font(12, 900, 0), {50, 0, 62, 50}},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::EngineHarness h;
    auto p = h.Capture({test::WindowExt(200, 200), c.font, Rec(MetaSelectObject, {0}),
                        Rec(MetaSetTextAlign, {c.align}), Text(50, 50, "0123456789")});
    EXPECT_EQ(p->extents, c.expected);
  }
}

// With TA_UPDATECP a text stands at the current position and moves it on.
TEST(ExtentAnalysis, TextAtTheCurrentPositionFollowsIt) {
  test::EngineHarness h;
  auto p = h.Capture({test::WindowExt(100, 100), Font(12), Rec(MetaSelectObject, {0}), Rec(MetaSetTextAlign, {0x01}),
                      Rec(MetaMoveTo, {40, 30}), Text(0, 0, "abc"), Text(0, 0, "abc")});
  EXPECT_EQ(p->extents, (Rect{30, 40, 60, 52}));
}

TEST(ExtentAnalysis, AdvancesGiveTheWidthWhenNoRectangle) {
  test::EngineHarness h;
  WmfRecord text = Text(10, 10, "abc");
  for (int dx : {7, 8, 9}) text.params.push_back(static_cast<uint16_t>(dx));
  auto p = h.Capture({test::WindowExt(100, 100), Font(12), Rec(MetaSelectObject, {0}), text});
  EXPECT_EQ(p->extents, (Rect{10, 10, 34, 22}));
}

// What the system's conversion of an EMF writes with its texts, and what lies
// beyond a CAD picture's window.
TEST(ExtentAnalysis, OnlyWhatShowsIsMeasured) {
  const auto opaqueText = [](std::vector<int> rect, std::vector<int> advances) {
    WmfRecord r = Rec(MetaExtTextOut, {10, 10, 3, 2});
    r.params.insert(r.params.end(), rect.begin(), rect.end());
    r.params.insert(r.params.end(), {0x6261, 0x63});  // "abc"
    r.params.insert(r.params.end(), advances.begin(), advances.end());
    return r;
  };
  const struct {
    const char* name;
    std::vector<WmfRecord> drawing;
    Rect expected;
  } cases[] = {
      {"an empty opaque rectangle paints nothing", {opaqueText({0, 0, 0, 0}, {})}, {10, 10, 25, 22}},
      {"an opaque rectangle paints its box", {opaqueText({5, 8, 40, 30}, {})}, {5, 8, 40, 30}},
      {"advances beside a rectangle give the width", {opaqueText({0, 0, 0, 0}, {20, 20, 20})}, {10, 10, 70, 22}},
      {"lines beyond the window", {test::Poly(MetaPolyline, {{50, 50}, {300, 150}})}, {50, 50, 200, 150}},
      {"a fill with a null brush", {test::Brush(0, 1), Rec(MetaSelectObject, {1}), Rec(MetaPatBlt, {0x21, 0xF0, 20, 30, 40, 50})},
       {32767, 32767, -32767, -32767}},
      {"blackness without a brush", {test::Brush(0, 1), Rec(MetaSelectObject, {1}), Rec(MetaPatBlt, {0x42, 0x00, 20, 30, 40, 50})},
       {50, 40, 80, 60}},
      {"a fill with the brush", {Rec(MetaPatBlt, {0x21, 0xF0, 20, 30, 40, 50})}, {50, 40, 80, 60}},
      {"lines beyond the clip",
       {Rec(MetaIntersectClipRect, {100, 100, 0, 0}), test::Poly(MetaPolyline, {{50, 50}, {150, 80}})},
       {50, 50, 100, 80}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool cad : {true, false}) {
      test::EngineHarness h;
      std::vector<WmfRecord> records = {test::WindowExt(200, 200), Font(12), Rec(MetaSelectObject, {0})};
      records.insert(records.end(), c.drawing.begin(), c.drawing.end());
      auto p = h.Capture(records, {8, 5080, 5080}, 0, cad);
      EXPECT_EQ(p->extents, c.expected) << (cad ? "from a CAD program" : "from another program");
    }
  }
}

TEST(ExtentAnalysis, FontIsFoundAfterObjectsTheAnalysisDoesNotDraw) {
  // A region and a pattern brush take slots 0 and 1, so the font is in slot 2.
  test::EngineHarness h;
  auto p = h.Capture({test::WindowExt(100, 100), Rec(MetaCreateRegion, {0, 6, 0, 0, 0, 0}),
                      Rec(MetaCreatePatternBrush, {0, 0, 0, 0}), Font(-20), Rec(MetaSelectObject, {2}),
                      Text(10, 10, "x")});
  EXPECT_EQ(h.measurer.lastFont.height, -20);
}

TEST(ExtentAnalysis, TextTooShortForItsStringIsSkipped) {
  test::EngineHarness h;
  auto p = h.Capture({test::WindowExt(100, 100), Rec(MetaExtTextOut, {10, 10, 40, 0, 0x4141}), test::LineTo(1, 1)});
  EXPECT_EQ(p->extents, (Rect{1, 1, 1, 1}));
  EXPECT_EQ(h.measurer.calls, 0);
}

TEST(ExtentAnalysis, PictureWithoutWindowExtentSpansToWhatIsDrawn) {
  test::EngineHarness h;
  auto p = h.Capture({test::LineTo(300, 200)});
  EXPECT_EQ(p->windowExt, (Size{300, 200}));
}

// What is measured is what shows: drawing with the null pen (and the null
// brush, for figures) is left out, a line reaches from its move, and a
// picture that is not from a CAD program is measured within its frame and
// its clip rectangle.
TEST(ExtentAnalysis, OnlyVisibleDrawingWithinTheFrameIsMeasured) {
  const WmfRecord nullPen = test::Pen(0, 0, 5), nullBrush = test::Brush(0, 1), select0 = Rec(MetaSelectObject, {0}),
                  select1 = Rec(MetaSelectObject, {1});
  const struct {
    const char* name;
    std::vector<WmfRecord> records;
    Rect expected;
  } cases[] = {
      {"line with the null pen",
       {nullPen, select0, test::Poly(MetaPolyline, {{5, 5}, {90, 90}}), test::Pen(0), select1, test::LineTo(10, 10)},
       {10, 10, 10, 10}},
      {"figure with null pen and brush",
       {nullPen, select0, nullBrush, select1, test::Poly(MetaPolygon, {{5, 5}, {90, 90}, {5, 90}}), Rec(MetaSelectObject, {1}),
        test::Pen(0), Rec(MetaSelectObject, {2}), test::LineTo(10, 10)},
       {10, 10, 10, 10}},
      {"figure filled without outline",
       {nullPen, select0, test::Poly(MetaPolygon, {{5, 5}, {90, 90}, {5, 90}})}, {5, 5, 90, 90}},
      {"line from its move", {Rec(MetaMoveTo, {20, 30}), test::LineTo(40, 50)}, {30, 20, 40, 50}},
      {"drawing beyond the frame", {test::Poly(MetaPolyline, {{50, 60}, {500, -300}})}, {50, 0, 100, 60}},
      {"drawing beyond its clip rectangle",
       {Rec(MetaSaveDC, {}), Rec(MetaIntersectClipRect, {50, 50, 10, 10}), test::Poly(MetaPolyline, {{5, 5}, {90, 90}}),
        Rec(MetaRestoreDC, {-1}), test::LineTo(70, 80)},
       {10, 10, 70, 80}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::EngineHarness h;
    std::vector<WmfRecord> records = {test::WindowExt(100, 100)};
    records.insert(records.end(), c.records.begin(), c.records.end());
    auto p = h.Capture(records, h.kByFirstWindow, 0, false);
    EXPECT_EQ(p->extents, c.expected);
  }
}

}  // namespace
}  // namespace wmf
