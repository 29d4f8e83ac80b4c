#include <gtest/gtest.h>

#include <array>

#include "memory_store.h"
#include "options_files.h"
#include "settings_test_support.h"

namespace {

using settings_test::CollectedMessages;

class FakeUi : public OptionsFileUi {
 public:
  std::wstring answer;  // the file the user picks; empty cancels
  const OptionsFileDialog* shown = nullptr;
  std::vector<std::string> events;

  std::wstring ChooseFile(const OptionsFileDialog& dialog) override {
    shown = &dialog;
    events.push_back("dialog");
    return answer;
  }
  void BeginWaitCursor() override { events.push_back("wait"); }
  void EndWaitCursor() override { events.push_back("restore"); }
};

struct Fixture {
  MemorySettingsStore store;
  CollectedMessages messages;
  WmfSettings settings{store, messages};
  FakeUi ui;

  void Put(const wchar_t* file, const wchar_t* section, const wchar_t* name, const wchar_t* value) {
    store.WriteString(section, name, file, value);
  }
  void PutPc2(const wchar_t* file, int colorNumber, const wchar_t* width, const wchar_t* pen) {
    const std::wstring key = L"color" + std::to_wstring(colorNumber);
    if (width) store.WriteString(L"Plotter/Device/WidthTable", key, file, width);
    if (pen) store.WriteString(L"Plotter/Device/PenTable", key, file, pen);
  }
};

TEST(OptionsFiles, OnlyTheVf3EndingIsAnOptionsFile) {
  const struct {
    const wchar_t* path;
    bool own;
  } cases[] = {{L"SET.vf3", true},      {L"C:\\a\\Klarout.VF3", true}, {L".Vf3", true}, {L"settings.ini", false},
               {L"plotter.PC2", false}, {L"vf3", false},               {L"a.vf3 ", false}, {L"", false}};
  for (const auto& c : cases) EXPECT_EQ(IsOptionsFilePath(c.path), c.own) << ToUtf8(c.path);
}

TEST(OptionsFiles, CancelledDialogChangesNothing) {
  Fixture f;
  f.settings.Rotation = 90;
  EXPECT_FALSE(LoadOptionsFile(f.settings, f.ui, L""));
  EXPECT_EQ(f.ui.shown, &kLoadOptionsDialog);
  EXPECT_EQ(f.ui.events, std::vector<std::string>{"dialog"});
  EXPECT_EQ(f.settings.Rotation, 90);

  SaveOptionsFile(f.settings, f.ui, L"");
  EXPECT_EQ(f.ui.shown, &kSaveOptionsDialog);
  EXPECT_TRUE(f.store.WriteLog().empty());
}

TEST(OptionsFiles, DialogsOfferTheProductsFiles) {
  EXPECT_FALSE(kLoadOptionsDialog.save);
  EXPECT_STREQ(kLoadOptionsDialog.defaultExtension, L"VF3");
  EXPECT_STREQ(kLoadOptionsDialog.initialName, L"Klarout.VF3");
  EXPECT_STREQ(kLoadOptionsDialog.filter, L"Velloform VF3 file (*.VF3)|*.VF3|Autodesk R14 PC2 file (*.PC2)|*.PC2|");
  EXPECT_TRUE(kSaveOptionsDialog.save);
  EXPECT_STREQ(kSaveOptionsDialog.defaultExtension, L".vf3");
  EXPECT_STREQ(kSaveOptionsDialog.initialName, L"Klarout.vf3");
  EXPECT_STREQ(kSaveOptionsDialog.filter, L"Velloform VF3 file (*.VF3)|*.VF3|");
}

TEST(OptionsFiles, ChosenFileIsReadUnderTheWaitCursor) {
  Fixture f;
  f.Put(L"SET.vf3", L"Options", L"Rotation", L"90");
  f.ui.answer = L"SET.vf3";
  EXPECT_TRUE(LoadOptionsFile(f.settings, f.ui, L""));
  EXPECT_EQ(f.ui.events, (std::vector<std::string>{"dialog", "wait", "restore"}));
  EXPECT_EQ(f.settings.Rotation, 90);

  f.ui.events.clear();
  f.settings.Rotation = 180;
  SaveOptionsFile(f.settings, f.ui, L"kept.vf3");
  EXPECT_EQ(f.ui.events, (std::vector<std::string>{"wait", "restore"}));
  EXPECT_EQ(f.store.ReadInt(L"Options", L"Rotation", L"kept.vf3", 0), 180);
  EXPECT_EQ(f.store.ReadString(L"Velloform", L"Program Type", L"kept.vf3", L""), L"Clipmend.exe");
}

TEST(OptionsFiles, AnyOtherEndingIsImportedAsPc2) {
  Fixture f;
  f.Put(L"settings.ini", L"Options", L"Rotation", L"90");
  f.PutPc2(L"settings.ini", 1, L"0.25", L"7");
  EXPECT_TRUE(LoadOptionsFile(f.settings, f.ui, L"settings.ini"));
  EXPECT_EQ(f.ui.shown, nullptr);
  EXPECT_EQ(f.settings.Rotation, 0);  // not read as an options file
  EXPECT_DOUBLE_EQ(f.settings.colors[1].width, 0.25);
  EXPECT_EQ(f.settings.colors[1].fillColor, 0x070707u);
}

TEST(ImportPc2, WidthsAndPenGreys) {
  const struct {
    int isMetric;
    const wchar_t* width;
    const wchar_t* pen;
    double expectedWidth;
    uint32_t expectedFill;  // RRGGBB
  } cases[] = {
      {0, L"0.35", L"300", 0.35, 0x2C2C2C},
      {1, L"0.35", L"-1", 8.89, 0xFFFFFF},
      {1, L"0,0155", L"abc", 0.394, 0x000000},  // 0.3937 mm at three decimals
      {0, L"0.1234567891", L"  12", 0.1234567, 0x0C0C0C},  // values are cut to nine characters
      {0, L"abc", nullptr, 0, 0x000000},
      {1, nullptr, L"255", 0, 0xFFFFFF},
      // No width is infinite: not as read, nor after the turn into millimetres.
      {0, L"1e999", L"0", 0, 0x000000},
      {1, L"1e308", L"0", 0, 0x000000},
      {0, L"1e308", L"0", 1e308, 0x000000},
  };
  for (const auto& c : cases) {
    Fixture f;
    f.settings.IsMetric = c.isMetric;
    f.PutPc2(L"pens.pc2", 1, c.width, c.pen);
    ImportPc2(f.settings, L"pens.pc2");
    EXPECT_DOUBLE_EQ(f.settings.colors[1].width, c.expectedWidth) << ToUtf8(c.width ? c.width : L"(none)");
    EXPECT_EQ(f.settings.colors[1].fillColor, FromHex(c.expectedFill)) << ToUtf8(c.pen ? c.pen : L"(none)");
  }
}

TEST(ImportPc2, ShadowedColourNumbersAreSkipped) {
  Fixture f;  // palette 0: colour number 10 has the colour of 1
  ASSERT_EQ(f.settings.colors[10].representative, 1);
  f.settings.oPalette = 5;
  f.settings.ComputeRepresentatives(0);
  f.settings.colors[10] = ColorEntry{1, 4.5, 0x111111, 0x222222};
  f.settings.colors[11].lineColor = 0x333333;
  f.PutPc2(L"pens.pc2", 10, L"0.5", L"1");
  f.PutPc2(L"pens.pc2", 11, L"0.75", L"2");
  ImportPc2(f.settings, L"pens.pc2");
  EXPECT_DOUBLE_EQ(f.settings.colors[10].width, 4.5);
  EXPECT_EQ(f.settings.colors[10].lineColor, 0x111111u);
  EXPECT_EQ(f.settings.colors[10].fillColor, 0x222222u);
  EXPECT_DOUBLE_EQ(f.settings.colors[11].width, 0.75);
  EXPECT_EQ(f.settings.colors[11].lineColor, AcadPalettes()[11][5]);  // the current palette's colour
  EXPECT_EQ(f.settings.colors[11].fillColor, 0x020202u);
}

TEST(ImportPc2, FileWithoutPenTablesGivesThinBlackPens) {
  Fixture f;
  ImportPc2(f.settings, L"empty.pc2");
  for (int k = 1; k < kColorNumbers; ++k) {
    if (f.settings.colors[k].representative != k) {
      EXPECT_DOUBLE_EQ(f.settings.colors[k].width, 0.01) << k;
      continue;
    }
    EXPECT_DOUBLE_EQ(f.settings.colors[k].width, 0) << k;
    EXPECT_EQ(f.settings.colors[k].fillColor, 0u) << k;
  }
}

TEST(OptionsFiles, RepresentativesFollowThePaletteAtTheLoad) {
  Fixture f;
  ASSERT_EQ(f.settings.colors[23].representative, 13);  // palette 0 at construction
  f.settings.oPalette = 8;                               // as after a captured IntelliCAD picture
  f.PutPc2(L"pens.pc2", 23, L"0.5", L"0");
  ASSERT_TRUE(LoadOptionsFile(f.settings, f.ui, L"pens.pc2"));
  EXPECT_EQ(f.settings.colors[23].representative, 23);
  EXPECT_DOUBLE_EQ(f.settings.colors[23].width, 0.5);
}

TEST(OptionsFiles, OwnFileWithAnotherPaletteKeepsTheRepresentatives) {
  Fixture f;
  std::array<int, kColorNumbers> before{};
  for (int c = 0; c < kColorNumbers; ++c) before[c] = f.settings.colors[c].representative;
  f.Put(L"p2.vf3", L"Preferences", L"oPalette", L"2");
  ASSERT_TRUE(LoadOptionsFile(f.settings, f.ui, L"p2.vf3"));
  EXPECT_EQ(f.settings.oPalette, 2);
  EXPECT_EQ(f.settings.colors[16].lineColor, FromHex(0x800000));  // palette 2's colour as the default
  for (int c = 0; c < kColorNumbers; ++c) EXPECT_EQ(f.settings.colors[c].representative, before[c]) << c;
}

TEST(OptionsFiles, FileWithoutPreferencesResetsThemButTakesItsWidths) {
  Fixture f;
  f.settings.IsMetric = 1;
  f.settings.Tooltip = 0;
  f.settings.AutoModify = 3;
  f.Put(L"old.vf3", L"Options\\Width", L"Color1", L"0.35");
  ASSERT_TRUE(LoadOptionsFile(f.settings, f.ui, L"old.vf3"));
  EXPECT_EQ(f.settings.IsMetric, 0);
  EXPECT_EQ(f.settings.Tooltip, 1);
  EXPECT_EQ(f.settings.AutoModify, 1);
  EXPECT_DOUBLE_EQ(f.settings.colors[1].width, 0.35);  // not converted to inches
}

TEST(OptionsFiles, StatisticsStayOutOfOptionsFiles) {
  Fixture f;
  f.settings.Jobs = 12;
  f.settings.ShowSplash = 0;
  SaveOptionsFile(f.settings, f.ui, L"stats.vf3");
  for (const std::wstring& write : f.store.WriteLog()) {
    EXPECT_EQ(write.find(L"Statistics"), std::wstring::npos);
    EXPECT_EQ(write.find(L"ShowSplash"), std::wstring::npos);
  }
  f.Put(L"stats.vf3", L"Statistics", L"Jobs", L"99");
  LoadOptionsFile(f.settings, f.ui, L"stats.vf3");
  EXPECT_EQ(f.settings.Jobs, 12);
  EXPECT_EQ(f.settings.ShowSplash, 0);
}

}  // namespace
