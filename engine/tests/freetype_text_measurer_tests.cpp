// How the FreeType measurer maps LOGFONTs to the installed fonts and sizes
// them; the Liberation fonts stand in for Arial, Times New Roman and Courier New.
#include <gtest/gtest.h>

#include <string>

#include "freetype_text_measurer.h"

namespace wmf {
namespace {

struct FontCase {
  const char* face;
  int16_t weight;
  uint8_t italic;
  uint8_t pitchAndFamily;
  const char* expected;  // family and style
};

TEST(FreetypeTextMeasurer, MapsFaceWeightAndItalicToAnInstalledFont) {
  const FontCase cases[] = {
      {"Arial", 400, 0, 0, "Liberation Sans Regular"},
      {"Arial", 0, 0, 0, "Liberation Sans Regular"},
      {"Arial", 500, 0, 0, "Liberation Sans Regular"},
      {"Arial", 600, 0, 0, "Liberation Sans Bold"},
      {"Arial", 700, 0, 0, "Liberation Sans Bold"},
      {"Arial", 400, 1, 0, "Liberation Sans Italic"},
      {"Arial", 700, 1, 0, "Liberation Sans Bold Italic"},
      {"Times New Roman", 400, 0, 0, "Liberation Serif Regular"},
      {"Courier New", 700, 0, 0, "Liberation Mono Bold"},
      {"Liberation Sans", 400, 0, 0, "Liberation Sans Regular"},
  };
  FreetypeTextMeasurer measurer;
  for (const FontCase& c : cases) {
    LogFont font;
    font.faceName = c.face;
    font.height = -12;
    font.weight = c.weight;
    font.italic = c.italic;
    font.pitchAndFamily = c.pitchAndFamily;
    EXPECT_EQ(measurer.FontNameFor(font), c.expected) << c.face << " " << c.weight << " " << int(c.italic);
  }
}

TEST(FreetypeTextMeasurer, FacelessFontsTakeTheGenericFamilyOfTheirPitchAndFamily) {
  constexpr uint8_t kFixedPitch = 1, kFamilyRoman = 0x10, kFamilySwiss = 0x20, kFamilyModern = 0x30;
  FreetypeTextMeasurer measurer;
  const auto nameFor = [&](const char* face, uint8_t pitchAndFamily) {
    LogFont font;
    font.faceName = face;
    font.height = -12;
    font.pitchAndFamily = pitchAndFamily;
    return measurer.FontNameFor(font);
  };
  const std::string sans = nameFor("sans-serif", 0);
  EXPECT_FALSE(sans.empty());
  EXPECT_EQ(nameFor("", 0), sans);
  EXPECT_EQ(nameFor("", kFamilySwiss), sans);
  EXPECT_EQ(nameFor("No Such Font Anywhere", 0), sans);
  EXPECT_EQ(nameFor("", kFamilyRoman), nameFor("serif", 0));
  EXPECT_EQ(nameFor("", kFamilyModern), nameFor("monospace", 0));
  EXPECT_EQ(nameFor("", kFixedPitch), nameFor("monospace", 0));
  EXPECT_NE(nameFor("serif", 0), sans);
  // A known face wins over the family bits.
  EXPECT_EQ(nameFor("Arial", kFamilyRoman), "Liberation Sans Regular");
}

TEST(FreetypeTextMeasurer, SizesFollowTheFontsWindowsMetrics) {
  // Liberation Sans, like Arial: 2048 units per em, usWinAscent 1854,
  // usWinDescent 434, 'a' and '0' 1139 units wide, 'W' 1933, xAvgCharWidth 1208.
  FreetypeTextMeasurer measurer;
  LogFont font;
  font.faceName = "Liberation Sans";
  font.height = -2048;  // one pixel per font unit
  TextExtent extent = measurer.Measure(font, "a0W");
  EXPECT_EQ(extent.cx, 1139 + 1139 + 1933);
  EXPECT_EQ(extent.ascent, 1854);
  EXPECT_EQ(extent.cy, 1854 + 434);

  font.height = 2288;  // the cell of the same size
  extent = measurer.Measure(font, "a0W");
  EXPECT_EQ(extent.cx, 1139 + 1139 + 1933);
  EXPECT_EQ(extent.cy, 2288);

  font.height = 12;  // 11 pixels per em: ascent 9.96, descent 2.33
  extent = measurer.Measure(font, "aaaa");
  EXPECT_EQ(extent.ascent, 10);
  EXPECT_EQ(extent.cy, 12);
  EXPECT_EQ(extent.cx, 4 * 6);  // 6.12 rounded, per character

  font.height = -2048;
  font.width = 1208 * 2;  // twice the average width
  EXPECT_EQ(measurer.Measure(font, "a0W").cx, 2 * (1139 + 1139 + 1933));
  font.width = -1208;  // the sign is ignored, as GDI does
  EXPECT_EQ(measurer.Measure(font, "a0W").cx, 1139 + 1139 + 1933);
}

TEST(FreetypeTextMeasurer, SimulatedBoldIsOnePixelWiderPerCharacter) {
  // As GDI does for a face without a bold version.
  FreetypeTextMeasurer measurer;
  LogFont regular;
  regular.faceName = "Droid Sans Fallback";
  regular.height = -20;
  if (measurer.FontNameFor(regular).find("Droid Sans Fallback") != 0) GTEST_SKIP() << "Droid Sans Fallback is not installed";
  LogFont bold = regular;
  bold.weight = 700;
  EXPECT_EQ(measurer.Measure(bold, "Bold").cx, measurer.Measure(regular, "Bold").cx + 4);
}

}  // namespace
}  // namespace wmf
