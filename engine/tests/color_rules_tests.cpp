#include <gtest/gtest.h>

#include <functional>

#include "color_rules.h"
#include "engine_harness.h"

namespace wmf {
namespace {

using test::Rec;

struct ColorFixture {
  test::EngineHarness h;
  PassState pass;
  int picturePalette = 4;
  ColorFixture() { pass.unitsPerInchOut = 1000; }
  WmfRecord Apply(WmfRecord record) {
    EXPECT_TRUE(RewriteColorRecord(record, pass, h.settings, h.settings.PaletteInForce(picturePalette)));
    return record;
  }
};

uint32_t ColorOf(const WmfRecord& r) {
  const size_t at = r.function == MetaCreatePenIndirect ? 3 : r.function == MetaCreateBrushIndirect ? 1 : 0;
  return r.params[at] | (static_cast<uint32_t>(r.params[at + 1]) << 16);
}

int32_t WidthOf(const WmfRecord& pen) { return pen.params[1] | (pen.params[2] << 16); }

WmfRecord TextColor(uint32_t c) { return Rec(MetaSetTextColor, {static_cast<int>(c & 0xFFFF), static_cast<int>(c >> 16)}); }
WmfRecord BkColor(uint32_t c) { return Rec(MetaSetBkColor, {static_cast<int>(c & 0xFFFF), static_cast<int>(c >> 16)}); }

TEST(ColorRules, FixedWidthInInchesOrMillimetres) {
  ColorFixture f;
  f.h.settings.Lineoptions = 2;
  f.h.settings.FixedWidth = 0.01;
  EXPECT_EQ(WidthOf(f.Apply(test::Pen(0x123456, 3))), 10);
  f.h.settings.FixedWidth = 0.25;
  f.h.settings.IsMetric = 1;
  const WmfRecord pen = f.Apply(test::Pen(0x123456, 3, 5));
  EXPECT_EQ(WidthOf(pen), 10);
  EXPECT_EQ(pen.params[0], 5);  // the style stays, even for a null pen
  EXPECT_EQ(ColorOf(pen), 0x123456u);
}

TEST(ColorRules, WidthAndColourPerColourNumber) {
  ColorFixture f;
  f.h.settings.Lineoptions = 3;
  f.h.settings.colors[1] = ColorEntry{1, 0.02, 0x00ABCDEF, 0};
  f.h.settings.colors[7] = ColorEntry{7, 0.03, 0x00102030, 0};
  const WmfRecord red = f.Apply(test::Pen(0x0000FF, 1));
  EXPECT_EQ(WidthOf(red), 20);
  EXPECT_EQ(ColorOf(red), 0x00ABCDEFu);
  const WmfRecord unknown = f.Apply(test::Pen(0x010203, 1));
  EXPECT_EQ(WidthOf(unknown), 1);
  EXPECT_EQ(ColorOf(unknown), 0x010203u);
  EXPECT_EQ(ColorOf(f.Apply(TextColor(0x000000))), 0x00102030u);  // black is colour number 7
  EXPECT_EQ(ColorOf(f.Apply(BkColor(0xFFFFFF))), 0x00102030u);
}

struct RuleCase {
  const char* name;
  std::function<void(WmfSettings&)> adjust;
  WmfRecord record;
  uint32_t expected;
};

TEST(ColorRules, BlackWhiteAndFillRules) {
  const auto makeBlack = [](WmfSettings& s) { s.MakeBlack = 1; s.RemoveBackground = 0; };
  const auto whiteBlack = [](WmfSettings& s) { s.WhiteBlack = 1; s.RemoveBackground = 1; };
  const RuleCase cases[] = {
      {"make black: text", makeBlack, TextColor(0x0000FF), 0},
      {"make black: pen", makeBlack, test::Pen(0x00FF00), 0},
      {"make black: background colour", makeBlack, BkColor(0x00FF00), 0},
      {"make black: brushes keep colour", makeBlack, test::Brush(0x00FF00), 0x00FF00},
      {"white pen becomes black", whiteBlack, test::Pen(0xFFFFFF), 0},
      {"white brush becomes black under fill 0", whiteBlack, test::Brush(0xFFFFFF), 0},
      {"white brush becomes black under fill 3", [&](WmfSettings& s) { whiteBlack(s); s.Filledoptions = 3; },
       test::Brush(0xFFFFFF), 0},
      {"white brush stays under fill 1", [&](WmfSettings& s) { whiteBlack(s); s.Filledoptions = 1; },
       test::Brush(0xFFFFFF), 0xFFFFFF},
      {"white stays without background removal", [](WmfSettings& s) { s.RemoveBackground = 0; }, test::Pen(0xFFFFFF),
       0xFFFFFF},
      {"fill 2 blackens every brush", [](WmfSettings& s) { s.Filledoptions = 2; s.WhiteBlack = 0; },
       test::Brush(0x336699), 0},
      {"fill 3 takes the fill colour", [](WmfSettings& s) { s.Filledoptions = 3; s.colors[5].fillColor = 0x00C0FFEE; },
       test::Brush(0xFF0000), 0x00C0FFEE},
      {"flags byte is cleared", [](WmfSettings&) {}, TextColor(0x01000005), 0x000005},
  };
  for (const RuleCase& c : cases) {
    SCOPED_TRACE(c.name);
    ColorFixture f;
    c.adjust(f.h.settings);
    EXPECT_EQ(ColorOf(f.Apply(c.record)), c.expected);
  }
}

// A forced palette wins over the picture's own; lookups change no setting.
TEST(ColorRules, ForcedPaletteIsUsed) {
  ColorFixture f;
  f.h.settings.ForcedPalette = 2;
  const int oPalette = f.h.settings.oPalette;
  EXPECT_EQ(ColorNumberOf(f.h.settings.PaletteInForce(4), FromHex(0x800000)), 16);
  EXPECT_EQ(f.h.settings.oPalette, oPalette);
  f.h.settings.ForcedPalette = -1;
  EXPECT_EQ(ColorNumberOf(f.h.settings.PaletteInForce(4), FromHex(0x800000)), std::nullopt);
  EXPECT_EQ(ColorNumberOf(f.h.settings.PaletteInForce(4), FromHex(0xFF0000)), 1);
}

TEST(ColorRules, NothingChangesInsideANestedBlock) {
  ColorFixture f;
  f.pass.inNested = true;
  f.h.settings.MakeBlack = 1;
  f.h.settings.Lineoptions = 2;
  const WmfRecord pen = test::Pen(0x01FFFFFF, 3);
  EXPECT_EQ(f.Apply(pen), pen);
}

}  // namespace
}  // namespace wmf
