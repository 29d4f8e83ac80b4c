#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>

#include "memory_store.h"
#include "settings_test_support.h"
#include "trial_settings.h"
#include "wmf_settings.h"

namespace {

class CollectedMessages : public UserMessages {
 public:
  std::vector<std::wstring> errors, infos;
  void ErrorBox(const std::wstring& text) override { errors.push_back(text); }
  void InfoBox(const std::wstring& text) override { infos.push_back(text); }
};

using Value = MemorySettingsStore::RegistryValue;
const std::wstring kRoot = L"Software\\Tornvik\\Velloform";

Value Dword(int v) { return Value{true, static_cast<uint32_t>(v), L""}; }
Value Text(const std::wstring& s) { return Value{false, 0, s}; }

struct Fixture {
  MemorySettingsStore store;
  CollectedMessages messages;
  Fixture() { store.SetRegistryRoot(kRoot); }
};

TEST(WmfSettings, EmptyRegistryGivesEveryDefault) {
  Fixture f;
  const std::time_t before = std::time(nullptr);
  WmfSettings s(f.store, f.messages);
  for (const ScalarSetting& setting : ScalarSettings()) {
    const double value = setting.intField ? s.*setting.intField : s.*setting.realField;
    EXPECT_EQ(value, setting.defaultValue) << std::wstring(setting.name).size();
  }
  EXPECT_EQ(s.Crop, 1);
  EXPECT_EQ(s.Rotation, 0);
  EXPECT_EQ(s.AutoModify, 1);
  EXPECT_EQ(s.ForcedPalette, -1);
  EXPECT_DOUBLE_EQ(s.Margin, 0.5);
  EXPECT_DOUBLE_EQ(s.PictureHeight, 9);
  EXPECT_EQ(s.ShowSplash, 1);
  EXPECT_EQ(s.Jobs, 0);
  EXPECT_GE(s.Since, before);
  EXPECT_LE(s.Since, std::time(nullptr));
  for (int c = 1; c < kColorNumbers; ++c) {
    EXPECT_DOUBLE_EQ(s.colors[c].width, 0.01);
    EXPECT_EQ(s.colors[c].lineColor, AcadPalettes()[c][0]);
    EXPECT_EQ(s.colors[c].fillColor, AcadPalettes()[c][0]);
  }
  EXPECT_EQ(s.colors[0].width, 0);
  EXPECT_TRUE(f.messages.infos.empty());
  EXPECT_EQ(f.store.RegistryValueCount(), 0u);  // loading writes nothing
}

struct StoredCase {
  const wchar_t* section;
  const wchar_t* name;
  Value stored;
  double loaded;
};

TEST(WmfSettings, InvalidStoredValuesLoadAsTheirDefaults) {
  const StoredCase cases[] = {
      {L"Options", L"Rotation", Dword(45), 0},
      {L"Options", L"Rotation", Dword(270), 270},
      {L"Options", L"Crop", Dword(-1), 1},
      {L"Options", L"Crop", Dword(0), 0},
      {L"Options", L"Crop", Text(L"0"), 1},  // a number stored as text is not read
      {L"Options", L"Lineoptions", Dword(7), 0},
      {L"Options", L"Lineoptions", Dword(3), 3},
      {L"Preferences", L"AutoModify", Dword(4), 1},
      {L"Preferences", L"oPalette", Dword(9), 0},
      {L"Preferences", L"oPalette", Dword(5), 5},
      {L"Preferences", L"ForcedPalette", Dword(-2), -1},
      {L"Options", L"Margin", Text(L"-1.000000"), 0.5},
      {L"Options", L"Margin", Text(L"0.000000"), 0},
      {L"Options", L"Margin", Text(L"nan"), 0.5},
      {L"Options", L"Margin", Text(L"1e999"), 0.5},  // infinity is no margin
      {L"Options", L"FixedWidth", Text(L"inf"), 0.01},
      {L"Options", L"PictureWidth", Text(L"1,5e999"), 6},
      {L"Options", L"Margin", Dword(3), 0.5},  // a real is text
      {L"Options", L"FixedWidth", Text(L"0.000000"), 0},
      {L"Options", L"Percentage", Text(L"0"), 100},
      {L"Options", L"Percentage", Text(L"75,5"), 75.5},
      {L"Options", L"PictureWidth", Text(L"-3"), 6},
      {L"Options", L"WMFScale", Text(L"0"), 1},
  };
  for (const StoredCase& c : cases) {
    Fixture f;
    f.store.PutRegistry(c.section, c.name, c.stored);
    WmfSettings s(f.store, f.messages);
    const ScalarSetting* setting = FindScalarSetting(c.name);
    ASSERT_NE(setting, nullptr);
    const double value = setting->intField ? s.*setting->intField : s.*setting->realField;
    EXPECT_EQ(value, c.loaded) << "value " << c.stored.dword << " of " << std::wstring(c.name).size();
  }
}

TEST(WmfSettings, ForcedPaletteNineIsNone) {
  Fixture f;
  f.store.PutRegistry(L"Preferences", L"ForcedPalette", Dword(9));
  WmfSettings s(f.store, f.messages);
  EXPECT_EQ(s.ForcedPalette, -1);
  EXPECT_TRUE(f.messages.infos.empty());
}

TEST(WmfSettings, ScaledSizeAndPlainFillLastOnlyOneRun) {
  Fixture f;
  f.store.PutRegistry(L"Options", L"Widthoptions", Dword(3));
  f.store.PutRegistry(L"Options", L"Filledoptions", Dword(1));
  WmfSettings s(f.store, f.messages);
  EXPECT_EQ(s.Widthoptions, 0);
  EXPECT_EQ(s.Filledoptions, 0);

  const std::wstring file = L"run.vf3";
  f.store.WriteInt(L"Options", L"Widthoptions", file, 3);
  f.store.WriteInt(L"Options", L"Filledoptions", file, 1);
  s.TransferSettings(SettingsOp::LoadFile, file);
  EXPECT_EQ(s.Widthoptions, 3);
  EXPECT_EQ(s.Filledoptions, 1);
}

TEST(WmfSettings, ForcedPaletteWinsAndIsAnnounced) {
  Fixture f;
  f.store.PutRegistry(L"Preferences", L"ForcedPalette", Dword(2));
  f.store.PutRegistry(L"Preferences", L"oPalette", Dword(0));
  WmfSettings s(f.store, f.messages);
  EXPECT_EQ(s.oPalette, 2);
  EXPECT_EQ(s.PaletteInForce(4), 2);
  ASSERT_EQ(f.messages.infos.size(), 1u);
  EXPECT_EQ(f.messages.infos[0], L"Warning: Palette will be forced to 2");
  EXPECT_EQ(s.colors[16].lineColor, FromHex(0x800000));       // palette 2's colour
  EXPECT_EQ(s.colors[16].representative, 16);                  // 800000 is new in palette 2
  s.SaveToRegistry();
  EXPECT_EQ(f.store.GetRegistry(L"Preferences", L"oPalette")->dword, 2u);
}

TEST(WmfSettings, AnyStoredColourIsAccepted) {
  Fixture f;
  f.store.PutRegistry(L"Options\\LineColor", L"Color5", Dword(static_cast<int>(0xFEDCBA98u)));
  f.store.PutRegistry(L"Options\\Width", L"Color5", Text(L"-2"));
  WmfSettings s(f.store, f.messages);
  EXPECT_EQ(s.colors[5].lineColor, 0xFEDCBA98u);
  EXPECT_DOUBLE_EQ(s.colors[5].width, 0.01);
}

TEST(WmfSettings, SavedRecordIsReadBackEqual) {
  Fixture f;
  {
    WmfSettings s(f.store, f.messages);
    s.Rotation = 180;
    s.IsMetric = 1;
    s.Margin = 2.25;
    s.ForcedPalette = -1;
    s.oPalette = 5;
    s.Jobs = 42;
    s.Since = 1512734400;
    s.ShowSplash = 2;
    s.colors[9].width = 0.35;
    s.colors[9].lineColor = 0x00112233;
    s.colors[200].fillColor = 0x00ABCDEF;
    s.saveAtExit = true;  // the destruction saves
  }
  EXPECT_EQ(f.store.GetRegistry(L"Velloform", L"Program Type")->text, L"Clipmend.exe");
  EXPECT_EQ(f.store.GetRegistry(L"Velloform", L"Program Version")->text, L"7,30,0,0");
  EXPECT_EQ(f.store.GetRegistry(L"Options", L"Margin")->text, L"2.250000");
  WmfSettings s(f.store, f.messages);
  EXPECT_EQ(s.Rotation, 180);
  EXPECT_EQ(s.IsMetric, 1);
  EXPECT_DOUBLE_EQ(s.Margin, 2.25);
  EXPECT_EQ(s.oPalette, 5);
  EXPECT_EQ(s.Jobs, 42);
  EXPECT_EQ(s.Since, 1512734400);
  EXPECT_EQ(s.ShowSplash, 2);
  EXPECT_DOUBLE_EQ(s.colors[9].width, 0.35);
  EXPECT_EQ(s.colors[9].lineColor, 0x00112233u);
  EXPECT_EQ(s.colors[200].fillColor, 0x00ABCDEFu);
}

TEST(WmfSettings, FileIsWrittenInTheFixedOrder) {
  Fixture f;
  WmfSettings s(f.store, f.messages);
  ASSERT_TRUE(s.TransferSettings(SettingsOp::SaveFile, L"order.vf3"));
  const std::vector<std::wstring>& log = f.store.WriteLog();
  ASSERT_EQ(log.size(), 3u + 22u + 7u + 1u + 3u * 255u);
  EXPECT_EQ(log[0], L"Velloform|Program Type");
  EXPECT_EQ(log[1], L"Velloform|Program Version");
  EXPECT_EQ(log[2], L"Velloform|Settings written");
  EXPECT_EQ(log[3], L"Options|Crop");
  EXPECT_EQ(log[15], L"Options|Rotation");
  EXPECT_EQ(log[16], L"Preferences|IsMetric");
  EXPECT_EQ(log[24], L"Preferences|ForcedPalette");
  EXPECT_EQ(log[25], L"Options|Margin");
  EXPECT_EQ(log[31], L"Options|DrawingScale");
  EXPECT_EQ(log[32], L"Preferences|ImproveEmf");
  EXPECT_EQ(log[33], L"Options\\Width|Color1");
  EXPECT_EQ(log[34], L"Options\\LineColor|Color1");
  EXPECT_EQ(log[35], L"Options\\FillColor|Color1");
  EXPECT_EQ(log.back(), L"Options\\FillColor|Color255");
  EXPECT_EQ(f.store.ReadString(L"Options", L"FixedWidth", L"order.vf3", L""), L"0.010000");
}

TEST(WmfSettings, UnwritableHeaderStopsTheSave) {
  Fixture f;
  WmfSettings s(f.store, f.messages);
  f.store.FailWritesTo(L"locked.vf3");
  EXPECT_FALSE(s.TransferSettings(SettingsOp::SaveFile, L"locked.vf3"));
  EXPECT_TRUE(f.store.WriteLog().empty());
}

TEST(WmfSettings, LoadingAFileResetsWhatItLacks) {
  Fixture f;
  WmfSettings s(f.store, f.messages);
  s.Rotation = 90;
  s.IsMetric = 1;
  s.colors[3].width = 2;
  const std::wstring file = L"partial.vf3";
  f.store.WriteString(L"Options", L"Crop", file, L"0");
  s.TransferSettings(SettingsOp::LoadFile, file);
  EXPECT_EQ(s.Crop, 0);
  EXPECT_EQ(s.Rotation, 0);
  EXPECT_EQ(s.IsMetric, 0);
  EXPECT_DOUBLE_EQ(s.colors[3].width, 0.01);
}

TEST(WmfSettings, ColourOnlyFileTakesOnlyColours) {
  Fixture f;
  WmfSettings s(f.store, f.messages);
  s.Rotation = 90;
  s.colors[3].width = 2;
  s.colors[4].lineColor = 0x123;
  s.oPalette = 1;
  const std::wstring file = L"colours.vf3";
  f.store.WriteString(L"Velloform", L"ColorOnly", file, L"1");
  f.store.WriteInt(L"Options\\LineColor", L"Color3", file, 0x00FF00);
  f.store.WriteString(L"Options\\Width", L"Color3", file, L"9.0");
  s.TransferSettings(SettingsOp::LoadFile, file);
  EXPECT_EQ(s.Rotation, 90);
  EXPECT_DOUBLE_EQ(s.colors[3].width, 2);
  EXPECT_EQ(s.colors[3].lineColor, 0x00FF00u);
  EXPECT_EQ(s.colors[4].lineColor, AcadPalettes()[4][1]);  // absent: the current palette's colour
}

TEST(ScalarSettings, RulesAndNames) {
  const ScalarSetting* rotation = FindScalarSetting(L"rotation");
  ASSERT_NE(rotation, nullptr);
  EXPECT_TRUE(rotation->IsValid(270));
  EXPECT_FALSE(rotation->IsValid(45));
  EXPECT_STREQ(rotation->ValidText(), "0, 90, 180 or 270");
  const ScalarSetting* forced = FindScalarSetting(L"ForcedPalette");
  EXPECT_TRUE(forced->IsValid(-1));
  EXPECT_TRUE(forced->IsValid(8));
  EXPECT_FALSE(forced->IsValid(-2));
  EXPECT_FALSE(FindScalarSetting(L"Crop")->IsValid(0.5));
  EXPECT_FALSE(FindScalarSetting(L"Margin")->IsValid(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(FindScalarSetting(L"Margin")->IsValid(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(FindScalarSetting(L"Percentage")->IsValid(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(FindScalarSetting(L"Crop")->IsValid(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(FindScalarSetting(L"Percentage")->IsValid(0));
  EXPECT_EQ(FindScalarSetting(L"Jobs"), nullptr);
  EXPECT_EQ(ScalarSettings().size(), 30u);
}

// A trial record takes the user's values, and what is tried on it stays
// there: the user's record, its store and its statistics are untouched.
TEST(TrialSettings, TakesTheUsersValuesAndChangesNothingOfTheirs) {
  Fixture f;
  WmfSettings user(f.store, f.messages);
  settings_test::MakeEveryValueDiffer(user);
  user.Jobs = 7;
  TrialSettings trial;
  trial.Record().Jobs = 3;
  trial.CopyFrom(user);
  settings_test::ExpectSameSettings(user, trial.Record());
  EXPECT_EQ(trial.Record().Jobs, 3) << "the statistics are not the options";

  trial.Record().Rotation = user.Rotation == 90 ? 180 : 90;
  trial.Record().colors[5].width = user.colors[5].width + 1;
  EXPECT_NE(user.Rotation, trial.Record().Rotation);
  EXPECT_NE(user.colors[5].width, trial.Record().colors[5].width);
  EXPECT_EQ(f.store.RegistryValueCount(), 0u);
  EXPECT_TRUE(f.messages.errors.empty());
}

}  // namespace
