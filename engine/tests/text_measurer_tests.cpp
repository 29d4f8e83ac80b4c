// What every platform's text measurer must do, checked against the fonts
// installed here (natively through fontconfig, under Wine through its GDI).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "text_measurer_factory.h"

namespace wmf {
namespace {

constexpr uint8_t kRussianCharset = 204;
constexpr uint8_t kSymbolCharset = 2;

LogFont Font(const std::string& face, int16_t height, int16_t weight = 400) {
  LogFont font;
  font.faceName = face;
  font.height = height;
  font.weight = weight;
  return font;
}

class TextMeasurerTest : public ::testing::TestWithParam<const char*> {
 protected:
  std::unique_ptr<TextMeasurer> measurer = MakeTextMeasurer();
  LogFont Sized(int16_t height, int16_t weight = 400) const { return Font(GetParam(), height, weight); }
};

TEST_P(TextMeasurerTest, WidthIsTheSumOfTheCharactersAdvances) {
  const LogFont font = Sized(-40);
  const std::string text = "Hello, World 0123 (wmf)";
  int32_t sum = 0;
  for (const char c : text) sum += measurer->Measure(font, std::string(1, c)).cx;
  EXPECT_EQ(measurer->Measure(font, text).cx, sum);
  EXPECT_GT(measurer->Measure(font, "ab").cx, measurer->Measure(font, "a").cx);
  EXPECT_EQ(measurer->Measure(font, "").cx, 0);
}

TEST_P(TextMeasurerTest, PositiveHeightIsTheCellHeight) {
  for (const int16_t height : {8, 12, 13, 20, 33, 100, 1000, 4000}) {
    SCOPED_TRACE(height);
    const TextExtent extent = measurer->Measure(Sized(height), "Hg");
    EXPECT_NEAR(extent.cy, height, 1);
    EXPECT_GT(extent.ascent, 0);
    EXPECT_LT(extent.ascent, extent.cy);
  }
}

TEST_P(TextMeasurerTest, NegativeHeightIsTheCharacterHeight) {
  for (const int16_t height : {-10, -12, -20, -100, -1000}) {
    SCOPED_TRACE(height);
    const TextExtent extent = measurer->Measure(Sized(height), "Hg");
    EXPECT_GT(extent.cy, -height);
    EXPECT_LT(extent.cy, -height * 3 / 2);
    EXPECT_LT(extent.ascent, extent.cy);
    // The em, not the cell, is |lfHeight|: the font is larger than at +|lfHeight|.
    EXPECT_GE(measurer->Measure(Sized(height), "Hg Hg Hg Hg").cx, measurer->Measure(Sized(-height), "Hg Hg Hg Hg").cx);
  }
  EXPECT_GT(measurer->Measure(Sized(-1000), "Hg").cx, measurer->Measure(Sized(1000), "Hg").cx);
}

TEST_P(TextMeasurerTest, DefaultHeightMeasures) {
  const TextExtent extent = measurer->Measure(Sized(0), "Default");
  EXPECT_GT(extent.cx, 0);
  EXPECT_GE(extent.cy, 12);
  EXPECT_LE(extent.cy, 24);
}

TEST_P(TextMeasurerTest, WidthGrowsWithSize) {
  EXPECT_GT(measurer->Measure(Sized(-200), "Scale").cx, measurer->Measure(Sized(-100), "Scale").cx * 19 / 10);
}

TEST_P(TextMeasurerTest, BoldIsAtLeastAsWideAsRegular) {
  const std::string text = "Bold lines of text";
  for (const int16_t weight : {600, 700, 800, 900})
    EXPECT_GE(measurer->Measure(Sized(-24, weight), text).cx, measurer->Measure(Sized(-24, 400), text).cx) << weight;
  EXPECT_EQ(measurer->Measure(Sized(-24, 0), text).cx, measurer->Measure(Sized(-24, 400), text).cx);
}

TEST_P(TextMeasurerTest, SameFontGivesTheSameResultAfterOtherFonts) {
  const LogFont font = Sized(-30);
  const TextExtent first = measurer->Measure(font, "Cached");
  measurer->Measure(Sized(-31), "Cached");
  measurer->Measure(Font("Courier New", 12, 700), "Other");
  const TextExtent again = measurer->Measure(font, "Cached");
  EXPECT_EQ(again.cx, first.cx);
  EXPECT_EQ(again.cy, first.cy);
  EXPECT_EQ(again.ascent, first.ascent);
  const TextExtent fresh = MakeTextMeasurer()->Measure(font, "Cached");
  EXPECT_EQ(fresh.cx, first.cx);
  EXPECT_EQ(fresh.cy, first.cy);
}

TEST_P(TextMeasurerTest, WidthScalesTheAdvances) {
  LogFont narrow = Sized(-40);
  narrow.width = 10;
  LogFont wide = narrow;
  wide.width = 20;
  const std::string text = "Stretched text of average letters";
  const int32_t narrowWidth = measurer->Measure(narrow, text).cx;
  const int32_t wideWidth = measurer->Measure(wide, text).cx;
  EXPECT_NEAR(wideWidth, 2 * narrowWidth, narrowWidth / 10);
  // Roughly the average character width per character.
  EXPECT_NEAR(narrowWidth, 10 * static_cast<int32_t>(text.size()), 10 * static_cast<int32_t>(text.size()) / 3);
  // The cell keeps its height.
  EXPECT_EQ(measurer->Measure(wide, text).cy, measurer->Measure(Sized(-40), text).cy);
}

TEST_P(TextMeasurerTest, RotationDoesNotChangeTheExtent) {
  // The analysis turns the box by the font's angle itself.
  LogFont turned = Sized(-40);
  turned.escapement = turned.orientation = 900;
  const TextExtent upright = measurer->Measure(Sized(-40), "Rotated");
  const TextExtent rotated = measurer->Measure(turned, "Rotated");
  EXPECT_EQ(rotated.cx, upright.cx);
  EXPECT_EQ(rotated.cy, upright.cy);
  EXPECT_EQ(rotated.ascent, upright.ascent);
}

TEST_P(TextMeasurerTest, ManyDifferentStringsMeasure) {
  const LogFont fonts[] = {Sized(-12), Sized(20, 700), Font("Times New Roman", -9)};
  std::string text;
  int64_t total = 0;
  for (int i = 0; i < 10000; ++i) {
    text = "Label " + std::to_string(i * 7919);
    const TextExtent extent = measurer->Measure(fonts[i % 3], text);
    ASSERT_GT(extent.cx, 0);
    total += extent.cx;
  }
  EXPECT_GT(total, 10000 * 10);
}

INSTANTIATE_TEST_SUITE_P(Faces, TextMeasurerTest,
                         ::testing::Values("Arial", "Liberation Sans", "Times New Roman", "Courier New"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::erase(name, ' ');
                           return name;
                         });

TEST(TextMeasurer, UnknownAndEmptyFacesFallBackToAnInstalledFont) {
  auto measurer = MakeTextMeasurer();
  for (const char* face : {"No Such Font Anywhere", "", "txt.shx", "Caf\xE9 \xC0 la carte"}) {
    SCOPED_TRACE(face);
    const TextExtent extent = measurer->Measure(Font(face, 20), "Fallback");
    EXPECT_GT(extent.cx, 8 * 4);
    EXPECT_NEAR(extent.cy, 20, 1);
    EXPECT_GT(extent.ascent, 0);
  }
}

TEST(TextMeasurer, CharactersAreDecodedWithTheFontsCodePage) {
  auto measurer = MakeTextMeasurer();
  LogFont ansi = Font("Arial", -100);
  // Windows-1252: 0x80 is the euro sign and 0x96 the en dash, as wide as a digit in Arial.
  EXPECT_EQ(measurer->Measure(ansi, "\x80").cx, measurer->Measure(ansi, "0").cx);
  EXPECT_EQ(measurer->Measure(ansi, "\x96").cx, measurer->Measure(ansi, "0").cx);
  // 0xEE: i circumflex in Windows-1252, the Cyrillic o in Windows-1251.
  LogFont cyrillic = ansi;
  cyrillic.charSet = kRussianCharset;
  EXPECT_EQ(measurer->Measure(cyrillic, "\xEE").cx, measurer->Measure(ansi, "o").cx);
  EXPECT_NE(measurer->Measure(ansi, "\xEE").cx, measurer->Measure(ansi, "o").cx);
}

TEST(TextMeasurer, SymbolFontsMeasure) {
  auto measurer = MakeTextMeasurer();
  LogFont symbol = Font("Symbol", -100);
  symbol.charSet = kSymbolCharset;
  const TextExtent extent = measurer->Measure(symbol, "abgd");
  EXPECT_GT(extent.cx, 4 * 20);
  EXPECT_GE(extent.cy, 100);
}

}  // namespace
}  // namespace wmf
