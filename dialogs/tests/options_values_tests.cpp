// The translations between the picture options and the main options
// dialog's choices, the unit conversion, and the colour table's edits.
#include <gtest/gtest.h>

#include "memory_store.h"
#include "options_values.h"
#include "settings_test_support.h"

namespace {

struct OptionsValuesTest : ::testing::Test {
  MemorySettingsStore store;
  settings_test::CollectedMessages messages;
  WmfSettings settings{store, messages};
};

struct Opening {
  int lineoptions, filledoptions, widthoptions;
  double percentage;
  int lineChoice, makeBlack, fillChoice, sizeChoice;
};

TEST_F(OptionsValuesTest, OpensWithTheChoicesTheSettingsStandFor) {
  const Opening cases[] = {
      {0, 0, 0, 100, 0, 0, 1, 0},    // exactly 100 %: left unmodified
      {0, 1, 0, 100.5, 0, 0, 1, 1},  // any other percentage is the percentage choice
      {1, 2, 1, 50, 0, 1, 0, 2},     // black thin lines open as thin lines with "Make all black"
      {2, 3, 2, 50, 1, 0, 3, 3},
      {3, 0, 3, 50, 2, 0, 1, 4},     // only an options file brings the scale mode
  };
  for (const Opening& c : cases) {
    settings.Lineoptions = c.lineoptions;
    settings.Filledoptions = c.filledoptions;
    settings.Widthoptions = c.widthoptions;
    settings.Percentage = c.percentage;
    settings.MakeBlack = 0;
    const OptionsDialogValues v = ReadOptionsValues(settings);
    SCOPED_TRACE(testing::Message() << "Lineoptions " << c.lineoptions << ", Widthoptions " << c.widthoptions);
    EXPECT_EQ(v.lineChoice, c.lineChoice);
    EXPECT_EQ(v.makeBlack, c.makeBlack);
    EXPECT_EQ(v.fillChoice, c.fillChoice);
    EXPECT_EQ(v.sizeChoice, c.sizeChoice);
  }
}

TEST_F(OptionsValuesTest, StoresTheChoicesBack) {
  struct Storing {
    int lineChoice, fillChoice, sizeChoice;
    int lineoptions, filledoptions, widthoptions;
    double percentage;
  };
  const Storing cases[] = {
      {0, 0, 0, 0, 2, 0, 100},  // "Leave unmodified" sets 100 % whatever the box holds
      {1, 1, 1, 2, 0, 0, 42},
      {2, 3, 2, 3, 3, 1, 42},
      {-1, -1, 3, 9, 9, 2, 42},  // no choice leaves the setting alone
      {0, 2, 4, 0, 9, 3, 42},    // "Remove" is not offered and changes nothing
      {0, 1, -1, 0, 0, 9, 42},
  };
  for (const Storing& c : cases) {
    settings.Lineoptions = settings.Filledoptions = settings.Widthoptions = 9;
    OptionsDialogValues v = ReadOptionsValues(settings);
    v.lineChoice = c.lineChoice;
    v.fillChoice = c.fillChoice;
    v.sizeChoice = c.sizeChoice;
    v.percentage = 42;
    WriteOptionsValues(v, settings);
    SCOPED_TRACE(testing::Message() << "choices " << c.lineChoice << c.fillChoice << c.sizeChoice);
    EXPECT_EQ(settings.Lineoptions, c.lineoptions);
    EXPECT_EQ(settings.Filledoptions, c.filledoptions);
    EXPECT_EQ(settings.Widthoptions, c.widthoptions);
    EXPECT_EQ(settings.Percentage, c.percentage);
  }
}

TEST_F(OptionsValuesTest, BlackThinLinesAndTheScaleModeSurviveARoundTrip) {
  settings.Lineoptions = 1;
  settings.Widthoptions = 3;
  settings.Rotation = 270;
  WriteOptionsValues(ReadOptionsValues(settings), settings);
  EXPECT_EQ(settings.Lineoptions, 0);
  EXPECT_EQ(settings.MakeBlack, 1);
  EXPECT_EQ(settings.Widthoptions, 3);
  EXPECT_EQ(settings.Rotation, 270);
}

TEST_F(OptionsValuesTest, ConvertsLengthsAndTableWidthsBothWays) {
  OptionsDialogValues v;
  v.fixedWidth = 0.01;
  v.wmfScale = 1;
  v.pictureWidth = 6;
  v.pictureHeight = 4.5;
  v.percentage = 80;
  v.drawingScale = 50;
  settings.colors[1].width = 0.01;
  settings.colors[0].width = 0.5;
  ConvertDialogUnits(v, settings.colors, true);
  EXPECT_DOUBLE_EQ(v.fixedWidth, 0.254);
  EXPECT_DOUBLE_EQ(v.wmfScale, 25.4);
  EXPECT_DOUBLE_EQ(v.pictureWidth, 15.2);
  EXPECT_DOUBLE_EQ(v.pictureHeight, 11.4);
  EXPECT_DOUBLE_EQ(settings.colors[1].width, 0.254);
  EXPECT_EQ(settings.colors[0].width, 0.5) << "colour 0 is not a colour of the table";
  EXPECT_EQ(v.percentage, 80);
  EXPECT_EQ(v.drawingScale, 50);

  ConvertDialogUnits(v, settings.colors, false);
  EXPECT_DOUBLE_EQ(v.fixedWidth, 0.01);
  EXPECT_DOUBLE_EQ(v.wmfScale, 1);
  EXPECT_DOUBLE_EQ(v.pictureWidth, 6);
  EXPECT_DOUBLE_EQ(v.pictureHeight, 4.5);
  EXPECT_DOUBLE_EQ(settings.colors[1].width, 0.01);
}

TEST(ColorTableText, WidthsInTheListAndInTheBox) {
  struct Case {
    double width;
    bool metric;
    const wchar_t* list;
    const wchar_t* box;
  };
  const Case cases[] = {
      {0.01, false, L"0.01", L"0.010"},
      {0.1, false, L"0.10", L"0.100"},
      {0.015, false, L"0.015", L"0.015"},
      {0.254, true, L"0.25", L"0.25"},
      {0.25, true, L"0.25", L"0.25"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ListWidthText(c.width, c.metric), c.list) << c.width;
    EXPECT_EQ(BoxWidthText(c.width, c.metric), c.box) << c.width;
  }
}

TEST(MarginSteps, TenthsWithinZeroAndFive) {
  double margin = 0.5;
  for (const double shown : {0.6, 0.7, 0.8}) {
    margin = StepMargin(margin, +1);
    EXPECT_NEAR(margin, shown, 1e-12);
  }
  margin = 0.5;
  for (int step = 0; step < 5; ++step) margin = StepMargin(margin, -1);
  EXPECT_EQ(margin, 0.0) << "five steps down from 0.5 end at exactly 0";
  EXPECT_EQ(StepMargin(0, -1), 0.0);
  EXPECT_EQ(StepMargin(4.95, +1), 5.0);
}

TEST_F(OptionsValuesTest, EditsReachOnlyColoursThatStandForThemselves) {
  settings.ComputeRepresentatives(0);
  ASSERT_EQ(settings.colors[10].representative, 1) << "colour 10 looks like colour 1 in palette 0";
  const double before10 = settings.colors[10].width;
  SetWidths(settings.colors, {1, 10, 0, 300}, 0.5);
  SetLineColors(settings.colors, {1, 10}, 0x123456);
  SetFillColors(settings.colors, {10}, 0x654321);
  EXPECT_EQ(settings.colors[1].width, 0.5);
  EXPECT_EQ(settings.colors[10].width, before10);
  EXPECT_EQ(settings.colors[1].lineColor, 0x123456u);
  EXPECT_NE(settings.colors[10].lineColor, 0x123456u);
  EXPECT_NE(settings.colors[10].fillColor, 0x654321u);
}

TEST_F(OptionsValuesTest, ResetAllTakesThePalettesColoursAndTheUnitsWidth) {
  settings.ComputeRepresentatives(0);
  settings.colors[0].width = 3;
  for (const bool metric : {false, true}) {
    settings.colors[5].lineColor = settings.colors[5].fillColor = 0x010203;
    ResetColorTable(settings.colors, metric, 8);
    EXPECT_EQ(settings.colors[5].width, metric ? 0.25 : 0.01);
    EXPECT_EQ(settings.colors[5].lineColor, AcadPalettes()[5][8]);
    EXPECT_EQ(settings.colors[5].fillColor, AcadPalettes()[5][8]);
    EXPECT_EQ(settings.colors[10].representative, 1) << "representatives stay";
    EXPECT_EQ(settings.colors[0].width, 3) << "colour 0 stays";
  }
}

}  // namespace
