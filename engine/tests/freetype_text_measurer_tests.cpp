// How the FreeType measurer maps LOGFONTs to the installed fonts and sizes
// them; the Liberation fonts (1.07 or 2) stand in for Arial, Times New Roman
// and Courier New.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <map>
#include <string>
#include <string_view>

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

// What GDI sizes text by, read from a font file: the em, the OS/2 table's
// usWinAscent, usWinDescent and xAvgCharWidth, and the characters' advances,
// all in font units.
struct FontFileMetrics {
  int unitsPerEm = 0;
  int winAscent = 0, winDescent = 0, averageWidth = 0;
  std::map<char, int> advances;
};

FontFileMetrics ReadFontFile(const FreetypeTextMeasurer::FontFile& file, std::string_view characters) {
  FontFileMetrics metrics;
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return metrics;
  FT_Face face = nullptr;
  if (FT_New_Face(library, file.path.c_str(), file.index, &face) == 0) {
    metrics.unitsPerEm = face->units_per_EM;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
      metrics.winAscent = os2->usWinAscent;
      metrics.winDescent = os2->usWinDescent;
      metrics.averageWidth = os2->xAvgCharWidth;
    }
    for (const char c : characters)
      if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_NO_SCALE) == 0)
        metrics.advances[c] = static_cast<int>(face->glyph->advance.x);
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  return metrics;
}

int Rounded(double value) { return static_cast<int>(std::lround(value)); }

TEST(FreetypeTextMeasurer, SizesFollowTheFontsWindowsMetrics) {
  // The expected sizes come from the file the measurer opened: fontconfig
  // may pick Liberation Sans 1.07 (fonts-liberation) or 2 (fonts-liberation2),
  // whose advances differ.
  FreetypeTextMeasurer measurer;
  LogFont font;
  font.faceName = "Liberation Sans";
  font.height = -12;
  const FreetypeTextMeasurer::FontFile file = measurer.FontFileFor(font);
  ASSERT_FALSE(file.path.empty()) << "no font file for Liberation Sans";
  const FontFileMetrics m = ReadFontFile(file, "a0W");
  ASSERT_GT(m.unitsPerEm, 0) << file.path;
  ASSERT_GT(m.winAscent + m.winDescent, 0) << file.path;
  ASSERT_GT(m.averageWidth, 0) << file.path;
  ASSERT_EQ(m.advances.size(), 3u) << file.path;
  const int a0W = m.advances.at('a') + m.advances.at('0') + m.advances.at('W');
  SCOPED_TRACE(file.path);

  font.height = static_cast<int16_t>(-m.unitsPerEm);  // one pixel per font unit
  TextExtent extent = measurer.Measure(font, "a0W");
  EXPECT_EQ(extent.cx, a0W);
  EXPECT_EQ(extent.ascent, m.winAscent);
  EXPECT_EQ(extent.cy, m.winAscent + m.winDescent);

  font.height = static_cast<int16_t>(m.winAscent + m.winDescent);  // the cell of the same size
  extent = measurer.Measure(font, "a0W");
  EXPECT_EQ(extent.cx, a0W);
  EXPECT_EQ(extent.cy, m.winAscent + m.winDescent);

  // A cell of 12 pixels: the em is a whole number of pixels, and ascent,
  // descent and each character's advance are rounded to pixels on their own.
  font.height = 12;
  const double scale = Rounded(12.0 * m.unitsPerEm / (m.winAscent + m.winDescent)) / double(m.unitsPerEm);
  extent = measurer.Measure(font, "aaaaaaaaaa");
  EXPECT_EQ(extent.ascent, Rounded(m.winAscent * scale));
  EXPECT_EQ(extent.cy, Rounded(m.winAscent * scale) + Rounded(m.winDescent * scale));
  EXPECT_EQ(extent.cx, 10 * Rounded(m.advances.at('a') * scale));

  font.height = static_cast<int16_t>(-m.unitsPerEm);
  font.width = static_cast<int16_t>(m.averageWidth * 2);  // twice the average width
  EXPECT_EQ(measurer.Measure(font, "a0W").cx, 2 * a0W);
  font.width = static_cast<int16_t>(-m.averageWidth);  // the sign is ignored, as GDI does
  EXPECT_EQ(measurer.Measure(font, "a0W").cx, a0W);
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
